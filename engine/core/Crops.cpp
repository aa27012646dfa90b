#include "engine/core/Crops.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/core/EvenLight.h"
#include "engine/image/BarProfile.h"
#include "engine/image/Sharpen.h"

namespace vexo::engine {
namespace {

constexpr Int32 kCentredCropFactor = 3;
constexpr Int32 kCentredCropMinSide = 256;
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
// Blobs whose gradient is at least this coherent hold bars; their crops leave
// this much room around the blob for the quiet zones.
constexpr double kMinBarCoherence = 0.5;
// Turned crops for Micro PDF417 take blobs a little less coherent: its rows,
// two modules high, give it edges across its bars nearly as strong as theirs.
constexpr double kMinTurnedBarCoherence = 0.4;
constexpr double kBarsMarginShare = 0.15;
constexpr Int32 kBarsMinMargin = 16;
// Bars this close to a right angle are left to the straight passes.
constexpr double kStraightSkewDegrees = 5;
// Region crops read bars within this many degrees of a right angle.
constexpr double kStraightBarDegrees = 20;
// A page with this many square blobs with the ink of a symbol (below) is a
// sheet of symbols.
constexpr std::size_t kCrowdedBlobs = 24;
// QR Code's finder groups the finder patterns of neighbouring symbols that
// line up (a grid of labels) into symbols that do not exist, and the
// Datamatrix finder, starting at the centre, may take a neighbour. A square
// blob is first cut out alone for the matrix symbologies: the blob's box,
// grown by two working pixels (the box is measured at reduced size), inside
// a white border.
constexpr double kSquareAspect = 1.5;
constexpr double kIsolatedBorderShare = 0.15;
constexpr Int32 kIsolatedMinBorder = 8;
// Matrix and stacked symbols are about half ink; words a quarter or less
// (0.1 to 0.35 on a page of 11-point text, 0.4 to 0.6 on symbols of 2-pixel
// modules). Blobs with less get no centred or row crop: a page of text has
// hundreds of blobs.
constexpr double kMinSymbolInk = 0.35;
// Solid marks (bullets, icons, the dark patches of a photo) are nearly all
// ink: they do not make a page a sheet of symbols, whose QR Codes would then
// be read in the crops alone.
constexpr double kMaxSymbolInk = 0.75;
// Bars of 1.5 to 2 pixel modules under a scan's blur and noise, and the
// 1-pixel bars of a fax, thresholded: a bar crop that read nothing is read
// again turned so that its bars stand upright, enlarged, averaged along the
// bars (the noise goes, the bars stay) and sharpened across them. Crops up
// to this size (a symbol, not a page).
constexpr Int64 kMaxSmallBarsPixels = 500'000;
// Thin bars average away at the blob search's scale, so the blob may be a
// piece of the symbol: this crop takes more room around it. Enlarged three
// times, each pixel the mean of 9 source rows along the bars (the dots of a
// dithered fax become grey), then an unsharp mask of 2 source pixels.
constexpr double kSmallBarsMarginShare = 0.5;
constexpr Int32 kSmallBarsFactor = 3;
constexpr Int32 kSmallBarsSmoothing = 4;  // source rows each side
constexpr Int32 kSmallBarsSharpenRadius = 6;
constexpr double kSmallBarsSharpenAmount = 1.5;
// The mean along the bars makes neighbouring lines alike, so a read seen on
// several lines is no longer confirmed by them: the enlarged view is read
// only for symbologies that carry a check character.
constexpr std::array kCheckedBars{Symbology::Ean13,  Symbology::Ean8,    Symbology::UpcA,
                                  Symbology::UpcE,   Symbology::Code128, Symbology::Gs1_128,
                                  Symbology::Code93, Symbology::Pdf417};
// On a bilevel crop (a fax) the restored and enlarged views read only those
// whose check is more than one decimal digit: on dithered faxes of EAN/UPC
// of 2-pixel modules (1.33 at 200 dpi) the enlarged view read one wrong
// number (check digit right) for every four right ones, and a second view
// made with less smoothing mostly agreed with the wrong ones; the restored
// lines read none of them right and one as an EAN-8.
constexpr std::array kBilevelBars{Symbology::Code128, Symbology::Gs1_128, Symbology::Code93,
                                  Symbology::Pdf417};
// A crop is bilevel when at most this share of its pixels lies between its
// darkest and lightest values.
constexpr double kMaxBilevelGreyShare = 0.01;
// Before the enlarged view, the bars are restored from their whole height
// (BarProfile): the rows across them averaged along their lean, the blur
// undone for each of these widths (source pixels), and the lines nearest to
// ink and paper drawn at three pixels per source pixel and read.
// A blob within this many degrees of a quarter turn is turned exactly by the
// quarter turn (no resampling); the lean measured does the rest.
constexpr double kRestoredTurnSnap = 5;
constexpr Int32 kRestoredMinRows = 12;
constexpr std::array kRestoredSigmas{0.5, 0.6, 0.7, 0.8, 0.9, 1.0, 1.1,
                                     1.2, 1.3, 1.4, 1.5, 1.6, 1.8, 2.0};
constexpr std::size_t kRestoredReads = 2;
// A phone's copy blurs more (optics, the perspective's resampling, JPEG):
// its lines restore at these widths, not the ones nearest to two levels,
// and read only with edges placed between samples (1.5-pixel modules are
// not a whole number of samples).
constexpr double kPhoneMinSigma = 0.95;
constexpr double kPhoneMaxSigma = 1.35;
constexpr Int32 kBetweenFactor = 6;  // edges placed to a sixth of a sample
constexpr Int32 kRestoredFactor = 3;
constexpr Int32 kRestoredRows = 16;
// Matrix symbols of 2-pixel modules under blur and noise escape the finders
// in their blob's crop and read in the same crop enlarged three times each
// way and sharpened: a square blob of symbol ink up to this side (modules
// of at most about 3 pixels) whose crop read nothing is read so.
constexpr Int32 kMaxSmallBlobSide = 160;
constexpr Int32 kSmallBlobFactor = 3;

// The turn that stands a blob's bars upright, in [0, 180).
double UprightTurn(const Region& blob) { return -blob.gradientDegrees; }

bool NearRightAngle(double degrees) {
  const double offset = std::fmod(degrees, 90.0);
  return std::min(offset, 90.0 - offset) < kStraightSkewDegrees;
}

bool HoldsBars(const Region& blob) { return blob.coherence >= kMinBarCoherence; }

// The Datamatrix finder follows the edges of the L in every direction only
// when asked to turn: a symbol turned a quarter turn is missed otherwise.
PassSpec MatrixCrop(PassSpec pass) {
  pass.tryRotate = true;
  return pass;
}

bool Square(const Region& blob) {
  const Int32 w = blob.right - blob.left, h = blob.bottom - blob.top;
  return std::max(w, h) <= kSquareAspect * std::min(w, h);
}

Int32 LongerSide(const Region& r) { return std::max(r.right - r.left, r.bottom - r.top); }

bool Bilevel(const LumaView& view) {
  UInt8 darkest = 255, lightest = 0;
  for (Int32 y = 0; y < view.height; ++y) {
    const auto [lo, hi] = std::minmax_element(view.Row(y), view.Row(y) + view.width);
    darkest = std::min(darkest, *lo), lightest = std::max(lightest, *hi);
  }
  Int64 grey = 0;
  for (Int32 y = 0; y < view.height; ++y) {
    grey += std::count_if(view.Row(y), view.Row(y) + view.width,
                          [&](UInt8 v) { return v != darkest && v != lightest; });
  }
  return static_cast<double>(grey) <= kMaxBilevelGreyShare * view.width * view.height;
}

}  // namespace

Region Grown(const Region& blob, double share, Int32 minimum) {
  const Int32 margin = std::max(minimum, static_cast<Int32>(LongerSide(blob) * share));
  return {blob.left - margin,   blob.top - margin,    blob.right + margin,
          blob.bottom + margin, blob.gradientDegrees, blob.coherence};
}

Region Clipped(const Region& r, Int32 width, Int32 height) {
  return {std::max(r.left, 0),        std::max(r.top, 0), std::min(r.right, width),
          std::min(r.bottom, height), r.gradientDegrees,  r.coherence};
}

bool IsEmpty(const Region& r) { return r.right <= r.left || r.bottom <= r.top; }

Region CentredCrop(const Region& blob) {
  const Int32 cx = (blob.left + blob.right) / 2, cy = (blob.top + blob.bottom) / 2;
  const Int32 half = std::max(kCentredCropFactor * LongerSide(blob), kCentredCropMinSide) / 2;
  return {cx - half, cy - half, cx + half, cy + half, 0, 0};
}

UInt32 StraightBarsDirection(const Region& blob) {
  if (!HoldsBars(blob)) return 0;
  const double offset = std::fmod(UprightTurn(blob), 180.0);
  if (std::abs(offset - 90) < kStraightBarDegrees) return kDirectionVertical;
  if (offset < kStraightBarDegrees || offset > 180 - kStraightBarDegrees) {
    return kDirectionHorizontal;
  }
  return 0;
}

bool TurnedBars(const Region& blob) {
  return blob.coherence >= kMinTurnedBarCoherence && !NearRightAngle(UprightTurn(blob));
}

bool BlobCrops::Crowded(bool unreadOnly) {
  const auto& blobs = Blobs();
  const auto squares = std::count_if(blobs.begin(), blobs.end(), [&](const Region& r) {
    if (!Square(r) || (unreadOnly && Covered(r))) return false;
    const double ink = InkShare(area_, r);
    return ink >= kMinSymbolInk && ink <= kMaxSymbolInk;
  });
  return static_cast<std::size_t>(squares) >= kCrowdedBlobs;
}

bool BlobCrops::ReadRegions(const PassSpec& pass) {
  SymbologySet centred = pass.symbologies & CentredSymbologies();
  const bool maxi = centred.test(Index(Symbology::MaxiCode));
  centred.reset(Index(Symbology::MaxiCode));
  const SymbologySet free = pass.symbologies & FreeSymbologies();
  const SymbologySet bars = pass.symbologies & ~(CentredSymbologies() | FreeSymbologies());
  for (const Region& r : Blobs()) {
    if (reader_.Expired()) return false;
    if (Covered(r)) continue;
    if (HoldsBars(r)) {
      // Bars: a linear or stacked symbol the full pass missed (its finders
      // give up on some pages that they read in a crop).
      if (bars.any()) ReadStraightBars(r, pass, bars);
      // Some matrix symbols have one strong direction too.
      if (!Square(r) || Covered(r)) continue;
    }
    if ((free | centred).any() && Square(r) && ReadIsolatedCrop(r, pass, free | centred) > 0) {
      continue;
    }
    if ((bars.any() || centred.any()) && InkShare(area_, r) >= kMinSymbolInk) {
      if (bars.any() && !Square(r)) ReadOblong(r, pass, bars);
      if (centred.any()) ReadCentredCrop(CentredCrop(r), pass, centred);
    }
    if (maxi) ReadMaxiCrop(r, pass);
  }
  return !maxi || ReadCoarseMaxiCrops(pass);
}

bool BlobCrops::ReadTurnedCrops(const PassSpec& diagonalPass) {
  PassSpec pass = diagonalPass;
  pass.tryRotate = false;  // the bars stand upright in every crop
  for (const Region& r : Blobs()) {
    if (reader_.Expired()) return false;
    if (TurnedBars(r) && !Covered(r)) ReadTurnedCrop(r, pass);
  }
  if (std::max(area_.width, area_.height) < kMinCoarseSide) return true;
  for (const Region& coarse : CoarseBlobs()) {
    if (reader_.Expired()) return false;
    if (LongerSide(coarse) < kMinCoarseSide || Covered(coarse)) continue;
    const Region r = WithGradient(coarse);
    if (TurnedBars(r)) ReadTurnedCrop(r, pass);
  }
  return true;
}

// Ink blobs of the area, found once for the region and diagonal passes.
const std::vector<Region>& BlobCrops::Blobs() {
  EvenTheLight();
  if (!blobs_) blobs_ = FindBlobs(BlobReduce(), true);
  return *blobs_;
}

// Area pixels per working pixel of the blob search.
Int32 BlobCrops::BlobReduce() const { return CanHalve(area_.width, area_.height) ? 4 : 1; }

const std::vector<Region>& BlobCrops::CoarseBlobs() {
  EvenTheLight();
  if (!coarseBlobs_) coarseBlobs_ = FindBlobs(kCoarseReduce, false);
  return *coarseBlobs_;
}

BlobCrops::BlobBase BlobCrops::BlobView() {
  if (!CanHalve(area_.width, area_.height)) return {area_, 1};
  if (evenedHalf_) return {ViewOf(evenedHalf_->image), 2};
  return {ViewOf(reader_.Half().image), 2};
}

void BlobCrops::EvenTheLight() {
  if (lightChecked_) return;
  lightChecked_ = true;
  evened_ = EvenedIfUneven(area_);
  if (!evened_) return;
  area_ = ViewOf(*evened_);
  if (CanHalve(area_.width, area_.height)) evenedHalf_ = HalveView(area_);
}

// Blobs searched at `reduce` area pixels per working pixel.
std::vector<Region> BlobCrops::FindBlobs(Int32 reduce, bool measureGradient) {
  const auto [view, scale] = BlobView();
  std::vector<Region> blobs = FindInkRegions(view, reduce / scale, measureGradient);
  for (Region& r : blobs) {
    r = {scale * r.left,   scale * r.top,     scale * r.right,
         scale * r.bottom, r.gradientDegrees, r.coherence};
  }
  return blobs;
}

// The blob with its gradient, measured where blobs are searched.
Region BlobCrops::WithGradient(Region r) {
  const auto [view, scale] = BlobView();
  Region scaled{r.left / scale, r.top / scale, r.right / scale, r.bottom / scale};
  MeasureGradient(view, scaled);
  r.gradientDegrees = scaled.gradientDegrees;
  r.coherence = scaled.coherence;
  return r;
}

// A blob whose centre lies on a symbol found already gets no crop.
bool BlobCrops::Covered(const Region& r) const {
  return reader_.Found({(r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0});
}

int BlobCrops::ReadCrop(const Region& crop, const PassSpec& pass, const SymbologySet& wanted) {
  const Region inside = Clipped(crop, area_.width, area_.height);
  if (IsEmpty(inside)) return 0;
  return reader_.Read(CropView(area_, inside.left, inside.top, inside.right - inside.left,
                               inside.bottom - inside.top),
                      AffineMap::Translation(inside.left, inside.top), pass, wanted);
}

// The Datamatrix and Aztec finders start at the centre of their view: a crop
// cut by the area's edge is padded with white instead, so that the blob
// stays at its centre.
void BlobCrops::ReadCentredCrop(const Region& crop, const PassSpec& pass,
                                const SymbologySet& wanted) {
  const Region inside = Clipped(crop, area_.width, area_.height);
  if (IsEmpty(inside)) return;
  if (inside.left == crop.left && inside.top == crop.top && inside.right == crop.right &&
      inside.bottom == crop.bottom) {
    ReadCrop(crop, MatrixCrop(pass), wanted);
    return;
  }
  const DerivedImage padded =
      CropPadded(area_, crop.left, crop.top, crop.right - crop.left, crop.bottom - crop.top);
  reader_.Read(ViewOf(padded.image), padded.toSource, MatrixCrop(pass), wanted);
}

int BlobCrops::ReadIsolatedCrop(const Region& blob, const PassSpec& pass,
                                const SymbologySet& wanted) {
  const Int32 grow = 2 * BlobReduce();
  const Region box = Clipped(Grown(blob, 0, grow), area_.width, area_.height);
  if (IsEmpty(box)) return 0;
  const Int32 border =
      std::max(kIsolatedMinBorder, static_cast<Int32>(kIsolatedBorderShare * LongerSide(box)));
  const DerivedImage alone =
      CropPadded(area_, box.left, box.top, box.right - box.left, box.bottom - box.top, border);
  const int found = reader_.Read(ViewOf(alone.image), alone.toSource, MatrixCrop(pass), wanted);
  if (found > 0 || LongerSide(box) > kMaxSmallBlobSide || InkShare(area_, blob) < kMinSymbolInk) {
    return found;
  }
  DerivedImage enlarged = TurnedAndEnlarged(ViewOf(alone.image), 0, kSmallBlobFactor);
  Sharpen(enlarged.image, kSmallBlobFactor);
  return reader_.Read(ViewOf(enlarged.image), alone.toSource.After(enlarged.toSource),
                      MatrixCrop(pass), wanted);
}

// The Maxi Code reader takes the symbol upright only: a tight crop that
// gives nothing is read again after each quarter turn.
void BlobCrops::ReadMaxiCrop(const Region& blob, const PassSpec& pass) {
  SymbologySet only;
  only.set(Index(Symbology::MaxiCode));
  const Region crop =
      Clipped(Grown(blob, kMaxiMarginShare, kMaxiMinMargin), area_.width, area_.height);
  if (IsEmpty(crop)) return;
  const LumaView view =
      CropView(area_, crop.left, crop.top, crop.right - crop.left, crop.bottom - crop.top);
  const AffineMap cropToArea = AffineMap::Translation(crop.left, crop.top);
  if (reader_.Read(view, cropToArea, pass, only) > 0) return;
  DerivedImage turned = RotateBy270(view);
  for (int turn = 1; turn < 4; ++turn) {
    if (reader_.Read(ViewOf(turned.image), cropToArea.After(turned.toSource), pass, only) > 0) {
      return;
    }
    DerivedImage next = RotateBy270(ViewOf(turned.image));
    next.toSource = turned.toSource.After(next.toSource);
    turned = std::move(next);
  }
}

bool BlobCrops::ReadCoarseMaxiCrops(const PassSpec& pass) {
  // No blob of a smaller area reaches the size these crops are for.
  if (std::min(area_.width, area_.height) < kMinCoarseSide) return true;
  int tried = 0;
  for (const Region& r : CoarseBlobs()) {
    if (tried == kMaxCoarseMaxiCrops) break;
    if (reader_.Expired()) return false;
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

// Bars near a right angle, in a direction the flags ask for: the blob's crop,
// with columns scanned when the bars lie flat (a standing symbol).
void BlobCrops::ReadStraightBars(const Region& blob, const PassSpec& pass,
                                 const SymbologySet& bars) {
  const UInt32 direction = StraightBarsDirection(blob);
  if ((options_.directions & direction) == 0) return;
  PassSpec crop = pass;
  crop.tryRotate = direction == kDirectionVertical;
  if (ReadCrop(Grown(blob, kBarsMarginShare, kBarsMinMargin), crop, bars) > 0) return;
  const Region joined = JoinedBars(blob, direction);
  if ((joined.left != blob.left || joined.top != blob.top || joined.right != blob.right ||
       joined.bottom != blob.bottom) &&
      ReadCrop(Grown(joined, kBarsMarginShare, kBarsMinMargin), crop, bars) > 0) {
    return;
  }
  ReadSmallBars(Grown(joined, kSmallBarsMarginShare, kBarsMinMargin), UprightTurn(blob), pass,
                bars);
}

void BlobCrops::ReadSmallBars(const Region& crop, double turn, const PassSpec& pass,
                              const SymbologySet& wanted) {
  SymbologySet bars;
  for (const Symbology s : kCheckedBars) bars.set(Index(s), wanted.test(Index(s)));
  const Region inside = Clipped(crop, area_.width, area_.height);
  if (bars.none() || IsEmpty(inside) ||
      Int64{inside.right - inside.left} * (inside.bottom - inside.top) > kMaxSmallBarsPixels) {
    return;
  }
  const LumaView view = CropView(area_, inside.left, inside.top, inside.right - inside.left,
                                 inside.bottom - inside.top);
  if (Bilevel(view)) {
    const SymbologySet all = bars;
    bars.reset();
    for (const Symbology s : kBilevelBars) bars.set(Index(s), all.test(Index(s)));
    if (bars.none()) return;
  }
  const AffineMap cropToArea = AffineMap::Translation(inside.left, inside.top);
  PassSpec standing = pass;
  standing.tryRotate = false;
  // The restored bars first: the enlarged view, whose lines are alike,
  // misread an EAN-13 of 1.5-pixel modules under blur 1.0 that the
  // restoration reads.
  if (ReadRestoredBars(view, cropToArea, turn, standing, bars)) return;
  DerivedImage upright = TurnedAndEnlarged(view, turn, kSmallBarsFactor);
  SmoothColumns(upright.image, kSmallBarsSmoothing * kSmallBarsFactor);
  Sharpen(upright.image, kSmallBarsSharpenRadius, kSmallBarsSharpenAmount);
  reader_.Read(ViewOf(upright.image), cropToArea.After(upright.toSource), standing, bars);
}

bool BlobCrops::ReadRestoredBars(const LumaView& crop, const AffineMap& cropToArea, double turn,
                                 const PassSpec& standing, const SymbologySet& bars) {
  const double quarter = 90 * std::round(turn / 90);
  const DerivedImage upright =
      TurnedAndEnlarged(crop, std::abs(turn - quarter) <= kRestoredTurnSnap ? quarter : turn, 1);
  const BarProfile profile = MeanAcrossBars(upright.image, kRestoredMinRows);
  const std::vector<RestoredBars> lines =
      RestoredLines(profile, {kRestoredSigmas.begin(), kRestoredSigmas.end()});
  const double rowStep = static_cast<double>(profile.bottom - profile.top) / kRestoredRows;
  const auto read = [&](const RestoredBars& restored, BarEdges edges) {
    const Int32 factor = edges == BarEdges::SampleBlocks ? kRestoredFactor : kBetweenFactor;
    // Drawn point (X, Y) shows upright point (X / factor + lean * y, y), y
    // the band's row top + Y * rowStep.
    const AffineMap drawnToUpright{
        1.0 / factor, profile.lean * rowStep,          profile.lean * profile.top, 0,
        rowStep,      static_cast<double>(profile.top)};
    const LumaImage drawn = DrawnBars(restored.line, factor, kRestoredRows, edges);
    return reader_.Read(ViewOf(drawn), cropToArea.After(upright.toSource).After(drawnToUpright),
                        standing, bars) > 0;
  };
  for (std::size_t i = 0; i < std::min(kRestoredReads, lines.size()); ++i) {
    if (reader_.Expired()) return false;
    if (read(lines[i], BarEdges::SampleBlocks)) return true;
  }
  for (const RestoredBars& restored : lines) {
    if (restored.sigma < kPhoneMinSigma || restored.sigma > kPhoneMaxSigma) continue;
    if (reader_.Expired()) return false;
    if (read(restored, BarEdges::BetweenSamples)) return true;
  }
  return false;
}

// Narrow bars average to grey at the blob search's scale, so a symbol of
// 2-pixel modules can break into several blobs along its reading direction:
// when the blob's own crop reads nothing, the blob joined with the bar blobs
// beside it in that direction, no further away than the bars are long.
Region BlobCrops::JoinedBars(const Region& blob, UInt32 direction) {
  const bool rows = direction == kDirectionHorizontal;  // read along rows
  Region joined = blob;
  for (bool grew = true; grew;) {
    grew = false;
    for (const Region& other : Blobs()) {
      if (StraightBarsDirection(other) != direction) continue;
      const Int32 across = rows ? joined.bottom - joined.top : joined.right - joined.left;
      const Int32 overlap =
          rows ? std::min(joined.bottom, other.bottom) - std::max(joined.top, other.top)
               : std::min(joined.right, other.right) - std::max(joined.left, other.left);
      const Int32 gap = rows ? std::max(other.left - joined.right, joined.left - other.right)
                             : std::max(other.top - joined.bottom, joined.top - other.bottom);
      if (2 * overlap <
              std::min(across, rows ? other.bottom - other.top : other.right - other.left) ||
          gap > across) {
        continue;
      }
      const Region both{std::min(joined.left, other.left),
                        std::min(joined.top, other.top),
                        std::max(joined.right, other.right),
                        std::max(joined.bottom, other.bottom),
                        joined.gradientDegrees,
                        joined.coherence};
      grew = grew || both.left != joined.left || both.top != joined.top ||
             both.right != joined.right || both.bottom != joined.bottom;
      joined = both;
    }
  }
  return joined;
}

// An oblong blob without one strong direction, read for bars along its
// longer side: the rows of a small PDF417, a few modules high, weigh as much
// in its gradient as its bars, and so do the digits under a short Code 128.
void BlobCrops::ReadOblong(const Region& blob, const PassSpec& pass, const SymbologySet& bars) {
  const bool tall = blob.bottom - blob.top > blob.right - blob.left;
  if ((options_.directions & (tall ? kDirectionVertical : kDirectionHorizontal)) == 0) return;
  PassSpec crop = pass;
  crop.tryRotate = tall;
  ReadCrop(Grown(blob, kBarsMarginShare, kBarsMinMargin), crop, bars);
}

void BlobCrops::ReadTurnedCrop(const Region& blob, const PassSpec& pass) {
  // Blobs under the bar coherence are turned for Micro PDF417 alone.
  SymbologySet symbologies = pass.symbologies;
  if (!HoldsBars(blob)) symbologies &= SymbologySet{}.set(Index(Symbology::MicroPdf417));
  if (symbologies.none()) return;
  const Region crop =
      Clipped(Grown(blob, kBarsMarginShare, kBarsMinMargin), area_.width, area_.height);
  if (IsEmpty(crop)) return;
  const LumaView view =
      CropView(area_, crop.left, crop.top, crop.right - crop.left, crop.bottom - crop.top);
  const DerivedImage turned = RotateByDegrees(view, UprightTurn(blob));
  const AffineMap cropToArea = AffineMap::Translation(crop.left, crop.top);
  reader_.Read(ViewOf(turned.image), cropToArea.After(turned.toSource), pass, symbologies);
}

}  // namespace vexo::engine
