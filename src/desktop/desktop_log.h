#pragma once

#include <QLoggingCategory>

// Diagnostics of the calls to the desktop's services.
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)
