#include "engine/core/ViewTransform.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

namespace vexo::engine {
namespace {

constexpr UInt8 kWhite = 255;
constexpr Int32 kTile = 64;  // quarter turns copy in tiles to stay in cache

LumaImage Blank(Int32 width, Int32 height, UInt8 fill) {
  LumaImage image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill);
  return image;
}

}  // namespace

LumaView CropView(const LumaView& view, Int32 left, Int32 top, Int32 width, Int32 height) {
  return {view.Row(top) + left, width, height, view.stride};
}

DerivedImage CropPadded(const LumaView& view, Int32 left, Int32 top, Int32 width, Int32 height,
                        Int32 margin) {
  DerivedImage out{Blank(width + 2 * margin, height + 2 * margin, kWhite),
                   AffineMap::Translation(left - margin, top - margin)};
  const Int32 x0 = std::max(left, 0), x1 = std::min(left + width, view.width);
  const Int32 y0 = std::max(top, 0), y1 = std::min(top + height, view.height);
  for (Int32 y = y0; y < y1 && x0 < x1; ++y) {
    std::copy(view.Row(y) + x0, view.Row(y) + x1,
              out.image.Row(y - top + margin) + (x0 - left + margin));
  }
  return out;
}

DerivedImage HalveView(const LumaView& view) {
  DerivedImage out{Blank(view.width / 2, view.height / 2, kWhite), AffineMap::Scale(2)};
  LumaImage& half = out.image;
  for (Int32 y = 0; y < half.height; ++y) {
    const UInt8* upper = view.Row(2 * y);
    const UInt8* lower = view.Row(2 * y + 1);
    UInt8* row = half.Row(y);
    for (Int32 x = 0; x < half.width; ++x) {
      const int sum = upper[2 * x] + upper[2 * x + 1] + lower[2 * x] + lower[2 * x + 1];
      row[x] = static_cast<UInt8>((sum + 2) / 4);
    }
  }
  return out;
}

namespace {

// Each pixel of `reduced` the rounded mean of its factor x factor block of
// the view. The block sums are gathered row by row, so each source row is
// read once, in order; a fixed factor (the common 2 to 4) lets the compiler
// unroll the block.
template <Int32 kFactor>
void MeanOfBlocks(const LumaView& view, Int32 factor, LumaImage& reduced) {
  const Int32 f = kFactor > 0 ? kFactor : factor;
  const auto area = static_cast<UInt32>(f * f);
  std::vector<UInt32> sums(static_cast<std::size_t>(reduced.width));
  for (Int32 y = 0; y < reduced.height; ++y) {
    std::fill(sums.begin(), sums.end(), 0);
    for (Int32 dy = 0; dy < f; ++dy) {
      const UInt8* source = view.Row(y * f + dy);
      for (UInt32& sum : sums) {
        UInt32 block = 0;
        for (Int32 dx = 0; dx < f; ++dx) block += source[dx];
        sum += block;
        source += f;
      }
    }
    UInt8* row = reduced.Row(y);
    for (Int32 x = 0; x < reduced.width; ++x) {
      row[x] = static_cast<UInt8>((sums[static_cast<std::size_t>(x)] + area / 2) / area);
    }
  }
}

}  // namespace

DerivedImage ReduceView(const LumaView& view, Int32 factor) {
  factor = std::max(factor, 1);
  DerivedImage out{Blank(view.width / factor, view.height / factor, kWhite),
                   AffineMap::Scale(factor)};
  switch (factor) {
    case 2:
      MeanOfBlocks<2>(view, factor, out.image);
      break;
    case 3:
      MeanOfBlocks<3>(view, factor, out.image);
      break;
    case 4:
      MeanOfBlocks<4>(view, factor, out.image);
      break;
    default:
      MeanOfBlocks<0>(view, factor, out.image);
  }
  return out;
}

DerivedImage NegativeView(const LumaView& view) {
  DerivedImage out{Blank(view.width, view.height, kWhite), {}};
  for (Int32 y = 0; y < view.height; ++y) {
    std::transform(view.Row(y), view.Row(y) + view.width, out.image.Row(y),
                   [](UInt8 p) { return static_cast<UInt8>(kWhite - p); });
  }
  return out;
}

DerivedImage MirrorView(const LumaView& view) {
  const double width = view.width;
  DerivedImage out{Blank(view.width, view.height, kWhite), {-1, 0, width, 0, 1, 0}};
  for (Int32 y = 0; y < view.height; ++y) {
    std::reverse_copy(view.Row(y), view.Row(y) + view.width, out.image.Row(y));
  }
  return out;
}

