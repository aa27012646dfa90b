#pragma once
// QR Code finder patterns (dark, light, dark three times as wide, light,
// dark: 1:1:3:1:1 across rows and columns) found at full resolution, and the
// crops around the symbols they frame. On a large photo the modules of a
// small symbol are too few pixels for the library's detector on the whole
// view and for its reduced copies; a crop around the symbol's finders,
// enlarged, brings them to a size it reads.

#include <vector>

#include "Common/Types.h"
#include "engine/core/Crops.h"
#include "engine/core/Geometry.h"
#include "engine/core/LumaView.h"
#include "engine/core/PassPlan.h"

namespace vexo::engine {

struct FinderMark {
  PointD centre;
  double module = 0;  // pixels a module, from the pattern's width and height
  Int32 hits = 0;     // rows that crossed it
};

// The finder patterns of `view` whose modules measure 1.2 to 10 pixels,
// seen on every `rowStep`-th row and confirmed down their centre's column,
// each once. A pixel is dark below the midpoint of the darkest and lightest
// of the 40 x 40 pixels around it, where those hold some contrast. At most kMaxFinderMarks.
inline constexpr std::size_t kMaxFinderMarks = 2000;
std::vector<FinderMark> FindFinderMarks(const LumaView& view, Int32 rowStep);

// A rectangle of the view to read, and the module size of its finders.
struct FinderCrop {
  Int32 left = 0, top = 0, width = 0, height = 0;
  double module = 0;
};

// The crops around the symbols the marks frame: three marks of a like module
// size where one sees the other two at about a right angle and at like
// distances (a symbol's top-left finder) give the symbol's box from the
// fourth corner; marks in no such three, two at a time, a box holding the
// symbol on either side of them. Each box grown by a quiet zone. Crops whose
// marks all lie in an earlier crop are left out.
std::vector<FinderCrop> CropsAroundFinders(const std::vector<FinderMark>& marks);

// The finder crops of a large area: each crop whose marks no symbol found
// covers, smoothed against noise, enlarged to about 8 pixels a module,
// sharpened and read for the free symbologies of `pass`. False when the
// deadline stopped it.
bool ReadFinderCrops(const LumaView& area, CropReader& reader, const PassSpec& pass);

}  // namespace vexo::engine
