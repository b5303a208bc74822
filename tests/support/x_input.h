#pragma once

// Real input for a test: X events sent through the XTest extension to the
// test's X server, with a window manager of its own (openbox) that moves,
// raises and focuses windows as on a desktop.  Built only with XTest
// (SAZANAMI_HAVE_XTEST), the tests that use it link X11 and Xtst.

#include <QGuiApplication>
#include <QPoint>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTest>
#include <initializer_list>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

class XInput
{
public:
    ~XInput()
    {
        if (windowManager_.state() != QProcess::NotRunning) {
            windowManager_.terminate();
            windowManager_.waitForFinished(5000);
        }
        if (x_)
            XCloseDisplay(x_);
    }

    // Why real input cannot be had here, or "" once the window manager runs.
    QString start()
    {
        if (QGuiApplication::platformName() != "xcb")
            return "needs an X server";
        for (const char *tool : {"openbox", "wmctrl"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                return "needs openbox and wmctrl";
        x_ = XOpenDisplay(nullptr);
        int event = 0, error = 0, major = 0, minor = 0;
        if (!x_ || !XTestQueryExtension(x_, &event, &error, &major, &minor))
            return "needs the XTEST extension";
        windowManager_.start("openbox", {"--sm-disable"});
        if (!windowManager_.waitForStarted())
            return "openbox did not start";
        for (int i = 0; i < 100 && QProcess::execute("wmctrl", {"-m"}) != 0; ++i)
            QTest::qWait(100);
        return {};
    }

    void down(KeySym key) { sendKey(key, true); }
    void up(KeySym key) { sendKey(key, false); }
    // A chord: keys pressed in order, let go in reverse order.
    void chord(std::initializer_list<KeySym> keys)
    {
        for (KeySym key : keys)
            down(key);
        for (auto it = std::rbegin(keys); it != std::rend(keys); ++it)
            up(*it);
    }

    void moveTo(QPoint global)
    {
        XTestFakeMotionEvent(x_, -1, global.x(), global.y(), CurrentTime);
        XFlush(x_);
    }
    void button(int number, bool pressed)
    {
        XTestFakeButtonEvent(x_, unsigned(number), pressed ? True : False, CurrentTime);
        XFlush(x_);
    }

    // The test's own connection, for questions to the X server.
    Display *display() const { return x_; }

private:
    void sendKey(KeySym key, bool pressed)
    {
        XTestFakeKeyEvent(x_, XKeysymToKeycode(x_, key), pressed ? True : False, CurrentTime);
        XFlush(x_);
    }

    Display *x_ = nullptr;
    QProcess windowManager_;
};
