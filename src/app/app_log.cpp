#include "app/app_log.h"

// Warnings and information by default; debug output with the logging rule
// "sazanami.app.debug=true".
Q_LOGGING_CATEGORY(lcApp, "sazanami.app", QtInfoMsg)
