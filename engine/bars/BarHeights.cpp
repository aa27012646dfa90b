#include "engine/bars/BarHeights.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vexo::engine {
namespace {

// Postal bars stand 20 to 24 to the inch: at 200 to 300 dpi, and on half-size
// copies, 4 to 15 pixels apart; 600 dpi gives 30.
constexpr float kMinPitch = 3.5f;
constexpr float kMaxPitch = 40;
// A bar is narrower than this share of the pitch (there is paper between).
constexpr float kMaxWidthShare = 0.8f;
// Bar centres may stray this share of the pitch from where the pitch puts them.
constexpr float kPitchTolerance = 0.25f;
// A bar is at most this many pitches tall (real ones are 3 to 6).
constexpr Int32 kMaxHeightPitches = 10;
// No symbol has more bars than this (Planet: 72).
constexpr std::size_t kMaxBars = 100;
// Runs are followed with the band common to this many of the last bars.
constexpr std::size_t kBandBars = 4;
// Two groups of bar edges are apart when the gap between them is at least
// this share of the symbol's full height, and wider than either group.
constexpr float kMinSplitShare = 0.12f;
constexpr float kMinSplitPixels = 2;
// An edge that does not split is even when its spread stays within this
// share of the height (ragged ends, noise).
constexpr float kMaxEvenShare = 0.25f;
// Skews tried: up to about 7 degrees either way (more is left to the turned
// crops of the passes).
constexpr float kSkewStep = 0.004f;
constexpr Int32 kSkewSteps = 30;
// Histogram sample: about this many pixels.
constexpr Int64 kThresholdSamples = 1 << 18;
// Paper and ink must differ by this much for anything to count as ink.
constexpr Int32 kMinContrast = 40;

bool Dark(const BarRaster& raster, UInt8 threshold, Int32 along, Int32 across) {
  return raster.Inside(along, across) && raster.At(along, across) < threshold;
}

// The dark span of line `across` around `along`, if `along` is dark.
bool SpanAt(const BarRaster& raster, UInt8 threshold, Int32 along, Int32 across, Int32 limit,
            DarkSpan& span) {
  if (!Dark(raster, threshold, along, across)) return false;
  Int32 begin = along, end = along + 1;
  while (begin > along - limit && Dark(raster, threshold, begin - 1, across)) --begin;
  while (end < along + limit && Dark(raster, threshold, end, across)) ++end;
  span = {begin, end};
  return true;
}

// Follows the bar through (along, across) away from the line in direction
// `step` (-1 up, +1 down), a pixel of sideways drift per line allowed (skew,
// ragged edges) and one missing line bridged. Returns the last line of ink.
Int32 Follow(const BarRaster& raster, UInt8 threshold, Int32 along, Int32 across, Int32 step,
             Int32 maxLength) {
  Int32 last = across;
  for (Int32 a = across + step, gap = 0; std::abs(a - across) <= maxLength; a += step) {
    Int32 found = -1;
    for (const Int32 offset : {0, -1, 1}) {
      if (Dark(raster, threshold, along + offset, a)) {
        found = along + offset;
        break;
      }
    }
    if (found < 0) {
      if (++gap > 1) break;
      continue;
    }
    gap = 0;
    along = found;
    last = a;
  }
  return last;
}

// Measures the bar whose ink is at (along, across): its extent across the
// line, and its centre and width along the line: the medians over a few lines
// around the middle of the bar, so that a hole or a ragged edge on one line
// does not count.
bool Measure(const BarRaster& raster, UInt8 threshold, Int32 along, Int32 across, float pitch,
             MeasuredBar& bar) {
  const Int32 maxLength = static_cast<Int32>(kMaxHeightPitches * pitch);
  const Int32 top = Follow(raster, threshold, along, across, -1, maxLength);
  const Int32 bottom = Follow(raster, threshold, along, across, +1, maxLength);
  const Int32 limit = static_cast<Int32>(pitch) + 1;
  std::array<float, 5> centres{}, widths{};
  std::size_t n = 0;
  const Int32 middle = (top + bottom) / 2;
  for (Int32 a = std::max(top, middle - 2); a <= std::min(bottom, middle + 2) && n < widths.size();
       ++a) {
    DarkSpan span;
    for (const Int32 offset : {0, -1, 1}) {
      if (!SpanAt(raster, threshold, along + offset, a, limit, span)) continue;
      centres[n] = 0.5f * static_cast<float>(span.begin + span.end);
      widths[n++] = static_cast<float>(span.end - span.begin);
      break;
    }
  }
  if (n == 0) return false;
  std::sort(centres.begin(), centres.begin() + n);
  std::sort(widths.begin(), widths.begin() + n);
  bar = {centres[n / 2], widths[n / 2], static_cast<float>(top), static_cast<float>(bottom)};
  return bar.width < static_cast<float>(limit);  // else not a bar: ink along the line
}

bool WidthFits(float width, float reference) {
  return std::abs(width - reference) <= std::max(2.0f, 0.5f * reference);
}

// The band that the last few bars of a run all cover (the tracker).
std::pair<Int32, Int32> CommonBand(const std::vector<MeasuredBar>& bars, bool atEnd) {
  const std::size_t n = std::min(bars.size(), kBandBars);
  float top = -1e9f, bottom = 1e9f;
  for (std::size_t k = 0; k < n; ++k) {
    const MeasuredBar& b = atEnd ? bars[bars.size() - 1 - k] : bars[k];
    top = std::max(top, b.top);
    bottom = std::min(bottom, b.bottom);
  }
  if (top > bottom) {  // skew has moved the band: the nearest bar alone
    const MeasuredBar& b = atEnd ? bars.back() : bars.front();
    top = b.top, bottom = b.bottom;
  }
  return {static_cast<Int32>(top), static_cast<Int32>(bottom)};
}

// Looks for the next bar one pitch beyond the end (or before the start) of
// the run: of the columns near where the pitch puts it, the one with the most
// ink inside the band of its neighbours (a ragged edge pixel is no bar).
bool NextBar(const BarRaster& raster, UInt8 threshold, const std::vector<MeasuredBar>& bars,
             float pitch, float width, bool atEnd, MeasuredBar& next) {
  const MeasuredBar& edge = atEnd ? bars.back() : bars.front();
  const float predicted = edge.center + (atEnd ? pitch : -pitch);
  const Int32 tolerance = std::max(1, static_cast<Int32>(kPitchTolerance * pitch));
  const auto [bandTop, bandBottom] = CommonBand(bars, atEnd);
  const Int32 centre = static_cast<Int32>(std::lround(predicted));
  Int32 bestAlong = 0, bestInk = 0, firstInk = 0;
  for (Int32 along = centre - tolerance; along <= centre + tolerance; ++along) {
    Int32 ink = 0, first = 0;
    for (Int32 across = bandTop; across <= bandBottom; ++across) {
      if (!Dark(raster, threshold, along, across)) continue;
      if (ink++ == 0) first = across;
    }
    if (ink > bestInk ||
        (ink == bestInk && std::abs(along - centre) < std::abs(bestAlong - centre))) {
      bestAlong = along, bestInk = ink, firstInk = first;
    }
  }
  // Ink over a quarter of the band at least: the band of bars that all have
  // ascenders is the ascender and the tracker, and the next bar may have the
  // tracker alone.
  if (bestInk < 2 || 4 * bestInk < bandBottom - bandTop + 1) return false;
  return Measure(raster, threshold, bestAlong, firstInk, pitch, next) &&
         std::abs(next.center - predicted) <= kPitchTolerance * pitch + 1 &&
         WidthFits(next.width, width);
}

bool InsideRun(const std::vector<BarRun>& runs, float along, Int32 line) {
  return std::any_of(runs.begin(), runs.end(), [&](const BarRun& r) {
    const float half = 0.5f * r.pitch;
    return along >= r.bars.front().center - half && along <= r.bars.back().center + half &&
           static_cast<float>(line) >= r.top && static_cast<float>(line) <= r.bottom;
  });
}

// Whether the middle half of where two neighbouring bars both reach is paper
// between them (skewed bar ends lean over).
bool PaperBetween(const BarRaster& raster, UInt8 threshold, const MeasuredBar& a,
                  const MeasuredBar& b) {
  const Int32 middle = static_cast<Int32>(std::lround(0.5f * (a.center + b.center)));
  const float top = std::max(a.top, b.top), bottom = std::min(a.bottom, b.bottom);
  const float quarter = 0.25f * (bottom - top);
  for (auto across = static_cast<Int32>(top + quarter); across <= bottom - quarter; ++across) {
    if (Dark(raster, threshold, middle, across)) return false;
  }
  return true;
}

// Follows a seed of evenly pitched spans on the line into a whole run.
bool GrowRun(const BarRaster& raster, UInt8 threshold, Int32 line, const DarkSpan* seed,
             std::size_t count, BarRun& run) {
  const float pitch = (0.5f * static_cast<float>(seed[count - 1].begin + seed[count - 1].end -
                                                 seed[0].begin - seed[0].end)) /
                      static_cast<float>(count - 1);
  run.bars.clear();
  run.line = line;
  // A postal bar is at most a few pitches tall: a seed bar that reaches the
  // limit of its measure is a bar of another kind of symbol (a retail or a
  // Code 128 symbol's bars), or a stem of something larger.
  const auto reach = static_cast<float>(static_cast<Int32>(kMaxHeightPitches * pitch));
  const auto at = static_cast<float>(line);
  for (std::size_t i = 0; i < count; ++i) {
    MeasuredBar bar;
    const Int32 along = (seed[i].begin + seed[i].end) / 2;
    if (!Measure(raster, threshold, along, line, pitch, bar) || at - bar.top >= reach ||
        bar.bottom - at >= reach) {
      return false;
    }
    run.bars.push_back(bar);
  }
  // Paper between the seed's neighbours (checked again over the whole run
  // below), before the costlier growth.
  for (std::size_t i = 0; i + 1 < run.bars.size(); ++i) {
    if (!PaperBetween(raster, threshold, run.bars[i], run.bars[i + 1])) return false;
  }
  std::vector<float> widths;
  for (const MeasuredBar& b : run.bars) widths.push_back(b.width);
  std::nth_element(widths.begin(), widths.begin() + widths.size() / 2, widths.end());
  const float width = widths[widths.size() / 2];
  for (const bool atEnd : {true, false}) {
    MeasuredBar next;
    while (run.bars.size() < kMaxBars &&
           NextBar(raster, threshold, run.bars, pitch, width, atEnd, next)) {
      if (atEnd) {
        run.bars.push_back(next);
      } else {
        run.bars.insert(run.bars.begin(), next);
      }
    }
  }
  run.pitch =
      (run.bars.back().center - run.bars.front().center) / static_cast<float>(run.bars.size() - 1);
  run.top = run.bars.front().top, run.bottom = run.bars.front().bottom;
  for (const MeasuredBar& b : run.bars) {
    run.top = std::min(run.top, b.top), run.bottom = std::max(run.bottom, b.bottom);
  }
  // Paper between neighbours where both cross: a line through the tall bars
  // alone of a symbol sees them at twice the pitch, with bars between.
  for (std::size_t i = 0; i + 1 < run.bars.size(); ++i) {
    if (!PaperBetween(raster, threshold, run.bars[i], run.bars[i + 1])) return false;
  }
  // Every bar where the pitch puts it.
  for (std::size_t i = 0; i < run.bars.size(); ++i) {
    const float expected = run.bars.front().center + static_cast<float>(i) * run.pitch;
    if (std::abs(run.bars[i].center - expected) > 2 * kPitchTolerance * run.pitch + 1) return false;
  }
  return true;
}

// The least sum of squared deviations of the values from the means of two
// groups (or one): how well they fall into a high and a low group.
float TwoGroupCost(std::vector<float>& values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  double total = 0, totalSquares = 0;
  for (const float v : values) total += v, totalSquares += static_cast<double>(v) * v;
  double best = totalSquares - total * total / static_cast<double>(n);
  double sum = 0, squares = 0;
  for (std::size_t k = 1; k < n; ++k) {
    sum += values[k - 1], squares += static_cast<double>(values[k - 1]) * values[k - 1];
    const double rest = total - sum, restSquares = totalSquares - squares;
    const double cost = squares - sum * sum / static_cast<double>(k) + restSquares -
                        rest * rest / static_cast<double>(n - k);
    best = std::min(best, cost);
  }
  return static_cast<float>(best);
}

// The skew of the run, across pixels per along pixel: of the slopes tried,
// the one under which the tops and the bottoms fall best into two groups
// each.
float Skew(const BarRun& run) {
  float best = 0, bestCost = 0;
  std::vector<float> tops(run.bars.size()), bottoms(run.bars.size());
  for (Int32 step = -kSkewSteps; step <= kSkewSteps; ++step) {
    const float skew = kSkewStep * static_cast<float>(step);
    for (std::size_t i = 0; i < run.bars.size(); ++i) {
      const float drift = skew * (run.bars[i].center - run.bars.front().center);
      tops[i] = run.bars[i].top - drift;
      bottoms[i] = run.bars[i].bottom - drift;
    }
    const float cost = TwoGroupCost(tops) + TwoGroupCost(bottoms);
    if (step == -kSkewSteps || cost < bestCost) best = skew, bestCost = cost;
  }
  return best;
}

// Splits the values into a low and a high group where the widest gap between
// neighbouring sorted values is wide enough and wider than either group.
// Returns the dividing value, or nothing (one group) with `even` telling
// whether the single group is tight.
struct Split {
  bool apart = false;
  bool even = false;
  float divide = 0;
};
Split SplitInTwo(std::vector<float> values, float height) {
  std::sort(values.begin(), values.end());
  std::size_t widest = 0;
  float gap = 0;
  for (std::size_t i = 0; i + 1 < values.size(); ++i) {
    if (values[i + 1] - values[i] > gap) gap = values[i + 1] - values[i], widest = i;
  }
  const float minGap = std::max(kMinSplitPixels, kMinSplitShare * height);
  Split split;
  const float spread = values.back() - values.front();
  if (gap >= minGap && values[widest] - values.front() < gap &&
      values.back() - values[widest + 1] < gap) {
    split.apart = true;
    split.divide = 0.5f * (values[widest] + values[widest + 1]);
  } else {
    split.even = spread <= std::max(minGap, kMaxEvenShare * height);
  }
  return split;
}

// The slope of the edges within their groups (least squares, the groups
// pooled): the skew measured over the whole symbol.
float GroupSlope(const BarRun& run, const std::vector<float>& values, const Split& split,
                 float& sxy, float& sxx) {
  for (const bool high : {false, true}) {
    float n = 0, meanC = 0, meanV = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (split.apart && (values[i] > split.divide) != high) continue;
      if (!split.apart && high) continue;
      n += 1, meanC += run.bars[i].center, meanV += values[i];
    }
    if (n < 2) continue;
    meanC /= n, meanV /= n;
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (split.apart && (values[i] > split.divide) != high) continue;
      if (!split.apart && high) continue;
      const float dc = run.bars[i].center - meanC;
      sxy += dc * (values[i] - meanV);
      sxx += dc * dc;
    }
  }
  return sxx > 0 ? sxy / sxx : 0;
}

