#pragma once

// Whether this session draws the picture with OpenGL: the machine calls for it
// (see renderer_choice.h) and an OpenGL context can be made.  Asking creates a
// context, which
// loads the graphics driver; that is the slowest step of showing the first
// window, so it may be asked ahead on a worker thread.
namespace opengl_check
{

// Asks once; later and concurrent calls wait for that answer.  Call on the GUI
// thread, or through warmUp().
bool available();

// Asks on the calling worker thread when the platform lets a context be made
// there; otherwise leaves the question to the GUI thread.
void warmUp();

} // namespace opengl_check
