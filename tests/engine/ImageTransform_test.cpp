// Quarter turns, rotation by any angle, 2x reduction and cropping of
// luminance images.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "engine/image/Transform.h"

namespace vexo::engine {
namespace {

LumaImage Image(Int32 width, Int32 height, std::vector<UInt8> pixels, Int32 xDpi = 0,
                Int32 yDpi = 0) {
  return LumaImage{width, height, xDpi, yDpi, std::move(pixels)};
}

// A 3 x 2 image with distinct pixels:  1 2 3
//                                      4 5 6
LumaImage Small() { return Image(3, 2, {1, 2, 3, 4, 5, 6}, 300, 200); }

// A smooth ramp, for rotations whose sampling falls between pixels.
LumaImage Ramp(Int32 width, Int32 height) {
  LumaImage image = Image(width, height, {});
  for (Int32 y = 0; y < height; ++y) {
    for (Int32 x = 0; x < width; ++x) image.pixels.push_back(UInt8(40 + x + 2 * y));
  }
  return image;
}

void ExpectImage(const LumaImage& image, Int32 width, Int32 height,
                 const std::vector<UInt8>& pixels) {
  EXPECT_EQ(image.width, width);
  EXPECT_EQ(image.height, height);
  EXPECT_EQ(image.pixels, pixels);
}

TEST(QuarterTurn, TurnsCounterClockwiseAndSwapsResolution) {
  const LumaImage turned = Rotate90(Small());
  ExpectImage(turned, 2, 3, {3, 6, 2, 5, 1, 4});
  EXPECT_EQ(turned.xDpi, 200);
  EXPECT_EQ(turned.yDpi, 300);
  ExpectImage(Rotate270(Small()), 2, 3, {4, 1, 5, 2, 6, 3});
  ExpectImage(Rotate180(Small()), 3, 2, {6, 5, 4, 3, 2, 1});
}

TEST(QuarterTurn, TurnsComposeToTheIdentity) {
  const LumaImage ramp = Ramp(7, 4);
  EXPECT_EQ(Rotate90(Rotate270(ramp)).pixels, ramp.pixels);
  EXPECT_EQ(Rotate270(Rotate270(ramp)).pixels, Rotate180(ramp).pixels);
}

struct AngleCase {
  const char* name;
  double degrees;
  LumaImage (*expected)(const LumaImage&);
};

const AngleCase kQuarterAngles[] = {
    {"zero", 0, [](const LumaImage& image) { return image; }},
    {"quarter", 90, Rotate90},
    {"half", 180, Rotate180},
    {"three_quarters", 270, Rotate270},
    {"minus_quarter", -90, Rotate270},
    {"one_and_a_quarter", 450, Rotate90},
};

class RotateQuarterAngle : public testing::TestWithParam<AngleCase> {};

TEST_P(RotateQuarterAngle, MatchesTheQuarterTurnExactly) {
  const LumaImage ramp = Ramp(9, 5);
  const LumaImage turned = RotateByAngle(ramp, GetParam().degrees, 0);
  const LumaImage expected = GetParam().expected(ramp);
  ExpectImage(turned, expected.width, expected.height, expected.pixels);
}

INSTANTIATE_TEST_SUITE_P(Angles, RotateQuarterAngle, testing::ValuesIn(kQuarterAngles),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(RotateByAngle, CanvasHoldsTheTurnedImageTurnedCounterClockwise) {
  // A dark top edge on a light 100 x 50 image.
  LumaImage image = Image(100, 50, std::vector<UInt8>(5000, 200));
  std::fill_n(image.pixels.begin(), 300, 0);
  const LumaImage turned = RotateByAngle(image, 30, 255);
  EXPECT_EQ(turned.width, 112);  // ceil(100 cos 30 + 50 sin 30) = ceil(111.6)
  EXPECT_EQ(turned.height, 94);  // ceil(100 sin 30 + 50 cos 30) = ceil(93.3)
  // Counter-clockwise on the page: the top edge rises to the right by 100 sin 30.
  Int32 leftX = turned.width, leftY = 0, rightX = -1, rightY = 0;
  for (Int32 y = 0; y < turned.height; ++y) {
    for (Int32 x = 0; x < turned.width; ++x) {
      if (turned.Row(y)[x] >= 100) continue;
      if (x < leftX) leftX = x, leftY = y;
      if (x > rightX) rightX = x, rightY = y;
    }
  }
  EXPECT_LE(leftX, 2);
  EXPECT_NEAR(leftY - rightY, 50, 4);
}

TEST(RotateByAngle, KeepsTheInsideAndFillsTheCorners) {
  const LumaImage flat = Image(40, 20, std::vector<UInt8>(800, 90), 300, 300);
  const LumaImage turned = RotateByAngle(flat, 30, 255);
  EXPECT_EQ(turned.Row(turned.height / 2)[turned.width / 2], 90);
  EXPECT_EQ(turned.Row(0)[0], 255);
  EXPECT_EQ(turned.Row(turned.height - 1)[turned.width - 1], 255);
  EXPECT_EQ(turned.xDpi, 300);
}

TEST(RotateByAngle, TurningThereAndBackRestoresASmoothImage) {
  const LumaImage ramp = Ramp(30, 20);
  const LumaImage there = RotateByAngle(ramp, 17, 0);
  const LumaImage back = RotateByAngle(there, -17, 0);
  // Centre the round trip's larger canvas over the original.
  const LumaImage middle = Crop(back, (back.width - 30) / 2, (back.height - 20) / 2, 30, 20);
  ASSERT_EQ(middle.pixels.size(), ramp.pixels.size());
  for (Int32 y = 3; y < 17; ++y) {
    for (Int32 x = 3; x < 27; ++x) EXPECT_NEAR(middle.Row(y)[x], ramp.Row(y)[x], 2);
  }
}

TEST(Downscale2x, AveragesBlocksAndHalvesResolution) {
  const LumaImage half = Downscale2x(Image(4, 2, {0, 10, 100, 200, 20, 30, 100, 201}, 300, 301));
  ExpectImage(half, 2, 1, {15, 150});
  EXPECT_EQ(half.xDpi, 150);
  EXPECT_EQ(half.yDpi, 150);
  // Odd edges average what is inside:  0  4  9 / 8 12 30 / 50 60 70
  ExpectImage(Downscale2x(Image(3, 3, {0, 4, 9, 8, 12, 30, 50, 60, 70})), 2, 2, {6, 20, 55, 70});
  ExpectImage(Downscale2x(Image(1, 1, {7})), 1, 1, {7});
}

struct CropCase {
  const char* name;
  Int32 left, top, width, height;
  Int32 expectedWidth, expectedHeight;
  std::vector<UInt8> expected;
};

const CropCase kCropCases[] = {
    {"inside", 1, 0, 2, 2, 2, 2, {2, 3, 5, 6}},
    {"whole", 0, 0, 3, 2, 3, 2, {1, 2, 3, 4, 5, 6}},
    {"clipped_left_top", -1, -1, 2, 2, 1, 1, {1}},
    {"clipped_right_bottom", 2, 1, 50, 50, 1, 1, {6}},
    {"outside", 5, 5, 2, 2, 0, 0, {}},
    {"empty", 1, 1, 0, 3, 0, 0, {}},
    {"huge_width", 1, 1, 0x7FFFFFFF, 1, 2, 1, {5, 6}},
};

class CropRect : public testing::TestWithParam<CropCase> {};

TEST_P(CropRect, KeepsTheClippedPart) {
  const CropCase& c = GetParam();
  const LumaImage cropped = Crop(Small(), c.left, c.top, c.width, c.height);
  ExpectImage(cropped, c.expectedWidth, c.expectedHeight, c.expected);
  EXPECT_EQ(cropped.xDpi, 300);
}

INSTANTIATE_TEST_SUITE_P(Rects, CropRect, testing::ValuesIn(kCropCases),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace vexo::engine
