#include "audio/audio_log.h"

Q_LOGGING_CATEGORY(lcAudio, "sazanami.audio", QtInfoMsg)
