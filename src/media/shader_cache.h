#pragma once

#include <QString>

// mpv keeps the OpenGL programs it compiled for the picture in a folder of
// the user's cache, so that later starts load them instead of compiling them
// again (where the driver hands compiled programs out).
namespace shader_cache
{

// <cache>/sazanami/shaders ($XDG_CACHE_HOME or ~/.cache), made when missing:
// the user's alone (0700), and never a folder reached through a symbolic link
// or owned by someone else.  Empty when it cannot be had that way.
QString folder();

} // namespace shader_cache
