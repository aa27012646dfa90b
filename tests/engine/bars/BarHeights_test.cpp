// The bar-height scanner on rows of bars we draw: each row found, followed
// and classified back into the states it was drawn from, at the pitches and
// widths of 200 to 300 dpi, with inkjet-ragged ends and holes, skewed, and
// down columns; rows of equal bars (dots, dashes) give no states.

#include "engine/bars/BarHeights.h"

#include <gtest/gtest.h>

#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/bars/BarDrawing.h"

namespace vexo::test {
namespace {

using engine::BarState;

constexpr char kFourState[] = "ATFAFAFAFDAFAAADDFDADDTADDDTFAFTFTTAT";
constexpr char kTwoHeight[] = "FDDDFFDDFDFDDFFDDFDDFDFDFDDFDFDF";

// Letters of every classified run on every line (every column with
// `columns`), each run once.
std::vector<std::string> Classified(const Gray& image, bool columns) {
  const engine::LumaView view{image.pixels.data(), image.width, image.height, image.width};
  const UInt8 threshold = engine::InkThreshold(view);
  const engine::BarRaster raster(view, columns);
  const auto spans = engine::DarkSpans(view, columns, threshold, 1);
  std::vector<engine::BarRun> seen;
  std::vector<std::string> letters;
  for (std::size_t line = 0; line < spans.size(); ++line) {
    std::vector<engine::BarRun> runs;
    engine::FindBarRuns(raster, threshold, static_cast<Int32>(line), spans[line], 10, seen, runs);
    for (engine::BarRun& run : runs) {
      engine::ClassifiedRun classified;
      if (engine::ClassifyBars(run, classified)) letters.push_back(LettersOf(classified.states));
      seen.push_back(std::move(run));
    }
  }
  return letters;
}

enum class Expect { AsDrawn, TurnedOver, Nothing };

struct HeightCase {
  const char* name;
  const char* bars;
  BarGeometry geometry;
  int rotate = 0;   // quarter turns clockwise, in degrees
  double skew = 0;  // degrees clockwise, ImageMagick
  Expect expect = Expect::AsDrawn;
};
void PrintTo(const HeightCase& c, std::ostream* os) { *os << c.name; }

constexpr BarGeometry k200Dpi{9, 3, 10, 8, 10};
constexpr BarGeometry k300Dpi{13.6, 5, 14, 12, 14};
constexpr BarGeometry kTwoHeights{9, 3, 12, 5, 5};

BarGeometry Ragged(BarGeometry g, Int32 ragged, double holes, unsigned seed) {
  g.ragged = ragged, g.holes = holes, g.seed = seed;
  return g;
}

const HeightCase kCases[] = {
    {"FourState200Dpi", kFourState, k200Dpi},
    {"FourState300Dpi", kFourState, k300Dpi},
    {"FourStateNarrowBars", kFourState, {9, 2, 10, 8, 10}},
    {"FourStateHalfSize", kFourState, {4.5, 2, 5, 4, 5}},
    {"FourStateRagged", kFourState, Ragged(k300Dpi, 2, 0.05, 7)},
    {"FourStateRagged200Dpi", kFourState, Ragged(k200Dpi, 1, 0.03, 11)},
    {"FourStateSkewed", kFourState, k300Dpi, 0, 3},
    {"FourStateSkewedBack", kFourState, k200Dpi, 0, -3},
    {"FourStateDownColumns", kFourState, k200Dpi, 90},
    {"FourStateUpsideDown", kFourState, k200Dpi, 180, 0, Expect::TurnedOver},
    {"TwoHeights", kTwoHeight, kTwoHeights},
    {"TwoHeightsSkewedRagged", kTwoHeight, Ragged(kTwoHeights, 1, 0.02, 3), 0, 3},
    {"TwoHeightsUpsideDown", kTwoHeight, kTwoHeights, 180, 0, Expect::TurnedOver},
    {"DotsGiveNothing", "TTTTTTTTTTTTTTTTTTTT", k200Dpi, 0, 0, Expect::Nothing},
    {"EqualBarsGiveNothing", "FFFFFFFFFFFFFFFFFFFF", k300Dpi, 0, 0, Expect::Nothing},
    {"DashesGiveNothing", "TTTTTTTTTTTTTTTTTTTT", {12, 8, 2, 3, 2}, 0, 0, Expect::Nothing},
};

class BarHeights : public testing::TestWithParam<HeightCase> {};

TEST_P(BarHeights, ClassifiesAsDrawn) {
  const HeightCase& c = GetParam();
  Gray image = DrawBars(StatesOf(c.bars), c.geometry);
  if (c.rotate != 0) image = Turned(image, c.rotate);
  if (c.skew != 0) image = TurnedBy(image, c.skew);
  const bool columns = c.rotate % 180 != 0;
  const std::vector<std::string> found = Classified(image, columns);
  if (c.expect == Expect::Nothing) {
    EXPECT_TRUE(found.empty()) << found.size() << " runs, first " << found.front();
    return;
  }
  std::vector<BarState> expected = StatesOf(c.bars);
  if (c.expect == Expect::TurnedOver) expected = engine::TurnedOver(expected);
  // Down a column the view is seen mirrored: the ascenders of a symbol turned
  // clockwise lie towards larger x, the raster's bottom.
  if (columns) expected = engine::Mirrored(expected);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0], LettersOf(expected));
}

INSTANTIATE_TEST_SUITE_P(Rows, BarHeights, testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::test
