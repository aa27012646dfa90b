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

// Files within the pixel limit whose colour layout or structure, not pixel
// count, is the bomb: each ends within `seconds` and `peakMiB`, in the
// decoder's report or a result. Before the decode budget and the structure
// checks they took gigabytes or the whole 90 s.
struct BombCase {
  const char* name;
  const char* file;
  std::function<Bytes()> make;
  const char* report;  // null: the run succeeds
  long peakMiB;
  double seconds;
  unsigned long long addressSpace = 0;  // ulimit -v for the run, 0 none
};

constexpr long kMiB = 1024;
constexpr unsigned long long kHalfGiB = 512ull << 20;

const BombCase kBombs[] = {
    // Colour layouts whose decode would take 2 to 5 GiB at this size.
    {"Png16BitRgbaAtThePixelLimit", "rgba16.png",
     [] { return engine::test::PngClaiming(15811, 15811, 16, 6); }, kBitmapRefused, 128, 5},
    {"Tiff16BitRgba", "rgba16.tif", [] { return engine::test::TiffClaiming(12000, 12000, 4, 16); },
     kBitmapRefused, 128, 5},
    {"Jpeg2000OfFourChannels", "rgba.j2k",
     [] { return engine::test::Jpeg2000Claiming(10000, 10000, 4); }, kBitmapRefused, 128, 5},
    {"ProgressiveColourJpeg", "progressive.jpg",
     [] { return engine::test::ProgressiveJpegClaiming(15000, 15000); }, kBitmapRefused, 128, 5},
    // Structure: only the first image is read, a JPEG has at most 100 scans.
    {"GifWithSixteenMiBOfExtensions", "comments.gif",
     [] { return engine::test::GifOfFrames(1, 16u << 20); }, nullptr, 160, 10},
    {"GifOfAMillionFrames", "frames.gif", [] { return engine::test::GifOfFrames(1000000, 0); },
     nullptr, 160, 10},
    {"JpegOfTwoThousandScans", "scans.jpg", [] { return engine::test::JpegOfScans(2000); },
     kBitmapRefused, 128, 5},
    // Within the budget but not within an address-space limit: refused
    // before the codec's own allocation could fail inside it.
    {"Jpeg2000OverTheAddressSpace", "rgb.j2k",
     [] { return engine::test::Jpeg2000Claiming(6000, 6000, 3); }, kBitmapRefused, 128, 5,
     kHalfGiB},
};

class HostileStructure : public testing::TestWithParam<BombCase> {};

TEST_P(HostileStructure, EndsSoonWithLittleMemory) {
  const BombCase& bomb = GetParam();
  const Bytes bytes = bomb.make();
  ASSERT_FALSE(bytes.empty()) << "convert could not write the small file to rewrite";
  const Scene scene;
  const std::string bitmap = scene.Write(bomb.file, std::string(bytes.begin(), bytes.end()));
  RunOptions options;
#ifdef VELMORA_SANITIZED
  // The sanitizers reserve terabytes of address space up front.
  if (bomb.addressSpace != 0) GTEST_SKIP() << "no address-space limit under the sanitizers";
  constexpr double kTimeScale = 4;
#else
  options.addressSpace = bomb.addressSpace;
  constexpr double kTimeScale = 1;
#endif
  const WorkerOutcome outcome = RunWorker({scene.Request(bitmap)}, options);
  if (bomb.report != nullptr) {
    EXPECT_TRUE(Refused(outcome, bomb.report));
  } else {
    EXPECT_TRUE(Succeeded(outcome));
  }
  EXPECT_EQ(test::Exists(scene.ResultPath()), bomb.report == nullptr);
  EXPECT_LT(outcome.seconds, bomb.seconds * kTimeScale);
#ifndef VELMORA_SANITIZED
  // Shadow memory and quarantine make the peak meaningless there.
  EXPECT_LT(outcome.peakKiB, bomb.peakMiB * kMiB);
#endif
}

INSTANTIATE_TEST_SUITE_P(Hostile, HostileStructure, testing::ValuesIn(kBombs), test::CaseName());

}  // namespace
}  // namespace vexo::hostile
