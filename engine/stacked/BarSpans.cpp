#include "engine/stacked/BarSpans.h"

#include <algorithm>
#include <array>

#include "engine/bars/LineScanner.h"

namespace vexo::engine {
namespace {

// A line's mid level and the swing about it that makes a crossing, from the
// line's darkest and lightest sample.
struct Levels {
  int mid = 0;
  int band = 0;      // a crossing goes from below mid - band to above mid + band
  bool flat = true;  // no swing worth a look
};

Levels LevelsOf(int lo, int hi) {
  // Paper grain swings less than the scanner's edge contrast either way.
  const int band = std::max((hi - lo) / 8, kMinEdgeContrast);
  return {(lo + hi) / 2, band, hi - lo < 2 * band};
}

// The crossings along one line, gathered into spans.
class LineState {
 public:
  void Sample(Int32 at, int v, const Levels& levels, const SpanSearch& search, Int32 line,
              std::vector<BarSpan>& out) {
    if (dark_ ? v <= levels.mid + levels.band : v >= levels.mid - levels.band) return;
    dark_ = !dark_;
    if (last_ < 0 || at - last_ > search.maxGap) {
      Close(search, line, out);
      start_ = at;
      crossings_ = 0;
    }
    last_ = at;
    ++crossings_;
  }
  void Close(const SpanSearch& search, Int32 line, std::vector<BarSpan>& out, Int32 length = -1) {
    if (crossings_ >= search.minCrossings) {
      const Int32 from = std::max(0, start_ - search.maxGap);
      const Int32 to = length < 0 ? last_ + search.maxGap : std::min(length, last_ + search.maxGap);
      if (previous_ >= 0 && from <= out[static_cast<std::size_t>(previous_)].to) {
        out[static_cast<std::size_t>(previous_)].to = to;
      } else {
        previous_ = static_cast<Int32>(out.size());
        out.push_back({line, from, to});
      }
    }
    crossings_ = 0;
  }
  void Start(int first, const Levels& levels) {
    dark_ = first < levels.mid;
    last_ = -1;
    crossings_ = 0;
    previous_ = -1;
  }

 private:
  Int32 previous_ = -1;  // this line's last span in the output
  bool dark_ = false;
  Int32 start_ = 0;
  Int32 last_ = -1;
  Int32 crossings_ = 0;
};

}  // namespace

void FindBarSpans(const LumaView& view, const SpanSearch& search, std::vector<BarSpan>& rows,
                  std::vector<BarSpan>& columns) {
  rows.clear();
  columns.clear();
  if (view.Empty() || search.lineStep < 1) return;
  const Int32 step = search.lineStep;
  const std::size_t columnCount = static_cast<std::size_t>((view.width + step - 1) / step);
  // First the levels of every column, in one pass down the rows.
  std::vector<UInt8> lo(columnCount, 255), hi(columnCount, 0);
  if (search.columns) {
    for (Int32 y = 0; y < view.height; y += search.sampleStep) {
      const UInt8* pixels = view.Row(y);
      for (std::size_t c = 0; c < columnCount; ++c) {
        const UInt8 v = pixels[c * static_cast<std::size_t>(step)];
        lo[c] = std::min(lo[c], v), hi[c] = std::max(hi[c], v);
      }
    }
  }
  std::vector<Levels> columnLevels(columnCount);
  std::vector<LineState> states(columnCount);
  for (std::size_t c = 0; c < columnCount; ++c) {
    columnLevels[c] = LevelsOf(lo[c], hi[c]);
    states[c].Start(view.Row(0)[c * static_cast<std::size_t>(step)], columnLevels[c]);
  }
  std::vector<BarSpan> byColumn;  // in row order; sorted by column at the end
  LineState row;
  for (Int32 y = 0; y < view.height; ++y) {
    const UInt8* pixels = view.Row(y);
    if (y % step == 0) {
      UInt8 rowLo = 255, rowHi = 0;
      for (Int32 x = 0; x < view.width; x += search.sampleStep) {
        rowLo = std::min(rowLo, pixels[x]), rowHi = std::max(rowHi, pixels[x]);
      }
      const Levels levels = LevelsOf(rowLo, rowHi);
      if (!levels.flat) {
        row.Start(pixels[0], levels);
        for (Int32 x = 0; x < view.width; x += search.sampleStep) {
          row.Sample(x, pixels[x], levels, search, y, rows);
        }
        row.Close(search, y, rows, view.width);
      }
    }
    if (!search.columns || y % search.sampleStep != 0) continue;
    for (std::size_t c = 0; c < columnCount; ++c) {
      if (columnLevels[c].flat) continue;
      states[c].Sample(y, pixels[c * static_cast<std::size_t>(step)], columnLevels[c], search,
                       static_cast<Int32>(c) * step, byColumn);
    }
  }
  for (std::size_t c = 0; c < columnCount; ++c) {
    states[c].Close(search, static_cast<Int32>(c) * step, byColumn, view.height);
  }
  std::stable_sort(byColumn.begin(), byColumn.end(),
                   [](const BarSpan& a, const BarSpan& b) { return a.line < b.line; });
  columns = std::move(byColumn);
}

}  // namespace vexo::engine
