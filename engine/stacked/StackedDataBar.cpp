#include "engine/stacked/StackedDataBar.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>
#include <string>

#include "engine/bars/LineScanner.h"
#include "engine/image/Transform.h"
#include "engine/linear/DataBarCharacters.h"
#include "engine/stacked/BarSpans.h"
#include "engine/stacked/DataBarSegments.h"

namespace vexo::engine {
namespace {

using databar::Chain;
using databar::Segment;

// Every third line is scanned: the lowest row of a symbol (the top row of
// DataBar Stacked, five modules of at least two pixels) still gets three.
constexpr Int32 kLineStep = 3;
// Only lines that cross their mid-gray level this often go to the scanner: a
// DataBar half or Expanded pair has 21 elements. Most lines of a page (paper,
// margins, a line of text) do not, and cost one pass over their pixels.
constexpr Int32 kMinCrossings = 16;
constexpr Int32 kSampleStep = 2;
// Crossings of one symbol lie closer than this (a nine-module element of a
// 600-dpi print); it is also the quiet zone kept on either side of a span.
constexpr Int32 kMaxSpanGap = 128;
// Lines of one symbol row read the same chain; a row may miss this many
// scanned lines in between (a speck, a scratch) and still be one row.
constexpr Int32 kLineGap = 2;
// Rows of one symbol lie this close: the separator between two rows is one
// (Stacked) or three (Stacked Omnidirectional, Expanded Stacked) modules
// high; the slack covers the lines where neither row reads.
constexpr float kRowGapModules = 8;
constexpr Int32 kRowGapLines = 3;
constexpr float kRowGapLean = 0.1F;  // rows leaning by up to 3 degrees each way
// Rows of one symbol start and end at the same place within this many
// modules (the last Expanded row may be shorter).
constexpr float kAlignModules = 4;
// The outer edges of a row beyond its characters: two guard modules.
constexpr float kGuardModules = 2;
// A row counts when this many lines read it (the profile's line agreement,
// capped: the top row of DataBar Stacked is five modules high).
constexpr Int32 kMaxRowLines = 3;

// One symbol row: the same chain read on neighbouring lines.
struct RowSeen {
  Chain chain;
  Int32 first = 0;  // first and last line that read it
  Int32 last = 0;
  Int32 lines = 0;
  float begin = 0;  // along the lines, over every line
  float end = 0;
  bool used = false;
};

float Module(const RowSeen& row) { return row.chain.front().module; }

bool SameChain(const Chain& a, const Chain& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].expanded != b[i].expanded || a[i].reversed != b[i].reversed ||
        a[i].finder != b[i].finder || a[i].values != b[i].values) {
      return false;
    }
  }
  return true;
}

// Whether the chain is a whole single-row symbol, which is no row of a
// stacked one.
bool WholeSymbol(const Chain& chain) {
  if (chain.front().expanded) {
    return static_cast<Int32>(chain.size()) == databar::ExpandedPairCount(chain.front());
  }
  return chain.size() == 2 && databar::DataBarContent(chain[0], chain[1]).has_value();
}

// Rows kept per view: symbol rows are few; a page of look-alikes (a test
// sheet of damaged symbols, hostile input) stops adding here.
constexpr std::size_t kMaxRows = 2048;

class RowCollector {
 public:
  void Add(const Chain& chain, Int32 line) {
    if (WholeSymbol(chain)) return;
    const Segment& head = chain.front();
    const float begin = std::min(head.begin, chain.back().begin);
    const float end = std::max(head.end, chain.back().end);
    for (RowSeen& row : rows_) {
      if (line - row.last > (kLineGap + 1) * kLineStep || !SameChain(row.chain, chain)) continue;
      if (std::abs(row.begin - begin) > kAlignModules * head.module) continue;
      row.last = line;
      ++row.lines;
      row.begin = std::min(row.begin, begin);
      row.end = std::max(row.end, end);
      return;
    }
    if (rows_.size() < kMaxRows) rows_.push_back({chain, line, line, 1, begin, end, false});
  }
  std::vector<RowSeen>& Rows() { return rows_; }

 private:
  std::vector<RowSeen> rows_;
};

