#pragma once
// Which reads one FindBarcodes call makes, in order of trust: the earlier a
// pass, the more precise its coordinates, and the merge keeps the first.

#include <algorithm>
#include <vector>

#include "Common/Types.h"
#include "engine/core/Profiles.h"
#include "engine/core/Symbology.h"

namespace vexo::engine {

enum class PassKind {
  Full,            // the search area as it is
  QuarterTurn,     // a copy turned a quarter turn (vertical without horizontal)
  OtherBinarizer,  // the full pass again with the other binarizer
  Half,            // a half-size copy
  Reduced,         // a copy reduced by `reduce` (large photos: 1/3, 1/4)
  Regions,         // crops of ink blobs
  QrFinders,       // crops around QR finder patterns, enlarged (large photos)
  Contrast,        // a copy relative to the light around each pixel (glare, shadow)
  Diagonal,        // a copy turned by 45 degrees, at 1/1 or 1/2 size
};

struct PassSpec {
  PassKind kind = PassKind::Full;
  SymbologySet symbologies;
  bool tryRotate = false;
  bool globalBinarizer = false;
  Int32 reduce = 1;  // Reduced: area pixels per copy pixel, each way
};

// Views up to this many pixels also look for Datamatrix, Aztec and Maxi Code
// in the full pass: their finders look around the centre, which on a small
// view is most of it.
inline constexpr Int64 kSmallViewPixels = 1'500'000;
// The contrast pass reads the area, or its half-size copy, while that has at
// most this many pixels (a photo of up to 6 megapixels); an A4 page at 300
// dpi is larger even halved.
inline constexpr Int64 kMaxContrastPixels = kSmallViewPixels;
// The crops around QR finder patterns read areas of at least this many
// pixels (photos of 2 megapixels and more).
inline constexpr Int64 kFinderCropMinPixels = 2'000'000;
// No half pass below this shorter side, whatever the profile says.
inline constexpr Int32 kMinHalfSide = 64;
// The half pass goes on with copies reduced by these factors (area means)
// while their shorter side keeps at least kMinReducedSide pixels: the
// modules of a large photo's symbols span more pixels than the library's
// binarizer and finders take in one window.
inline constexpr Int32 kReductions[] = {3, 4};
inline constexpr Int32 kMinReducedSide = 360;

// A reduced copy is read whole for the free symbologies, and in tiles for
// the finders that look around the centre of their view: squares of half its
// shorter side, half a side apart, so that a symbol of up to a quarter of
// that side lies well inside one tile (a photo's blobs seldom stand apart
// from its background, so the region crops miss them).
struct Tile {
  Int32 left = 0, top = 0, side = 0;
};
std::vector<Tile> CentredTiles(Int32 width, Int32 height);
// Only views this large get the half-size copy that blobs are searched on
// and the diagonal half copy is made from.
inline bool CanHalve(Int32 width, Int32 height) { return std::min(width, height) >= kMinHalfSide; }

// Symbologies whose finders work in any orientation and anywhere in a view.
SymbologySet FreeSymbologies();
// Symbologies whose finders look only around the centre of a view.
SymbologySet CentredSymbologies();

// The page as it is, then (as the profile asks) its negative for symbols
// printed light on dark, and its mirror image for matrix symbols seen from
// behind (a linear symbol mirrored reads as one read backwards). Each
// variant gets the passes of its options, for the symbologies given here:
// the copies leave out the second binarizer and the diagonal pass, which
// cost most on a large photo. Without the negative pass, a profile may ask
// for the negative only where the page as it is gave nothing, and then only
// for the symbologies whose check makes a chance read of texture unlikely.
enum class Variant { AsIs, Negative, Mirror };
struct VariantSpec {
  Variant variant = Variant::AsIs;
  SymbologySet symbologies;
  ReadOptions options;
  bool onlyWhereNone = false;  // skipped once an earlier variant found a symbol
};
SymbologySet StronglyCheckedSymbologies();
std::vector<VariantSpec> PlanVariants(const ReadOptions& options, const SymbologySet& readable);

std::vector<PassSpec> PlanPasses(const ReadOptions& options, const SymbologySet& readable,
                                 Int32 width, Int32 height);

}  // namespace vexo::engine