// The edges with the skew taken out, both split in two.
struct Edges {
  std::vector<float> tops, bottoms;
  Split top, bottom;
};
Edges SplitEdges(const BarRun& run, float skew) {
  Edges e;
  for (const MeasuredBar& b : run.bars) {
    const float drift = skew * (b.center - run.bars.front().center);
    e.tops.push_back(b.top - drift);
    e.bottoms.push_back(b.bottom - drift);
  }
  const float height = *std::max_element(e.bottoms.begin(), e.bottoms.end()) -
                       *std::min_element(e.tops.begin(), e.tops.end());
  e.top = SplitInTwo(e.tops, height);
  e.bottom = SplitInTwo(e.bottoms, height);
  return e;
}

}  // namespace

UInt8 InkThreshold(const LumaView& view) {
  if (view.Empty()) return 0;
  std::array<Int64, 256> histogram{};
  const Int64 pixels = static_cast<Int64>(view.width) * view.height;
  const Int32 step = std::max<Int32>(
      1, static_cast<Int32>(std::sqrt(static_cast<double>(pixels) / kThresholdSamples)));
  Int64 total = 0;
  if (step == 1) {
    // Every pixel: four counts at a time, into four histograms that are
    // summed after, so that no count waits for the one before.
    std::array<std::array<UInt32, 256>, 4> parts{};
    for (Int32 y = 0; y < view.height; ++y) {
      const UInt8* row = view.Row(y);
      Int32 x = 0;
      for (; x + 4 <= view.width; x += 4) {
        ++parts[0][row[x]], ++parts[1][row[x + 1]], ++parts[2][row[x + 2]], ++parts[3][row[x + 3]];
      }
      for (; x < view.width; ++x) ++parts[0][row[x]];
    }
    for (const auto& part : parts) {
      for (std::size_t v = 0; v < 256; ++v) histogram[v] += part[v];
    }
  } else {
    for (Int32 y = 0; y < view.height; y += step) {
      const UInt8* row = view.Row(y);
      for (Int32 x = 0; x < view.width; x += step) ++histogram[row[x]];
    }
  }
  Int32 lowest = 255, highest = 0;
  double sum = 0;
  for (Int32 v = 0; v < 256; ++v) {
    if (histogram[v] == 0) continue;
    lowest = std::min(lowest, v), highest = std::max(highest, v);
    total += histogram[v];
    sum += static_cast<double>(v) * static_cast<double>(histogram[v]);
  }
  if (highest - lowest < kMinContrast) return 0;
  // Otsu: the threshold that best separates the two classes.
  double best = -1, sumBelow = 0;
  Int64 below = 0;
  Int32 threshold = (lowest + highest) / 2;
  for (Int32 v = 0; v < 255; ++v) {
    below += histogram[v];
    sumBelow += static_cast<double>(v) * static_cast<double>(histogram[v]);
    if (below == 0 || below == total) continue;
    const double meanBelow = sumBelow / static_cast<double>(below);
    const double meanAbove = (sum - sumBelow) / static_cast<double>(total - below);
    const double between = static_cast<double>(below) * static_cast<double>(total - below) *
                           (meanBelow - meanAbove) * (meanBelow - meanAbove);
    if (between > best) best = between, threshold = v + 1;
  }
  return static_cast<UInt8>(threshold);
}

