#pragma once

#include <QLoggingCategory>

// Diagnostics of the state files and the other rules of the lower layer.
Q_DECLARE_LOGGING_CATEGORY(lcBase)
