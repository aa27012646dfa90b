#include "engine/stacked/MicroPdf417Reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>

#include "engine/bars/LineScanner.h"
#include "engine/stacked/MicroPdf417Symbol.h"

namespace vexo::engine {
namespace {

using micropdf::PlacedRow;

// Slants tried, in degrees, around a symbol whose rows no straight line read
// whole: a row is two modules high, so a line must follow it to within about
// half a degree across a wide symbol.
constexpr std::array<double, 20> kSlants{0.5, -0.5, 1.0, -1.0, 1.5, -1.5, 2.0, -2.0, 2.5, -2.5,
                                         3.0, -3.0, 3.5, -3.5, 4.0, -4.0, 4.5, -4.5, 5.0, -5.0};
// Left anchors on this many consecutive rows make a symbol worth the slanted lines.
constexpr int kMinAnchorRows = 3;
// Views larger than this are first read on every kSparseStep-th line.
constexpr Int64 kDenseViewPixels = 250'000;
constexpr Int32 kSparseStep = 16;
// The widest row in modules (4 columns), and a little room.
constexpr float kWidestRowModules = 110;

// Lines of the view in one orientation: rows (positions along x, lines across
// y) or columns. A line at `across` with a slant runs through the samples at
// along, across + slope * (along - begin), nearest pixel; outside the view is paper.
class Lines {
 public:
  // Columns every `step` apart are copied out first, row by row: read one by
  // one down the view, every pixel would be a cache miss.
  Lines(const LumaView& view, bool columns, Int32 step)
      : view_(view), columns_(columns), step_(step) {
    if (!columns_) return;
    const Int32 count = (view_.width + step_ - 1) / step_;
    copied_.resize(static_cast<std::size_t>(count) * static_cast<std::size_t>(view_.height));
    // In bands of rows, so that both the rows read and the columns written
    // stay in the cache.
    constexpr Int32 kBand = 64;
    for (Int32 top = 0; top < view_.height; top += kBand) {
      const Int32 bottom = std::min(view_.height, top + kBand);
      for (Int32 k = 0; k < count; ++k) {
        UInt8* column =
            copied_.data() + static_cast<std::size_t>(k) * static_cast<std::size_t>(view_.height);
        for (Int32 y = top; y < bottom; ++y) column[y] = view_.Row(y)[k * step_];
      }
    }
  }
  Int32 Count() const { return columns_ ? view_.width : view_.height; }
  Int32 Length() const { return columns_ ? view_.height : view_.width; }

  // Line `line`, a multiple of the step.
  RunRow Straight(Int32 line) const {
    if (!columns_) return ScanRow(view_, line);
    return ScanSamples(copied_.data() + static_cast<std::size_t>(line / step_) *
                                            static_cast<std::size_t>(view_.height),
                       1, view_.height);
  }

  RunRow Slanted(double across, double slope, Int32 begin, Int32 end) {
    samples_.resize(static_cast<std::size_t>(std::max(0, end - begin)));
    for (Int32 along = begin; along < end; ++along) {
      const auto a = static_cast<Int32>(std::floor(across + slope * (along - begin)));
      UInt8 value = 255;
      if (a >= 0 && a < Count()) value = columns_ ? view_.Row(along)[a] : view_.Row(a)[along];
      samples_[static_cast<std::size_t>(along - begin)] = value;
    }
    RunRow row = ScanSamples(samples_.data(), 1, end - begin);
    for (float& start : row.starts) start += static_cast<float>(begin);
    return row;
  }

