#include "media/media_log.h"

// Warnings and above show by default; mpv's chatter only on request.
Q_LOGGING_CATEGORY(lcMedia, "sazanami.media", QtInfoMsg)
