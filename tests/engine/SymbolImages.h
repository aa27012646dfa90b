#pragma once
// Symbols drawn with the zint command line at test time, as gray pixels.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/zx/ZxReader.h"

namespace vexo::test {

struct Gray {
  Int32 width = 0;
  Int32 height = 0;
  std::vector<UInt8> pixels;  // stride == width

  static Gray White(Int32 width, Int32 height);
  UInt8& At(Int32 x, Int32 y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

using Corners = std::array<engine::PointI, 4>;

// `zint -b <args>` at `scale`, turned by `rotate` degrees clockwise.
Gray DrawSymbol(const std::string& args, double scale, int rotate = 0);
// Copies `symbol` into `page` with its top-left pixel at (x, y).
void Place(Gray& page, const Gray& symbol, Int32 x, Int32 y);
// Corners, in reading order for a symbol turned by `rotate`, of the box
// around the dark pixels at columns x0..x1 (default: all).
Corners DarkCorners(const Gray& image, int rotate, Int32 x0 = 0, Int32 x1 = -1);
Corners Shifted(Corners corners, Int32 dx, Int32 dy);

std::vector<engine::Detection> Read(const Gray& image, const engine::ZxSettings& settings);
engine::ZxSettings Wanting(std::initializer_list<engine::Symbology> symbologies);
std::vector<UInt8> Bytes(const std::string& text);

}  // namespace vexo::test
