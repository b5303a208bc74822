#pragma once

class QKeyEvent;

namespace virtual_keys
{

// The virtual-key code of a key event, 0 for a key without one.
int fromKeyEvent(const QKeyEvent &event);

} // namespace virtual_keys