std::vector<std::vector<DarkSpan>> DarkSpans(const LumaView& view, bool columns, UInt8 threshold,
                                             Int32 step) {
  step = std::max(step, 1);
  const Int32 lines = columns ? view.width : view.height;
  const Int32 length = columns ? view.height : view.width;
  std::vector<std::vector<DarkSpan>> spans(static_cast<std::size_t>((lines + step - 1) / step));
  // Each line's spans are gathered in one buffer and then copied out at
  // their count: one allocation per line.
  std::vector<DarkSpan> found;
  const auto spansOf = [&](const UInt8* line, std::vector<DarkSpan>& out) {
    found.clear();
    for (Int32 x = 0; x < length;) {
      // Paper is passed over sixteen samples at a time, from every sixteenth
      // sample (so that each sample is looked at once or twice at most).
      constexpr Int32 kStride = 16;
      if (x % kStride == 0 && x + kStride <= length) {
        UInt8 least = 255;
        for (Int32 k = 0; k < kStride; ++k) least = std::min(least, line[x + k]);
        if (least >= threshold) {
          x += kStride;
          continue;
        }
      }
      if (line[x] >= threshold) {
        ++x;
        continue;
      }
      const Int32 begin = x;
      while (x < length && line[x] < threshold) ++x;
      found.push_back({begin, x});
    }
    out.assign(found.begin(), found.end());
  };
  if (!columns) {
    for (std::size_t i = 0; i < spans.size(); ++i) {
      spansOf(view.Row(static_cast<Int32>(i) * step), spans[i]);
    }
    return spans;
  }
  // Columns are copied out a batch at a time, row by row, so memory is read
  // in order; each copy is then read as a row.
  constexpr std::size_t kBatch = 256;
  const std::size_t height = static_cast<std::size_t>(view.height);
  std::vector<UInt8> copied(std::min(kBatch, spans.size()) * height);
  for (std::size_t first = 0; first < spans.size(); first += kBatch) {
    const std::size_t count = std::min(kBatch, spans.size() - first);
    for (Int32 y = 0; y < view.height; ++y) {
      const UInt8* row = view.Row(y) + first * static_cast<std::size_t>(step);
      for (std::size_t c = 0; c < count; ++c) {
        copied[c * height + static_cast<std::size_t>(y)] = row[c * static_cast<std::size_t>(step)];
      }
    }
    for (std::size_t c = 0; c < count; ++c) spansOf(copied.data() + c * height, spans[first + c]);
  }
  return spans;
}

