#pragma once
// Drives our engine through the ImagingEngine interface as the extraction
// does, over pages composed at test time from zint symbols.

#include <memory>
#include <string>
#include <vector>

#include "engine/Engine.h"
#include "tests/engine/SymbolImages.h"
#include "wrapper/ImagingEngine.h"

namespace vexo::test {

inline constexpr UInt32 kAllFeatures = 0xAAA9;
inline constexpr UInt32 kAllLinear = 0x8003FFFF;
inline constexpr UInt32 kQrSearch = 0x08000001;
inline constexpr UInt32 kCode128 = 0x80000020;
inline constexpr UInt32 kHorizontal = 0x20;
inline constexpr UInt32 kVertical = 0x40;
inline constexpr UInt32 kDiagonal = 0x80;
// The codes the extraction hands over when every group is requested.
inline const std::vector<UInt32> kEveryGroup{
    0x8003FFFF, 0x04000001, 0x04000002, 0x04000004, 0x04000008, 0x04000010, 0x04000080,
    0x04000020, 0x04000040, 0x04000100, 0x20002000, 0x20000001, 0x08000001, 0x10000001,
    0x10000002, 0x10000004, 0x21000000, 0x22000000, 0x24000000};

// The image as a PNG file's bytes (ImageMagick).
std::vector<UInt8> EncodePng(const Gray& image);
// The image as a binary PGM file's bytes, written in process (quicker).
std::vector<UInt8> EncodePgm(const Gray& image);
// The image turned clockwise by any angle on a white background (ImageMagick).
Gray TurnedBy(const Gray& image, double degreesClockwise);

// One record of a result array, copied out.
struct Record {
  UInt32 code = 0;
  Int32 left = 0, top = 0, right = 0, bottom = 0;
  Int32 angle = 0;
  std::array<Int32, 8> corners{};
  std::string content;
};

struct FindOutcome {
  EngineStatus status = 0;
  std::vector<Record> records;
};

struct FindArgs {
  std::vector<UInt32> codes{kAllLinear, kQrSearch};
  UInt32 directions = kHorizontal | kVertical;
  UInt32 profile = 0;
  SearchRect rect{0, 0, 1 << 20, 1 << 20};
  // Changes to the option blocks after GetProfileOptions: word index, value.
  std::vector<std::pair<std::size_t, UInt32>> wordsA;
  std::vector<std::pair<std::size_t, UInt32>> wordsC;
};

// An engine with its reader open and one decoded page; closes and releases
// everything on destruction.
class EngineSession {
 public:
  explicit EngineSession(const Gray& page, UInt32 featureMask = kAllFeatures);
  // The engine decodes the image file itself.
  explicit EngineSession(const std::vector<UInt8>& file, UInt32 featureMask = kAllFeatures);
  ~EngineSession();
  EngineSession(const EngineSession&) = delete;
  EngineSession& operator=(const EngineSession&) = delete;

  ImagingEngine& Engine() { return *engine_; }
  EngineBitmap& Bitmap() { return bitmap_; }
  FindOutcome Find(const FindArgs& args);

 private:
  std::unique_ptr<ImagingEngine> engine_;
  EngineBitmap bitmap_{};
  bool open_ = false;
};

std::string Describe(const std::vector<Record>& records);

}  // namespace vexo::test
