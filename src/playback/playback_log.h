#pragma once

#include <QLoggingCategory>

// Diagnostics of opening, sequencing and transport.
Q_DECLARE_LOGGING_CATEGORY(lcPlayback)
