#pragma once
// Symbols drawn with the zint command line at test time, as gray pixels.

#include <array>
#include <string>
#include <vector>

#include "engine/zx/Quad.h"
#include "engine/zx/ZxReader.h"

namespace vexo::test {

struct Gray {
  Int32 width = 0;
  Int32 height = 0;
  std::vector<UInt8> pixels;  // stride == width

  static Gray White(Int32 width, Int32 height);
  UInt8& At(Int32 x, Int32 y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

using Corners = std::array<engine::PointD, 4>;  // whole pixels

// `zint -b <args>` at `scale` (one module: 2 * scale pixels).
Gray DrawSymbol(const std::string& args, double scale);
// The same, drawn once per process and kept.
const Gray& DrawnSymbol(const std::string& args, double scale);
// One symbol per content, all drawn by one `zint -b <args> --batch` run.
std::vector<Gray> DrawSymbols(const std::string& args, const std::vector<std::string>& contents,
                              double scale);
// A Patch Code of our own drawing (zint has none) at `dpi`: bars 2.5 in
// long, standing, wide (0.20 in, 'W' in `bars`) or narrow (0.08 in, 'N'),
// 0.08 in apart, first bar at the left; no margin.
Gray DrawPatch(const std::string& bars, int dpi);
// The 8-bit PGM that `command` writes to its standard output; a test failure
// and an empty image when it writes none.
Gray ReadPgmFrom(const std::string& command);
// The image turned clockwise by `rotate` degrees (a multiple of 90).
Gray Turned(const Gray& image, int rotate);
// Copies `symbol` into `page` with its top-left pixel at (x, y).
void Place(Gray& page, const Gray& symbol, Int32 x, Int32 y);
// Corners of the box around the dark pixels at columns x0..x1 (default: all).
Corners DarkCorners(const Gray& image, Int32 x0 = 0, Int32 x1 = -1);
// Where corners of `image` land when it is turned and placed at (dx, dy).
Corners Moved(Corners corners, const Gray& image, int rotate, Int32 dx, Int32 dy);
// `symbol` turned by `rotate` on a white page with a margin; corners of its
// dark area in reading order, in page coordinates.
Gray OnPage(const Gray& symbol, int rotate, Corners* corners = nullptr);

// One read of the whole image by the library's reader, wired as the engine
// wires it (library reads of stacked DataBar rows dropped).
std::vector<engine::Detection> Read(const Gray& image, const engine::ViewSettings& settings);
void ExpectCorners(const engine::Detection& found, const Corners& expected, double tolerance);
engine::ViewSettings Wanting(std::initializer_list<engine::Symbology> symbologies);
std::vector<UInt8> Bytes(const std::string& text);

}  // namespace vexo::test
