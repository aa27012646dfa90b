#include "engine/core/PassPlan.h"

#include <algorithm>
#include <initializer_list>

namespace vexo::engine {
namespace {

SymbologySet SetOf(std::initializer_list<Symbology> symbologies) {
  SymbologySet set;
  for (Symbology s : symbologies) set.set(Index(s));
  return set;
}

}  // namespace

SymbologySet FreeSymbologies() { return SetOf({Symbology::QrCode, Symbology::MicroQrCode}); }

SymbologySet CentredSymbologies() {
  return SetOf({Symbology::DataMatrix, Symbology::Aztec, Symbology::MaxiCode});
}

std::vector<Tile> CentredTiles(Int32 width, Int32 height) {
  const Int32 side = std::min(width, height) / 2;
  const Int32 step = side / 2;
  std::vector<Tile> tiles;
  if (step <= 0) return tiles;
  // The last tile of a row or column ends at the edge.
  auto starts = [&](Int32 extent) {
    std::vector<Int32> at;
    for (Int32 p = 0; p + side < extent; p += step) at.push_back(p);
    at.push_back(extent - side);
    return at;
  };
  for (Int32 top : starts(height)) {
    for (Int32 left : starts(width)) tiles.push_back({left, top, side});
  }
  return tiles;
}

SymbologySet StronglyCheckedSymbologies() {
  return FreeSymbologies() | CentredSymbologies() |
         SetOf({Symbology::Pdf417, Symbology::Code128, Symbology::Gs1_128});
}

std::vector<VariantSpec> PlanVariants(const ReadOptions& options, const SymbologySet& readable) {
  std::vector<VariantSpec> variants{{Variant::AsIs, readable, options}};
  ReadOptions copies = options;
  copies.passes &= ~kPassOtherBinarizer;
  copies.directions &= ~kDirectionDiagonal;
  if ((options.passes & kPassInverted) != 0) {
    variants.push_back({Variant::Negative, readable, copies});
  } else if ((options.passes & kPassNegativeIfNone) != 0 &&
             (readable & StronglyCheckedSymbologies()).any()) {
    variants.push_back({Variant::Negative, readable & StronglyCheckedSymbologies(), copies, true});
  }
  const SymbologySet matrix = readable & (FreeSymbologies() | CentredSymbologies());
  if ((options.passes & kPassMirrored) != 0 && matrix.any()) {
    variants.push_back({Variant::Mirror, matrix, copies});
  }
  return variants;
}

std::vector<PassSpec> PlanPasses(const ReadOptions& options, const SymbologySet& readable,
                                 Int32 width, Int32 height) {
  // Linear and stacked symbols are read along the rows of a view (and its
  // columns with tryRotate); the direction flags decide which views they get.
  const SymbologySet free = readable & FreeSymbologies();
  const SymbologySet centred = readable & CentredSymbologies();
  const SymbologySet oriented = readable & ~(FreeSymbologies() | CentredSymbologies());
  const bool horizontal = (options.directions & kDirectionHorizontal) != 0;
  const bool vertical = (options.directions & kDirectionVertical) != 0;
  const bool diagonal = (options.directions & kDirectionDiagonal) != 0;
  const bool small = static_cast<Int64>(width) * height <= kSmallViewPixels;
  const bool regions = (options.passes & kPassRegions) != 0 && options.regionCrops > 0;
  const bool half = (options.passes & kPassHalf) != 0 &&
                    std::min(width, height) >= std::max(options.halfPassMinSide, kMinHalfSide);

  std::vector<PassSpec> plan;
  auto add = [&](PassKind kind, const SymbologySet& set, bool tryRotate, bool global) {
    if (set.any()) plan.push_back({kind, set, tryRotate, global});
  };
  const SymbologySet straight = free | (horizontal ? oriented : SymbologySet{});
  const SymbologySet fullSet = straight | (small || !regions ? centred : SymbologySet{});
  const bool bothWays = horizontal && vertical;
  // A profile without the full pass still gets it where the half pass cannot run.
  if ((options.passes & kPassFull) != 0 || !half) {
    add(PassKind::Full, fullSet, bothWays, options.globalBinarizer);
  }
  if (vertical && !horizontal) add(PassKind::QuarterTurn, oriented, false, options.globalBinarizer);
  if ((options.passes & kPassOtherBinarizer) != 0) {
    add(PassKind::OtherBinarizer, fullSet, bothWays, !options.globalBinarizer);
  }
  const bool halfLinear = (options.passes & kPassHalfLinear) != 0;
  // Our Micro PDF417 reader reads any module size at full resolution: when
  // the full pass gives it the view, a half-size copy only loses modules.
  const bool fullReads = ((options.passes & kPassFull) != 0 || !half) && horizontal;
  const SymbologySet halfOriented =
      fullReads ? oriented & ~SetOf({Symbology::MicroPdf417}) : oriented;
  if (half) {
    add(PassKind::Half, free | centred | (halfLinear && horizontal ? halfOriented : SymbologySet{}),
        bothWays, options.globalBinarizer);
    // Every reduced copy is small enough for the finders that look around
    // the centre to see most of it.
    for (Int32 factor : kReductions) {
      if (std::min(width, height) / factor < kMinReducedSide || (free | centred).none()) break;
      plan.push_back({PassKind::Reduced, free | centred, false, options.globalBinarizer, factor});
    }
  }
  // Region crops: matrix symbols around blob centres (QR Code on a blob cut
  // out alone), and bars the full pass missed, in the directions asked for.
  if (regions) {
    add(PassKind::Regions, centred | free | (horizontal || vertical ? oriented : SymbologySet{}),
        false, options.globalBinarizer);
  }
  const Int64 pixels = Int64{width} * height;
  // Small QR Codes of a large photo, around their finder patterns.
  if (regions && pixels >= kFinderCropMinPixels)
    add(PassKind::QrFinders, free, false, options.globalBinarizer);
  // Bars under glare or in shadow, where the passes before found nothing.
  if (horizontal && (pixels <= kMaxContrastPixels || (half && pixels / 4 <= kMaxContrastPixels))) {
    add(PassKind::Contrast, oriented, bothWays, options.globalBinarizer);
  }
  if (diagonal) add(PassKind::Diagonal, oriented, true, options.globalBinarizer);
  return plan;
}

}  // namespace vexo::engine
