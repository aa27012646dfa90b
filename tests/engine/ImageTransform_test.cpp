// Quarter turns, rotation by any angle, 2x reduction and cropping of
// luminance images; the grid direction and the unsharp mask.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "engine/image/Sharpen.h"
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

// Modules of `cell` pixels, dark or light at random (fixed), turned by
// `degrees` (counter-clockwise as seen), drawn by sampling: what a matrix
// symbol looks like.
LumaImage Checks(Int32 side, double cell, double degrees) {
  const double r = degrees * 3.14159265358979323846 / 180;
  auto dark = [&](double x, double y) {
    // The page point turned back by the angle (y down: a turn seen
    // counter-clockwise is clockwise in these axes).
    const double u = (x - side / 2.0) * std::cos(r) - (y - side / 2.0) * std::sin(r);
    const double v = (x - side / 2.0) * std::sin(r) + (y - side / 2.0) * std::cos(r);
    const auto i = static_cast<UInt32>(std::floor(u / cell) + 64);
    const auto j = static_cast<UInt32>(std::floor(v / cell) + 64);
    return (((i * 2654435761u) ^ (j * 2246822519u)) >> 13) % 2 == 0;
  };
  LumaImage image = Image(side, side, {});
  for (Int32 y = 0; y < side; ++y) {
    for (Int32 x = 0; x < side; ++x) {
      // 4 x 4 samples a pixel, as a lens and a sensor average them.
      int ink = 0;
      for (int k = 0; k < 16; ++k) ink += dark(x + (k % 4 + 0.5) / 4, y + (k / 4 + 0.5) / 4);
      image.pixels.push_back(static_cast<UInt8>(230 - ink * 210 / 16));
    }
  }
  return image;
}

// The central differences lean towards the axes: within a degree near a
// right angle, where the upright retry works, a few degrees off further out.
struct GridCase {
  double degrees;
  double cell;
  double tolerance;
};
class GridDirection : public testing::TestWithParam<GridCase> {};

TEST_P(GridDirection, IsFoundFoldedToAQuarterTurn) {
  const auto [degrees, cell, tolerance] = GetParam();
  const LumaImage image = Checks(120, cell, degrees);
  const GridAngle grid = SquareGridAngle(image.pixels.data(), image.width, 0, 0, 120, 120);
  double expected = std::fmod(degrees + 45, 90.0);
  expected += expected < 0 ? 45 : -45;
  EXPECT_NEAR(grid.degrees, expected, tolerance) << degrees;
  EXPECT_GT(grid.strength, 0.3) << degrees;
}

INSTANTIATE_TEST_SUITE_P(Angles, GridDirection,
                         testing::Values(GridCase{0, 3, 1}, GridCase{3, 2.5, 1}, GridCase{-3, 3, 1},
                                         GridCase{93, 3, 1}, GridCase{12, 4, 4},
                                         GridCase{-30, 3, 5}, GridCase{180 + 20, 5, 6}));

TEST(GridDirection, FlatOrIsotropicPixelsHaveNoStrength) {
  const LumaImage flat = Image(40, 40, std::vector<UInt8>(1600, 128));
  EXPECT_EQ(SquareGridAngle(flat.pixels.data(), 40, 0, 0, 40, 40).strength, 0);
  // A disc: its edge runs in every direction alike, below the strength the
  // upright retry takes (0.15).
  LumaImage disc = Image(80, 80, {});
  for (Int32 y = 0; y < 80; ++y) {
    for (Int32 x = 0; x < 80; ++x) {
      disc.pixels.push_back(std::hypot(x - 40, y - 40) < 30 ? 0 : 255);
    }
  }
  EXPECT_LT(SquareGridAngle(disc.pixels.data(), 80, 0, 0, 80, 80).strength, 0.15);
}

TEST(Sharpen, SteepensAnEdgeAndKeepsFlatAreas) {
  // A ramp from 60 to 200 over six pixels between two flat areas.
  std::vector<UInt8> row = {60,  60,  60,  60,  60,  60,  80,  100, 130,
                            160, 180, 200, 200, 200, 200, 200, 200, 200};
  std::vector<UInt8> pixels;
  for (int y = 0; y < 4; ++y) pixels.insert(pixels.end(), row.begin(), row.end());
  LumaImage image = Image(18, 4, pixels);
  Sharpen(image, 2);
  const UInt8* sharp = image.Row(1);
  EXPECT_EQ(sharp[0], 60);
  EXPECT_EQ(sharp[17], 200);
  EXPECT_LT(sharp[6], 80);    // the dark side darker
  EXPECT_GT(sharp[10], 180);  // the light side lighter
  LumaImage same = image;
  Sharpen(same, 0);
  EXPECT_EQ(same.pixels, image.pixels);
}

