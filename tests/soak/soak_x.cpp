// The soak's hands and stopwatch on the X server: real key presses and
// pointer clicks through XTest, and the round trip of a _NET_WM_PING, which
// the player's GUI thread answers, to time how long its event loop stalls.
//
// Reads one command a line on standard input and answers one line each:
//   key KEYSYM [ctrl|alt|shift ...]   press and release a key with modifiers
//   click X Y BUTTON                  press and release a button at X,Y (root)
//   drag X1 Y X2 [ctrl]               left-button drag from X1 to X2 on row Y
//   geometry WINDOW                   "X Y W H" of the window's inside (root)
//   ping WINDOW TIMEOUT_MS            milliseconds until the answer, or -1
//   numlock                           turns Num Lock on (keypad digits)
// Answers "ok", a value, or "error: ...".

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

Display *display = nullptr;

void pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

KeyCode keycodeOf(const std::string &name)
{
    const KeySym sym = XStringToKeysym(name.c_str());
    return sym == NoSymbol ? 0 : XKeysymToKeycode(display, sym);
}

KeyCode modifierKey(const std::string &name)
{
    if (name == "ctrl")
        return keycodeOf("Control_L");
    if (name == "alt")
        return keycodeOf("Alt_L");
    if (name == "shift")
        return keycodeOf("Shift_L");
    return 0;
}

// Held for a moment, as a hand does: the player acts on the release and
// some of its keys look at what is held at the press.
std::string pressKey(std::istringstream &args)
{
    std::string name;
    args >> name;
    const KeyCode key = keycodeOf(name);
    if (!key)
        return "error: unknown key " + name;
    std::vector<KeyCode> modifiers;
    for (std::string m; args >> m;) {
        const KeyCode code = modifierKey(m);
        if (!code)
            return "error: unknown modifier " + m;
        modifiers.push_back(code);
    }
    for (KeyCode m : modifiers)
        XTestFakeKeyEvent(display, m, True, CurrentTime);
    XTestFakeKeyEvent(display, key, True, CurrentTime);
    XFlush(display);
    pause(30);
    XTestFakeKeyEvent(display, key, False, CurrentTime);
    for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m)
        XTestFakeKeyEvent(display, *m, False, CurrentTime);
    XFlush(display);
    return "ok";
}

void movePointer(int x, int y)
{
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XFlush(display);
    pause(20);
}

std::string click(std::istringstream &args)
{
    int x = 0, y = 0, button = 1;
    if (!(args >> x >> y >> button))
        return "error: click X Y BUTTON";
    movePointer(x, y);
    XTestFakeButtonEvent(display, unsigned(button), True, CurrentTime);
    XFlush(display);
    pause(30);
    XTestFakeButtonEvent(display, unsigned(button), False, CurrentTime);
    XFlush(display);
    return "ok";
}

// In steps, so that the widget sees the pointer move while the button is
// down.
std::string drag(std::istringstream &args)
{
    int x1 = 0, y = 0, x2 = 0;
    if (!(args >> x1 >> y >> x2))
        return "error: drag X1 Y X2 [ctrl]";
    std::string modifier;
    args >> modifier;
    const KeyCode ctrl = modifier == "ctrl" ? keycodeOf("Control_L") : 0;
    movePointer(x1, y);
    if (ctrl)
        XTestFakeKeyEvent(display, ctrl, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XFlush(display);
    pause(30);
    constexpr int kSteps = 8;
    for (int i = 1; i <= kSteps; ++i)
        movePointer(x1 + (x2 - x1) * i / kSteps, y);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    if (ctrl)
        XTestFakeKeyEvent(display, ctrl, False, CurrentTime);
    XFlush(display);
    return "ok";
}

Window windowArg(std::istringstream &args)
{
    std::string text;
    args >> text;
    return Window(std::strtoul(text.c_str(), nullptr, 0));
}

std::string geometry(std::istringstream &args)
{
    const Window window = windowArg(args);
    XWindowAttributes attributes{};
    if (!window || !XGetWindowAttributes(display, window, &attributes))
        return "error: no such window";
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    std::ostringstream out;
    out << x << ' ' << y << ' ' << attributes.width << ' ' << attributes.height;
    return out.str();
}

// The window answers by sending the message back to the root window, to the
// clients that listen there for structure events (Qt's choice of mask).
std::string ping(std::istringstream &args)
{
    const Window window = windowArg(args);
    long timeoutMs = 0;
    args >> timeoutMs;
    static long serial = 1;
    const long stamp = ++serial;
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom pingAtom = XInternAtom(display, "_NET_WM_PING", False);

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(pingAtom);
    event.xclient.data.l[1] = stamp;
    event.xclient.data.l[2] = long(window);
    const auto start = Clock::now();
    if (!XSendEvent(display, window, False, NoEventMask, &event))
        return "error: send failed";
    XFlush(display);
    const auto deadline = start + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        while (XPending(display)) {
            XEvent reply{};
            XNextEvent(display, &reply);
            if (reply.type == ClientMessage && reply.xclient.message_type == protocols &&
                Atom(reply.xclient.data.l[0]) == pingAtom && reply.xclient.data.l[1] == stamp) {
                const auto took = std::chrono::duration<double, std::milli>(Clock::now() - start);
                std::ostringstream out;
                out << took.count();
                return out.str();
            }
        }
        pause(1);
    }
    return "-1";
}

std::string numLock()
{
    const unsigned mask = XkbKeysymToModifiers(display, XStringToKeysym("Num_Lock"));
    if (!mask)
        return "error: no Num Lock modifier";
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    if (!(state.locked_mods & mask)) {
        std::istringstream numLockKey("Num_Lock");
        pressKey(numLockKey);
        XSync(display, False);
        XkbGetState(display, XkbUseCoreKbd, &state);
    }
    return (state.locked_mods & mask) ? "ok" : "error: Num Lock stays off";
}

std::string run(const std::string &line)
{
    std::istringstream args(line);
    std::string command;
    args >> command;
    if (command == "key")
        return pressKey(args);
    if (command == "click")
        return click(args);
    if (command == "drag")
        return drag(args);
    if (command == "geometry")
        return geometry(args);
    if (command == "ping")
        return ping(args);
    if (command == "numlock")
        return numLock();
    return "error: unknown command " + command;
}

// A window that went away between a look-up and its use is an answer, not
// the end of the helper.
int ignoreErrors(Display *, XErrorEvent *)
{
    return 0;
}

} // namespace

int main()
{
    display = XOpenDisplay(nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    if (!display || !XTestQueryExtension(display, &event, &error, &major, &minor)) {
        std::cerr << "soak_x: needs an X server with the XTEST extension\n";
        return 2;
    }
    XSetErrorHandler(ignoreErrors);
    XSelectInput(display, DefaultRootWindow(display), StructureNotifyMask);
    for (std::string line; std::getline(std::cin, line);) {
        if (!line.empty())
            std::cout << run(line) << std::endl;
    }
    XCloseDisplay(display);
    return 0;
}
