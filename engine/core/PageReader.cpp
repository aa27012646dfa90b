#include "engine/core/PageReader.h"

#include <algorithm>
#include <optional>

#include "engine/core/Crops.h"
#include "engine/core/ViewTransform.h"

namespace vexo::engine {
namespace {

constexpr double kDiagonalDegrees = 45;
constexpr Int32 kMaxSymbolsPerView = 255;

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
      case PassKind::Diagonal:
        return RunDiagonal(pass);
    }
    return true;
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
    return settings;
  }

  // Reads `view`, whose points map to the area by `viewToArea`, with every
  // reader of a wanted symbology, and merges the detections of the wanted
  // symbologies. Returns how many detections it took.
  int Read(const LumaView& view, const AffineMap& viewToArea, const PassSpec& pass,
           const SymbologySet& wanted) override {
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

}  // namespace

PageRead ReadPage(const LumaView& area, const AffineMap& areaToPage, const ReadOptions& options,
                  const SymbologySet& readable, const ReaderList& readers, Deadline deadline) {
  PageRead read;
  for (const VariantSpec& variant : PlanVariants(options, readable)) {
    std::optional<DerivedImage> copy;
    if (variant.variant == Variant::Negative) copy = NegativeView(area);
    if (variant.variant == Variant::Mirror) copy = MirrorView(area);
    const LumaView view = copy ? ViewOf(copy->image) : area;
    const AffineMap toPage = copy ? areaToPage.After(copy->toSource) : areaToPage;
    PassRunner runner(view, toPage, variant.options, readers, deadline, read.findings);
    for (const PassSpec& pass :
         PlanPasses(variant.options, variant.symbologies, area.width, area.height)) {
      if (!runner.Run(pass)) {
        read.outOfTime = true;
        return read;
      }
    }
  }
  return read;
}

}  // namespace vexo::engine
