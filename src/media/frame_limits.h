#pragma once

#include <cstdint>

namespace frame_limits
{

// The largest picture decoded, in pixels, whether for playing or for a
// thumbnail.  A small file may declare frames of any size, and a decoder
// would allocate (and clear) every one of them; 8192 x 8192 still takes any
// real movie, 8K included.
inline constexpr int64_t kMaxPixels = int64_t(8192) * 8192;

} // namespace frame_limits
