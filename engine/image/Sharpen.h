#pragma once
// Measures and filters for small modules in a crop: the direction of a
// square grid of modules, an unsharp mask that restores the module edges a
// blurred scan or an enlargement softened, and a mean along upright bars.

#include "Common/Types.h"
#include "engine/image/LumaImage.h"

namespace vexo::engine {

struct GridAngle {
  // Within half a fold of 0, counter-clockwise as seen: turning by -degrees
  // stands the grid upright.
  double degrees = 0;
  double strength = 0;  // 0 (no one grid direction) to 1 (every edge on it)
};

// The direction of the edges in the rectangle [left, left+width) x [top,
// top+height) of the pixels, folded to a quarter turn: module edges of a
// square grid run along two directions a right angle apart.
GridAngle SquareGridAngle(const UInt8* pixels, Int32 stride, Int32 left, Int32 top, Int32 width,
                          Int32 height);
// The same folded to a sixth of a turn, for a grid of hexagons: 0 when two
// of their sides stand upright (their edges face 30, 90 and 150 degrees).
GridAngle HexGridAngle(const UInt8* pixels, Int32 stride, Int32 left, Int32 top, Int32 width,
                       Int32 height);

// Unsharp mask in place: each pixel moves away from the mean of the square of
// side 2 * radius + 1 around it by `amount` times the difference, clamped.
void Sharpen(LumaImage& image, Int32 radius, double amount = 1);

// Each pixel becomes the mean of the 2 * radius + 1 pixels of its column
// around it (cut at the image's ends): along upright bars this removes the
// noise of a scan without blurring across the bars.
void SmoothColumns(LumaImage& image, Int32 radius);
// The same along its row, for bars that lie flat.
void SmoothRows(LumaImage& image, Int32 radius);

// Each pixel as a share of the mean of the square of side 2 * radius + 1
// around it, half that mean becoming 64 (clamped at 255): glare and shadow
// lift or sink bars and spaces together, and flatten the edges between them
// where they do.
void RelativeToSurround(LumaImage& image, Int32 radius);

}  // namespace vexo::engine
