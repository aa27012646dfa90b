#include "engine/bars/LineScanner.h"

#include <algorithm>
#include <vector>

namespace vexo::engine {
namespace {

// The contrast around a sample is the spread of gray levels within this many
// blocks of kBlock samples on either side of its own block: about 40 pixels,
// more than a wide bar of a symbol drawn at 600 dpi, so that a bar and a
// space always fall inside.
constexpr Int32 kBlock = 16;
constexpr Int32 kBlockReach = 2;
// An edge must rise or fall by this share of the contrast around it: the
// narrow spaces of a blurred symbol keep about half of it, paper grain and
// the ringing of JPEG much less.
constexpr int kRelativeContrastPercent = 25;

struct Edge {
  float position;
  bool rising;  // dark to light
};

// The edge threshold at each block.
std::vector<int> BlockThresholds(const std::vector<int>& p) {
  const Int32 count = static_cast<Int32>(p.size());
  const Int32 blocks = (count + kBlock - 1) / kBlock;
  std::vector<int> lo(static_cast<std::size_t>(blocks), 255),
      hi(static_cast<std::size_t>(blocks), 0);
  for (Int32 i = 0; i < count; ++i) {
    const std::size_t b = static_cast<std::size_t>(i / kBlock);
    lo[b] = std::min(lo[b], p[static_cast<std::size_t>(i)]);
    hi[b] = std::max(hi[b], p[static_cast<std::size_t>(i)]);
  }
  std::vector<int> threshold(static_cast<std::size_t>(blocks));
  for (Int32 b = 0; b < blocks; ++b) {
    int l = 255, h = 0;
    for (Int32 k = std::max(0, b - kBlockReach); k <= std::min(blocks - 1, b + kBlockReach); ++k) {
      l = std::min(l, lo[static_cast<std::size_t>(k)]);
      h = std::max(h, hi[static_cast<std::size_t>(k)]);
    }
    threshold[static_cast<std::size_t>(b)] =
        std::max(kMinEdgeContrast, (h - l) * kRelativeContrastPercent / 100);
  }
  return threshold;
}

// Where the profile changes fastest between samples `from` and `to` (the
// ends of one rising or falling stretch), between pixels.
float EdgePosition(const std::vector<int>& p, Int32 from, Int32 to, bool rising) {
  const int sign = rising ? 1 : -1;
  // Difference k lies at the border of pixels k and k + 1, position k + 1.
  const auto slope = [&](Int32 k) {
    if (k < from || k >= to) return 0;
    return std::max(0,
                    sign * (p[static_cast<std::size_t>(k) + 1] - p[static_cast<std::size_t>(k)]));
  };
  Int32 steepest = from;
  for (Int32 k = from; k < to; ++k) {
    if (slope(k) > slope(steepest)) steepest = k;
  }
  const float l = static_cast<float>(slope(steepest - 1));
  const float c = static_cast<float>(slope(steepest));
  const float r = static_cast<float>(slope(steepest + 1));
  const float curvature = l - 2 * c + r;
  float offset = curvature < 0 ? 0.5f * (l - r) / curvature : 0.0f;
  offset = std::clamp(offset, -0.5f, 0.5f);
  return static_cast<float>(steepest + 1) + offset;
}

// The edges of the profile: its stretches that rise or fall by at least the
// local threshold, found in one pass that follows the running extreme and
// confirms a turn once the profile has come back from it by the threshold.
std::vector<Edge> FindEdges(const std::vector<int>& p) {
  const std::vector<int> threshold = BlockThresholds(p);
  const auto thresholdAt = [&](Int32 i) { return threshold[static_cast<std::size_t>(i / kBlock)]; };
  const auto at = [&](Int32 i) { return p[static_cast<std::size_t>(i)]; };
  const Int32 count = static_cast<Int32>(p.size());
  std::vector<Edge> edges;
  int direction = 0;  // +1 rising, -1 falling, 0 not known yet
  Int32 turn = 0;     // where the current stretch began
  Int32 extreme = 0;  // its running extreme
  Int32 lowest = 0, highest = 0;
  for (Int32 i = 1; i < count; ++i) {
    if (direction == 0) {
      if (at(i) < at(lowest)) lowest = i;
      if (at(i) > at(highest)) highest = i;
      if (at(highest) - at(lowest) >= thresholdAt(i)) {
        direction = lowest < highest ? 1 : -1;
        turn = std::min(lowest, highest);
        extreme = std::max(lowest, highest);
      }
      continue;
    }
    if (direction * (at(i) - at(extreme)) > 0) {
      extreme = i;
    } else if (direction * (at(extreme) - at(i)) >= thresholdAt(extreme)) {
      edges.push_back({EdgePosition(p, turn, extreme, direction > 0), direction > 0});
      turn = extreme;
      extreme = i;
      direction = -direction;
    }
  }
  if (direction != 0)
    edges.push_back({EdgePosition(p, turn, extreme, direction > 0), direction > 0});
  return edges;
}

RunRow RowOfEdges(const std::vector<Edge>& edges, Int32 count) {
  RunRow row;
  row.length = static_cast<float>(count);
  row.widths.reserve(edges.size() + 2);
  row.starts.reserve(edges.size() + 2);
  float start = 0;
  // A line that begins dark begins with an empty light run.
  if (!edges.empty() && edges.front().rising) {
    row.widths.push_back(0);
    row.starts.push_back(0);
  }
  for (const Edge& edge : edges) {
    const float position = std::max(edge.position, start);
    row.widths.push_back(position - start);
    row.starts.push_back(start);
    start = position;
  }
  row.widths.push_back(row.length - start);
  row.starts.push_back(start);
  return row;
}

}  // namespace

RunRow ScanSamples(const UInt8* first, std::ptrdiff_t step, Int32 count) {
  if (first == nullptr || count <= 0) return {};
  std::vector<int> profile(static_cast<std::size_t>(count));
  int lo = 255, hi = 0;
  for (Int32 i = 0; i < count; ++i) {
    const int value = first[static_cast<std::ptrdiff_t>(i) * step];
    profile[static_cast<std::size_t>(i)] = value;
    lo = std::min(lo, value);
    hi = std::max(hi, value);
  }
  // A line without an edge anywhere: one light run.
  if (hi - lo < kMinEdgeContrast) return RowOfEdges({}, count);
  return RowOfEdges(FindEdges(profile), count);
}

RunRow ScanRow(const LumaView& view, Int32 y) {
  if (view.Empty() || y < 0 || y >= view.height) return {};
  return ScanSamples(view.Row(y), 1, view.width);
}

RunRow ScanColumn(const LumaView& view, Int32 x) {
  if (view.Empty() || x < 0 || x >= view.width) return {};
  return ScanSamples(view.Row(0) + x, view.stride, view.height);
}

}  // namespace vexo::engine
