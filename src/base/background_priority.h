#pragma once

// Work the window does not wait for, done on threads of its own (a search's
// walk, a big folder's reading), gives way to the window's thread and to
// Qt's drawing helpers: the window waits for those while it paints, and on a
// machine with few cores a busy search would otherwise hold them back for
// tens of milliseconds.
namespace background_priority
{

// Lowers the calling thread's priority; threads it starts afterwards keep
// the lower priority.  Failing to is harmless and goes unsaid.
void lowerThisThread();

} // namespace background_priority
