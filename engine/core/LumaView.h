#pragma once
// A read-only window on 8-bit luminance pixels.

#include <cstddef>

#include "Common/Types.h"
#include "engine/core/Geometry.h"
#include "engine/image/LumaImage.h"

namespace vexo::engine {

struct LumaView {
  const UInt8* pixels = nullptr;
  Int32 width = 0;
  Int32 height = 0;
  Int32 stride = 0;  // bytes from one row to the next

  const UInt8* Row(Int32 y) const { return pixels + static_cast<std::ptrdiff_t>(y) * stride; }
  bool Empty() const { return width <= 0 || height <= 0; }
};

inline LumaView ViewOf(const LumaImage& image) {
  return {image.pixels.data(), image.width, image.height, image.width};
}

}  // namespace vexo::engine
