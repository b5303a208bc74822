#include "search/search_log.h"

// Warnings and information by default; debug output with the logging rule
// "sazanami.search.debug=true".
Q_LOGGING_CATEGORY(lcSearch, "sazanami.search", QtInfoMsg)
