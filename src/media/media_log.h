#pragma once

#include <QLoggingCategory>

// Diagnostics of the media session: failing mpv calls and mpv's own log.
// Turned on with QT_LOGGING_RULES="sazanami.media.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcMedia)
