#pragma once

class QCoreApplication;

namespace qt_language
{

// Qt's own texts (the buttons of message boxes, the file dialogs, the edit
// menus of text boxes) in Japanese like the rest of the window, whatever the
// desktop's language.  Installs the system's Qt translations into app; false
// (and a line in the log) when they are not installed, and Qt's texts stay
// English.
bool useJapanese(QCoreApplication &app);

} // namespace qt_language