 private:
  const LumaView& view_;
  bool columns_;
  Int32 step_;
  std::vector<UInt8> copied_;
  std::vector<UInt8> samples_;
};

struct PlacedAnchor {
  micropdf::LeftAnchor anchor;
  float across = 0;
};

// Anchors that stand at one place along the lines with row numbers that count
// up or down over several rows: the left side of a symbol.
std::vector<std::vector<PlacedAnchor>> AnchorGroups(std::vector<PlacedAnchor> anchors) {
  std::sort(anchors.begin(), anchors.end(),
            [](const PlacedAnchor& a, const PlacedAnchor& b) { return a.across < b.across; });
  std::vector<std::vector<PlacedAnchor>> groups;
  for (const PlacedAnchor& a : anchors) {
    std::vector<PlacedAnchor>* home = nullptr;
    for (auto& group : groups) {
      const PlacedAnchor& last = group.back();
      if (last.anchor.reversed == a.anchor.reversed &&
          std::fabs(last.anchor.position - a.anchor.position) < 2 * a.anchor.module &&
          a.across - last.across < 8 * a.anchor.module) {
        home = &group;
        break;
      }
    }
    if (home == nullptr) home = &groups.emplace_back();
    home->push_back(a);
  }
  std::erase_if(groups, [](const std::vector<PlacedAnchor>& group) {
    int steps = 0;
    for (std::size_t k = 1; k < group.size(); ++k) {
      const int step = (group[k].anchor.left - group[k - 1].anchor.left + 52) % 52;
      if (step == 1 || step == 51) ++steps;
    }
    return steps + 1 < kMinAnchorRows;
  });
  return groups;
}

// Reads the lines around one anchor group at each slant in turn, until a
// slant gives a symbol.
std::vector<micropdf::SymbolRead> ReadSlanted(Lines& lines,
                                              const std::vector<PlacedAnchor>& group) {
  const PlacedAnchor& first = group.front();
  const float module = first.anchor.module;
  const float reach = kWidestRowModules * module;
  const auto begin = static_cast<Int32>(std::max(0.0F, first.anchor.reversed
                                                           ? first.anchor.position - reach
                                                           : first.anchor.position - 4 * module));
  const auto end = static_cast<Int32>(std::min(
      static_cast<float>(lines.Length()),
      first.anchor.reversed ? first.anchor.position + 4 * module : first.anchor.position + reach));
  if (end <= begin) return {};
  const float low = group.front().across, high = group.back().across;
  const float margin = (high - low) / 2 + 8 * module;
  std::vector<micropdf::RowRead> reads;
  for (const double degrees : kSlants) {
    const double slope = std::tan(degrees * std::numbers::pi / 180.0);
    const double drift = std::fabs(slope) * (end - begin);
    std::vector<PlacedRow> rows;
    for (double across = low - margin - drift; across <= high + margin + drift; across += 1.0) {
      reads.clear();
      micropdf::ReadRows(lines.Slanted(across, slope, begin, end), reads);
      for (const auto& read : reads) {
        const double middle = (read.leftEdge + read.rightEdge) / 2.0 - begin;
        rows.push_back({read, static_cast<float>(across + slope * middle) + 0.5F});
      }
    }
    auto symbols = micropdf::JoinRows(std::move(rows));
    if (!symbols.empty()) return symbols;
  }
  return {};
}

// Every symbol read on the lines of one orientation.
std::vector<micropdf::SymbolRead> ReadLines(const LumaView& view, bool columns) {
  // A large view is read on every few lines first: the smallest symbol is
  // four rows of two 2-pixel modules, 16 lines high. Around what those lines
  // show, every line is read, over the stretch a symbol there may cover.
  const bool sparse = static_cast<Int64>(view.width) * view.height > kDenseViewPixels;
  const Int32 step = sparse ? kSparseStep : 1;
  Lines lines(view, columns, step);
  std::vector<PlacedRow> rows;
  std::vector<PlacedAnchor> anchors;
  std::vector<micropdf::RowRead> reads;
  std::vector<micropdf::LeftAnchor> lineAnchors;
  // Where a row or an anchor showed on a sampled line: the stretch of the line
  // a symbol there may cover.
  struct Hit {
    Int32 line;
    float begin, end;
  };
  std::vector<Hit> hits;
  auto read = [&](Int32 line, const RunRow& runs) {
    reads.clear();
    lineAnchors.clear();
    micropdf::ReadRows(runs, reads, &lineAnchors);
    const float across = static_cast<float>(line) + 0.5F;
    for (const auto& r : reads) {
      rows.push_back({r, across});
      hits.push_back({line, std::min(r.leftEdge, r.rightEdge) - 4 * r.module,
                      std::max(r.leftEdge, r.rightEdge) + 4 * r.module});
    }
    for (const auto& anchor : lineAnchors) {
      anchors.push_back({anchor, across});
      const float reach = kWidestRowModules * anchor.module, back = 4 * anchor.module;
      hits.push_back({line, anchor.reversed ? anchor.position - reach : anchor.position - back,
                      anchor.reversed ? anchor.position + back : anchor.position + reach});
    }
  };
  for (Int32 line = 0; line < lines.Count(); line += step) read(line, lines.Straight(line));
  if (sparse) {
    // The stretches to read on each line between the sampled ones, merged
    // where they overlap so that no pixel is read twice.
    std::map<Int32, std::vector<std::pair<Int32, Int32>>> stretches;
    for (const Hit& hit : hits) {
      const auto from = static_cast<Int32>(std::max(0.0F, hit.begin));
      const auto to = static_cast<Int32>(std::min(static_cast<float>(lines.Length()), hit.end + 1));
      if (from >= to) continue;
      for (Int32 line = std::max(0, hit.line - step + 1);
           line < std::min(lines.Count(), hit.line + step); ++line) {
        if (line % step != 0) stretches[line].emplace_back(from, to);
      }
    }
    hits.clear();
    for (auto& [line, list] : stretches) {
      std::sort(list.begin(), list.end());
      for (std::size_t k = 0; k < list.size();) {
        auto [from, to] = list[k];
        for (++k; k < list.size() && list[k].first <= to; ++k) to = std::max(to, list[k].second);
        read(line, lines.Slanted(line, 0, from, to));
      }
    }
  }
  std::vector<micropdf::SymbolRead> symbols = micropdf::JoinRows(std::move(rows));
  for (const auto& group : AnchorGroups(std::move(anchors))) {
    // A group inside a symbol already read is part of it.
    const float at = group.front().anchor.position, across = group.front().across;
    const bool known = std::any_of(symbols.begin(), symbols.end(), [&](const auto& symbol) {
      float lowAlong = symbol.corners[0][0], highAlong = lowAlong;
      float lowAcross = symbol.corners[0][1], highAcross = lowAcross;
      for (const auto& [a, c] : symbol.corners) {
        lowAlong = std::min(lowAlong, a), highAlong = std::max(highAlong, a);
        lowAcross = std::min(lowAcross, c), highAcross = std::max(highAcross, c);
      }
      return at >= lowAlong - 8 && at <= highAlong + 8 && across >= lowAcross - 8 &&
             across <= highAcross + 8;
    });
    if (known) continue;
    for (auto& symbol : ReadSlanted(lines, group)) symbols.push_back(std::move(symbol));
  }
  return symbols;
}

std::vector<Detection> Read(const LumaView& view, const ViewSettings& settings) {
  std::vector<Detection> found;
  if (view.Empty() || !settings.symbologies.test(Index(Symbology::MicroPdf417))) return found;
  for (const bool columns : {false, true}) {
    if (columns && !settings.tryRotate) break;
    for (auto& symbol : ReadLines(view, columns)) {
      Detection detection;
      detection.symbology = Symbology::MicroPdf417;
      detection.code = Info(Symbology::MicroPdf417).code;
      detection.content = std::move(symbol.content);
      for (std::size_t k = 0; k < 4; ++k) {
        const auto& [along, across] = symbol.corners[k];
        detection.corners[k] = columns ? PointD{across, along} : PointD{along, across};
      }
      found.push_back(std::move(detection));
    }
  }
  return found;
}

}  // namespace

ViewReader MicroPdf417ViewReader() {
  return [](const LumaView& view, const ViewSettings& settings) -> std::vector<Detection> {
    try {
      return Read(view, settings);
    } catch (...) {
      return {};
    }
  };
}

}  // namespace vexo::engine
