#include "app/app_log.h"
#include "app/player.h"
#include "app/qt_language.h"
#include "base/command_line.h"
#include "base/native_path.h"
#include "base/single_instance.h"
#include "media/renderer_choice.h"
#include "version.h"

#include <QApplication>
#include <QFileInfo>
#include <clocale>
#include <cstdio>
#ifdef __GLIBC__
#include <malloc.h>
#endif

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

// Each movie opened starts mpv's demuxer, decoder and audio threads anew, and
// glibc gives busy threads malloc arenas of their own, up to eight per core.
// Freeing a large frame buffer also raises glibc's mmap threshold, and with
// it the free memory each arena keeps back, to megabytes.  Over an evening
// of movie changes the heap settled at twice what the program uses.  A fixed
// threshold keeps frame-sized buffers in mappings that go back when freed,
// and a few arenas are plenty for one movie at a time.
void keepTheHeapFromHoarding()
{
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 4);
    mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
#endif
}

// Qt looks for a runtime folder as well and, finding none, says so on every
// start and makes /tmp/runtime-<user>: it gets the private one the program
// keeps its lock and socket in (made 0700, checked to be this user's alone).
void shareTheRuntimeFolderWithQt()
{
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
        return;
    const QString own = SingleInstance::runtimeFolder();
    if (!own.isEmpty())
        qputenv("XDG_RUNTIME_DIR", native_path::encode(own));
}

const char kHelp[] = "使い方: sazanami [動画ファイル]\n"
                     "Usage: sazanami [MOVIE]\n"
                     "\n"
                     "動画ファイルを開いて再生します。Sazanami がすでに動いているときは、\n"
                     "その Sazanami で再生し、ウィンドウを前に出します。\n"
                     "\n"
                     "  -h, --help     この説明を表示して終了します\n"
                     "  --version      バージョンを表示して終了します\n"
                     "\n"
                     "環境変数:\n"
                     "  SAZANAMI_HWDEC=no                  ハードウェアデコードを使いません\n"
                     "  SAZANAMI_RENDERER=opengl|software  映像の描画方法を選びます\n"
                     "\n"
                     "詳しくは man sazanami を、操作はヘルプ (F1) をご覧ください。\n"
                     "See the manual page sazanami(1) for the state files and details.\n";

const char kLicence[] = "Copyright (C) 2026 the Sazanami developers\n"
                        "License " SAZANAMI_LICENSE ": GNU GPL version 3 or later "
                        "<https://www.gnu.org/licenses/gpl-3.0.html>\n"
                        "This is free software: you are free to change and redistribute it.\n"
                        "There is NO WARRANTY, to the extent permitted by law.";

// --help and --version are answered before anything else starts: no window,
// no display needed.  True when the start is answered that way.
// The arguments after the program's name.  A movie's name is bytes and
// keeps them, UTF-8 or not, the way every path in the program does.
QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(native_path::decode(argv[i]));
    return arguments;
}

bool answeredWithText(int argc, char *argv[])
{
    switch (command_line::request(argumentsOf(argc, argv), native_path::currentDir())) {
    case command_line::Request::Help:
        std::fputs(kHelp, stdout);
        return true;
    case command_line::Request::Version:
        std::printf("Sazanami %d.%d.%d\n%s\n", SAZANAMI_VERSION_MAJOR, SAZANAMI_VERSION_MINOR,
                    SAZANAMI_VERSION_PATCH, kLicence);
        return true;
    case command_line::Request::Run:
        break;
    }
    return false;
}

// Qt aborts when it finds no display to open, with a message about plugins.
// A start outside a desktop session (a text console, ssh without X
// forwarding) is told what is missing instead, before anything is read or
// written.
bool displayNamed(int argc, char *argv[])
{
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(variable))
            return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
}

const char kNoDisplay[] =
    "画面が見つかりません。デスクトップのセッションの中で起動してください / "
    "No display found: run Sazanami in a desktop session (DISPLAY or WAYLAND_DISPLAY set).\n";

const char kNotHandedOver[] =
    "Sazanami はすでに動いていますが、動画を渡せませんでした / "
    "Sazanami already runs for this folder but did not take the movie (busy, or started in "
    "another session).\n";

} // namespace

int main(int argc, char *argv[])
{
    keepTheHeapFromHoarding();
    if (answeredWithText(argc, argv))
        return 0;
    if (!displayNamed(argc, argv)) {
        std::fputs(kNoDisplay, stderr);
        return 1;
    }
    chooseOpenGLIntegration();
    shareTheRuntimeFolderWithQt();

    QApplication app(argc, argv);
    // libmpv parses numbers the C way.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName("Sazanami");
    // The desktop entry the desktop matches the window with (on Wayland, its
    // application id) and the media controls name.
    QGuiApplication::setDesktopFileName("sazanami");
    // Before any window is made: the texts of Qt's buttons are taken then.
    qt_language::useJapanese(app);

    StartupOptions options;
    // What QApplication left of the command line once it took its own
    // options.
    options.arguments = argumentsOf(argc, argv);
    options.currentDir = native_path::currentDir();

    Player player;
    if (!player.Form_Load(options)) {
        if (player.handedOver())
            return 0;
        std::fputs(kNotHandedOver, stderr);
        return 1;
    }
    return QApplication::exec();
}
