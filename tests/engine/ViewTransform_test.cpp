// Derived views and their maps back to the source, and the ink blobs that the
// region passes read.

#include "engine/core/ViewTransform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "engine/core/RegionFinder.h"

namespace vexo::engine {
namespace {

LumaImage Numbered(Int32 width, Int32 height) {
  LumaImage image;
  image.width = width;
  image.height = height;
  for (Int32 i = 0; i < width * height; ++i) image.pixels.push_back(static_cast<UInt8>(i * 7));
  return image;
}

LumaImage White(Int32 width, Int32 height) {
  LumaImage image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<std::size_t>(width) * height, 255);
  return image;
}

UInt8 At(const LumaImage& image, Int32 x, Int32 y) { return image.Row(y)[x]; }

// The source pixel a copy's pixel centre maps back to.
std::pair<Int32, Int32> SourceOf(const AffineMap& map, Int32 x, Int32 y) {
  const PointD p = map.Apply({x + 0.5, y + 0.5});
  return {static_cast<Int32>(std::floor(p.x)), static_cast<Int32>(std::floor(p.y))};
}

TEST(ViewTransform, TurnByRightAnglesSamplesWholePixels) {
  const LumaImage source = Numbered(6, 4);
  for (const double degrees : {90.0, 180.0, -90.0}) {
    const DerivedImage turned = RotateByDegrees(ViewOf(source), degrees);
    const bool across = std::abs(std::fmod(degrees, 180.0)) == 90.0;
    ASSERT_EQ(turned.image.width, across ? 4 : 6) << degrees;
    ASSERT_EQ(turned.image.height, across ? 6 : 4) << degrees;
    // Inner pixels (the border lacks a bilinear neighbour) equal their source.
    for (Int32 y = 1; y + 1 < turned.image.height; ++y) {
      for (Int32 x = 1; x + 1 < turned.image.width; ++x) {
        const auto [sx, sy] = SourceOf(turned.toSource, x, y);
        EXPECT_EQ(At(turned.image, x, y), At(source, sx, sy)) << degrees << ": " << x << "," << y;
      }
    }
  }
  // Counter-clockwise as seen on the page: the top-right corner goes to the top-left.
  const DerivedImage left = RotateByDegrees(ViewOf(source), 90);
  const PointD topRight = left.toSource.Apply({0, 0});
  EXPECT_NEAR(topRight.x, 6, 1e-9);
  EXPECT_NEAR(topRight.y, 0, 1e-9);
}

TEST(ViewTransform, HalfAveragesBlocksAndCropSharesPixels) {
  LumaImage source = White(5, 4);
  source.Row(0)[0] = 0;
  source.Row(1)[1] = 100;
  const DerivedImage half = HalveView(ViewOf(source));
  ASSERT_EQ(half.image.width, 2);
  ASSERT_EQ(half.image.height, 2);
  EXPECT_EQ(At(half.image, 0, 0), (0 + 255 + 255 + 100 + 2) / 4);
  EXPECT_EQ(At(half.image, 1, 1), 255);
  EXPECT_EQ(half.toSource.Apply({1, 1}).x, 2);

  const LumaView crop = CropView(ViewOf(source), 1, 1, 3, 2);
  EXPECT_EQ(crop.Row(0)[0], 100);
  EXPECT_EQ(crop.stride, 5);
}

TEST(ViewTransform, ReduceAveragesBlocksOfTheFactor) {
  LumaImage source = White(7, 6);
  source.Row(0)[0] = 0;
  source.Row(2)[2] = 30;
  source.Row(3)[3] = 12;
  const DerivedImage third = ReduceView(ViewOf(source), 3);
  ASSERT_EQ(third.image.width, 2);  // the last partial column of blocks is dropped
  ASSERT_EQ(third.image.height, 2);
  EXPECT_EQ(At(third.image, 0, 0), (7 * 255 + 0 + 30 + 4) / 9);
  EXPECT_EQ(At(third.image, 1, 1), (8 * 255 + 12 + 4) / 9);
  EXPECT_EQ(third.toSource.Apply({1, 2}).y, 6);
  EXPECT_EQ(ReduceView(ViewOf(source), 1).image.pixels, source.pixels);
}

TEST(ViewTransform, NegativeAndMirrorMapBackToTheirSource) {
  const LumaImage source = Numbered(5, 3);
  const DerivedImage negative = NegativeView(ViewOf(source));
  const DerivedImage mirror = MirrorView(ViewOf(source));
  for (Int32 y = 0; y < 3; ++y) {
    for (Int32 x = 0; x < 5; ++x) {
      EXPECT_EQ(At(negative.image, x, y), 255 - At(source, x, y));
      const auto [sx, sy] = SourceOf(mirror.toSource, x, y);
      EXPECT_EQ(At(mirror.image, x, y), At(source, sx, sy)) << x << "," << y;
      EXPECT_EQ(sx, 4 - x);
    }
  }
}

// A copy without a turn takes its own loop; a turn by a full circle (its sine
// is not zero) takes the general one. Away from the border, where the full
// circle's rounding moves samples by a hair, both give the same pixels.
struct UnturnedCase {
  const char* name;
  Int32 width, height, factor;
};
class UnturnedCopy : public ::testing::TestWithParam<UnturnedCase> {};

TEST_P(UnturnedCopy, MatchesTheGeneralTurn) {
  const UnturnedCase& c = GetParam();
  const LumaImage source = Numbered(c.width, c.height);
  const DerivedImage upright = TurnedAndEnlarged(ViewOf(source), 0, c.factor);
  const DerivedImage circle = TurnedAndEnlarged(ViewOf(source), 360, c.factor);
  ASSERT_EQ(upright.image.width, circle.image.width);
  ASSERT_EQ(upright.image.height, circle.image.height);
  const Int32 border = 2 * c.factor;
  for (Int32 y = border; y < upright.image.height - border; ++y) {
    for (Int32 x = border; x < upright.image.width - border; ++x) {
      ASSERT_NEAR(At(upright.image, x, y), At(circle.image, x, y), 1) << x << "," << y;
    }
  }
  // The last source row and column have no neighbour to blend with: white.
  EXPECT_EQ(At(upright.image, upright.image.width - 1, upright.image.height / 2), 255);
}

INSTANTIATE_TEST_SUITE_P(Sizes, UnturnedCopy,
                         ::testing::Values(UnturnedCase{"Plain", 31, 20, 1},
                                           UnturnedCase{"Doubled", 31, 20, 2},
                                           UnturnedCase{"Tripled", 18, 27, 3}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(ViewTransform, TurnedAndEnlargedScalesTheTurnedCanvas) {
  LumaImage source = White(40, 30);
  for (Int32 y = 10; y < 20; ++y) {
    for (Int32 x = 10; x < 20; ++x) source.Row(y)[x] = 0;
  }
  for (const Int32 factor : {1, 2, 3}) {
    const DerivedImage turned = TurnedAndEnlarged(ViewOf(source), 30, factor);
    const DerivedImage once = RotateByDegrees(ViewOf(source), 30);
    EXPECT_EQ(turned.image.width, once.image.width * factor);
    EXPECT_EQ(turned.image.height, once.image.height * factor);
    // Inside the dark square and well outside it, the copy shows its source.
    for (Int32 y = 0; y < turned.image.height; y += 3) {
      for (Int32 x = 0; x < turned.image.width; x += 3) {
        const auto [sx, sy] = SourceOf(turned.toSource, x, y);
        const bool inside = sx >= 11 && sx <= 18 && sy >= 11 && sy <= 18;
        const bool outside =
            sx >= 0 && sy >= 0 && sx < 40 && sy < 30 && (sx < 8 || sx > 21 || sy < 8 || sy > 21);
        if (inside || outside) {
          EXPECT_EQ(At(turned.image, x, y), inside ? 0 : 255) << factor;
        }
      }
    }
  }
}

// Draws bars of width 4 and gap 4 across a square, turned so that their
// normal points at `degrees` (counter-clockwise on the page from the x axis).
void DrawBars(LumaImage& image, Int32 cx, Int32 cy, Int32 half, double degrees) {
  const double r = degrees * std::numbers::pi / 180;
  for (Int32 y = cy - half; y < cy + half; ++y) {
    for (Int32 x = cx - half; x < cx + half; ++x) {
      const double along = (x - cx) * std::cos(r) - (y - cy) * std::sin(r);
      const double across = (x - cx) * std::sin(r) + (y - cy) * std::cos(r);
      if (std::abs(along) < half * 0.8 && std::abs(across) < half * 0.5 &&
          static_cast<Int32>(std::floor(along / 4)) % 2 == 0) {
        image.Row(y)[x] = 0;
      }
    }
  }
}

void DrawChecks(LumaImage& image, Int32 left, Int32 top, Int32 side, Int32 cell) {
  for (Int32 y = top; y < top + side; ++y) {
    for (Int32 x = left; x < left + side; ++x) {
      if (((x - left) / cell + (y - top) / cell) % 2 == 0) image.Row(y)[x] = 0;
    }
  }
}

TEST(RegionFinder, BarsAndChecksAreTwoRegionsWithTheirGradient) {
  LumaImage page = White(600, 400);
  DrawChecks(page, 60, 60, 96, 8);
  DrawBars(page, 400, 200, 90, -30);
  const std::vector<Region> regions = FindInkRegions(ViewOf(page), 2);
  ASSERT_EQ(regions.size(), 2u);
  const Region& bars = regions[0].left > 200 ? regions[0] : regions[1];
  const Region& checks = regions[0].left > 200 ? regions[1] : regions[0];
  EXPECT_NEAR(checks.left, 60, 8);
  EXPECT_NEAR(checks.bottom, 156, 8);
  EXPECT_LT(checks.coherence, 0.3);
  EXPECT_GT(bars.coherence, 0.7);
  EXPECT_NEAR(bars.gradientDegrees, -30, 3);
  EXPECT_LT(bars.left, 400);
  EXPECT_GT(bars.right, 400);
}

struct UprightCase {
  const char* name;
  double normalDegrees;  // counter-clockwise
};

class UprightTurn : public testing::TestWithParam<UprightCase> {};

// The turned-crop pass turns a blob of bars by -gradientDegrees.
TEST_P(UprightTurn, TurningByTheNegatedGradientStandsTheBarsUpright) {
  LumaImage page = White(400, 400);
  DrawBars(page, 200, 200, 90, GetParam().normalDegrees);
  const std::vector<Region> regions = FindInkRegions(ViewOf(page), 2);
  ASSERT_EQ(regions.size(), 1u);
  const DerivedImage turned = RotateByDegrees(ViewOf(page), -regions[0].gradientDegrees);
  const Int32 cx = turned.image.width / 2, cy = turned.image.height / 2;
  Region middle{cx - 40, cy - 40, cx + 40, cy + 40};
  MeasureGradient(ViewOf(turned.image), middle);
  EXPECT_GT(middle.coherence, 0.7);
  const double offAxis =
      std::min(std::abs(middle.gradientDegrees), 180 - std::abs(middle.gradientDegrees));
  EXPECT_LT(offAxis, 3) << middle.gradientDegrees;
}

INSTANTIATE_TEST_SUITE_P(Angles, UprightTurn,
                         testing::Values(UprightCase{"minus30", -30}, UprightCase{"minus60", -60},
                                         UprightCase{"minus120", -120},
                                         UprightCase{"minus150", -150}, UprightCase{"plus20", 20}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(RegionFinder, NothingOnBlankOrFlatPages) {
  LumaImage flat = White(300, 300);
  for (UInt8& v : flat.pixels) v = 200;
  for (Int32 y = 100; y < 150; ++y) {
    for (Int32 x = 100; x < 150; ++x) flat.Row(y)[x] = 180;  // too faint to be ink
  }
  EXPECT_TRUE(FindInkRegions(ViewOf(White(300, 300)), 2).empty());
  EXPECT_TRUE(FindInkRegions(ViewOf(flat), 2).empty());
  LumaImage page = White(300, 300);
  DrawChecks(page, 100, 100, 64, 8);
  EXPECT_EQ(FindInkRegions(ViewOf(page), 2).size(), 1u);
}

}  // namespace
}  // namespace vexo::engine
