#pragma once
// One read of one luminance view with the zxing-cpp library, results mapped to
// engine symbologies and content bytes. The only place that includes ZXing.

#include <array>
#include <vector>

#include "Common/Types.h"
#include "engine/core/Symbology.h"

namespace vexo::engine {

struct PointI {
  Int32 x = 0;
  Int32 y = 0;
};

struct ZxSettings {
  SymbologySet symbologies;  // only readable ones are looked for
  bool tryHarder = true;
  bool tryRotate = false;        // also scan linear symbols at 90/270 degrees
  bool localBinarizer = true;    // local average; false: global histogram
  Int32 minLineCount = 2;        // linear symbols must be seen on this many lines
  Int32 maxNumberOfSymbols = 255;
};

struct Detection {
  Symbology symbology = Symbology::Count;
  UInt32 code = 0;                 // engine result code (QR Code / Datamatrix carry their size)
  std::vector<UInt8> content;      // bytes as encoded (GS1: element string with 0x1D)
  std::array<PointI, 4> corners;   // top-left, top-right, bottom-right, bottom-left as read
};

// Reads every symbol of the chosen symbologies in the view. Coordinates are
// those of the view. Never throws: a library failure gives no detections.
std::vector<Detection> ReadWithZx(const UInt8* pixels, Int32 width, Int32 height, Int32 rowStride,
                                  const ZxSettings& settings);

}  // namespace vexo::engine
