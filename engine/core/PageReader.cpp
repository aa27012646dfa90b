#include "engine/core/PageReader.h"

#include <algorithm>
#include <optional>

#include "engine/core/BarPatches.h"
#include "engine/core/Crops.h"
#include "engine/core/QrFinders.h"
#include "engine/core/SecondLook.h"
#include "engine/core/SymbolMask.h"
#include "engine/core/ViewTransform.h"
#include "engine/image/Sharpen.h"

namespace vexo::engine {
namespace {

constexpr double kDiagonalDegrees = 45;
constexpr Int32 kMaxSymbolsPerView = 255;  // the most the library reports from one read
// A view where a reader reports that many is read again in four quarters
// overlapping by this much (longer than a symbol of 2-pixel modules), and
// a quarter that reaches it again in its own quarters, this many times deep.
constexpr Int32 kQuarterOverlap = 400;
constexpr int kMaxQuarterDepth = 3;
// Symbols found are painted white this much beyond their corners.
constexpr Int32 kWhiteMargin = 4;
// A crowded page where the crops read fewer symbols than this is no sheet
// after all (the square blobs of a photo's texture, not symbols): its QR
// Codes are read over the whole area once more.
constexpr std::size_t kSheetSymbols = 24;
// The contrast pass: the light around a pixel is the mean of the square of
// this many pixels either side, wider than a few modules, narrower than a
// glare spot.
constexpr Int32 kSurroundRadius = 16;

// Runs the passes; the crops of ink blobs (Crops.h) read through it too.
class PassRunner final : private CropReader {
 public:
  PassRunner(const LumaView& area, const AffineMap& areaToPage, const ReadOptions& options,
             const ReaderList& readers, Deadline deadline, std::vector<Finding>& findings)
      : area_(area),
        areaToPage_(areaToPage),
        options_(options),
        readers_(readers),
        deadline_(deadline),
        findings_(findings),
        crops_(area, options, *this) {}

  // False when the deadline had passed and the pass did not run (in full).
  bool Run(const PassSpec& pass) {
    if (Expired()) return false;
    switch (pass.kind) {
      case PassKind::Full:
      case PassKind::OtherBinarizer:
        Read(area_, {}, pass, pass.symbologies);
        return true;
      case PassKind::QuarterTurn: {
        const DerivedImage turned = RotateBy270(area_);
        Read(ViewOf(turned.image), turned.toSource, pass, pass.symbologies);
        return true;
      }
      case PassKind::Half:
        Read(ViewOf(Half().image), Half().toSource, pass, pass.symbologies);
        return true;
      case PassKind::Reduced:
        return ReadReduced(pass);
      case PassKind::Regions:
        return crops_.ReadRegions(pass);
      case PassKind::QrFinders:
        return ReadFinderCrops(area_, *this, pass);
      case PassKind::BarPatches:
        // Only where nothing was found, but in the thorough profiles.
        if (!findings_.empty() && (options_.passes & kPassUpright) == 0) return true;
        return ReadBarPatches(area_, *this, pass, options_.directions);
      case PassKind::Contrast:
        ReadContrast(pass);
        return true;
      case PassKind::Diagonal:
        return RunDiagonal(pass);
    }
    return true;
  }

  bool Crowded() { return crops_.Crowded(false); }

  // After the crops of a crowded page: `free` over the whole area with every
  // symbol found painted white, for a symbol that no crop held whole (the
  // blobs of large modules are pieces of it), unless the square blobs left
  // unread still make the page crowded and the crops read a sheet's worth of
  // symbols. At full size, and at half size with the half pass. Only for the
  // page as it is: its map to the page is a translation.
  void ReadRest(const SymbologySet& free) {
    if (Expired() || (crops_.Crowded(true) && findings_.size() >= kSheetSymbols)) return;
    DerivedImage rest = CropPadded(area_, 0, 0, area_.width, area_.height);
    for (const Finding& f : findings_) {
      // The area is a window of the page: its map is a translation.
      const Box box = BoxOf(f);
      const Int32 left = std::max(0, static_cast<Int32>(box.left - areaToPage_.x0) - kWhiteMargin);
      const Int32 top = std::max(0, static_cast<Int32>(box.top - areaToPage_.y0) - kWhiteMargin);
      const Int32 right =
          std::min(area_.width, static_cast<Int32>(box.right - areaToPage_.x0) + kWhiteMargin);
      const Int32 bottom =
          std::min(area_.height, static_cast<Int32>(box.bottom - areaToPage_.y0) + kWhiteMargin);
      for (Int32 y = top; y < bottom && left < right; ++y) {
        std::fill(rest.image.Row(y) + left, rest.image.Row(y) + right, UInt8{255});
      }
    }
    const PassSpec pass{PassKind::Full, free, false, options_.globalBinarizer};
    Read(ViewOf(rest.image), {}, pass, free);
    // Large modules (a close-up photo) read better at half size.
    if ((options_.passes & kPassHalf) == 0 || Expired() || !CanHalve(area_.width, area_.height)) {
      return;
    }
    const DerivedImage half = HalveView(ViewOf(rest.image));
    Read(ViewOf(half.image), half.toSource, pass, free);
  }