// How the rows of one scan orientation lie in the view.
struct Orientation {
  bool columns;  // lines are columns: along is y, across is x
};

// `lower` is the row below `upper` in a symbol read in `reversed` direction
// along lines of `o`: the next row in the direction the symbol's top-to-bottom
// takes across the lines.
bool Below(const RowSeen& upper, const RowSeen& lower, bool downIsIncreasing) {
  const float module = Module(upper);
  const Int32 gap = downIsIncreasing ? lower.first - upper.last : upper.first - lower.last;
  // A line crosses a leaning row whole only away from its edges: the gap
  // grows with the row's width.
  const float slack = kRowGapLean * std::min(upper.end - upper.begin, lower.end - lower.begin);
  if (gap <= 0 || static_cast<float>(gap) > kRowGapModules * module + slack + kRowGapLines) {
    return false;
  }
  if (std::abs(Module(lower) - module) > 0.25F * module) return false;
  // The rows overlap along the lines; their starts or their ends agree.
  const float overlap = std::min(upper.end, lower.end) - std::max(upper.begin, lower.begin);
  const float narrower = std::min(upper.end - upper.begin, lower.end - lower.begin);
  if (overlap < 0.5F * narrower) return false;
  return std::abs(upper.begin - lower.begin) <= kAlignModules * module ||
         std::abs(upper.end - lower.end) <= kAlignModules * module;
}

// The symbol's top-to-bottom runs towards increasing across positions when it
// reads forward along rows or backward along columns (a symbol turned a
// quarter clockwise reads down a column, its top towards smaller x).
bool DownIsIncreasing(const Orientation& o, bool reversed) { return o.columns == reversed; }

struct Found {
  Symbology symbology;
  std::string content;
  std::vector<RowSeen*> rows;  // top to bottom
  bool reversed;               // how the first row reads
};

std::optional<Found> DataBarStacked(std::vector<RowSeen>& rows, RowSeen& top,
                                    const Orientation& o) {
  const Segment& left = top.chain.front();
  if (top.chain.size() != 1 || left.expanded || left.rightHalf) return std::nullopt;
  for (RowSeen& bottom : rows) {
    const Segment& right = bottom.chain.front();
    if (bottom.used || bottom.chain.size() != 1 || right.expanded || !right.rightHalf ||
        right.reversed != left.reversed ||
        !Below(top, bottom, DownIsIncreasing(o, left.reversed))) {
      continue;
    }
    if (auto content = databar::DataBarContent(left, right)) {
      return Found{Symbology::DataBarStacked, *content, {&top, &bottom}, left.reversed};
    }
  }
  return std::nullopt;
}

bool ContinuesSequence(const Chain& chain, Int32 pairs, Int32 at) {
  if (at + static_cast<Int32>(chain.size()) > pairs) return false;
  for (std::size_t i = 0; i < chain.size(); ++i) {
    if (!chain[i].expanded ||
        chain[i].finder != databar::ExpandedFinderOf(pairs, at + static_cast<Int32>(i))) {
      return false;
    }
  }
  return true;
}

std::optional<Found> ExpandedStacked(std::vector<RowSeen>& rows, RowSeen& top,
                                     const Orientation& o) {
  const Int32 pairs = databar::ExpandedPairCount(top.chain.front());
  const Int32 columns = static_cast<Int32>(top.chain.size());
  if (pairs == 0 || columns >= pairs) return std::nullopt;
  const bool down = DownIsIncreasing(o, top.chain.front().reversed);
  Found found{Symbology::DataBarExpandedStacked, {}, {&top}, top.chain.front().reversed};
  Chain all = top.chain;
  while (static_cast<Int32>(all.size()) < pairs) {
    RowSeen* next = nullptr;
    for (RowSeen& row : rows) {
      // Each row holds `columns` pairs but the last, in either direction.
      const Int32 expected = std::min(columns, pairs - static_cast<Int32>(all.size()));
      if (row.used || static_cast<Int32>(row.chain.size()) != expected ||
          !ContinuesSequence(row.chain, pairs, static_cast<Int32>(all.size())) ||
          !Below(*found.rows.back(), row, down)) {
        continue;
      }
      if (next == nullptr || row.lines > next->lines) next = &row;
    }
    if (next == nullptr) return std::nullopt;
    found.rows.push_back(next);
    all.insert(all.end(), next->chain.begin(), next->chain.end());
  }
  const std::optional<std::string> content = databar::ExpandedContent(all);
  if (!content) return std::nullopt;
  found.content = *content;
  return found;
}