void FindBarRuns(const BarRaster& raster, UInt8 threshold, Int32 line,
                 const std::vector<DarkSpan>& spans, Int32 minBars, const std::vector<BarRun>& skip,
                 std::vector<BarRun>& out) {
  const auto centre = [&](std::size_t i) {
    return 0.5f * static_cast<float>(spans[i].begin + spans[i].end);
  };
  const auto width = [&](std::size_t i) {
    return static_cast<float>(spans[i].end - spans[i].begin);
  };
  const std::size_t seedBars = static_cast<std::size_t>(std::max(minBars / 2, 3));
  for (std::size_t i = 0; i + 1 < spans.size();) {
    // A seed: evenly pitched spans of one width, narrower than the pitch.
    std::size_t j = i;
    float pitch = 0;
    while (j + 1 < spans.size() && WidthFits(width(j + 1), width(i))) {
      const float step = centre(j + 1) - centre(j);
      if (j == i ? step < kMinPitch || step > kMaxPitch
                 : std::abs(step - pitch) > kPitchTolerance * pitch) {
        break;
      }
      ++j;
      pitch = (centre(j) - centre(i)) / static_cast<float>(j - i);
    }
    const std::size_t count = j - i + 1;
    bool narrow = true;
    for (std::size_t k = i; k <= j; ++k) narrow = narrow && width(k) <= kMaxWidthShare * pitch;
    const float middle = centre(i + count / 2);
    BarRun run;
    if (count >= seedBars && narrow && !InsideRun(skip, middle, line) &&
        !InsideRun(out, middle, line) && GrowRun(raster, threshold, line, &spans[i], count, run) &&
        run.bars.size() >= static_cast<std::size_t>(minBars)) {
      out.push_back(std::move(run));
    }
    i = j > i ? j : i + 1;
  }
}

