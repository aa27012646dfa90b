#include "engine/core/QrFinders.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "engine/image/Sharpen.h"

namespace vexo::engine {
namespace {

// The local threshold: blocks of 8 pixels, each pixel compared with the
// midpoint of the darkest and lightest pixels of the 5 x 5 blocks around its
// own (a mean would sink towards the paper around a small symbol and take
// its blurred light rings for dark); where those span less than kMinContrast
// grey levels nothing is dark (flat paper).
constexpr Int32 kBlock = 8;
constexpr Int32 kBlockReach = 2;
constexpr Int32 kMinContrast = 24;
// Module sizes looked for: below, the library reads nothing even enlarged;
// above, its own read of the reduced copies takes them.
constexpr double kMinModule = 1.2;
constexpr double kMaxModule = 10;
// A ring may measure 0.3 to 1.7 modules, the centre 1.65 to 4.35 (blur
// widens dark runs, a turn and a keystone lengthen them unevenly).
constexpr double kRingTolerance = 0.7;
constexpr double kCentreTolerance = 0.45;
// The column through the centre spans 0.5 to 2 times the row's width.
constexpr double kMinAcross = 0.5;
constexpr double kMaxAcross = 2.0;
// Three finders of one symbol: distances of 10 to 100 modules between
// centres (versions 1 to 20, a keystone), the two sides within 1.7 of each
// other, at 90 degrees within about 20.
constexpr double kMinSpanModules = 10;
constexpr double kMaxSpanModules = 100;
constexpr double kMaxSideRatio = 1.4;
constexpr double kMaxCosine = 0.35;
constexpr double kMaxModuleRatio = 1.6;
constexpr std::size_t kMaxNeighbours = 12;
// Around the symbol's corners: half the finder, the quiet zone, slack.
constexpr double kMarginModules = 8;
constexpr std::size_t kMaxCrops = 256;
// A mark must be seen on this many rows (noise makes single sightings).
constexpr Int32 kMinHits = 2;
constexpr std::size_t kMaxSightedMarks = 4 * kMaxFinderMarks;
// Every second row: a finder's centre is at least 3.6 pixels high.
constexpr Int32 kFinderRowStep = 2;
// Crops are enlarged towards this many pixels a module, at most 4 times and
// to at most kMaxCropPixels.
constexpr double kTargetModule = 8;
constexpr Int32 kMaxEnlargement = 4;
constexpr Int64 kMaxCropPixels = 4'000'000;
// The third read, sharpened, only of enlarged crops up to this size: a
// symbol of a few dozen modules, not the large crops of a page's false marks.
constexpr Int64 kMaxSharpenedPixels = 1'000'000;

struct Thresholds {
  Int32 columns = 0;
  std::vector<UInt8> level;  // per block; 0: nothing there is dark

