#include "tests/engine/SymbolImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>

#include "engine/stacked/StackedDataBar.h"
#include "tests/support/TempDir.h"

namespace vexo::test {

Gray Gray::White(Int32 width, Int32 height) {
  return {width, height, std::vector<UInt8>(static_cast<std::size_t>(width) * height, 255)};
}

namespace {

using Pipe = std::unique_ptr<FILE, int (*)(FILE*)>;

// The next 8-bit PGM of the stream; false at its end or on a fault.
bool ReadPgm(FILE* in, Gray& image) {
  int maxValue = 0;
  if (std::fscanf(in, " P5 %d %d %d", &image.width, &image.height, &maxValue) != 3 ||
      std::fgetc(in) == EOF || maxValue != 255 || image.width <= 0 || image.height <= 0) {
    return false;
  }
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  return std::fread(image.pixels.data(), 1, image.pixels.size(), in) == image.pixels.size();
}

}  // namespace

Gray ReadPgmFrom(const std::string& command) {
  const Pipe pipe(::popen(command.c_str(), "r"), ::pclose);
  Gray image;
  if (!pipe || !ReadPgm(pipe.get(), image)) {
    ADD_FAILURE() << command;
    return {};
  }
  return image;
}

std::vector<Gray> DrawSymbols(const std::string& args, const std::vector<std::string>& contents,
                              double scale) {
  const TempDir dir;
  {
    std::ofstream list(dir.File("in.txt"));
    for (const std::string& content : contents) list << content << '\n';
  }
  // zint numbers its files in input order; the shell lists them in that order.
  const std::string command = "zint -b " + args + " --scale=" + std::to_string(scale) +
                              " --batch -i " + dir.File("in.txt") + " -o " +
                              dir.File("s~~~~~.png") + " >/dev/null 2>&1 && convert " +
                              dir.File("s*.png") + " -depth 8 pgm:-";
  const Pipe pipe(::popen(command.c_str(), "r"), ::pclose);
  std::vector<Gray> symbols(contents.size());
  for (Gray& symbol : symbols) {
    if (!pipe || !ReadPgm(pipe.get(), symbol)) {
      ADD_FAILURE() << command;
      return {};
    }
  }
  return symbols;
}

// zint writes the PNG to a pipe; ImageMagick turns it into an 8-bit PGM.
Gray DrawSymbol(const std::string& args, double scale) {
  return ReadPgmFrom("zint -b " + args + " --scale=" + std::to_string(scale) +
                     " --filetype=png --direct 2>/dev/null | convert png:- -depth 8 pgm:-");
}

const Gray& DrawnSymbol(const std::string& args, double scale) {
  static std::map<std::pair<std::string, double>, Gray> cache;
  const auto key = std::make_pair(args, scale);
  auto it = cache.find(key);
  if (it == cache.end()) it = cache.emplace(key, DrawSymbol(args, scale)).first;
  return it->second;
}

Gray DrawPatch(const std::string& bars, int dpi) {
  constexpr double kWide = 0.2, kNarrow = 0.08, kLength = 2.5;
  const auto pixels = [&](double inches) { return static_cast<Int32>(std::lround(inches * dpi)); };
  double width = kNarrow * static_cast<double>(bars.size() - 1);
  for (const char bar : bars) width += bar == 'W' ? kWide : kNarrow;
  Gray patch = Gray::White(pixels(width), pixels(kLength));
  double at = 0;
  for (const char bar : bars) {
    const double next = at + (bar == 'W' ? kWide : kNarrow);
    for (Int32 y = 0; y < patch.height; ++y) {
      for (Int32 x = pixels(at); x < pixels(next); ++x) patch.At(x, y) = 0;
    }
    at = next + kNarrow;
  }
  return patch;
}

void Place(Gray& page, const Gray& symbol, Int32 x, Int32 y) {
  for (Int32 row = 0; row < symbol.height; ++row) {
    std::copy_n(symbol.pixels.begin() + std::ptrdiff_t(row) * symbol.width, symbol.width,
                page.pixels.begin() + std::ptrdiff_t(y + row) * page.width + x);
  }
}

Gray Turned(const Gray& image, int rotate) {
  const bool across = rotate % 180 != 0;
  Gray out = Gray::White(across ? image.height : image.width, across ? image.width : image.height);
  for (Int32 y = 0; y < image.height; ++y) {
    for (Int32 x = 0; x < image.width; ++x) {
      const engine::PointD p = Moved({{{double(x), double(y)}}}, image, rotate, 0, 0)[0];
      out.At(Int32(p.x), Int32(p.y)) = image.pixels[std::size_t(y) * image.width + x];
    }
  }
  return out;
}

Corners DarkCorners(const Gray& image, Int32 x0, Int32 x1) {
  if (x1 < 0) x1 = image.width - 1;
  Int32 left = image.width, top = image.height, right = -1, bottom = -1;
  for (Int32 y = 0; y < image.height; ++y) {
    for (Int32 x = x0; x <= x1; ++x) {
      if (image.pixels[std::size_t(y) * image.width + x] >= 128) continue;
      left = std::min(left, x), right = std::max(right, x);
      top = std::min(top, y), bottom = std::max(bottom, y);
    }
  }
  const double l = left, t = top, r = right, b = bottom;
  return {{{l, t}, {r, t}, {r, b}, {l, b}}};
}

Corners Moved(Corners corners, const Gray& image, int rotate, Int32 dx, Int32 dy) {
  const double w = image.width - 1, h = image.height - 1;
  for (engine::PointD& p : corners) {
    switch (rotate % 360) {
      case 90:
        p = {h - p.y, p.x};
        break;
      case 180:
        p = {w - p.x, h - p.y};
        break;
      case 270:
        p = {p.y, w - p.x};
        break;
      default:
        break;
    }
    p = {p.x + dx, p.y + dy};
  }
  return corners;
}

Gray OnPage(const Gray& symbol, int rotate, Corners* corners) {
  constexpr Int32 kMargin = 40;
  const Gray turned = Turned(symbol, rotate);
  Gray page = Gray::White(turned.width + 2 * kMargin, turned.height + 2 * kMargin);
  Place(page, turned, kMargin, kMargin);
  if (corners != nullptr) *corners = Moved(*corners, symbol, rotate, kMargin, kMargin);
  return page;
}

std::vector<engine::Detection> Read(const Gray& image, const engine::ViewSettings& settings) {
  return engine::ReadWithZx(image.pixels.data(), image.width, image.height, image.width, settings,
                            engine::StackedDataBarsAround);
}

void ExpectCorners(const engine::Detection& found, const Corners& expected, double tolerance) {
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(found.corners[i].x, expected[i].x, tolerance) << "corner " << i;
    EXPECT_NEAR(found.corners[i].y, expected[i].y, tolerance) << "corner " << i;
  }
}

engine::ViewSettings Wanting(std::initializer_list<engine::Symbology> symbologies) {
  engine::ViewSettings settings;
  for (const engine::Symbology s : symbologies) settings.symbologies.set(engine::Index(s));
  return settings;
}

std::vector<UInt8> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace vexo::test
