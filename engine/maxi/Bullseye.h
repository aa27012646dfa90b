#pragma once
// The bullseye of a Maxi Code: three dark rings around a light centre.

#include <optional>

#include "engine/core/Geometry.h"
#include "engine/core/LumaView.h"

namespace vexo::engine::maxi {

// Bilinear luminance at a point of the view (pixel centres at half
// coordinates), white outside it.
double Sample(const LumaView& view, PointD p);

struct Bullseye {
  PointD centre;
  double pitch = 0;  // the cell pitch in pixels, from the rings' spacing
};

// The bullseye whose rings stand out most; nothing when none is found. The
// rows are scanned every other one, and only lines through a row's match
// are looked at further: the check is cheap on a view without one.
std::optional<Bullseye> FindBullseye(const LumaView& view);

}  // namespace vexo::engine::maxi
