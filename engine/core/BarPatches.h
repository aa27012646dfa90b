#pragma once
// Patches of bars found at full resolution in a large photo. The blob search
// works on a quarter-size copy, where the bars of a small symbol of 2 to 3
// pixel modules average to grey and make no blob; here the luminance
// gradients of each cell of a coarse grid are measured at full size, and
// cells whose gradients are strong and agree in direction (edges of parallel
// bars; under a dim photo's noise, those of the cells around them) are joined
// into patches, each cut out, turned so that its bars stand upright and read,
// and a noisy patch read again with every pixel averaged along its bar.

#include <vector>

#include "Common/Types.h"
#include "engine/core/Crops.h"
#include "engine/core/LumaView.h"
#include "engine/core/PassPlan.h"
#include "engine/core/Profiles.h"

namespace vexo::engine {

// A rectangle of the view holding bars, and the direction across them
// (degrees, counter-clockwise as seen on the page, in [-90, 90)).
struct BarPatch {
  Int32 left = 0, top = 0, width = 0, height = 0;
  double degrees = 0;
  Int32 cells = 0;     // grid cells of bars it joins
  bool noisy = false;  // most of them bars only by the cells around them
};

// The patches of `view`, those of most cells first, at most kMaxBarPatches,
// each grown by a quiet zone and clipped to the view.
inline constexpr std::size_t kMaxBarPatches = 16;
std::vector<BarPatch> FindBarPatches(const LumaView& view);

// The patches of a large area that no symbol found covers and whose
// direction `directions` asks for (bars within 20 degrees of standing: the
// horizontal flag; of lying: the vertical flag; else the diagonal flag), each
// read upright for the symbologies of `pass`. False when the deadline
// stopped it.
bool ReadBarPatches(const LumaView& area, CropReader& reader, const PassSpec& pass,
                    UInt32 directions);

}  // namespace vexo::engine
