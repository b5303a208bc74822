#include "display/display_log.h"

Q_LOGGING_CATEGORY(lcDisplay, "sazanami.display", QtInfoMsg)
