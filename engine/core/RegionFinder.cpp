#include "engine/core/RegionFinder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <utility>

#include "engine/core/ViewTransform.h"

namespace vexo::engine {
namespace {

constexpr int kMinContrast = 48;  // darkest pixels to the paper, else no ink
constexpr std::size_t kMinInkPixels = 4;
constexpr Int32 kCloseRadius = 2;  // merges a symbol's modules into one blob
constexpr Int32 kMinBlobSide = 3;  // working pixels
constexpr Int32 kMaxAspect = 6;    // longer side over shorter side (a two-column PDF417: 5)
constexpr double kMinFill =
    0.25;  // blob pixels over box area (a thin bar turned by 45 degrees fills 1/3)
constexpr double kMaxSpan = 0.95;  // blobs spanning the whole plane are frames

struct Plane {
  Int32 width = 0;
  Int32 height = 0;
  std::vector<UInt8> values;
  UInt8& At(Int32 x, Int32 y) { return values[static_cast<std::size_t>(y) * width + x]; }
};

// Each pixel the rounded mean of its factor x factor block.
Plane Reduce(const LumaView& view, Int32 factor) {
  DerivedImage reduced = ReduceView(view, factor);
  return {reduced.image.width, reduced.image.height, std::move(reduced.image.pixels)};
}

// Otsu's threshold; -1 when the plane has too little contrast to hold ink:
// the darkest few pixels must be well below the paper (the median).
int InkThreshold(const Plane& plane) {
  std::array<std::size_t, 256> histogram{};
  for (UInt8 v : plane.values) ++histogram[v];
  const std::size_t total = plane.values.size();
  const std::size_t darkest = std::max<std::size_t>(kMinInkPixels, total / 10000);
  std::size_t seen = 0;
  int low = -1, median = -1;
  for (int v = 0; v < 256; ++v) {
    seen += histogram[v];
    if (low < 0 && seen >= darkest) low = v;
    if (median < 0 && 2 * seen >= total) median = v;
  }
  if (low < 0 || median - low < kMinContrast) return -1;
  double sumAll = 0;
  for (int v = 0; v < 256; ++v) sumAll += static_cast<double>(v) * histogram[v];
  double sumBelow = 0, best = -1;
  std::size_t below = 0;
  int threshold = -1;
  for (int v = 0; v < 255; ++v) {
    below += histogram[v];
    sumBelow += static_cast<double>(v) * histogram[v];
    if (below == 0 || below == total) continue;
    const double above = static_cast<double>(total - below);
    const double meanBelow = sumBelow / below;
    const double meanAbove = (sumAll - sumBelow) / above;
    const double spread =
        static_cast<double>(below) * above * (meanBelow - meanAbove) * (meanBelow - meanAbove);
    if (spread > best) best = spread, threshold = v;
  }
  return threshold;
}

// Box sums over a (2r+1)^2 window of a 0/1 plane, clipped at the borders:
// running sums along each row, then running sums of those down each column.
std::vector<Int32> BoxSums(const Plane& mask, Int32 r) {
  const Int32 w = mask.width, h = mask.height;
  std::vector<Int32> across(static_cast<std::size_t>(w) * h);
  for (Int32 y = 0; y < h; ++y) {
    const UInt8* in = mask.values.data() + static_cast<std::size_t>(y) * w;
    Int32* out = across.data() + static_cast<std::size_t>(y) * w;
    Int32 sum = 0;
    for (Int32 x = 0; x < std::min(w, r); ++x) sum += in[x];
    for (Int32 x = 0; x < w; ++x) {
      if (x + r < w) sum += in[x + r];
      if (x - r - 1 >= 0) sum -= in[x - r - 1];
      out[x] = sum;
    }
  }
  std::vector<Int32> sums(static_cast<std::size_t>(w) * h, 0);
  const auto rowOf = [&](std::vector<Int32>& plane, Int32 y) {
    return plane.data() + static_cast<std::size_t>(y) * w;
  };
  for (Int32 y = 0; y < std::min(h, r); ++y) {
    const Int32* in = rowOf(across, y);
    for (Int32 x = 0; x < w; ++x) sums[static_cast<std::size_t>(x)] += in[x];
  }
  for (Int32 y = 0; y < h; ++y) {
    Int32* out = rowOf(sums, y);
    if (y > 0) std::copy(out - w, out, out);
    if (y + r < h) {
      const Int32* in = rowOf(across, y + r);
      for (Int32 x = 0; x < w; ++x) out[x] += in[x];
    }
    if (y - r - 1 >= 0) {
      const Int32* in = rowOf(across, y - r - 1);
      for (Int32 x = 0; x < w; ++x) out[x] -= in[x];
    }
  }
  return sums;
}

// Dilation then erosion with a square of side 2r+1.
Plane Close(const Plane& mask, Int32 r) {
  Plane dilated = mask;
  const std::vector<Int32> dilateSums = BoxSums(mask, r);
  for (std::size_t i = 0; i < dilated.values.size(); ++i) dilated.values[i] = dilateSums[i] > 0;
  const std::vector<Int32> erodeSums = BoxSums(dilated, r);
  Plane closed = dilated;
  for (Int32 y = 0; y < mask.height; ++y) {
    const Int32 rows = std::min(mask.height, y + r + 1) - std::max(0, y - r);
    for (Int32 x = 0; x < mask.width; ++x) {
      const Int32 cols = std::min(mask.width, x + r + 1) - std::max(0, x - r);
      const std::size_t i = static_cast<std::size_t>(y) * mask.width + x;
      closed.values[i] = erodeSums[i] == rows * cols;
    }
  }
  return closed;
}

struct Blob {
  Region box;
  Int64 pixels = 0;
};

// 8-connected components of the set pixels; the plane is cleared on the way.
// The search runs on a copy with a clear border, so neighbours need no
// bounds checks.
std::vector<Blob> Components(Plane& plane) {
  const Int32 pw = plane.width + 2;
  std::vector<UInt8> padded(static_cast<std::size_t>(pw) * (plane.height + 2), 0);
  for (Int32 y = 0; y < plane.height; ++y) {
    std::copy_n(plane.values.data() + static_cast<std::size_t>(y) * plane.width, plane.width,
                padded.data() + static_cast<std::size_t>(y + 1) * pw + 1);
  }
  std::fill(plane.values.begin(), plane.values.end(), 0);
  const std::array<std::ptrdiff_t, 8> neighbours{-pw - 1, -pw, -pw + 1, -1, 1, pw - 1, pw, pw + 1};
  std::vector<Blob> blobs;
  std::vector<std::ptrdiff_t> stack;
  for (Int32 y = 0; y < plane.height; ++y) {
    for (Int32 x = 0; x < plane.width; ++x) {
      const std::ptrdiff_t seed = static_cast<std::ptrdiff_t>(y + 1) * pw + x + 1;
      if (padded[static_cast<std::size_t>(seed)] == 0) continue;
      Int32 left = x, top = y, right = x, bottom = y;
      Int64 pixels = 0;
      padded[static_cast<std::size_t>(seed)] = 0;
      stack.assign(1, seed);
      while (!stack.empty()) {
        const std::ptrdiff_t at = stack.back();
        stack.pop_back();
        ++pixels;
        const auto px = static_cast<Int32>(at % pw) - 1, py = static_cast<Int32>(at / pw) - 1;
        left = std::min(left, px), right = std::max(right, px);
        top = std::min(top, py), bottom = std::max(bottom, py);
        for (const std::ptrdiff_t d : neighbours) {
          UInt8& next = padded[static_cast<std::size_t>(at + d)];
          if (next == 0) continue;
          next = 0;
          stack.push_back(at + d);
        }
      }
      blobs.push_back({{left, top, right + 1, bottom + 1}, pixels});
    }
  }
  return blobs;
}

bool LooksLikeSymbol(const Blob& blob, const Plane& plane) {
  const Int32 w = blob.box.right - blob.box.left;
  const Int32 h = blob.box.bottom - blob.box.top;
  const double area = static_cast<double>(w) * h;
  const bool frame = w >= kMaxSpan * plane.width && h >= kMaxSpan * plane.height;
  return w >= kMinBlobSide && h >= kMinBlobSide && std::max(w, h) <= kMaxAspect * std::min(w, h) &&
         static_cast<double>(blob.pixels) >= kMinFill * area && !frame;
}

double Rank(const Blob& blob) {
  const double w = blob.box.right - blob.box.left;
  const double h = blob.box.bottom - blob.box.top;
  const double aspect = std::max(w, h) / std::min(w, h);
  return static_cast<double>(blob.pixels) / (aspect * aspect);
}

}  // namespace

double InkShare(const LumaView& view, const Region& region) {
  const Int32 x0 = std::max(region.left, 0), x1 = std::min(region.right, view.width);
  const Int32 y0 = std::max(region.top, 0), y1 = std::min(region.bottom, view.height);
  int darkest = 255, lightest = 0;
  for (Int32 y = y0; y < y1; y += 2) {
    for (Int32 x = x0; x < x1; x += 2) {
      darkest = std::min<int>(darkest, view.Row(y)[x]);
      lightest = std::max<int>(lightest, view.Row(y)[x]);
    }
  }
  const int middle = (darkest + lightest) / 2;
  Int64 dark = 0, all = 0;
  for (Int32 y = y0; y < y1; y += 2) {
    for (Int32 x = x0; x < x1; x += 2) {
      ++all;
      dark += view.Row(y)[x] < middle ? 1 : 0;
    }
  }
  return all == 0 ? 0 : static_cast<double>(dark) / static_cast<double>(all);
}

void MeasureGradient(const LumaView& view, Region& region) {
  // Integer sums: exact, as the sums in double were (far below 2^53).
  Int64 xx = 0, yy = 0, xy = 0;
  const Int32 x0 = std::max(region.left, 1), x1 = std::min(region.right, view.width - 1);
  const Int32 y0 = std::max(region.top, 1), y1 = std::min(region.bottom, view.height - 1);
  for (Int32 y = y0; y < y1; ++y) {
    const UInt8* above = view.Row(y - 1);
    const UInt8* row = view.Row(y);
    const UInt8* below = view.Row(y + 1);
    for (Int32 x = x0; x < x1; ++x) {
      // Sobel: less biased towards the diagonals than plain differences.
      const int gx = (above[x + 1] + 2 * row[x + 1] + below[x + 1]) -
                     (above[x - 1] + 2 * row[x - 1] + below[x - 1]);
      const int gy = (below[x - 1] + 2 * below[x] + below[x + 1]) -
                     (above[x - 1] + 2 * above[x] + above[x + 1]);
      xx += gx * gx;
      yy += gy * gy;
      xy += gx * gy;
    }
  }
  const auto sxx = static_cast<double>(xx), syy = static_cast<double>(yy);
  const auto sxy = static_cast<double>(xy);
  const double energy = sxx + syy;
  if (energy <= 0) return;
  // The main axis measured from the x axis towards y, down the page, in
  // [0, 180); counter-clockwise on the page that is its negative.
  double towardsY = 0.5 * std::atan2(2 * sxy, sxx - syy) * 180.0 / std::numbers::pi;
  if (towardsY < 0) towardsY += 180;
  region.gradientDegrees = -towardsY;
  region.coherence = std::sqrt((sxx - syy) * (sxx - syy) + 4 * sxy * sxy) / energy;
}

std::vector<Region> FindInkRegions(const LumaView& view, Int32 reduce, bool measureGradient) {
  reduce = std::max(1, reduce);
  if (view.width / reduce < kMinBlobSide || view.height / reduce < kMinBlobSide) {
    return {};
  }
  Plane plane = Reduce(view, reduce);
  const int threshold = InkThreshold(plane);
  if (threshold < 0) return {};
  for (UInt8& v : plane.values) v = v <= threshold ? 1 : 0;
  Plane closed = Close(plane, kCloseRadius);
  std::vector<Blob> blobs = Components(closed);
  std::erase_if(blobs, [&](const Blob& blob) { return !LooksLikeSymbol(blob, plane); });
  // Squat blobs first: symbols are square or a few times longer than high,
  // while words and lines of text run long.
  std::stable_sort(blobs.begin(), blobs.end(),
                   [](const Blob& a, const Blob& b) { return Rank(a) > Rank(b); });
  std::vector<Region> regions;
  regions.reserve(blobs.size());
  for (const Blob& blob : blobs) {
    Region region{blob.box.left * reduce, blob.box.top * reduce, blob.box.right * reduce,
                  blob.box.bottom * reduce};
    if (measureGradient) MeasureGradient(view, region);
    regions.push_back(region);
  }
  return regions;
}

}  // namespace vexo::engine
