#include "engine/core/PageReader.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "engine/core/RegionFinder.h"
#include "engine/core/ViewTransform.h"

namespace vexo::engine {
namespace {

// A region crop is this many times the blob's longer side, and at least this
// large, so that a blob that is only part of a symbol still gets all of it.
constexpr Int32 kRegionCropFactor = 3;
constexpr Int32 kRegionCropMinSide = 256;
// Maxi Code is found only in a view that holds nothing else: a tight crop.
constexpr double kMaxiMarginShare = 0.1;
constexpr Int32 kMaxiMinMargin = 8;
// At large module sizes (a 600-dpi scan) the Maxi Code hexagons and the bars
// of a linear symbol stand further apart than the blob search closes, so its
// blobs are pieces of the symbol. A search this much coarser (in area pixels)
// closes those gaps. Of its blobs, those too large for the gaps to have
// closed in the finer search get a crop too: the first few nearly square
// ones a Maxi Code crop, the turned bars a turned crop.
constexpr Int32 kCoarseReduce = 8;
constexpr Int32 kMinCoarseSide = 360;  // the longer side; both sides for Maxi Code
constexpr double kMaxiMaxAspect = 1.25;
constexpr int kMaxCoarseMaxiCrops = 8;
constexpr double kDiagonalDegrees = 45;
// Turned crops: blobs whose gradient is at least this coherent hold bars; the
// crop leaves this much room around the blob for the quiet zones.
constexpr double kMinBarCoherence = 0.5;
// Turned crops for Micro PDF417 take blobs a little less coherent: its rows,
// two modules high, give it edges across its bars nearly as strong as theirs.
constexpr double kMinTurnedBarCoherence = 0.4;
constexpr double kTurnedMarginShare = 0.15;
constexpr Int32 kTurnedMinMargin = 16;
// Bars this close to a right angle are left to the straight passes.
constexpr double kStraightSkewDegrees = 5;
// Region crops read bars within this many degrees of a right angle.
constexpr double kStraightBarDegrees = 20;
constexpr Int32 kMaxSymbolsPerView = 255;

class PassRunner {
 public:
  PassRunner(const LumaView& area, const AffineMap& areaToPage, const ReadOptions& options,
             const ReaderList& readers, Deadline deadline)
      : area_(area), areaToPage_(areaToPage), options_(options), readers_(readers),
        deadline_(deadline) {}

  // False when the deadline had passed and the pass did not run (in full).
  bool Run(const PassSpec& pass) {
    if (Expired()) return false;
    switch (pass.kind) {
      case PassKind::Full:
      case PassKind::OtherBinarizer:
        Read(area_, {}, pass, pass.symbologies);
        return true;
      case PassKind::QuarterTurn: {
        const DerivedImage turned = RotateQuarterClockwise(area_);
        Read(ViewOf(turned.image), turned.toSource, pass, pass.symbologies);
        return true;
      }
      case PassKind::Half:
        Read(ViewOf(Half().image), Half().toSource, pass, pass.symbologies);
        return true;
      case PassKind::Regions:
        return RunRegions(pass);
      case PassKind::Diagonal:
        return RunDiagonal(pass);
    }
    return true;
  }

  std::vector<Finding> TakeFindings() { return std::move(findings_); }

 private:
  bool Expired() const { return std::chrono::steady_clock::now() >= deadline_; }
  bool CanHalve() const { return std::min(area_.width, area_.height) >= kMinHalfSide; }

  const DerivedImage& Half() {
    if (!half_) half_ = HalveView(area_);
    return *half_;
  }

  ViewSettings SettingsFor(const PassSpec& pass, const SymbologySet& symbologies) const {
    ViewSettings settings;
    settings.symbologies = symbologies;
    settings.tryHarder = options_.tryHarder;
    settings.tryRotate = pass.tryRotate;
    settings.localBinarizer = !pass.globalBinarizer;
    settings.minLineCount = options_.minLineCount;
    settings.maxNumberOfSymbols = kMaxSymbolsPerView;
    return settings;
  }