Detection DetectionOf(const Found& found, const Orientation& o) {
  float begin = found.rows.front()->begin, end = found.rows.front()->end;
  Int32 low = found.rows.front()->first, high = found.rows.front()->last;
  for (const RowSeen* row : found.rows) {
    begin = std::min(begin, row->begin);
    end = std::max(end, row->end);
    low = std::min(low, row->first);
    high = std::max(high, row->last);
  }
  const float guard = kGuardModules * Module(*found.rows.front());
  const double alongStart = found.reversed ? end + guard : begin - guard;
  const double alongEnd = found.reversed ? begin - guard : end + guard;
  // Each scanned line stands for the lines around it.
  const double reach = 0.5 * (kLineStep - 1);
  const bool down = DownIsIncreasing(o, found.reversed);
  const double acrossTop = down ? low - reach : high + 1 + reach;
  const double acrossBottom = down ? high + 1 + reach : low - reach;
  const auto point = [&](double along, double across) {
    return o.columns ? PointD{across, along} : PointD{along, across};
  };
  Detection detection;
  detection.symbology = found.symbology;
  detection.code = Info(found.symbology).code;
  detection.content.assign(found.content.begin(), found.content.end());
  detection.corners = {point(alongStart, acrossTop), point(alongEnd, acrossTop),
                       point(alongEnd, acrossBottom), point(alongStart, acrossBottom)};
  return detection;
}

void ReadOrientation(const LumaView& view, const std::vector<BarSpan>& spans,
                     const ViewSettings& settings, const Orientation& o,
                     std::vector<Detection>& out) {
  RowCollector collector;
  std::vector<Segment> segments;
  for (const BarSpan& span : spans) {
    const RunRow row =
        o.columns ? ScanSamples(view.Row(span.from) + span.line, view.stride, span.to - span.from)
                  : ScanSamples(view.Row(span.line) + span.from, 1, span.to - span.from);
    segments.clear();
    databar::FindSegments(row, segments);
    for (Segment& segment : segments) {
      segment.begin += static_cast<float>(span.from);
      segment.end += static_cast<float>(span.from);
    }
    if (segments.empty()) continue;
    for (const Chain& chain : databar::Chains(segments)) collector.Add(chain, span.line);
  }
  std::vector<RowSeen>& rows = collector.Rows();
  const Int32 needed = std::clamp(settings.minLineCount, 1, kMaxRowLines);
  std::erase_if(rows, [&](const RowSeen& row) { return row.lines < needed; });
  const bool wantStacked = settings.symbologies.test(Index(Symbology::DataBarStacked));
  const bool wantExpanded = settings.symbologies.test(Index(Symbology::DataBarExpandedStacked));
  for (RowSeen& top : rows) {
    if (top.used || static_cast<Int32>(out.size()) >= settings.maxNumberOfSymbols) continue;
    std::optional<Found> found =
        top.chain.front().expanded ? ExpandedStacked(rows, top, o) : DataBarStacked(rows, top, o);
    if (!found) continue;
    for (RowSeen* row : found->rows) row->used = true;
    const bool wanted = found->symbology == Symbology::DataBarStacked ? wantStacked : wantExpanded;
    if (wanted) out.push_back(DetectionOf(*found, o));
  }
}

// Bars that lean less than this read on the lines of the view as it stands.
constexpr double kUprightDegrees = 3;
constexpr double kLeanStep = 4;