 private:
  bool Expired() const override { return std::chrono::steady_clock::now() >= deadline_; }

  const DerivedImage& Half() override {
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
    // Small views only: the crops of ink blobs, and a small image's full pass.
    settings.uprightRetry = (options_.passes & kPassUpright) != 0 &&
                            (pass.kind == PassKind::Regions || pass.kind == PassKind::Full);
    // Whole photos; every crop of a page's blobs only with the other
    // retries of crops (0x80): on an A4 page of symbols too faint to read
    // they cost a sixth more time.
    settings.averagedLines =
        pass.kind != PassKind::Regions || (options_.passes & kPassUpright) != 0;
    return settings;
  }

  // Reads `view`, whose points map to the area by `viewToArea`, with every
  // reader of a wanted symbology, and merges the detections of the wanted
  // symbologies. Returns how many detections it took.
  int Read(const LumaView& view, const AffineMap& viewToArea, const PassSpec& pass,
           const SymbologySet& wanted) override {
    int taken = 0;
    bool found = false;
    // The readers after one that found a symbol of strong error correction
    // read the view with it painted over.
    LumaView current = view;
    std::optional<LumaImage> masked;
    std::vector<SymbolOutline> outlines;
    for (const ReaderEntry& reader : readers_) {
      const SymbologySet mine = wanted & reader.symbologies;
      if (mine.none()) continue;
      if (!reader.secondInPasses.empty() &&
          (found || std::find(reader.secondInPasses.begin(), reader.secondInPasses.end(),
                              pass.kind) == reader.secondInPasses.end())) {
        continue;
      }
      // Only a full-resolution page is read again in quarters: the half
      // pass (the same symbols) and the crops do not reach the limit.
      const bool quarters = pass.kind == PassKind::Full || pass.kind == PassKind::OtherBinarizer ||
                            pass.kind == PassKind::QuarterTurn;
      outlines.clear();
      taken += ReadWith(reader, current, viewToArea, SettingsFor(pass, mine),
                        quarters ? 0 : kMaxQuarterDepth, found, {0, 0}, outlines);
      if (!outlines.empty()) {
        masked = WithoutSymbols(current, outlines);
        current = ViewOf(*masked);
      }
    }
    return taken;
  }

  // Sets `foundAny` when the reader found a symbol (taken or not); adds the
  // outlines of the symbols that may be painted over to `outlines`, in the
  // coordinates of the view at `origin` of which `view` is a window.
  int ReadWith(const ReaderEntry& reader, const LumaView& view, const AffineMap& viewToArea,
               const ViewSettings& settings, int depth, bool& foundAny, PointD origin,
               std::vector<SymbolOutline>& outlines) {
    std::vector<Detection> found = reader.read(view, settings);
    const bool more = static_cast<Int32>(found.size()) >= settings.maxNumberOfSymbols;
    if (!found.empty()) foundAny = true;
    for (const Detection& d : found) {
      if (d.symbology >= Symbology::Count || !MaskedSymbologies().test(Index(d.symbology)))
        continue;
      SymbolOutline outline = d.corners;
      for (PointD& p : outline) p = {p.x + origin.x, p.y + origin.y};
      outlines.push_back(outline);
    }
    int taken = Take(std::move(found), view, viewToArea, settings.symbologies);
    if (!more || depth == kMaxQuarterDepth || Expired()) return taken;
    const Int32 w = std::min(view.width, view.width / 2 + kQuarterOverlap);
    const Int32 h = std::min(view.height, view.height / 2 + kQuarterOverlap);
    for (const Int32 top : {0, view.height - h}) {
      for (const Int32 left : {0, view.width - w}) {
        taken += ReadWith(reader, CropView(view, left, top, w, h),
                          viewToArea.After(AffineMap::Translation(left, top)), settings, depth + 1,
                          foundAny, {origin.x + left, origin.y + top}, outlines);
      }
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
      const bool located = std::any_of(
          c.begin(), c.end(), [&](const PointD& p) { return p.x != c[0].x || p.y != c[0].y; });
      const double w = view.width, h = view.height;
      for (std::size_t i = 0; i < c.size(); ++i) {
        // A symbol read without a position (Maxi Code) fills its crop; a
        // corner placed outside the view is brought back to its edge.
        const PointD corner = located
                                  ? PointD{std::clamp(c[i].x, 0.0, w), std::clamp(c[i].y, 0.0, h)}
                                  : PointD{(i == 1 || i == 2) ? w : 0, i >= 2 ? h : 0};
        finding.corners[i] = toPage.Apply(corner);
      }
      MergeFinding(findings_, std::move(finding), options_.mergeTolerance);
    }
    return taken;
  }

  bool Found(PointD areaPoint) const override {
    const PointD page = areaToPage_.Apply(areaPoint);
    return std::any_of(findings_.begin(), findings_.end(),
                       [&](const Finding& f) { return Inside(BoxOf(f), page); });
  }