bool ClassifyBars(const BarRun& run, ClassifiedRun& classified) {
  const std::size_t n = run.bars.size();
  if (n < 2) return false;
  // A first skew from the slopes tried, then the slope within the groups it
  // gives.
  float skew = Skew(run);
  Edges e = SplitEdges(run, skew);
  if (e.top.apart || e.bottom.apart) {
    float sxy = 0, sxx = 0;
    GroupSlope(run, e.tops, e.top, sxy, sxx);
    skew += GroupSlope(run, e.bottoms, e.bottom, sxy, sxx);
    e = SplitEdges(run, skew);
  }
  if (!e.top.apart && !e.bottom.apart) return false;
  if ((!e.top.apart && !e.top.even) || (!e.bottom.apart && !e.bottom.even)) return false;
  std::vector<BarState>& states = classified.states;
  states.resize(n);
  classified.skew = skew;
  classified.top = *std::min_element(e.tops.begin(), e.tops.end());
  classified.bottom = *std::max_element(e.bottoms.begin(), e.bottoms.end());
  for (std::size_t i = 0; i < n; ++i) {
    const bool ascender = !e.top.apart || e.tops[i] < e.top.divide;
    const bool descender = !e.bottom.apart || e.bottoms[i] > e.bottom.divide;
    states[i] = ascender ? (descender ? BarState::Full : BarState::Ascender)
                         : (descender ? BarState::Descender : BarState::Tracker);
  }
  return true;
}

std::vector<BarState> Mirrored(std::vector<BarState> states) {
  for (BarState& s : states) {
    if (s == BarState::Ascender) {
      s = BarState::Descender;
    } else if (s == BarState::Descender) {
      s = BarState::Ascender;
    }
  }
  return states;
}

std::vector<BarState> TurnedOver(const std::vector<BarState>& states) {
  return Mirrored({states.rbegin(), states.rend()});
}

}  // namespace vexo::engine
