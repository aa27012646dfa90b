#pragma once
// A picture of what was found: the page in colour with each symbol's outline,
// a tick at its first corner and a label, encoded as PNG. For people to look
// at; the worker never draws.

#include <array>
#include <string>
#include <vector>

#include "engine/core/Status.h"
#include "engine/image/LumaImage.h"

namespace vexo::engine {

struct PageMark {
  // x1, y1 .. x4, y4 in pixels: top-left, top-right, bottom-right,
  // bottom-left of the symbol as it is read.
  std::array<double, 8> corners{};
  std::string label;  // printable ASCII; other bytes are drawn as '?'
};

// The outline's colour (0xRRGGBB): tests find the drawn pixels by it.
inline constexpr UInt32 kOutlineColour = 0xE01010;
inline constexpr UInt32 kLabelColour = 0x1030C0;

// kStatusSuccess with `png` holding the file's bytes, kStatusOutOfMemory or
// kStatusInternalError. Corners outside the page are pulled onto its edge.
// Never throws; prints nothing.
EngineStatus DrawMarksAsPng(const LumaImage& page, const std::vector<PageMark>& marks,
                            std::string& png);

}  // namespace vexo::engine
