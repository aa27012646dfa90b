#include "engine/bars/LineScanner.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <span>
#include <unordered_map>
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
// Noise and paper grain: the mean step between neighbouring samples in the
// quietest quarter of the line's blocks (blank paper on almost any line). An
// edge must rise or fall by this many times that: noise alone reverses by
// less. On clean images this is below the minimum contrast anyway.
constexpr int kNoiseFactor = 4;

// A line's samples, read in place.
using Profile = std::span<const UInt8>;

struct Edge {
  float position;
  bool rising;  // dark to light
};

// What the line's blocks hold: the edge threshold at each, and whether a
// change of at least the noise floor lies within reach of it. Blocks far from
// any such change (blank paper, the inside of a large dark area) hold no edge
// and are not followed sample by sample.
// Reused from line to line (per thread): a scan allocates nothing but its runs.
struct Blocks {
  std::vector<int> threshold;
  std::vector<UInt8> active;
  std::vector<int> lo, hi, steps, quiet;  // working space
};

void MeasureBlocks(Profile p, Blocks& out) {
  const Int32 count = static_cast<Int32>(p.size());
  const Int32 blocks = (count + kBlock - 1) / kBlock;
  const auto size = static_cast<std::size_t>(blocks);
  out.lo.resize(size), out.hi.resize(size), out.steps.resize(size);
  // Whole blocks in loops of a fixed length, which the compiler turns into
  // vector instructions; the last block, cut short, sample by sample.
  const Int32 whole = count / kBlock;
  for (Int32 b = 0; b < whole; ++b) {
    const UInt8* q = p.data() + static_cast<std::size_t>(b) * kBlock;
    UInt8 l = 255, h = 0;
    int step = 0;
    for (Int32 i = 0; i < kBlock; ++i) {
      l = std::min(l, q[i]);
      h = std::max(h, q[i]);
    }
    for (Int32 i = 1; i < kBlock; ++i) step += std::abs(int{q[i]} - int{q[i - 1]});
    out.lo[static_cast<std::size_t>(b)] = l;
    out.hi[static_cast<std::size_t>(b)] = h;
    out.steps[static_cast<std::size_t>(b)] = step;
  }
  for (Int32 b = whole; b < blocks; ++b) {
    const Int32 end = std::min(count, (b + 1) * kBlock);
    int l = 255, h = 0, step = 0;
    for (Int32 i = b * kBlock; i < end; ++i) {
      const int value = p[static_cast<std::size_t>(i)];
      l = std::min(l, value);
      h = std::max(h, value);
    }
    for (Int32 i = b * kBlock + 1; i < end; ++i) {
      step += std::abs(p[static_cast<std::size_t>(i)] - p[static_cast<std::size_t>(i) - 1]);
    }
    out.lo[static_cast<std::size_t>(b)] = l;
    out.hi[static_cast<std::size_t>(b)] = h;
    out.steps[static_cast<std::size_t>(b)] = step;
  }
  // The step sums of whole blocks; the largest of the quietest quarter.
  out.quiet.assign(out.steps.begin(), out.steps.begin() + std::max<Int32>(1, count / kBlock));
  const auto quarter = out.quiet.begin() + static_cast<std::ptrdiff_t>(out.quiet.size() / 4);
  std::nth_element(out.quiet.begin(), quarter, out.quiet.end());
  const int least = std::max(kMinEdgeContrast, kNoiseFactor * *quarter / kBlock);
  out.threshold.resize(size);
  out.active.resize(size);
  for (Int32 b = 0; b < blocks; ++b) {
    int l = 255, h = 0;
    for (Int32 k = std::max(0, b - kBlockReach); k <= std::min(blocks - 1, b + kBlockReach); ++k) {
      l = std::min(l, out.lo[static_cast<std::size_t>(k)]);
      h = std::max(h, out.hi[static_cast<std::size_t>(k)]);
    }
    out.threshold[static_cast<std::size_t>(b)] =
        std::max(least, (h - l) * kRelativeContrastPercent / 100);
    out.active[static_cast<std::size_t>(b)] = h - l >= least ? 1 : 0;
  }
}

// The rise (direction +1) or fall (-1) from sample k to k + 1.
int Slope(Profile p, Int32 k, int direction) {
  return direction * (p[static_cast<std::size_t>(k) + 1] - p[static_cast<std::size_t>(k)]);
}

// The steepest difference of `direction` among k in [from, to), -1 if none.
Int32 Steepest(Profile p, Int32 from, Int32 to, int direction) {
  Int32 steepest = -1;
  for (Int32 k = from; k < to; ++k) {
    if (Slope(p, k, direction) > 0 &&
        (steepest < 0 || Slope(p, k, direction) > Slope(p, steepest, direction))) {
      steepest = k;
    }
  }
  return steepest;
}