  // Reads `view`, whose points map to the area by `viewToArea`, with every
  // reader of a wanted symbology, and merges the detections of the wanted
  // symbologies. Returns how many detections it took.
  int Read(const LumaView& view, const AffineMap& viewToArea, const PassSpec& pass,
           const SymbologySet& wanted) {
    int taken = 0;
    for (const ReaderEntry& reader : readers_) {
      const SymbologySet mine = wanted & reader.symbologies;
      if (mine.none()) continue;
      taken += Take(reader.read(view, SettingsFor(pass, mine)), view, viewToArea, mine);
    }
    return taken;
  }

  int Take(std::vector<Detection> detections, const LumaView& view, const AffineMap& viewToArea,
           const SymbologySet& wanted) {
    const AffineMap toPage = areaToPage_.After(viewToArea);
    int taken = 0;
    for (Detection& detection : detections) {
      if (detection.symbology >= Symbology::Count || !wanted.test(Index(detection.symbology))) {
        continue;
      }
      ++taken;
      Finding finding{detection.symbology, detection.code, std::move(detection.content), {}};
      const auto& c = detection.corners;
      const bool located = std::any_of(c.begin(), c.end(), [&](const PointD& p) {
        return p.x != c[0].x || p.y != c[0].y;
      });
      const double w = view.width, h = view.height;
      for (std::size_t i = 0; i < c.size(); ++i) {
        // A symbol read without a position (Maxi Code) fills its crop; a
        // corner placed outside the view is brought back to its edge.
        const PointD corner = located ? PointD{std::clamp(c[i].x, 0.0, w), std::clamp(c[i].y, 0.0, h)}
                                      : PointD{(i == 1 || i == 2) ? w : 0, i >= 2 ? h : 0};
        finding.corners[i] = toPage.Apply(corner);
      }
      MergeFinding(findings_, std::move(finding), options_.mergeTolerance);
    }
    return taken;
  }

  void ReadCrop(Region crop, const PassSpec& pass, const SymbologySet& wanted) {
    crop = Clipped(crop);
    if (crop.right <= crop.left || crop.bottom <= crop.top) return;
    Read(CropView(area_, crop.left, crop.top, crop.right - crop.left, crop.bottom - crop.top),
         AffineMap::Translation(crop.left, crop.top), pass, wanted);
  }

  // The Datamatrix and Aztec finders start at the centre of their view: a
  // crop cut by the area's edge is padded with white instead, so that the
  // blob stays at its centre.
  void ReadCentredCrop(const Region& crop, const PassSpec& pass, const SymbologySet& wanted) {
    const Region inside = Clipped(crop);
    if (inside.right <= inside.left || inside.bottom <= inside.top) return;
    if (inside.left == crop.left && inside.top == crop.top && inside.right == crop.right &&
        inside.bottom == crop.bottom) {
      ReadCrop(crop, pass, wanted);
      return;
    }
    const DerivedImage padded =
        CropPadded(area_, crop.left, crop.top, crop.right - crop.left, crop.bottom - crop.top);
    Read(ViewOf(padded.image), padded.toSource, pass, wanted);
  }

  // The Maxi Code reader takes the symbol upright only: a tight crop that
  // gives nothing is read again after each quarter turn.
  void ReadMaxiCrop(const Region& blob, const PassSpec& pass) {
    SymbologySet only;
    only.set(Index(Symbology::MaxiCode));
    const Region crop = Clipped(Grown(blob, kMaxiMarginShare, kMaxiMinMargin));
    if (crop.right <= crop.left || crop.bottom <= crop.top) return;
    const LumaView view =
        CropView(area_, crop.left, crop.top, crop.right - crop.left, crop.bottom - crop.top);
    const AffineMap cropToArea = AffineMap::Translation(crop.left, crop.top);
    if (Read(view, cropToArea, pass, only) > 0) return;
    DerivedImage turned = RotateQuarterClockwise(view);
    for (int turn = 1; turn < 4; ++turn) {
      if (Read(ViewOf(turned.image), cropToArea.After(turned.toSource), pass, only) > 0) return;
      DerivedImage next = RotateQuarterClockwise(ViewOf(turned.image));
      next.toSource = turned.toSource.After(next.toSource);
      turned = std::move(next);
    }
  }

  // Ink blobs of the area, found once for the region and diagonal passes.
  const std::vector<Region>& Blobs() {
    if (!blobs_) blobs_ = FindBlobs(CanHalve() ? 4 : 1, true);
    return *blobs_;
  }

