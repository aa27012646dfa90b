#pragma once
// What crosses the seam between the engine's passes and its readers: the
// settings of one read of one view, what a reader found there, and the list
// of readers. The passes, crops, turned views, coordinate mapping, merge,
// deadline and direction flags apply to every reader of the list alike; a
// reader only says which symbologies it reads and reads the view it is given.

#include <array>
#include <functional>
#include <vector>

#include "Common/Types.h"
#include "engine/core/Geometry.h"
#include "engine/core/LumaView.h"
#include "engine/core/PassPlan.h"
#include "engine/core/Symbology.h"

namespace vexo::engine {

struct ViewSettings {
  SymbologySet symbologies;  // what to look for; only the reader's own are passed
  bool tryHarder = true;
  bool tryRotate = false;      // also scan linear symbols at 90/270 degrees
  bool localBinarizer = true;  // local average; false: global histogram
  Int32 minLineCount = 2;      // linear symbols must be seen on this many lines
  Int32 maxNumberOfSymbols = 255;
  bool uprightRetry = false;   // small matrix views read again upright and enlarged
  bool averagedLines = false;  // a second linear reader reads lines averaged along the bars
};

struct Detection {
  Symbology symbology = Symbology::Count;
  UInt32 code = 0;             // engine result code (QR Code / Datamatrix carry their size)
  std::vector<UInt8> content;  // text in UTF-8, binary data as encoded, GS1 element string
  // Top-left, top-right, bottom-right, bottom-left as read, in view
  // coordinates. All four equal: read without a position (the symbol fills
  // the view).
  std::array<PointD, 4> corners;
};

// One read of one view. Never throws: a failure gives no detections.
using ViewReader = std::function<std::vector<Detection>(const LumaView&, const ViewSettings&)>;

// Every symbol one reader finds in an area of a view, corners in the area's
// coordinates. Lets a reader ask another what lies around a read of its own
// without depending on it; the engine wires them together.
using AreaReader = std::vector<Detection> (*)(const LumaView& area);

struct ReaderEntry {
  ReaderKind kind = ReaderKind::None;
  SymbologySet symbologies;  // what this reader reads
  ViewReader read;
  // A second reader of symbologies another reader reads: the passes it reads
  // in, and there only the views where the readers before it in the list
  // found nothing. Empty: a first reader, which reads in every pass.
  std::vector<PassKind> secondInPasses;
};
using ReaderList = std::vector<ReaderEntry>;

// The union of what the readers read.
inline SymbologySet ReadableBy(const ReaderList& readers) {
  SymbologySet set;
  for (const ReaderEntry& reader : readers) set |= reader.symbologies;
  return set;
}

}  // namespace vexo::engine
