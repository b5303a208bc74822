#include "app/player.h"

#include <QApplication>
#include <QDir>
#include <clocale>

int main(int argc, char *argv[])
{
    // On X11 the picture reaches the screen sooner through EGL than through
    // GLX (measured: about a tenth of the time to the first frame).  A choice
    // made in the environment is left alone.
    if (qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "xcb_egl");

    QApplication app(argc, argv);
    // libmpv parses numbers the C way.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("Sazanami");

    StartupOptions options;
    options.arguments = QApplication::arguments().mid(1);
    options.currentDir = QDir::currentPath();

    Player player;
    if (!player.Form_Load(options))
        return 0;
    return QApplication::exec();
}
