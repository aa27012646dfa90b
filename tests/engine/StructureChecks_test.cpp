// Structure checks before decoding: the scans of a JPEG are counted and
// capped, and a GIF is cut down to its first image.

#include "engine/image/StructureChecks.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "CraftedImages.h"
#include "engine/image/ImageDecoder.h"

namespace vexo::engine::test {
namespace {

struct JpegCase {
  const char* name;
  int scans;
  UInt16 side;  // the size the frame claims; 0: as written (16 x 16)
  EngineStatus status;
};

class JpegScans : public testing::TestWithParam<JpegCase> {};

TEST_P(JpegScans, AreCountedUpToTheCap) {
  const Bytes jpeg = JpegOfScans(GetParam().scans, GetParam().side);
  ASSERT_FALSE(jpeg.empty()) << "convert could not write the progressive JPEG";
  const JpegLayout layout = ReadJpegLayout(jpeg.data(), jpeg.size());
  EXPECT_EQ(layout.status, GetParam().status);
  EXPECT_TRUE(layout.progressive);
  if (layout.status == kStatusSuccess) {
    EXPECT_EQ(layout.scans, static_cast<UInt32>(GetParam().scans));
    const Int64 side = GetParam().side == 0 ? 16 : (GetParam().side + 7) / 8 * 8;
    EXPECT_EQ(layout.coefficientBytes, side * side * 2);  // one component
  }
}

const JpegCase kJpegCases[] = {
    {"AsWritten", 6, 0, kStatusSuccess},
    {"AtTheCap", 100, 0, kStatusSuccess},
    {"OverTheCap", 101, 0, kStatusCorruptImage},
    {"TwoThousand", 2000, 0, kStatusCorruptImage},
    // 100 million pixels: 25 scans of work each.
    {"LargeImageAtItsCap", 25, 10000, kStatusSuccess},
    {"LargeImageOverItsCap", 26, 10000, kStatusCorruptImage},
    {"LargestImageKeepsSixteen", 16, 15811, kStatusSuccess},
    {"LargestImageOverSixteen", 17, 15811, kStatusCorruptImage},
};

INSTANTIATE_TEST_SUITE_P(Structure, JpegScans, testing::ValuesIn(kJpegCases),
                         [](const auto& p) { return std::string(p.param.name); });

struct GifCase {
  const char* name;
  std::function<Bytes()> make;
  bool readableAsItIs;
  std::size_t copySize;  // 0: no copy is made
};

constexpr std::size_t kOneFrameGif = 6 + 7 + 6 + 10 + 5 + 1;  // header to trailer

class GifFirst : public testing::TestWithParam<GifCase> {};

TEST_P(GifFirst, KeepsTheFirstImageOnly) {
  const Bytes gif = GetParam().make();
  const GifFirstImage image = FindGifFirstImage(gif.data(), gif.size());
  ASSERT_EQ(image.status, kStatusSuccess);
  EXPECT_EQ(image.readableAsItIs, GetParam().readableAsItIs);
  const std::vector<UInt8> copy = GifWithFirstImageOnly(gif.data(), gif.size());
  EXPECT_EQ(copy.size(), GetParam().copySize);
  if (!copy.empty()) {
    LumaImage decoded;
    EXPECT_EQ(DecodeImage(copy.data(), copy.size(), decoded), kStatusSuccess);
    EXPECT_EQ(decoded.pixels, std::vector<UInt8>{255});
  }
}

const GifCase kGifCases[] = {
    {"OneFrame", [] { return GifOfFrames(1, 0); }, true, 0},
    {"SmallComment", [] { return GifOfFrames(1, 1000); }, true, 0},
    {"FloodOfComments", [] { return GifOfFrames(1, kGifSmallExtensions + 1); }, false,
     kOneFrameGif},
    {"ThreeFrames", [] { return GifOfFrames(3, 0); }, false, kOneFrameGif},
};

INSTANTIATE_TEST_SUITE_P(Structure, GifFirst, testing::ValuesIn(kGifCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::engine::test
