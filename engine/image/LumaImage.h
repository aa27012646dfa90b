#pragma once
// An 8-bit luminance image, the form every reader works on.

#include <cstddef>
#include <vector>

#include "Common/Types.h"

namespace vexo::engine {

struct LumaImage {
  Int32 width = 0;
  Int32 height = 0;
  Int32 xDpi = 0;  // 0 when the file gives no resolution
  Int32 yDpi = 0;
  std::vector<UInt8> pixels;  // row-major, one byte per pixel, stride == width

  const UInt8* Row(Int32 y) const { return pixels.data() + static_cast<std::size_t>(y) * width; }
  UInt8* Row(Int32 y) { return pixels.data() + static_cast<std::size_t>(y) * width; }
};

}  // namespace vexo::engine