  bool ReadReduced(const PassSpec& pass) {
    const DerivedImage reduced = ReduceView(area_, pass.reduce);
    const LumaView view = ViewOf(reduced.image);
    Read(view, reduced.toSource, pass, pass.symbologies & FreeSymbologies());
    const SymbologySet centred = pass.symbologies & CentredSymbologies();
    if (centred.none()) return true;
    for (const Tile& t : CentredTiles(view.width, view.height)) {
      if (Expired()) return false;
      Read(CropView(view, t.left, t.top, t.side, t.side),
           reduced.toSource.After(AffineMap::Translation(t.left, t.top)), pass, centred);
    }
    return true;
  }

  // Only where nothing was found: the copy of a large photo is its half.
  void ReadContrast(const PassSpec& pass) {
    if (!findings_.empty()) return;
    const bool whole = Int64{area_.width} * area_.height <= kMaxContrastPixels;
    DerivedImage copy = whole ? CropPadded(area_, 0, 0, area_.width, area_.height) : Half();
    RelativeToSurround(copy.image, kSurroundRadius);
    Read(ViewOf(copy.image), copy.toSource, pass, pass.symbologies);
  }

  bool RunDiagonal(const PassSpec& pass) {
    if (options_.diagonal == DiagonalMethod::TurnedCrops) return crops_.ReadTurnedCrops(pass);
    const bool halved =
        options_.diagonal == DiagonalMethod::HalfCopy && CanHalve(area_.width, area_.height);
    const LumaView base = halved ? ViewOf(Half().image) : area_;
    const AffineMap baseToArea = halved ? Half().toSource : AffineMap{};
    const DerivedImage turned = RotateByDegrees(base, kDiagonalDegrees);
    Read(ViewOf(turned.image), baseToArea.After(turned.toSource), pass, pass.symbologies);
    return true;
  }

  const LumaView area_;
  const AffineMap areaToPage_;
  const ReadOptions& options_;
  const ReaderList& readers_;
  const Deadline deadline_;
  std::optional<DerivedImage> half_;
  std::vector<Finding>& findings_;
  BlobCrops crops_;
};

// The library's QR Code finder pairs finder patterns across its whole view,
// at a cost that grows much faster than their number, and pairs those of
// neighbours that line up into symbols that do not exist. On a sheet of
// symbols QR Code is read in the blob crops alone, one symbol each: takes the
// free-standing symbologies out of the plan's other passes and returns them.
SymbologySet CropsOnlyWhenCrowded(PassRunner& runner, std::vector<PassSpec>& plan) {
  const bool qrCrops = std::any_of(plan.begin(), plan.end(), [](const PassSpec& pass) {
    return pass.kind == PassKind::Regions && (pass.symbologies & FreeSymbologies()).any();
  });
  SymbologySet cropsOnly;
  if (!qrCrops || !runner.Crowded()) return cropsOnly;
  for (PassSpec& pass : plan) {
    if (pass.kind != PassKind::Regions && pass.kind != PassKind::QrFinders) {
      cropsOnly |= pass.symbologies & FreeSymbologies();
      pass.symbologies &= ~FreeSymbologies();
    }
  }
  std::erase_if(plan, [](const PassSpec& pass) { return pass.symbologies.none(); });
  return cropsOnly;
}

}  // namespace

PageRead ReadPage(const LumaView& area, const AffineMap& areaToPage, const ReadOptions& options,
                  const SymbologySet& readable, const ReaderList& readers, Deadline deadline) {
  PageRead read;
  for (const VariantSpec& variant : PlanVariants(options, readable)) {
    if (variant.onlyWhereNone && !read.findings.empty()) continue;
    std::optional<DerivedImage> copy;
    if (variant.variant == Variant::Negative) copy = NegativeView(area);
    if (variant.variant == Variant::Mirror) copy = MirrorView(area);
    const LumaView view = copy ? ViewOf(copy->image) : area;
    const AffineMap toPage = copy ? areaToPage.After(copy->toSource) : areaToPage;
    PassRunner runner(view, toPage, variant.options, readers, deadline, read.findings);
    std::vector<PassSpec> plan =
        PlanPasses(variant.options, variant.symbologies, area.width, area.height);
    // The negative looked at because nothing was found skips the contrast
    // copy and the finder and bar crops, which cost most on a photo without
    // a code.
    if (variant.onlyWhereNone) {
      std::erase_if(plan, [](const PassSpec& pass) {
        return pass.kind == PassKind::Contrast || pass.kind == PassKind::QrFinders ||
               pass.kind == PassKind::BarPatches;
      });
    }
    const SymbologySet cropsOnly = CropsOnlyWhenCrowded(runner, plan);
    for (const PassSpec& pass : plan) {
      if (!runner.Run(pass)) {
        read.outOfTime = true;
        return read;
      }
    }
    if (cropsOnly.any() && variant.variant == Variant::AsIs) runner.ReadRest(cropsOnly);
  }
  DropContradicted(read.findings, area, areaToPage, readers, deadline);
  return read;
}

}  // namespace vexo::engine