  // Each pixel weighed with its two neighbours along the scan (1:2:1), which
  // halves a photo's noise without moving the pattern's edges.
  bool Dark(const LumaView& view, Int32 x, Int32 y, bool alongRow) const {
    const UInt8* p = view.Row(y) + x;
    Int32 before = p[0], after = p[0];
    if (alongRow) {
      if (x > 0) before = p[-1];
      if (x + 1 < view.width) after = p[1];
    } else {
      if (y > 0) before = *(p - view.stride);
      if (y + 1 < view.height) after = *(p + view.stride);
    }
    const Int32 value = (before + 2 * p[0] + after) / 4;
    return value < level[static_cast<std::size_t>(y / kBlock) * columns + x / kBlock];
  }
};

Thresholds LocalThresholds(const LumaView& view) {
  const Int32 columns = (view.width + kBlock - 1) / kBlock;
  const Int32 rows = (view.height + kBlock - 1) / kBlock;
  const std::size_t blocks = static_cast<std::size_t>(columns) * rows;
  // The extremes of each block, from every second row of it.
  std::vector<UInt8> low(blocks, 255), high(blocks, 0);
  for (Int32 y = 0; y < view.height; y += 2) {
    const UInt8* row = view.Row(y);
    UInt8* lo = &low[static_cast<std::size_t>(y / kBlock) * columns];
    UInt8* hi = &high[static_cast<std::size_t>(y / kBlock) * columns];
    for (Int32 x = 0; x < view.width; ++x) {
      lo[x / kBlock] = std::min(lo[x / kBlock], row[x]);
      hi[x / kBlock] = std::max(hi[x / kBlock], row[x]);
    }
  }
  Thresholds t{columns, std::vector<UInt8>(blocks, 0)};
  for (Int32 by = 0; by < rows; ++by) {
    for (Int32 bx = 0; bx < columns; ++bx) {
      Int32 lo = 255, hi = 0;
      for (Int32 y = std::max(0, by - kBlockReach); y <= std::min(rows - 1, by + kBlockReach);
           ++y) {
        for (Int32 x = std::max(0, bx - kBlockReach); x <= std::min(columns - 1, bx + kBlockReach);
             ++x) {
          const std::size_t i = static_cast<std::size_t>(y) * columns + x;
          lo = std::min<Int32>(lo, low[i]);
          hi = std::max<Int32>(hi, high[i]);
        }
      }
      if (hi - lo >= kMinContrast) {
        t.level[static_cast<std::size_t>(by) * columns + bx] = static_cast<UInt8>((lo + hi) / 2);
      }
    }
  }
  return t;
}

// Dark, light, dark, light, dark run lengths in 1:1:3:1:1.
bool FinderRatios(const std::array<Int32, 5>& runs) {
  const double module = (runs[0] + runs[1] + runs[2] + runs[3] + runs[4]) / 7.0;
  if (module < kMinModule || module > kMaxModule) return false;
  for (int i : {0, 1, 3, 4}) {
    if (std::abs(runs[i] - module) > module * kRingTolerance) return false;
  }
  return std::abs(runs[2] - 3 * module) <= 3 * module * kCentreTolerance;
}

// The pattern's light rings at least kMinContrast above its dark centre:
// noise on flat paper passes the threshold in runs of every ratio.
bool Contrasted(const UInt8* row, Int32 end, const std::array<Int32, 5>& runs) {
  auto mean = [&](Int32 from, Int32 length) {
    Int32 sum = 0;
    for (Int32 x = from; x < from + length; ++x) sum += row[x];
    return sum / std::max(length, 1);
  };
  const Int32 ring2 = end - runs[4] - runs[3];
  const Int32 centre = ring2 - runs[2];
  const Int32 ring1 = centre - runs[1];
  return std::min(mean(ring1, runs[1]), mean(ring2, runs[3])) - mean(centre, runs[2]) >=
         kMinContrast;
}

Int32 Total(const std::array<Int32, 5>& runs) {
  return runs[0] + runs[1] + runs[2] + runs[3] + runs[4];
}

// Counts pixels from (x, y) along `dy` while they have the colour `dark`,
// at most `limit`; -1 when the limit or the view's edge came first.
Int32 RunAlong(const LumaView& view, const Thresholds& t, Int32 x, Int32 y, Int32 dy, bool dark,
               Int32 limit) {
  Int32 n = 0;
  for (Int32 yy = y; yy >= 0 && yy < view.height; yy += dy, ++n) {
    if (t.Dark(view, x, yy, false) != dark) return n;
    if (n >= limit) return -1;
  }
  return -1;
}

// The finder down the column through a row's centre: its vertical centre and
// run lengths, or nothing.
bool AcrossColumn(const LumaView& view, const Thresholds& t, Int32 x, Int32 y, Int32 rowTotal,
                  double& centreY, Int32& columnTotal) {
  const Int32 limit = rowTotal;
  std::array<Int32, 5> runs{};
  const Int32 up = RunAlong(view, t, x, y, -1, true, limit);
  const Int32 down = RunAlong(view, t, x, y, 1, true, limit);
  if (up <= 0 || down <= 0) return false;
  runs[2] = up + down - 1;
  Int32 yUp = y - up, yDown = y + down;
  runs[1] = RunAlong(view, t, x, yUp, -1, false, limit);
  runs[3] = RunAlong(view, t, x, yDown, 1, false, limit);
  if (runs[1] <= 0 || runs[3] <= 0) return false;
  runs[0] = RunAlong(view, t, x, yUp - runs[1], -1, true, limit);
  runs[4] = RunAlong(view, t, x, yDown + runs[3], 1, true, limit);
  if (runs[0] <= 0 || runs[4] <= 0 || !FinderRatios(runs)) return false;
  columnTotal = Total(runs);
  if (columnTotal < kMinAcross * rowTotal || columnTotal > kMaxAcross * rowTotal) return false;
  centreY = (yUp + 1 + yDown) / 2.0;
  return true;
}

// Adds a sighting to the mark it belongs to, or as a new mark.
void AddSighting(std::vector<FinderMark>& marks, PointD centre, double module) {
  for (auto it = marks.rbegin(); it != marks.rend(); ++it) {
    if (it->centre.y < centre.y - 4 * kMaxModule) break;
    const double ratio = std::max(it->module, module) / std::min(it->module, module);
    if (std::abs(it->centre.x - centre.x) < 2 * module &&
        std::abs(it->centre.y - centre.y) < 2 * module && ratio < kMaxModuleRatio) {
      const double w = it->hits;
      it->centre = {(it->centre.x * w + centre.x) / (w + 1),
                    (it->centre.y * w + centre.y) / (w + 1)};
      it->module = (it->module * w + module) / (w + 1);
      ++it->hits;
      return;
    }
  }
  if (marks.size() < kMaxSightedMarks) marks.push_back({centre, module, 1});
}

double Distance(PointD a, PointD b) { return std::hypot(a.x - b.x, a.y - b.y); }

bool Alike(const FinderMark& a, const FinderMark& b) {
  const double ratio = std::max(a.module, b.module) / std::min(a.module, b.module);
  const double span = Distance(a.centre, b.centre) / ((a.module + b.module) / 2);
  return ratio <= kMaxModuleRatio && span >= kMinSpanModules && span <= kMaxSpanModules;
}

struct Box {
  double left = 0, top = 0, right = 0, bottom = 0;
  bool Holds(PointD p) const { return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom; }
};

Box BoxAround(std::initializer_list<PointD> points, double margin) {
  Box box{1e18, 1e18, -1e18, -1e18};
  for (PointD p : points) {
    box.left = std::min(box.left, p.x - margin);
    box.top = std::min(box.top, p.y - margin);
    box.right = std::max(box.right, p.x + margin);
    box.bottom = std::max(box.bottom, p.y + margin);
  }
  return box;
}

}  // namespace

std::vector<FinderMark> FindFinderMarks(const LumaView& view, Int32 rowStep) {
  std::vector<FinderMark> marks;
  if (view.Empty() || rowStep <= 0) return marks;
  const Thresholds t = LocalThresholds(view);
  for (Int32 y = 0; y < view.height; y += rowStep) {
    std::array<Int32, 5> runs{};
    Int32 seen = 0, start = 0;
    bool dark = t.Dark(view, 0, y, true);
    const UInt8* levels = &t.level[static_cast<std::size_t>(y / kBlock) * t.columns];
    for (Int32 x = 1; x <= view.width; ++x) {
      // A light run goes on through a block where nothing is dark.
      if (!dark && x < view.width && levels[x / kBlock] == 0) {
        x = std::min(view.width, (x / kBlock + 1) * kBlock) - 1;
        continue;
      }
      const bool d = x < view.width && t.Dark(view, x, y, true);
      if (x < view.width && d == dark) continue;
      std::rotate(runs.begin(), runs.begin() + 1, runs.end());
      runs[4] = x - start;
      ++seen;
      start = x;
      // The run that ended was dark: the five before may be a finder.
      if (dark && seen >= 5 && FinderRatios(runs) && Contrasted(view.Row(y), x, runs)) {
        const Int32 centreEnd = x - runs[4] - runs[3];
        const double centreX = centreEnd - runs[2] / 2.0;
        double centreY = 0;
        Int32 columnTotal = 0;
        if (AcrossColumn(view, t, static_cast<Int32>(centreX), y, Total(runs), centreY,
                         columnTotal)) {
          AddSighting(marks, {centreX, centreY}, (Total(runs) + columnTotal) / 14.0);
        }
      }
      dark = d;
    }
  }
  std::erase_if(marks, [](const FinderMark& m) { return m.hits < kMinHits; });
  if (marks.size() > kMaxFinderMarks) {
    std::stable_sort(marks.begin(), marks.end(),
                     [](const FinderMark& a, const FinderMark& b) { return a.hits > b.hits; });
    marks.resize(kMaxFinderMarks);
  }
  return marks;
}

std::vector<FinderCrop> CropsAroundFinders(const std::vector<FinderMark>& marks) {
  std::vector<Box> boxes;
  std::vector<double> modules;
  std::vector<bool> used(marks.size(), false);
  auto covered = [&](std::initializer_list<std::size_t> which) {
    return std::any_of(boxes.begin(), boxes.end(), [&](const Box& box) {
      return std::all_of(which.begin(), which.end(),
                         [&](std::size_t i) { return box.Holds(marks[i].centre); });
    });
  };
  auto add = [&](Box box, double module) {
    if (boxes.size() >= kMaxCrops) return;
    boxes.push_back(box);
    modules.push_back(module);
  };
  for (std::size_t a = 0; a < marks.size(); ++a) {
    // The nearest like marks, for the symbol's other two finders.
    std::vector<std::size_t> near;
    for (std::size_t i = 0; i < marks.size(); ++i) {
      if (i != a && Alike(marks[a], marks[i])) near.push_back(i);
    }
    const PointD pa = marks[a].centre;
    std::sort(near.begin(), near.end(), [&](std::size_t i, std::size_t j) {
      return Distance(pa, marks[i].centre) < Distance(pa, marks[j].centre);
    });
    if (near.size() > kMaxNeighbours) near.resize(kMaxNeighbours);
    // The closest two that frame a symbol with it: the finders of
    // neighbouring symbols on a sheet make right angles too, further away.
    std::size_t bestB = a, bestC = a;
    double best = 0;
    for (std::size_t i = 0; i < near.size(); ++i) {
      for (std::size_t j = i + 1; j < near.size(); ++j) {
        const PointD pb = marks[near[i]].centre, pc = marks[near[j]].centre;
        const double ab = Distance(pa, pb), ac = Distance(pa, pc);
        const double cosine =
            ((pb.x - pa.x) * (pc.x - pa.x) + (pb.y - pa.y) * (pc.y - pa.y)) / (ab * ac);
        if (std::max(ab, ac) > kMaxSideRatio * std::min(ab, ac) || std::abs(cosine) > kMaxCosine ||
            (bestB != a && ab + ac >= best)) {
          continue;
        }
        bestB = near[i];
        bestC = near[j];
        best = ab + ac;
      }
    }
    if (bestB == a) continue;
    used[a] = used[bestB] = used[bestC] = true;
    if (covered({a, bestB, bestC})) continue;
    const PointD pb = marks[bestB].centre, pc = marks[bestC].centre;
    const double module = (marks[a].module + marks[bestB].module + marks[bestC].module) / 3;
    const PointD pd{pb.x + pc.x - pa.x, pb.y + pc.y - pa.y};
    add(BoxAround({pa, pb, pc, pd}, kMarginModules * module), module);
  }
  // Two finders of a symbol whose third was not seen: it lies on one side.
  for (std::size_t a = 0; a < marks.size(); ++a) {
    if (used[a]) continue;
    std::size_t b = a;
    for (std::size_t i = 0; i < marks.size(); ++i) {
      if (i == a || used[i] || !Alike(marks[a], marks[i])) continue;
      if (b == a ||
          Distance(marks[a].centre, marks[i].centre) < Distance(marks[a].centre, marks[b].centre)) {
        b = i;
      }
    }
    if (b == a) continue;
    used[a] = used[b] = true;
    if (covered({a, b})) continue;
    const PointD pa = marks[a].centre, pb = marks[b].centre;
    const PointD n{pa.y - pb.y, pb.x - pa.x};
    const double module = (marks[a].module + marks[b].module) / 2;
    add(BoxAround({{pa.x + n.x, pa.y + n.y},
                   {pa.x - n.x, pa.y - n.y},
                   {pb.x + n.x, pb.y + n.y},
                   {pb.x - n.x, pb.y - n.y}},
                  kMarginModules * module),
        module);
  }
  std::vector<FinderCrop> crops;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const Box& b = boxes[i];
    crops.push_back({static_cast<Int32>(std::floor(b.left)), static_cast<Int32>(std::floor(b.top)),
                     static_cast<Int32>(std::ceil(b.right - b.left)),
                     static_cast<Int32>(std::ceil(b.bottom - b.top)), modules[i]});
  }
  return crops;
}

