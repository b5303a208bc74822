#include "input/key_events.h"

#include "base/keyboard_layout.h"
#include "base/virtual_keys.h"

#include <QGuiApplication>
#include <QKeyEvent>

#include <xcb/xcb.h>

namespace
{

// The unshifted symbol of a key in the X server's keyboard mapping, which
// follows the layout chosen now (setxkbmap, the desktop's layout switch);
// 0 when there is no X server to ask.
uint32_t baseKeysymOf(int keycode)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return 0;
    const auto cookie = xcb_get_keyboard_mapping(connection, xcb_keycode_t(keycode), 1);
    xcb_get_keyboard_mapping_reply_t *reply =
        xcb_get_keyboard_mapping_reply(connection, cookie, nullptr);
    if (!reply)
        return 0;
    const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(reply);
    const uint32_t keysym = xcb_get_keyboard_mapping_keysyms_length(reply) > 0 ? keysyms[0] : 0;
    free(reply);
    return keysym;
}

// Asked at every such key rather than remembered: the user may switch
// layouts at any time, and these keys are few and far between.
keyboard_layout::Layout currentLayout()
{
    return keyboard_layout::fromAe12Keysym(baseKeysymOf(keyboard_layout::kAe12Keycode));
}

// Key events from the X server carry the physical key; the layout then
// tells its code.  Synthetic events and other platforms carry none.
int codeOfPhysicalKey(const QKeyEvent &event)
{
    const int keycode = int(event.nativeScanCode());
    if (keycode <= 0 || event.modifiers().testFlag(Qt::KeypadModifier))
        return 0;
    if (keyboard_layout::virtualKeyOf(keyboard_layout::Layout::US, keycode) == 0 &&
        keyboard_layout::virtualKeyOf(keyboard_layout::Layout::Japanese, keycode) == 0)
        return 0;
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return 0;
    return keyboard_layout::virtualKeyOf(currentLayout(), keycode);
}

} // namespace

int virtual_keys::fromKeyEvent(const QKeyEvent &event)
{
    if (const int code = codeOfPhysicalKey(event))
        return code;
    return fromQtKey(event.key(), event.modifiers());
}
