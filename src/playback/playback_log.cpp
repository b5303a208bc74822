#include "playback/playback_log.h"

// Warnings and information by default; debug output with the logging rule
// "sazanami.playback.debug=true".
Q_LOGGING_CATEGORY(lcPlayback, "sazanami.playback", QtInfoMsg)