bool ReadFinderCrops(const LumaView& area, CropReader& reader, const PassSpec& pass) {
  const SymbologySet wanted = pass.symbologies & FreeSymbologies();
  if (wanted.none()) return true;
  std::vector<FinderMark> marks = FindFinderMarks(area, kFinderRowStep);
  std::erase_if(marks, [&](const FinderMark& m) { return reader.Found(m.centre); });
  for (const FinderCrop& crop : CropsAroundFinders(marks)) {
    if (reader.Expired()) return false;
    if (reader.Found({crop.left + crop.width / 2.0, crop.top + crop.height / 2.0})) continue;
    const Int64 pixels = Int64{crop.width} * crop.height;
    Int32 factor = std::clamp(static_cast<Int32>(std::lround(kTargetModule / crop.module)), 1,
                              kMaxEnlargement);
    while (factor > 1 && pixels * factor * factor > kMaxCropPixels) --factor;
    // Smoothed against a photo's noise, then sharpened; where that reads
    // nothing, plain samples one step larger (the smoothing merges the
    // modules of a blurred symbol).
    DerivedImage cut = CropPadded(area, crop.left, crop.top, crop.width, crop.height);
    const AffineMap toArea = cut.toSource;
    SmoothRows(cut.image, 1);
    SmoothColumns(cut.image, 1);
    DerivedImage smoothed = TurnedAndEnlarged(ViewOf(cut.image), 0, factor);
    Sharpen(smoothed.image, factor);
    if (reader.Read(ViewOf(smoothed.image), toArea.After(smoothed.toSource), pass, wanted) > 0 ||
        factor >= kMaxEnlargement || pixels * (factor + 1) * (factor + 1) > kMaxCropPixels) {
      continue;
    }
    cut = CropPadded(area, crop.left, crop.top, crop.width, crop.height);
    DerivedImage plain = TurnedAndEnlarged(ViewOf(cut.image), 0, factor + 1);
    const AffineMap plainToArea = toArea.After(plain.toSource);
    if (reader.Read(ViewOf(plain.image), plainToArea, pass, wanted) > 0 ||
        Int64{plain.image.width} * plain.image.height > kMaxSharpenedPixels) {
      continue;
    }
    // Modules of 2 to 3 pixels under the photo's blur: the larger samples
    // need the unsharp mask without the smoothing before it.
    Sharpen(plain.image, factor + 1);
    reader.Read(ViewOf(plain.image), plainToArea, pass, wanted);
  }
  return true;
}

}  // namespace vexo::engine
