// Stretching a band of scan lines to a linear symbol's height: growth stops
// where the bars end, even when the band is skewed against the bars and the
// lines beyond are blank.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "engine/zx/Quad.h"
#include "tests/engine/EngineTestSupport.h"

namespace vexo::test {
namespace {

using engine::GrayView;
using engine::Quad;

constexpr Int32 kMargin = 300;  // blank lines above and below the symbol

struct Extent {
  double top = 0, bottom = 0;
};

Extent VerticalExtent(const Quad& q) {
  Extent e{q[0].y, q[0].y};
  for (const engine::PointD& p : q) e = {std::min(e.top, p.y), std::max(e.bottom, p.y)};
  return e;
}

struct BandCase {
  const char* name;
  double skewDegrees;  // the symbol turned clockwise against the band
};

void PrintTo(const BandCase& c, std::ostream* os) { *os << c.name; }

class BandGrowth : public testing::TestWithParam<BandCase> {};

TEST_P(BandGrowth, StopsWhereTheBarsEnd) {
  const BandCase& c = GetParam();
  const Gray symbol = DrawSymbol("CODE128 --notext --height=30 -d 'Band growth'", 1);
  const Gray turned = c.skewDegrees == 0 ? symbol : TurnedBy(symbol, c.skewDegrees);
  Gray page = Gray::White(turned.width + 2 * kMargin, turned.height + 2 * kMargin);
  Place(page, turned, kMargin, kMargin);
  const Corners ink = DarkCorners(page);
  const double middle = std::floor((ink[0].y + ink[2].y) / 2);
  // One scan line across the middle, from the first bar to the last.
  const Quad band{{{ink[0].x, middle}, {ink[1].x, middle}, {ink[1].x, middle}, {ink[0].x, middle}}};

  const GrayView view{page.pixels.data(), page.width, page.height, page.width};
  const Extent grown = VerticalExtent(engine::GrowLinearBand(view, band));
  // The band never leaves the ink, and reaches at least the part of the
  // symbol that every line of it crosses.
  const double slant =
      (ink[1].x - ink[0].x) * std::tan(std::abs(c.skewDegrees) * std::numbers::pi / 180);
  EXPECT_GE(grown.top, ink[0].y - 1);
  EXPECT_LE(grown.bottom, ink[2].y + 1);
  EXPECT_LE(grown.top, ink[0].y + slant + 1);
  EXPECT_GE(grown.bottom, ink[2].y - slant - 1);
}

INSTANTIATE_TEST_SUITE_P(Skews, BandGrowth,
                         testing::Values(BandCase{"Upright", 0}, BandCase{"Clockwise1_5", 1.5},
                                         BandCase{"Anticlockwise1_5", -1.5},
                                         BandCase{"Clockwise3", 3}),
                         [](const auto& p) { return std::string(p.param.name); });

// A band read along the rows or the columns, either way: the line samples are
// taken straight from the row or column; growth reaches across the bars.
struct DirectionCase {
  const char* name;
  bool columns;   // bars lying along the rows, read down or up the columns
  bool backward;  // read from the right or the bottom
};

class BandDirection : public testing::TestWithParam<DirectionCase> {};

TEST_P(BandDirection, GrowsAcrossTheWholeSymbol) {
  const DirectionCase& c = GetParam();
  const Gray symbol = DrawSymbol("CODE128 --notext --height=30 -d 'Band growth'", 1);
  const Gray turned = c.columns ? TurnedBy(symbol, 90) : symbol;
  Gray page = Gray::White(turned.width + 2 * kMargin, turned.height + 2 * kMargin);
  Place(page, turned, kMargin, kMargin);
  const Corners ink = DarkCorners(page);
  // One scan line through the middle, from the first bar to the last.
  const double middle =
      std::floor(c.columns ? (ink[0].x + ink[2].x) / 2 : (ink[0].y + ink[2].y) / 2);
  engine::PointD from =
      c.columns ? engine::PointD{middle, ink[0].y} : engine::PointD{ink[0].x, middle};
  engine::PointD to =
      c.columns ? engine::PointD{middle, ink[2].y} : engine::PointD{ink[2].x, middle};
  if (c.backward) std::swap(from, to);
  const Quad band{{from, to, to, from}};

  const GrayView view{page.pixels.data(), page.width, page.height, page.width};
  const Quad grown = engine::GrowLinearBand(view, band);
  double low = 1e9, high = -1e9;
  for (const engine::PointD& p : grown) {
    low = std::min(low, c.columns ? p.x : p.y);
    high = std::max(high, c.columns ? p.x : p.y);
  }
  EXPECT_NEAR(low, c.columns ? ink[0].x : ink[0].y, 1.5);
  EXPECT_NEAR(high, c.columns ? ink[2].x : ink[2].y, 1.5);
}

INSTANTIATE_TEST_SUITE_P(Directions, BandDirection,
                         testing::Values(DirectionCase{"Rightwards", false, false},
                                         DirectionCase{"Leftwards", false, true},
                                         DirectionCase{"Downwards", true, false},
                                         DirectionCase{"Upwards", true, true}),
                         [](const auto& p) { return std::string(p.param.name); });

// The case that led to the fix: a Code 128 turned by 30 degrees is read from
// a crop turned upright, with white all around it; its rectangle used to
// span the whole view.
TEST(BandGrowth, TurnedCodeReadFromATurnedCropKeepsItsRectangle) {
  for (const double scale : {1.0, 2.0}) {
    for (const double degrees : {30.0, -30.0, 150.0}) {
      const Gray turned =
          TurnedBy(DrawSymbol("CODE128 --notext --height=40 -d 'Band growth 30'", scale), degrees);
      Gray page = Gray::White(turned.width + 2 * kMargin, turned.height + 2 * kMargin);
      Place(page, turned, kMargin, kMargin);
      const Corners ink = DarkCorners(page);
      EngineSession session(page);
      FindArgs args;
      args.codes = {kCode128};
      args.directions = kHorizontal | kVertical | kDiagonal;
      const FindOutcome outcome = session.Find(args);
      ASSERT_EQ(outcome.records.size(), 1u) << scale << ' ' << degrees;
      const Record& r = outcome.records[0];
      EXPECT_EQ(r.content, "Band growth 30");
      // The crop is turned by the blobs' gradient, which may miss the bars'
      // direction by a degree or two: the band then ends half way along the
      // slanted top and bottom edges.
      constexpr Int32 kTolerance = 10;
      EXPECT_NEAR(r.left, ink[0].x, kTolerance) << scale << ' ' << degrees;
      EXPECT_NEAR(r.top, ink[0].y, kTolerance) << scale << ' ' << degrees;
      EXPECT_NEAR(r.right, ink[2].x, kTolerance) << scale << ' ' << degrees;
      EXPECT_NEAR(r.bottom, ink[2].y, kTolerance) << scale << ' ' << degrees;
    }
  }
}

}  // namespace
}  // namespace vexo::test