// The direction of the luminance gradient that most edges share, in degrees
// clockwise from the x axis, in (-90, 90]: across the bars of a symbol. The
// peak of a histogram weighted by edge strength, so that the few edges along
// the rows do not pull it aside.
double GradientDegrees(const LumaView& view) {
  constexpr Int32 kBins = 180;
  std::array<double, kBins> weight{};
  for (Int32 y = 1; y + 1 < view.height; ++y) {
    const UInt8* up = view.Row(y - 1);
    const UInt8* row = view.Row(y);
    const UInt8* down = view.Row(y + 1);
    for (Int32 x = 1; x + 1 < view.width; ++x) {
      // Sobel differences: the plain ones lean towards the diagonals on the
      // stairs of a turned edge.
      const double gx = (up[x + 1] + 2.0 * row[x + 1] + down[x + 1]) -
                        (up[x - 1] + 2.0 * row[x - 1] + down[x - 1]);
      const double gy =
          (down[x - 1] + 2.0 * down[x] + down[x + 1]) - (up[x - 1] + 2.0 * up[x] + up[x + 1]);
      const double strength = gx * gx + gy * gy;
      if (strength < 6400) continue;  // flat paper, grain
      double degrees = std::atan2(gy, gx) * 180 / std::numbers::pi;
      if (degrees < 0) degrees += 180;
      weight[static_cast<std::size_t>(degrees) % kBins] += std::sqrt(strength);
    }
  }
  Int32 best = 0;
  double bestSum = -1;
  for (Int32 b = 0; b < kBins; ++b) {
    double sum = 0;
    for (Int32 d = -2; d <= 2; ++d)
      sum += weight[static_cast<std::size_t>((b + d + kBins) % kBins)];
    if (sum > bestSum) best = b, bestSum = sum;
  }
  const double degrees = best + 0.5;
  return degrees > 90 ? degrees - 180 : degrees;
}

std::vector<Detection> ReadBoth(const LumaView& view) {
  ViewSettings settings;
  settings.symbologies.set(Index(Symbology::DataBarStacked));
  settings.symbologies.set(Index(Symbology::DataBarExpandedStacked));
  settings.tryRotate = true;
  return ReadStackedDataBar(view, settings);
}

}  // namespace

std::vector<Detection> StackedDataBarsAround(const LumaView& area) {
  if (area.Empty() || area.pixels == nullptr) return {};
  std::vector<Detection> found = ReadBoth(area);
  if (!found.empty()) return found;
  double lean = GradientDegrees(area);
  // Bars standing or lying: the quarter turns are read as they are.
  if (lean > 45) lean -= 90;
  if (lean <= -45) lean += 90;
  if (std::abs(lean) < kUprightDegrees) return found;
  try {
    LumaImage copy;
    copy.width = area.width;
    copy.height = area.height;
    copy.pixels.resize(static_cast<std::size_t>(area.width) * area.height);
    for (Int32 y = 0; y < area.height; ++y) std::copy_n(area.Row(y), area.width, copy.Row(y));
    // The estimate may miss by a few degrees; rows read within about three.
    for (const double off : {0.0, -kLeanStep, kLeanStep}) {
      const double degrees = off - lean;
      found = ReadBoth(ViewOf(RotateByAngle(copy, degrees)));
      if (found.empty()) continue;
      const AngleRotation rotation(area.width, area.height, degrees);
      for (Detection& detection : found) {
        for (PointD& corner : detection.corners) {
          const PointF source = rotation.ToSource({corner.x, corner.y});
          corner = {source.x, source.y};
        }
      }
      return found;
    }
  } catch (...) {
    found.clear();
  }
  return found;
}

std::vector<Detection> ReadStackedDataBar(const LumaView& view, const ViewSettings& settings) {
  std::vector<Detection> out;
  if (view.Empty() || view.pixels == nullptr) return out;
  // The pass that only changes the library's binarizer would read the same
  // lines again: our scanner cuts them by the local contrast.
  if (!settings.localBinarizer) return out;
  try {
    std::vector<BarSpan> rows, columns;
    FindBarSpans(view, {kLineStep, kMinCrossings, kMaxSpanGap, settings.tryRotate, kSampleStep},
                 rows, columns);
    ReadOrientation(view, rows, settings, {false}, out);
    if (settings.tryRotate) ReadOrientation(view, columns, settings, {true}, out);
  } catch (...) {
    out.clear();
  }
  return out;
}

ViewReader StackedDataBarReader() { return ReadStackedDataBar; }

}  // namespace vexo::engine
