#include "library/library_log.h"

// Warnings and information by default; debug output with the logging rule
// "sazanami.library.debug=true".
Q_LOGGING_CATEGORY(lcLibrary, "sazanami.library", QtInfoMsg)
