// Keys typed on a real keyboard, as X events sent through XTest into a real
// window, get the codes that their layout's own Windows driver gives them:
// on a Japanese keyboard "@" is not "2", "^" is not "6", and Shift never
// changes a key's code.

#include "input/key_events.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>

#ifdef SAZANAMI_HAVE_XTEST
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#endif

namespace
{

class KeyRecorder : public QWidget
{
public:
    QList<int> codes;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() != Qt::Key_Shift)
            codes.append(virtual_keys::fromKeyEvent(*event));
    }
};

QString currentLayout()
{
    QProcess query;
    query.start("setxkbmap", {"-query"});
    query.waitForFinished(5000);
    const auto match = QRegularExpression(R"(layout:\s*(\S+))")
                           .match(QString::fromLocal8Bit(query.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1) : QStringLiteral("us");
}

// X key codes of the keys typed: "2", Shift+"2", the keys right of "P", of
// "0" (two), of "L" (two), above Enter, and "A".
constexpr int kShift = 50;
const QList<int> kKeys = {11, -11, 34, 20, 21, 47, 48, 51, 38};

} // namespace

class TestPhysicalKeys : public QObject
{
    Q_OBJECT

#ifdef SAZANAMI_HAVE_XTEST
    Display *display_ = nullptr;
    QString layoutBefore_;

    void type(KeyRecorder &window, int keycode)
    {
        const bool shifted = keycode < 0;
        const unsigned code = unsigned(shifted ? -keycode : keycode);
        const int before = int(window.codes.size());
        if (shifted)
            XTestFakeKeyEvent(display_, kShift, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        if (shifted)
            XTestFakeKeyEvent(display_, kShift, False, CurrentTime);
        XFlush(display_);
        QTRY_COMPARE_WITH_TIMEOUT(int(window.codes.size()), before + 1, 3000);
    }

    QList<int> typeAllIn(const QString &layout)
    {
        QProcess::execute("setxkbmap", {"-layout", layout});
        KeyRecorder window;
        window.resize(200, 100);
        window.show();
        window.activateWindow();
        [&] { QTRY_COMPARE(QGuiApplication::focusWindow(), window.windowHandle()); }();
        for (int key : kKeys)
            type(window, key);
        return window.codes;
    }

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != "xcb")
            QSKIP("needs an X server");
        if (QStandardPaths::findExecutable("setxkbmap").isEmpty())
            QSKIP("needs setxkbmap");
        display_ = XOpenDisplay(nullptr);
        int event = 0, error = 0, major = 0, minor = 0;
        if (!display_ || !XTestQueryExtension(display_, &event, &error, &major, &minor))
            QSKIP("needs the XTEST extension");
        layoutBefore_ = currentLayout();
    }

    void cleanupTestCase()
    {
        if (!layoutBefore_.isEmpty())
            QProcess::execute("setxkbmap", {"-layout", layoutBefore_});
        if (display_)
            XCloseDisplay(display_);
    }

    void usKeyboard()
    {
        QCOMPARE(typeAllIn("us"), QList<int>({50, 50, 219, 189, 187, 186, 222, 220, 65}));
    }

    void japaneseKeyboard()
    {
        QCOMPARE(typeAllIn("jp"), QList<int>({50, 50, 192, 189, 222, 187, 186, 221, 65}));
    }
#else
private slots:
    void initTestCase()
    {
        QSKIP("built without XTest");
    }
#endif
};

QTEST_MAIN(TestPhysicalKeys)

#include "test_physical_keys.moc"
