#include "engine/bars/RunTools.h"

#include <algorithm>
#include <cstring>

namespace vexo::engine {
namespace {

// A run cut by the end of the line counts as a quiet zone with this share of
// the width asked for.
constexpr float kCutQuietShare = 0.5f;

}  // namespace

RunRow Reversed(const RunRow& row) {
  RunRow out;
  out.length = row.length;
  const std::size_t count = std::min(row.widths.size(), row.starts.size());
  out.widths.reserve(count + 1);
  out.starts.reserve(count + 1);
  // A row that ends dark begins dark when reversed: an empty light run first.
  if (count % 2 == 0 && count > 0) {
    out.widths.push_back(0);
    out.starts.push_back(0);
  }
  for (std::size_t i = count; i-- > 0;) {
    out.widths.push_back(row.widths[i]);
    out.starts.push_back(row.length - (row.starts[i] + row.widths[i]));
  }
  return out;
}

namespace {

// The reversed row of the last row read both ways: the decoders of a line
// read the same row one after another, and it is reversed once for all. The
// row is compared whole, so no row is taken for another.
const RunRow& ReversedOnce(const RunRow& row) {
  thread_local RunRow last, reversed;
  const auto same = [](const std::vector<float>& a, const std::vector<float>& b) {
    // Empty vectors may hold no storage at all: memcmp must not see them.
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
  };
  if (!(last.length == row.length && same(last.widths, row.widths) &&
        same(last.starts, row.starts))) {
    last = row;
    reversed = Reversed(row);
  }
  return reversed;
}

}  // namespace

void ReadBothWays(const RunRow& row, std::vector<LineRead>& out, RowDecoder forward) {
  forward(row, out);
  const std::size_t first = out.size();
  forward(ReversedOnce(row), out);
  for (std::size_t i = first; i < out.size(); ++i) {
    LineRead& read = out[i];
    const float begin = row.length - read.end;
    read.end = row.length - read.begin;
    read.begin = begin;
    read.reversed = true;
  }
}

void ReadAtEveryBar(const RunRow& row, std::vector<LineRead>& out, SymbolReader read) {
  for (std::size_t bar = 1; bar < row.widths.size();) {
    std::size_t next = bar + 2;
    read(row, bar, out, next);
    bar = std::max(next, bar + 2);
  }
}

bool QuietZone(const RunRow& row, std::size_t index, float minWidth) {
  if (index >= row.widths.size() || index % 2 != 0) return false;
  const float width = row.widths[index];
  if (width >= minWidth) return true;
  const bool cut = index == 0 || index + 1 == row.widths.size();
  return cut && width >= kCutQuietShare * minWidth;
}

std::optional<WidthSplit> SplitWidths(std::vector<float> widths, float minRatio, float maxRatio) {
  if (widths.size() < 2) return std::nullopt;
  std::sort(widths.begin(), widths.end());
  if (widths.front() <= 0) return std::nullopt;
  std::size_t split = 0;
  float bestGap = 0;
  for (std::size_t i = 0; i + 1 < widths.size(); ++i) {
    const float gap = widths[i + 1] / widths[i];
    if (gap > bestGap) bestGap = gap, split = i + 1;
  }
  float narrow = 0, wide = 0;
  for (std::size_t i = 0; i < widths.size(); ++i) (i < split ? narrow : wide) += widths[i];
  narrow /= static_cast<float>(split);
  wide /= static_cast<float>(widths.size() - split);
  const float ratio = wide / narrow;
  // Each class must hold together better than the two stand apart.
  const float narrowSpread = widths[split - 1] / widths.front();
  const float wideSpread = widths.back() / widths[split];
  if (ratio < minRatio || ratio > maxRatio || narrowSpread > bestGap || wideSpread > bestGap) {
    return std::nullopt;
  }
  return WidthSplit{narrow, wide, (widths[split - 1] + widths[split]) / 2};
}

float SumOf(const RunRow& row, std::size_t first, std::size_t count) {
  if (first + count > row.widths.size()) return 0;
  float sum = 0;
  for (std::size_t i = first; i < first + count; ++i) sum += row.widths[i];
  return sum;
}

}  // namespace vexo::engine