// The edge of the stretch [from, to] whose steepest difference is k: the
// border of pixels k and k + 1, moved by the parabola through the
// differences around it.
Edge EdgeAt(Profile p, Int32 from, Int32 to, Int32 k, int direction) {
  const auto slope = [&](Int32 j) {
    return j < from || j >= to ? 0 : std::max(0, Slope(p, j, direction));
  };
  const float l = static_cast<float>(slope(k - 1));
  const float c = static_cast<float>(slope(k));
  const float r = static_cast<float>(slope(k + 1));
  const float curvature = l - 2 * c + r;
  const float offset = curvature < 0 ? std::clamp(0.5f * (l - r) / curvature, -0.5f, 0.5f) : 0.0f;
  return {static_cast<float>(k + 1) + offset, direction > 0};
}

// The edges of the profile: its stretches that rise or fall by at least the
// local threshold, found in one pass that follows the running extreme and
// confirms a turn once the profile has come back from it by the threshold.
// The steepest difference of each stretch is followed on the way: the one
// before the extreme, and the steepest each way since the extreme, which
// become the current stretch's when it goes on, or the next one's when the
// profile turns.
void FollowStretches(Profile p, Int32 from, Int32 to, const std::vector<int>& threshold,
                     std::vector<Edge>& edges) {
  Int32 lowest = from, highest = from, i = from + 1;
  for (; i < to; ++i) {
    const int value = p[static_cast<std::size_t>(i)];
    if (value < p[static_cast<std::size_t>(lowest)]) lowest = i;
    if (value > p[static_cast<std::size_t>(highest)]) highest = i;
    if (p[static_cast<std::size_t>(highest)] - p[static_cast<std::size_t>(lowest)] >=
        threshold[static_cast<std::size_t>(i) / kBlock]) {
      break;
    }
  }
  if (i >= to) return;
  int direction = lowest < highest ? 1 : -1;
  Int32 turn = std::min(lowest, highest);     // where the current stretch began
  Int32 extreme = std::max(lowest, highest);  // its running extreme
  Int32 best = Steepest(p, turn, extreme, direction);
  Int32 onward = Steepest(p, extreme, i, direction);
  Int32 back = Steepest(p, extreme, i, -direction);
  // Their slopes, each in its own direction (read only while it is >= 0).
  int bestSlope = best < 0 ? 0 : Slope(p, best, direction);
  int onwardSlope = onward < 0 ? 0 : Slope(p, onward, direction);
  int backSlope = back < 0 ? 0 : Slope(p, back, -direction);
  const auto emit = [&](const Edge& edge) {
    // Stretches of neighbouring segments may run the same way: one edge.
    if (edges.empty() || edges.back().rising != edge.rising) edges.push_back(edge);
  };
  for (++i; i < to; ++i) {
    const Int32 k = i - 1;
    const int slope = Slope(p, k, direction);
    if (slope > 0 && (onward < 0 || slope > onwardSlope)) onward = k, onwardSlope = slope;
    if (slope < 0 && (back < 0 || -slope > backSlope)) back = k, backSlope = -slope;
    const int change =
        direction * (p[static_cast<std::size_t>(i)] - p[static_cast<std::size_t>(extreme)]);
    if (change > 0) {
      if (onward >= 0 && (best < 0 || onwardSlope > bestSlope)) {
        best = onward;
        bestSlope = onwardSlope;
      }
      extreme = i;
      onward = back = -1;
    } else if (-change >= threshold[static_cast<std::size_t>(extreme) / kBlock]) {
      emit(EdgeAt(p, turn, extreme, best, direction));
      turn = extreme;
      extreme = i;
      direction = -direction;
      // The steepest fall since the extreme is the steepest rise of the turned direction.
      best = back;
      bestSlope = backSlope;
      onward = back = -1;
    }
  }
  emit(EdgeAt(p, turn, extreme, best, direction));
}