  const std::vector<Region>& CoarseBlobs() {
    if (!coarseBlobs_) coarseBlobs_ = FindBlobs(kCoarseReduce, false);
    return *coarseBlobs_;
  }

  // Blobs are searched and measured on the halved copy when the area has one:
  // that view, and how many area pixels one of its pixels spans.
  struct BlobBase {
    LumaView view;
    Int32 scale;
  };
  BlobBase BlobView() {
    return CanHalve() ? BlobBase{ViewOf(Half().image), 2} : BlobBase{area_, 1};
  }

  // Blobs searched at `reduce` area pixels per working pixel.
  std::vector<Region> FindBlobs(Int32 reduce, bool measureGradient) {
    const auto [view, scale] = BlobView();
    std::vector<Region> blobs =
        FindInkRegions(view, options_.maxRegions, reduce / scale, measureGradient);
    for (Region& r : blobs) {
      r = {scale * r.left, scale * r.top, scale * r.right, scale * r.bottom, r.gradientDegrees,
           r.coherence};
    }
    return blobs;
  }

  bool Covered(const Region& r) const {
    const PointD page = areaToPage_.Apply({(r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0});
    return std::any_of(findings_.begin(), findings_.end(),
                       [&](const Finding& f) { return Inside(BoxOf(f), page); });
  }

  bool RunRegions(const PassSpec& pass) {
    SymbologySet centred = pass.symbologies & CentredSymbologies();
    const bool maxi = centred.test(Index(Symbology::MaxiCode));
    centred.reset(Index(Symbology::MaxiCode));
    const SymbologySet bars = pass.symbologies & ~(CentredSymbologies() | FreeSymbologies());
    for (const Region& r : Blobs()) {
      if (Expired()) return false;
      if (Covered(r)) continue;
      if (r.coherence >= kMinBarCoherence) {
        // Bars: a linear or stacked symbol the full pass missed (its finders
        // give up on some pages that they read in a crop).
        if (bars.any()) ReadStraightBars(r, pass, bars);
        continue;
      }
      const Int32 cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
      const Int32 longer = std::max(r.right - r.left, r.bottom - r.top);
      const Int32 half = std::max(kRegionCropFactor * longer, kRegionCropMinSide) / 2;
      if (centred.any()) {
        ReadCentredCrop({cx - half, cy - half, cx + half, cy + half, 0, 0}, pass, centred);
      }
      if (maxi) ReadMaxiCrop(r, pass);
    }
    return !maxi || ReadCoarseMaxiCrops(pass);
  }

  bool ReadCoarseMaxiCrops(const PassSpec& pass) {
    int tried = 0;
    for (const Region& r : CoarseBlobs()) {
      if (tried == kMaxCoarseMaxiCrops) break;
      if (Expired()) return false;
      const Int32 w = r.right - r.left, h = r.bottom - r.top;
      if (std::min(w, h) < kMinCoarseSide || std::max(w, h) > kMaxiMaxAspect * std::min(w, h) ||
          Covered(r)) {
        continue;
      }
      ++tried;
      ReadMaxiCrop(r, pass);
    }
    return true;
  }

  // Bars near a right angle, in a direction the flags ask for: the blob's
  // crop, with columns scanned when the bars lie flat (a standing symbol).
  void ReadStraightBars(const Region& r, const PassSpec& pass, const SymbologySet& bars) {
    const double offset = std::fmod(r.gradientDegrees, 180.0);
    const bool standing = std::abs(offset - 90) < kStraightBarDegrees;
    const bool lying = offset < kStraightBarDegrees || offset > 180 - kStraightBarDegrees;
    const UInt32 wanted = standing ? kDirectionVertical : lying ? kDirectionHorizontal : 0;
    if ((options_.directions & wanted) == 0) return;
    PassSpec crop = pass;
    crop.tryRotate = standing;
    ReadCrop(Grown(r, kTurnedMarginShare, kTurnedMinMargin), crop, bars);
  }

  bool RunDiagonal(const PassSpec& pass) {
    if (options_.diagonal == DiagonalMethod::TurnedCrops) return RunTurnedCrops(pass);
    const bool halved = options_.diagonal == DiagonalMethod::HalfCopy && CanHalve();
    const LumaView base = halved ? ViewOf(Half().image) : area_;
    const AffineMap baseToArea = halved ? Half().toSource : AffineMap{};
    const DerivedImage turned = RotateByDegrees(base, kDiagonalDegrees);
    Read(ViewOf(turned.image), baseToArea.After(turned.toSource), pass, pass.symbologies);
    return true;
  }

  // Blobs with one strong gradient direction (bars) are cut out at full
  // resolution and turned so that the bars stand upright.
  bool RunTurnedCrops(const PassSpec& diagonalPass) {
    PassSpec pass = diagonalPass;
    pass.tryRotate = false;  // the bars stand upright in every crop
    for (const Region& r : Blobs()) {
      if (Expired()) return false;
      if (TurnedBars(r) && !Covered(r)) ReadTurnedCrop(r, pass);
    }
    for (const Region& coarse : CoarseBlobs()) {
      if (Expired()) return false;
      const Int32 longer = std::max(coarse.right - coarse.left, coarse.bottom - coarse.top);
      if (longer < kMinCoarseSide || Covered(coarse)) continue;
      const Region r = WithGradient(coarse);
      if (TurnedBars(r)) ReadTurnedCrop(r, pass);
    }
    return true;
  }

  static bool TurnedBars(const Region& r) {
    return r.coherence >= kMinTurnedBarCoherence && !NearRightAngle(r.gradientDegrees);
  }

  void ReadTurnedCrop(const Region& r, const PassSpec& pass) {
    // Blobs under the bar coherence are turned for Micro PDF417 alone.
    SymbologySet symbologies = pass.symbologies;
    if (r.coherence < kMinBarCoherence) {
      symbologies &= SymbologySet{}.set(Index(Symbology::MicroPdf417));
    }
    if (symbologies.none()) return;
    const Region crop = Clipped(Grown(r, kTurnedMarginShare, kTurnedMinMargin));
    if (crop.right <= crop.left || crop.bottom <= crop.top) return;
    const LumaView view =
        CropView(area_, crop.left, crop.top, crop.right - crop.left, crop.bottom - crop.top);
    const DerivedImage turned = RotateByDegrees(view, r.gradientDegrees);
    const AffineMap cropToArea = AffineMap::Translation(crop.left, crop.top);
    Read(ViewOf(turned.image), cropToArea.After(turned.toSource), pass, symbologies);
  }

  // The blob with its gradient, measured where blobs are searched.
  Region WithGradient(Region r) {
    const auto [view, scale] = BlobView();
    Region scaled{r.left / scale, r.top / scale, r.right / scale, r.bottom / scale};
    MeasureGradient(view, scaled);
    r.gradientDegrees = scaled.gradientDegrees;
    r.coherence = scaled.coherence;
    return r;
  }

  // Bars within a few degrees of a right angle belong to the straight passes.
  static bool NearRightAngle(double degrees) {
    const double offset = std::fmod(degrees, 90.0);
    return std::min(offset, 90.0 - offset) < kStraightSkewDegrees;
  }

  static Region Grown(const Region& r, double share, Int32 minimum) {
    const Int32 longer = std::max(r.right - r.left, r.bottom - r.top);
    const Int32 margin = std::max(minimum, static_cast<Int32>(longer * share));
    return {r.left - margin, r.top - margin, r.right + margin, r.bottom + margin,
            r.gradientDegrees, r.coherence};
  }

  Region Clipped(const Region& r) const {
    return {std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, area_.width),
            std::min(r.bottom, area_.height), r.gradientDegrees, r.coherence};
  }

  const LumaView area_;
  const AffineMap areaToPage_;
  const ReadOptions& options_;
  const ReaderList& readers_;
  const Deadline deadline_;
  std::optional<DerivedImage> half_;
  std::optional<std::vector<Region>> blobs_;
  std::optional<std::vector<Region>> coarseBlobs_;
  std::vector<Finding> findings_;
};

}  // namespace

PageRead ReadPage(const LumaView& area, const AffineMap& areaToPage, const ReadOptions& options,
                  const SymbologySet& readable, const ReaderList& readers, Deadline deadline) {
  PassRunner runner(area, areaToPage, options, readers, deadline);
  PageRead read;
  for (const PassSpec& pass : PlanPasses(options, readable, area.width, area.height)) {
    if (!runner.Run(pass)) {
      read.outOfTime = true;
      break;
    }
  }
  read.findings = runner.TakeFindings();
  return read;
}

}  // namespace vexo::engine
