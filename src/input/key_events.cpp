#include "input/key_events.h"

#include "base/virtual_keys.h"

#include <QKeyEvent>

int virtual_keys::fromKeyEvent(const QKeyEvent &event)
{
    return fromQtKey(event.key(), event.modifiers());
}
