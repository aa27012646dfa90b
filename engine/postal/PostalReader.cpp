#include "engine/postal/PostalReader.h"

#include <algorithm>
#include <array>

#include "engine/postal/AustraliaPost.h"
#include "engine/postal/Planet.h"
#include "engine/postal/PostNet.h"
#include "engine/postal/Rm4scc.h"
#include "engine/postal/Usps4cb.h"

namespace vexo::engine {
namespace {

// Every third line is scanned: the band that all bars of a symbol cross (the
// tracker, or the short bars of Post Net) is at least 8 pixels high at 200
// dpi, so two lines or more cross it.
constexpr Int32 kLineStep = 3;
// The shortest symbol: RM4SCC with one character (start, character,
// checksum, stop).
constexpr Int32 kMinBars = 10;

struct DecoderRow {
  Symbology symbology;
  PostalDecoder decode;
};
constexpr std::array<DecoderRow, 5> kDecoders{{
    {Symbology::PostNet, DecodePostNet},
    {Symbology::Planet, DecodePlanet},
    {Symbology::AustraliaPost, DecodeAustraliaPost},
    {Symbology::Rm4scc, DecodeRm4scc},
    {Symbology::Usps4cb, DecodeUsps4cb},
}};

// One way to read a run: along the line or against it, the ascenders towards
// smaller or larger `across`.
struct Reading {
  bool forward;
  bool ascendersLow;
};

// The corners of the symbol as read, in view coordinates.
std::array<PointD, 4> Corners(const BarRun& run, const ClassifiedRun& c, bool columns,
                              Reading reading) {
  const MeasuredBar& first = run.bars.front();
  const MeasuredBar& last = run.bars.back();
  const double left = first.center - 0.5 * first.width;
  const double right = last.center + 0.5 * last.width;
  const auto top = [&](double along) { return c.top + c.skew * (along - first.center); };
  const auto bottom = [&](double along) { return c.bottom + 1 + c.skew * (along - first.center); };
  const auto ascender = [&](double along) {
    return reading.ascendersLow ? top(along) : bottom(along);
  };
  const auto descender = [&](double along) {
    return reading.ascendersLow ? bottom(along) : top(along);
  };
  const auto point = [&](double along, double across) {
    return columns ? PointD{across, along} : PointD{along, across};
  };
  const double start = reading.forward ? left : right;
  const double end = reading.forward ? right : left;
  return {point(start, ascender(start)), point(end, ascender(end)), point(end, descender(end)),
          point(start, descender(start))};
}

// Reads one run with every wanted decoder in both directions; reports it when
// exactly one reading verifies.
void ReadRun(const BarRun& run, bool columns, const SymbologySet& wanted,
             std::vector<Detection>& found) {
  ClassifiedRun classified;
  if (!ClassifyBars(run, classified)) return;
  // Down a column the raster is the view transposed (a mirror image): the
  // ascenders of a symbol read downwards point to larger `across`.
  const std::vector<BarState> along = columns ? Mirrored(classified.states) : classified.states;
  const std::vector<BarState> against = TurnedOver(along);
  Detection detection;
  int verified = 0;
  for (const DecoderRow& row : kDecoders) {
    if (!wanted.test(Index(row.symbology))) continue;
    for (const bool forward : {true, false}) {
      std::vector<UInt8> content;
      if (!row.decode(forward ? along : against, content)) continue;
      if (++verified > 1) return;
      detection.symbology = row.symbology;
      detection.code = Info(row.symbology).code;
      detection.content = std::move(content);
      detection.corners = Corners(run, classified, columns, {forward, forward != columns});
    }
  }
  if (verified == 1) found.push_back(std::move(detection));
}

void ReadLines(const LumaView& view, bool columns, UInt8 threshold, const ViewSettings& settings,
               std::vector<Detection>& found) {
  const BarRaster raster(view, columns);
  const std::vector<std::vector<DarkSpan>> spans = DarkSpans(view, columns, threshold, kLineStep);
  std::vector<BarRun> seen;
  for (std::size_t i = 0; i < spans.size(); ++i) {
    std::vector<BarRun> runs;
    FindBarRuns(raster, threshold, static_cast<Int32>(i) * kLineStep, spans[i], kMinBars, seen,
                runs);
    for (BarRun& run : runs) {
      ReadRun(run, columns, settings.symbologies, found);
      if (static_cast<Int32>(found.size()) >= settings.maxNumberOfSymbols) return;
      seen.push_back(std::move(run));
    }
  }
}

}  // namespace

PostalDecoder PostalDecoderOf(Symbology symbology) {
  for (const DecoderRow& row : kDecoders) {
    if (row.symbology == symbology) return row.decode;
  }
  return nullptr;
}

std::vector<Detection> ReadPostal(const LumaView& view, const ViewSettings& settings) {
  std::vector<Detection> found;
  try {
    if (view.Empty() || settings.maxNumberOfSymbols <= 0) return found;
    const UInt8 threshold = InkThreshold(view);
    if (threshold == 0) return found;
    ReadLines(view, false, threshold, settings, found);
    if (settings.tryRotate) ReadLines(view, true, threshold, settings, found);
  } catch (...) {
    // Out of memory on a huge view: what was found so far stands.
  }
  return found;
}

ViewReader PostalViewReader() { return ReadPostal; }

}  // namespace vexo::engine
