#include "engine/image/Sharpen.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace vexo::engine {
namespace {

constexpr double kDegreesPerRadian = 180 / 3.14159265358979323846;

// Means over 2 * radius + 1 samples along one line (cut at its ends), read
// with `step` between samples, written one after another into `out`.
void BoxLine(const UInt8* in, Int32 count, Int32 step, Int32 radius, std::vector<UInt32>& sums,
             UInt8* out) {
  sums.assign(static_cast<std::size_t>(count) + 1, 0);
  for (Int32 i = 0; i < count; ++i) {
    sums[static_cast<std::size_t>(i) + 1] = sums[static_cast<std::size_t>(i)] + in[i * step];
  }
  for (Int32 i = 0; i < count; ++i) {
    const Int32 a = std::max(i - radius, 0), b = std::min(i + radius, count - 1);
    const UInt32 sum = sums[static_cast<std::size_t>(b) + 1] - sums[static_cast<std::size_t>(a)];
    const auto n = static_cast<UInt32>(b - a + 1);
    out[i] = static_cast<UInt8>((sum + n / 2) / n);
  }
}

// Each gradient votes for `fold` times its angle, weighted by its strength:
// the edge directions of a grid, a turn by its symmetry apart, then agree.
// The multiple angles come from the double angle without trigonometry.
GridAngle FoldedAngle(const UInt8* pixels, Int32 stride, Int32 left, Int32 top, Int32 width,
                      Int32 height, int fold) {
  double c = 0, s = 0, total = 0;
  for (Int32 y = top + 1; y + 1 < top + height; ++y) {
    const UInt8* row = pixels + static_cast<std::ptrdiff_t>(y) * stride;
    for (Int32 x = left + 1; x + 1 < left + width; ++x) {
      const double gx = row[x + 1] - row[x - 1];
      const double gy = row[x + stride] - row[x - stride];
      const double m = gx * gx + gy * gy;
      if (m == 0) continue;
      const double c2 = (gx * gx - gy * gy) / m, s2 = 2 * gx * gy / m;
      if (fold == 4) {
        c += m * (c2 * c2 - s2 * s2);
        s += m * 2 * c2 * s2;
      } else {  // 6: three times the double angle
        c += m * (4 * c2 * c2 * c2 - 3 * c2);
        s += m * (3 * s2 - 4 * s2 * s2 * s2);
      }
      total += m;
    }
  }
  if (total == 0) return {};
  // y grows downwards: the angle of atan2 is clockwise as seen.
  return {-std::atan2(s, c) / fold * kDegreesPerRadian, std::hypot(c, s) / total};
}

}  // namespace

GridAngle SquareGridAngle(const UInt8* pixels, Int32 stride, Int32 left, Int32 top, Int32 width,
                          Int32 height) {
  return FoldedAngle(pixels, stride, left, top, width, height, 4);
}

GridAngle HexGridAngle(const UInt8* pixels, Int32 stride, Int32 left, Int32 top, Int32 width,
                       Int32 height) {
  // Upright hexagons face 30 degrees and on: shift that to 0.
  GridAngle grid = FoldedAngle(pixels, stride, left, top, width, height, 6);
  grid.degrees = std::remainder(grid.degrees - 30, 60.0);
  return grid;
}

void Sharpen(LumaImage& image, Int32 radius, double amount) {
  if (image.width <= 0 || image.height <= 0 || radius <= 0) return;
  LumaImage blurred = image;
  SmoothRows(blurred, radius);
  SmoothColumns(blurred, radius);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    const double value = image.pixels[i] + amount * (image.pixels[i] - blurred.pixels[i]);
    image.pixels[i] = static_cast<UInt8>(std::clamp(std::lround(value), 0L, 255L));
  }
}

void SmoothColumns(LumaImage& image, Int32 radius) {
  if (image.width <= 0 || image.height <= 0 || radius <= 0) return;
  std::vector<UInt32> sums;
  std::vector<UInt8> line(static_cast<std::size_t>(image.height));
  for (Int32 x = 0; x < image.width; ++x) {
    BoxLine(image.Row(0) + x, image.height, image.width, radius, sums, line.data());
    for (Int32 y = 0; y < image.height; ++y) image.Row(y)[x] = line[static_cast<std::size_t>(y)];
  }
}

void SmoothRows(LumaImage& image, Int32 radius) {
  if (image.width <= 0 || image.height <= 0 || radius <= 0) return;
  std::vector<UInt32> sums;
  std::vector<UInt8> line(static_cast<std::size_t>(image.width));
  for (Int32 y = 0; y < image.height; ++y) {
    BoxLine(image.Row(y), image.width, 1, radius, sums, line.data());
    std::copy(line.begin(), line.end(), image.Row(y));
  }
}

void RelativeToSurround(LumaImage& image, Int32 radius) {
  LumaImage mean = image;
  SmoothRows(mean, radius);
  SmoothColumns(mean, radius);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    image.pixels[i] = static_cast<UInt8>(
        std::min<UInt32>(255, UInt32{image.pixels[i]} * 128 / std::max<UInt32>(mean.pixels[i], 8)));
  }
}

}  // namespace vexo::engine
