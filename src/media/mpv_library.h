#pragma once

// libmpv is loaded at run time rather than linked: it brings in most of
// FFmpeg and a hundred other libraries, and resolving them takes longer than
// starting Qt.  Loaded on a worker thread while the window is being built, it
// is no longer on the way to the first picture.
//
// The program calls the mpv_* functions of <mpv/client.h> and <mpv/render.h>
// as usual; this module defines them and forwards each call to the loaded
// library.
namespace mpv_library
{

// Loads libmpv once; later and concurrent calls wait for that one load.
// False when the library cannot be loaded: mpv_create() then returns null
// and the program runs without playback.
bool load();

} // namespace mpv_library
