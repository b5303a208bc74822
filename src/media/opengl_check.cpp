#include "media/opengl_check.h"

#include "media/renderer_choice.h"

#include <QGuiApplication>
#include <QOpenGLContext>
#include <mutex>

namespace
{

std::once_flag askOnce;
bool works = false;

// Platforms without windows cannot host an OpenGL widget at all.
bool windowless()
{
    const QString platform = QGuiApplication::platformName();
    return platform == "offscreen" || platform == "minimal";
}

// A window system without any OpenGL (no GLX or EGL: some remote sessions)
// must not get an OpenGL widget either: Qt cannot draw such a window.
// Creating a context loads the driver, which the first frame needs anyway;
// making it current would cost more and tells nothing more.
// Where the machine calls for software drawing no context is made, so the
// driver is never loaded.
bool createContext()
{
    if (windowless() || renderer_choice::forThisMachine() == renderer_choice::Renderer::Software)
        return false;
    QOpenGLContext context;
    return context.create();
}

void ask()
{
    works = createContext();
}

} // namespace

bool opengl_check::available()
{
    std::call_once(askOnce, ask);
    return works;
}

void opengl_check::warmUp()
{
    if (!windowless() && QOpenGLContext::supportsThreadedOpenGL())
        available();
}
