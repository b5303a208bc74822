#include "base/base_log.h"

// Warnings and information by default; debug output with the logging rule
// "sazanami.base.debug=true".
Q_LOGGING_CATEGORY(lcBase, "sazanami.base", QtInfoMsg)
