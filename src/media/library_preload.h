#pragma once

#include <string>

// Loading a shared library holds a lock that the whole process shares: while
// another thread loads something as big as libmpv with its two hundred
// dependencies in one go, the GUI thread cannot even start a thread or look up
// an OpenGL function.  Loading the dependencies one at a time, each after its
// own dependencies, lets such short waits slip in between.
namespace library_preload
{

// Loads what the library named `soname` depends on, directly and indirectly,
// one library per call to the dynamic loader, leaves first.  Best effort:
// whatever cannot be found or loaded this way is left to the loading of the
// library itself.
void loadDependencies(const std::string &soname);

} // namespace library_preload
