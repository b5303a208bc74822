#pragma once

#include <QLoggingCategory>

// Diagnostics of the file browser.
Q_DECLARE_LOGGING_CATEGORY(lcLibrary)
