#include "engine/bars/SymbolBand.h"

#include <algorithm>
#include <cmath>

#include "engine/bars/LineScanner.h"

namespace vexo::engine {
namespace {

// Lines are tilted only past this shear (along positions per line): 1.5
// pixels over a symbol 300 pixels long.
constexpr double kMinShear = 0.005;
// Beyond this (about 11 degrees) the reads do not follow one symbol's bars.
constexpr double kMaxShear = 0.2;
constexpr UInt8 kWhite = 255;

// How far the reads' begin and end move along per line: the slope of a
// least-squares line through each, averaged.
double Shear(const std::vector<BandLine>& lines) {
  if (lines.size() < 2) return 0;
  double meanV = 0, meanB = 0, meanE = 0;
  for (const BandLine& l : lines) meanV += l.line, meanB += l.begin, meanE += l.end;
  const double n = static_cast<double>(lines.size());
  meanV /= n, meanB /= n, meanE /= n;
  double vv = 0, vb = 0, ve = 0;
  for (const BandLine& l : lines) {
    vv += (l.line - meanV) * (l.line - meanV);
    vb += (l.line - meanV) * (l.begin - meanB);
    ve += (l.line - meanV) * (l.end - meanE);
  }
  if (vv <= 0) return 0;
  const double shear = (vb + ve) / (2 * vv);
  if (std::abs(shear) < kMinShear || std::abs(shear) > kMaxShear) return 0;
  return shear;
}

// Lines across the bars: the points (u, v0 - shear * (u - uRef)), v0 being
// the centre of a line where it crosses uRef.
struct TiltedLines {
  const ScanAxis& axis;
  double shear;
  double uRef;

  double Across(double v0, double u) const { return v0 - shear * (u - uRef); }

  RunRow Scan(double v0) const {
    if (shear == 0) return axis.Scan(static_cast<Int32>(std::floor(v0)));
    const Int32 length = axis.Length();
    std::vector<UInt8> samples(static_cast<std::size_t>(std::max(length, 0)));
    for (Int32 i = 0; i < length; ++i) {
      const auto line = static_cast<Int32>(std::floor(Across(v0, i + 0.5)));
      UInt8 value = kWhite;
      if (line >= 0 && line < axis.Lines()) {
        value = axis.columns ? axis.view.Row(i)[line] : axis.view.Row(line)[i];
      }
      samples[static_cast<std::size_t>(i)] = value;
    }
    return ScanSamples(samples.data(), 1, length);
  }
};

bool Overlap(float b0, float e0, float b1, float e1) {
  return std::min(e0, e1) - std::max(b0, b1) >= 0.5f * std::min(e0 - b0, e1 - b1);
}

struct Reached {
  double v0;  // centre of the outermost line that reads the symbol
  float begin, end;
};

// Steps line by line from `from` in `direction` while the line still reads
// the symbol; at most the symbol's length, so the work is bounded.
Reached Grow(const TiltedLines& tilted, RowDecoder decode, const LineRead& read, Reached from,
             int direction) {
  const auto limit = static_cast<Int32>(from.end - from.begin) + 1;
  std::vector<LineRead> reads;
  for (Int32 step = 1; step <= limit; ++step) {
    const double v0 = from.v0 + direction;
    if (std::floor(tilted.Across(v0, from.begin)) < 0 &&
        std::floor(tilted.Across(v0, from.end)) < 0) {
      break;
    }
    if (tilted.Across(v0, from.begin) >= tilted.axis.Lines() &&
        tilted.Across(v0, from.end) >= tilted.axis.Lines()) {
      break;
    }
    reads.clear();
    decode(tilted.Scan(v0), reads);
    const auto same = std::find_if(reads.begin(), reads.end(), [&](const LineRead& r) {
      return r.reversed == read.reversed && r.content == read.content &&
             Overlap(r.begin, r.end, from.begin, from.end);
    });
    if (same == reads.end()) break;
    from = {v0, same->begin, same->end};
  }
  return from;
}

}  // namespace

RunRow ScanAxis::Scan(Int32 line) const {
  return columns ? ScanColumn(view, line) : ScanRow(view, line);
}

SymbolBand BandOf(const ScanAxis& axis, RowDecoder decode, const LineRead& read,
                  const std::vector<BandLine>& lines) {
  SymbolBand band;
  if (lines.empty()) return band;
  const BandLine& first = lines.front();
  const BandLine& last = lines.back();
  const TiltedLines tilted{axis, Shear(lines), (first.begin + first.end) / 2.0};
  const Reached low = Grow(tilted, decode, read, {first.line + 0.5, first.begin, first.end}, -1);
  const Reached high = Grow(tilted, decode, read, {last.line + 0.5, last.begin, last.end}, 1);
  band.height = high.v0 - low.v0 + 1;

  // The band's edges lie half a line outside its outermost lines' centres.
  struct Side {
    PointD begin, end;
  };
  const auto side = [&](const Reached& r, double edge) {
    return Side{axis.Point(r.begin, tilted.Across(r.v0 + edge, r.begin)),
                axis.Point(r.end, tilted.Across(r.v0 + edge, r.end))};
  };
  const Side lowSide = side(low, -0.5);
  const Side highSide = side(high, 0.5);
  // Read left to right along rows, the symbol's top is at the lower rows;
  // read downwards along columns (a quarter turn clockwise), at the higher
  // columns; reversed, the other way.
  const bool reversed = read.reversed;
  const bool topIsLow = axis.columns ? reversed : !reversed;
  const Side& top = topIsLow ? lowSide : highSide;
  const Side& bottom = topIsLow ? highSide : lowSide;
  band.corners = {reversed ? top.end : top.begin, reversed ? top.begin : top.end,
                  reversed ? bottom.begin : bottom.end, reversed ? bottom.end : bottom.begin};
  return band;
}

}  // namespace vexo::engine