// The edges of the profile: its stretches that rise or fall by at least the
// local threshold, found in one pass over each run of active blocks that
// follows the running extreme and confirms a turn once the profile has come
// back from it by the threshold. The steepest difference of each stretch is
// followed on the way: the one before the extreme, and the steepest each way
// since the extreme, which become the current stretch's when it goes on, or
// the next one's when the profile turns.
void FindEdges(Profile p, std::vector<Edge>& edges) {
  thread_local Blocks blocks;
  MeasureBlocks(p, blocks);
  const Int32 count = static_cast<Int32>(p.size());
  const Int32 blockCount = static_cast<Int32>(blocks.active.size());
  edges.clear();
  for (Int32 b = 0; b < blockCount;) {
    if (blocks.active[static_cast<std::size_t>(b)] == 0) {
      ++b;
      continue;
    }
    Int32 end = b;
    while (end < blockCount && blocks.active[static_cast<std::size_t>(end)] != 0) ++end;
    FollowStretches(p, b * kBlock, std::min(count, end * kBlock), blocks.threshold, edges);
    b = end;
  }
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

// Lines already scanned, by their samples. The readers of a view (and the
// passes over the same pixels) scan many of the same rows and columns, and a
// line's runs depend on its samples alone; the samples are compared whole, so
// a line is never taken for another. Bounded: it starts afresh beyond kMaxBytes.
class ScanMemo {
 public:
  static constexpr std::size_t kMaxBytes = std::size_t{16} << 20;

  static UInt64 Hash(const std::vector<UInt8>& samples) {
    UInt64 hash = 0x9E3779B97F4A7C15ULL ^ samples.size();
    std::size_t k = 0;
    for (; k + 8 <= samples.size(); k += 8) {
      UInt64 word;
      std::memcpy(&word, samples.data() + k, 8);
      hash = (hash ^ word) * 0xFF51AFD7ED558CCDULL;
      hash ^= hash >> 32;
    }
    for (; k < samples.size(); ++k) hash = (hash ^ samples[k]) * 0x100000001B3ULL;
    return hash;
  }

  const RunRow* Find(UInt64 hash, const std::vector<UInt8>& samples) const {
    const auto it = entries_.find(hash);
    return it != entries_.end() && it->second.samples == samples ? &it->second.row : nullptr;
  }

  void Add(UInt64 hash, const std::vector<UInt8>& samples, const RunRow& row) {
    const std::size_t bytes = samples.size() + 8 * row.widths.size() + sizeof(Entry);
    if (bytes_ + bytes > kMaxBytes) {
      entries_.clear();
      bytes_ = 0;
    }
    if (entries_.try_emplace(hash, Entry{samples, row}).second) bytes_ += bytes;
  }

 private:
  struct Entry {
    std::vector<UInt8> samples;
    RunRow row;
  };
  std::unordered_map<UInt64, Entry> entries_;
  std::size_t bytes_ = 0;
};

thread_local ScanMemo memo;
thread_local std::vector<UInt8> gathered;

RunRow ScanProfile(const std::vector<UInt8>& samples) {
  const auto count = static_cast<Int32>(samples.size());
  UInt8 lo = 255, hi = 0;
  for (const UInt8 sample : samples) {
    lo = std::min(lo, sample);
    hi = std::max(hi, sample);
  }
  // A line without an edge anywhere: one light run.
  if (hi - lo < kMinEdgeContrast) return RowOfEdges({}, count);
  thread_local std::vector<Edge> edges;
  FindEdges(samples, edges);
  return RowOfEdges(edges, count);
}

}  // namespace

RunRow ScanSamples(const UInt8* first, std::ptrdiff_t step, Int32 count) {
  if (first == nullptr || count <= 0) return {};
  gathered.resize(static_cast<std::size_t>(count));
  if (step == 1) {
    std::memcpy(gathered.data(), first, gathered.size());
  } else {
    for (Int32 i = 0; i < count; ++i) {
      gathered[static_cast<std::size_t>(i)] = first[static_cast<std::ptrdiff_t>(i) * step];
    }
  }
  const UInt64 hash = ScanMemo::Hash(gathered);
  if (const RunRow* known = memo.Find(hash, gathered)) return *known;
  RunRow row = ScanProfile(gathered);
  memo.Add(hash, gathered, row);
  return row;
}

RunRow ScanRow(const LumaView& view, Int32 y) {
  if (view.Empty() || y < 0 || y >= view.height) return {};
  return ScanSamples(view.Row(y), 1, view.width);
}

RunRow ScanColumn(const LumaView& view, Int32 x) {
  if (view.Empty() || x < 0 || x >= view.width) return {};
  return ScanSamples(view.Row(0) + x, view.stride, view.height);
}

std::vector<RunRow> ScanColumns(const LumaView& view, Int32 first, Int32 step, Int32 count) {
  std::vector<RunRow> rows;
  if (view.Empty() || step <= 0 || first < 0) return rows;
  count = std::max(0, std::min(count, (view.width - first + step - 1) / step));
  const std::size_t height = static_cast<std::size_t>(view.height);
  std::vector<UInt8> columns(static_cast<std::size_t>(count) * height);
  for (Int32 y = 0; y < view.height; ++y) {
    const UInt8* row = view.Row(y) + first;
    for (Int32 c = 0; c < count; ++c) {
      columns[static_cast<std::size_t>(c) * height + static_cast<std::size_t>(y)] = row[c * step];
    }
  }
  rows.reserve(static_cast<std::size_t>(count));
  for (Int32 c = 0; c < count; ++c) {
    rows.push_back(
        ScanSamples(columns.data() + static_cast<std::size_t>(c) * height, 1, view.height));
  }
  return rows;
}

}  // namespace vexo::engine
