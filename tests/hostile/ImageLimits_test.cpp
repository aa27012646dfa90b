// Headers that claim absurd sizes, with little or no pixel data behind them.
// The worker must refuse each one from its header, before it takes memory
// for the pixels: the run ends in the decoder's report and its peak memory
// stays far below what the claimed image would need.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "CraftedImages.h"
#include "Scene.h"

namespace vexo::hostile {
namespace {

using engine::test::Bytes;

// Peak resident memory allowed for refusing a claimed size: the worker's own
// footprint and a little more, nowhere near the gigabytes claimed.
constexpr long kRefusalPeakKiB = 128 * 1024;

struct ClaimCase {
  const char* name;
  const char* file;
  std::function<Bytes()> make;
};

const ClaimCase kClaims[] = {
    {"Png100000Square", "huge.png", [] { return engine::test::PngClaiming(100000, 100000); }},
    {"PngWidthOnly", "wide.png", [] { return engine::test::PngClaiming(0x7FFFFFFF, 1); }},
    {"Png20000Square", "big.png", [] { return engine::test::PngClaiming(20000, 20000); }},
    {"Bmp100000Square", "huge.bmp", [] { return engine::test::BmpClaiming(100000, 100000); }},
    {"BmpTopDown20000", "big.bmp", [] { return engine::test::BmpClaiming(20000, -20000); }},
    {"BmpMostNegativeHeight", "neg.bmp",
     [] { return engine::test::BmpClaiming(16, -2147483647 - 1); }},
    {"Tiff100000Square", "huge.tif", [] { return engine::test::TiffClaiming(100000, 100000); }},
    {"Tiff20000Square", "big.tif", [] { return engine::test::TiffClaiming(20000, 20000); }},
    {"TiffMaximalSides", "max.tif",
     [] { return engine::test::TiffClaiming(0xFFFFFFFF, 0xFFFFFFFF); }},
    {"Pnm100000Square", "huge.pgm", [] { return engine::test::PnmClaiming(100000, 100000); }},
    {"Pnm20000Square", "big.pgm", [] { return engine::test::PnmClaiming(20000, 20000); }},
    {"GifMaximalSides", "huge.gif", [] { return engine::test::GifClaiming(65535, 65535, 1); }},
    {"GifManyLargeFrames", "frames.gif",
     [] { return engine::test::GifClaiming(16000, 16000, 200); }},
    {"JpegMaximalSides", "huge.jpg", [] { return engine::test::JpegClaiming(65500, 65500); }},
    {"Jpeg20000Square", "big.jpg", [] { return engine::test::JpegClaiming(20000, 20000); }},
    {"WebPMaximalSides", "huge.webp", [] { return engine::test::WebPClaiming(16384, 16384); }},
    {"Jpeg2000Of100000Square", "huge.j2k",
     [] { return engine::test::Jpeg2000Claiming(100000, 100000); }},
    {"Jpeg2000Of20000Square", "big.j2k",
     [] { return engine::test::Jpeg2000Claiming(20000, 20000); }},
};

class ClaimedSize : public testing::TestWithParam<ClaimCase> {};

TEST_P(ClaimedSize, IsRefusedFromTheHeader) {
  const Bytes bytes = GetParam().make();
  ASSERT_FALSE(bytes.empty()) << "convert could not write the small file to rewrite";
  const Scene scene;
  const std::string bitmap = scene.Write(GetParam().file, std::string(bytes.begin(), bytes.end()));
  const WorkerOutcome outcome = RunWorker({scene.Request(bitmap)});
  EXPECT_TRUE(Refused(outcome, kBitmapRefused));
  EXPECT_FALSE(test::Exists(scene.ResultPath()));
#ifndef VELMORA_SANITIZED
  // The sanitizers' own bookkeeping makes the peak meaningless there.
  EXPECT_LT(outcome.peakKiB, kRefusalPeakKiB);
#endif
}

INSTANTIATE_TEST_SUITE_P(Hostile, ClaimedSize, testing::ValuesIn(kClaims), test::CaseName());

}  // namespace
}  // namespace vexo::hostile
