#pragma once

#include <QLoggingCategory>

// Diagnostics of start-up and shut-down.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
