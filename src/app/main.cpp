#include "app/app_log.h"
#include "app/player.h"
#include "media/renderer_choice.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <clocale>

namespace
{

// NVIDIA's own driver has long had trouble with EGL on X11 windows (Qt's
// xcb_egl integration among them); its GLX is what it is tested with.
bool nvidiaDriverLoaded()
{
    return QFileInfo::exists(QStringLiteral("/proc/driver/nvidia/version"));
}

// On X11 the picture reaches the screen sooner through EGL than through GLX
// (measured with Mesa: about a tenth of the time to the first frame).  Only
// where EGL is known to work, and never against a choice made in the
// environment.  Where the picture is drawn in software, Qt is kept from
// loading the OpenGL driver at all: it would do so at start-up otherwise.
void chooseOpenGLIntegration()
{
    if (!qEnvironmentVariableIsEmpty("QT_XCB_GL_INTEGRATION"))
        return;
    if (renderer_choice::forThisMachine() == renderer_choice::Renderer::Software) {
        qputenv("QT_XCB_GL_INTEGRATION", "none");
        return;
    }
    if (nvidiaDriverLoaded()) {
        qCInfo(lcApp) << "NVIDIA driver: OpenGL through GLX";
        return;
    }
    qputenv("QT_XCB_GL_INTEGRATION", "xcb_egl");
}

} // namespace

int main(int argc, char *argv[])
{
    chooseOpenGLIntegration();

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