DerivedImage RotateBy270(const LumaView& view) {
  // Copy point (x', y') shows source point (y', H - x').
  const double sourceHeight = view.height;
  DerivedImage out{Blank(view.height, view.width, kWhite), {0, 1, 0, -1, 0, sourceHeight}};
  LumaImage& turned = out.image;
  for (Int32 ty = 0; ty < view.height; ty += kTile) {
    for (Int32 tx = 0; tx < view.width; tx += kTile) {
      const Int32 yEnd = std::min(ty + kTile, view.height);
      const Int32 xEnd = std::min(tx + kTile, view.width);
      for (Int32 y = ty; y < yEnd; ++y) {
        const UInt8* source = view.Row(y);
        const Int32 column = view.height - 1 - y;
        for (Int32 x = tx; x < xEnd; ++x) turned.Row(x)[column] = source[x];
      }
    }
  }
  return out;
}

DerivedImage RotateByDegrees(const LumaView& view, double degrees) {
  return TurnedAndEnlarged(view, degrees, 1);
}

namespace {

// TurnedAndEnlarged without a turn: each row of the copy samples one pair of
// source rows, so the weights across are worked out once per row. The values
// are those of the general loop, bit for bit: a weight of zero adds nothing,
// and a whole step along lands every sample on a source pixel.
void UprightRows(const LumaView& view, const AffineMap& toSource, double step, LumaImage& turned) {
  const double w = view.width;
  const double h = view.height;
  for (Int32 y = 0; y < turned.height; ++y) {
    const PointD p = toSource.Apply({0.5, y + 0.5});
    const double sy = p.y - 0.5;
    if (sy < 0 || sy >= h - 1) continue;
    const auto iy = static_cast<Int32>(sy);
    const double fy = sy - iy;
    const UInt8* top = view.Row(iy);
    const UInt8* bottom = top + view.stride;
    UInt8* row = turned.Row(y);
    double sx = p.x - 0.5;
    if (step == 1 && fy == 0 && sx == std::floor(sx)) {
      for (Int32 x = 0; x < turned.width; ++x, sx += step) {
        if (sx >= 0 && sx < w - 1) row[x] = top[static_cast<Int32>(sx)];
      }
      continue;
    }
    for (Int32 x = 0; x < turned.width; ++x, sx += step) {
      if (sx < 0 || sx >= w - 1) continue;
      const auto ix = static_cast<Int32>(sx);
      const double fx = sx - ix;
      const double upper = top[ix] + (top[ix + 1] - top[ix]) * fx;
      const double lower = bottom[ix] + (bottom[ix + 1] - bottom[ix]) * fx;
      row[x] = static_cast<UInt8>(upper + (lower - upper) * fy + 0.5);
    }
  }
}

}  // namespace

DerivedImage TurnedAndEnlarged(const LumaView& view, double degrees, Int32 factor) {
  factor = std::max(factor, 1);
  const double radians = degrees * std::numbers::pi / 180.0;
  const double c = std::cos(radians);
  const double s = std::sin(radians);
  const double w = view.width;
  const double h = view.height;
  // The canvas keeps the parity of the source's sides, so that the two pixel
  // grids share their centre and a turn by a right angle samples no pixel
  // between two others.
  auto side = [](double extent, Int32 sourceSide) {
    auto n = static_cast<Int32>(std::ceil(extent - 1e-9));
    return n + ((n - sourceSide) & 1);
  };
  const Int32 width = side(std::abs(w * c) + std::abs(h * s), view.width) * factor;
  const Int32 height = side(std::abs(w * s) + std::abs(h * c), view.height) * factor;
  const double cx = w / 2, cy = h / 2;
  const double ox = width / 2.0, oy = height / 2.0;
  // Copy point p' shows source point R(p' - o) / factor + c, R the inverse turn.
  const double sc = c / factor, ss = s / factor;
  const AffineMap toSource{sc, -ss, cx - sc * ox + ss * oy, ss, sc, cy - ss * ox - sc * oy};
  DerivedImage out{Blank(width, height, kWhite), toSource};
  LumaImage& turned = out.image;
  if (ss == 0) {
    UprightRows(view, toSource, sc, turned);
    return out;
  }
  for (Int32 y = 0; y < height; ++y) {
    // Sample at pixel centres; bilinear weights relative to source centres.
    PointD p = toSource.Apply({0.5, y + 0.5});
    double sx = p.x - 0.5;
    double sy = p.y - 0.5;
    UInt8* row = turned.Row(y);
    for (Int32 x = 0; x < width; ++x, sx += sc, sy += ss) {
      if (sx < 0 || sy < 0 || sx >= w - 1 || sy >= h - 1) continue;
      const auto ix = static_cast<Int32>(sx);
      const auto iy = static_cast<Int32>(sy);
      const double fx = sx - ix;
      const double fy = sy - iy;
      const UInt8* top = view.Row(iy) + ix;
      const UInt8* bottom = top + view.stride;
      const double upper = top[0] + (top[1] - top[0]) * fx;
      const double lower = bottom[0] + (bottom[1] - bottom[0]) * fx;
      row[x] = static_cast<UInt8>(upper + (lower - upper) * fy + 0.5);
    }
  }
  return out;
}

}  // namespace vexo::engine
