#pragma once
// Finds blobs of ink that may be symbols. The Datamatrix and Aztec finders
// only look around the centre of the view they are given, and the Maxi Code
// finder only at a view that holds nothing but the symbol; the region pass
// reads crops placed on these blobs.

#include <vector>

#include "Common/Types.h"
#include "engine/core/LumaView.h"

namespace vexo::engine {

struct Region {
  Int32 left = 0;  // in the coordinates of the view searched
  Int32 top = 0;
  Int32 right = 0;  // exclusive
  Int32 bottom = 0;
  // The dominant direction of the luminance gradient inside the blob, in
  // degrees in (-180, 0], counter-clockwise as seen on the page (a direction
  // and its opposite are one), and how strongly it dominates, 0 to 1. The
  // bars of a linear symbol give a coherence near 1 and the angle of their
  // normal: turning the blob by -gradientDegrees stands them upright.
  double gradientDegrees = 0;
  double coherence = 0;
};

// Every blob, ranked by area over the square of the aspect ratio (symbols are
// squat, text runs long): how many are read is for the time budget to say. The view is reduced by
// `reduce` (1 or more) before the search; regions are given in view coordinates. Without
// `measureGradient` the gradient fields stay zero, which saves a pass over every blob's pixels.
std::vector<Region> FindInkRegions(const LumaView& view, Int32 reduce, bool measureGradient = true);

// The share of the region's pixels (every second one of every second row,
// clipped to the view) darker than the middle of its darkest and lightest:
// about half in a symbol of modules or bars, a quarter or less in a word.
double InkShare(const LumaView& view, const Region& region);

// Sets the region's gradient fields from the structure tensor of the
// luminance gradient over its box (clipped to the view).
void MeasureGradient(const LumaView& view, Region& region);

}  // namespace vexo::engine
