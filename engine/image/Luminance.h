#pragma once
// Turns a decoded Leptonica PIX of any depth into 8-bit luminance.

#include <leptonica/allheaders.h>

#include "engine/image/ImageOutcome.h"
#include "engine/image/LumaImage.h"

namespace vexo::engine {

// Fills `out` (pixels, size and resolution) from `pix`: colormaps resolved,
// colour weighted to luma, alpha composed over white, 1 bpp read with
// 1 = black, 2/4/16 bpp scaled to 8. kOk, or kUnknownFormat for a depth
// Leptonica's readers do not produce. May throw std::bad_alloc.
ImageOutcome PixToLuma(PIX* pix, LumaImage& out);

}  // namespace vexo::engine