// Stripes of ink one pixel wide, every other row spoiled by a dot of noise:
// the mean along the columns takes the dots out and keeps the stripes.
struct ColumnCase {
  Int32 radius;
  UInt8 darkColumn;   // column 2, ink
  UInt8 lightColumn;  // column 3, paper with a dot of 60 on every other row
};
class SmoothColumnsCase : public testing::TestWithParam<ColumnCase> {};

TEST_P(SmoothColumnsCase, AveragesAlongColumnsOnly) {
  const auto [radius, dark, light] = GetParam();
  std::vector<UInt8> pixels;
  for (Int32 y = 0; y < 9; ++y) {
    for (Int32 x = 0; x < 6; ++x) pixels.push_back(x % 2 == 0 ? 20 : (y % 2 == 0 ? 60 : 220));
  }
  LumaImage image = Image(6, 9, pixels);
  SmoothColumns(image, radius);
  EXPECT_EQ(image.Row(4)[2], dark);
  EXPECT_EQ(image.Row(4)[3], light);
}

INSTANTIATE_TEST_SUITE_P(Radii, SmoothColumnsCase,
                         testing::Values(ColumnCase{0, 20, 60}, ColumnCase{1, 20, 167},
                                         ColumnCase{4, 20, 131}));

TEST(SmoothRows, AveragesAlongRowsOnly) {
  // The stripes of the column case lying flat: rows of ink and of paper
  // with a dot of 60 in every other column.
  std::vector<UInt8> pixels;
  for (Int32 y = 0; y < 6; ++y) {
    for (Int32 x = 0; x < 9; ++x) pixels.push_back(y % 2 == 0 ? 20 : (x % 2 == 0 ? 60 : 220));
  }
  LumaImage image = Image(9, 6, pixels);
  SmoothRows(image, 1);
  EXPECT_EQ(image.Row(2)[4], 20);
  EXPECT_EQ(image.Row(3)[4], 167);
}

// Bars of 40 on paper of 200, and the same in shade (each value times
// 0.4): relative to their surround both come out alike, the bars under half
// the mean (64), the paper over it.
TEST(RelativeToSurround, ShadeComesOutAlike) {
  std::vector<int> bars, spaces;
  for (const auto& [ink, paper] : {std::pair{40, 200}, std::pair{16, 80}}) {
    std::vector<UInt8> pixels;
    for (Int32 y = 0; y < 8; ++y) {
      for (Int32 x = 0; x < 40; ++x)
        pixels.push_back(static_cast<UInt8>((x / 4) % 2 ? paper : ink));
    }
    LumaImage image = Image(40, 8, pixels);
    RelativeToSurround(image, 8);
    bars.push_back(image.Row(4)[18]);
    spaces.push_back(image.Row(4)[22]);
  }
  EXPECT_LT(bars[0], 64);
  EXPECT_GT(spaces[0], 192);
  EXPECT_NEAR(bars[1], bars[0], 2);
  EXPECT_NEAR(spaces[1], spaces[0], 2);
}

TEST(Sharpen, AmountScalesTheStep) {
  // Columns of 100 then 200: the mean of radius 1 at the step is 133 or 167 (rounded).
  std::vector<UInt8> pixels;
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 6; ++x) pixels.push_back(x < 3 ? 100 : 200);
  }
  for (const auto& [amount, dark, light] :
       {std::tuple{1.0, 67, 233}, std::tuple{2.0, 34, 255}, std::tuple{0.5, 84, 217}}) {
    LumaImage image = Image(6, 3, pixels);
    Sharpen(image, 1, amount);
    EXPECT_EQ(image.Row(1)[2], dark) << amount;
    EXPECT_EQ(image.Row(1)[3], light) << amount;
  }
}

}  // namespace
}  // namespace vexo::engine
