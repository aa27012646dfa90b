#include "engine/stacked/BarSpans.h"

#include <algorithm>

#include "engine/bars/LineScanner.h"

namespace vexo::engine {

void FindBarSpans(const UInt8* first, Int32 count, Int32 minCrossings, Int32 maxGap,
                  std::vector<BarSpan>& spans) {
  spans.clear();
  int lo = 255, hi = 0;
  for (Int32 i = 0; i < count; ++i)
    lo = std::min<int>(lo, first[i]), hi = std::max<int>(hi, first[i]);
  // Paper grain swings less than the scanner's edge contrast either way.
  const int mid = (lo + hi) / 2, band = std::max((hi - lo) / 8, kMinEdgeContrast);
  if (hi - lo < 2 * band) return;
  bool dark = first[0] < mid;
  Int32 runStart = -1, last = -1, crossings = 0;
  const auto close = [&] {
    if (crossings >= minCrossings) {
      const Int32 from = std::max(0, runStart - maxGap), to = std::min(count, last + maxGap);
      if (!spans.empty() && from <= spans.back().to) {
        spans.back().to = to;
      } else {
        spans.push_back({from, to});
      }
    }
  };
  for (Int32 i = 1; i < count; ++i) {
    const int v = first[i];
    if (dark ? v <= mid + band : v >= mid - band) continue;
    dark = !dark;
    if (last < 0 || i - last > maxGap) {
      close();
      runStart = i;
      crossings = 0;
    }
    last = i;
    ++crossings;
  }
  close();
}

LumaImage Transposed(const LumaView& view) {
  constexpr Int32 kTile = 64;  // tiles keep both sides of the copy in the cache
  LumaImage out;
  out.width = view.height;
  out.height = view.width;
  out.pixels.resize(static_cast<std::size_t>(view.width) * view.height);
  UInt8* const target = out.pixels.data();
  const UInt8* const source = view.pixels;
  const std::ptrdiff_t stride = view.stride, width = out.width;
  for (Int32 x0 = 0; x0 < view.width; x0 += kTile) {
    const Int32 x1 = std::min(view.width, x0 + kTile);
    for (Int32 y0 = 0; y0 < view.height; y0 += kTile) {
      const Int32 y1 = std::min(view.height, y0 + kTile);
      for (Int32 x = x0; x < x1; ++x) {
        UInt8* to = target + x * width;
        const UInt8* from = source + x;
        for (Int32 y = y0; y < y1; ++y) to[y] = from[y * stride];
      }
    }
  }
  return out;
}

}  // namespace vexo::engine
