#include "desktop/desktop_log.h"

// Warnings and information by default; debug output with the logging rule
// "sazanami.desktop.debug=true".
Q_LOGGING_CATEGORY(lcDesktop, "sazanami.desktop", QtInfoMsg)
