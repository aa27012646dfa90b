// The Maxi Code cell grid proved against zint's symbols, and turned,
// shrunk and blurred zint symbols read through the library's reader by way
// of the sampler.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "engine/maxi/Bullseye.h"
#include "engine/maxi/MaxiGrid.h"
#include "tests/engine/SymbolImages.h"

namespace vexo::engine {
namespace {

using test::Gray;

// zint's cell dump of a symbol: 33 rows of 30 cells, true for dark.
std::vector<std::vector<bool>> Dump(const std::string& args) {
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(
      ::popen(("zint -b MAXICODE --dump " + args + " 2>/dev/null").c_str(), "r"), ::pclose);
  std::vector<std::vector<bool>> rows;
  char line[256];
  while (pipe && std::fgets(line, sizeof line, pipe.get()) != nullptr) {
    std::vector<bool> row;
    for (const char* c = line; *c != '\0' && *c != '\n'; ++c) {
      if (*c == ' ') continue;
      const int nibble = std::isdigit(*c) ? *c - '0' : *c - 'A' + 10;
      for (int bit = 3; bit >= 0; --bit) row.push_back(((nibble >> bit) & 1) != 0);
    }
    row.resize(maxi::kColumns);
    rows.push_back(row);
  }
  return rows;
}

struct GridCase {
  const char* name;
  const char* args;
};

const GridCase kGridCases[] = {
    {"ModeFourText", "--mode=4 -d 'Maxi grid 0123456789'"},
    {"ModeFourLong", "--mode=4 -d 'THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 1234567890'"},
    {"ModeFiveShort", "--mode=5 -d 'ab'"},
    {"ModeTwoPostcode",
     "--mode=2 --primary='152382802840001' -d 'Maxi structured carrier message'"},
    {"ModeSixBytes", "--mode=6 -d 'Reader program 42'"},
};

class MaxiGridTest : public ::testing::TestWithParam<GridCase> {};

// Cells the bullseye covers are never set; the orientation cells have their
// shade in every mode.
TEST_P(MaxiGridTest, BullseyeAndOrientationCellsMatchZint) {
  const auto dump = Dump(GetParam().args);
  ASSERT_EQ(dump.size(), static_cast<std::size_t>(maxi::kRows));
  for (int r = 0; r < maxi::kRows; ++r) {
    for (int c = 0; c < maxi::kColumns; ++c) {
      if (maxi::InBullseye(r, c)) {
        EXPECT_FALSE(dump[r][c]) << r << "," << c;
      }
    }
  }
  for (const maxi::OrientationCell& o : maxi::kOrientationCells) {
    EXPECT_EQ(dump[o.cell.row][o.cell.column], o.dark) << o.cell.row << "," << o.cell.column;
  }
}

// Every cell of zint's drawing lies where the grid puts it around the
// bullseye found in that drawing, at the pitch its rings give.
TEST_P(MaxiGridTest, CellCentresAroundTheBullseyeMatchZintsDrawing) {
  const auto dump = Dump(GetParam().args);
  ASSERT_EQ(dump.size(), static_cast<std::size_t>(maxi::kRows));
  // zint draws its hexagons to scale from scale 4 up (at smaller scales its
  // rows are rounded to whole pixels).
  const Gray& image = test::DrawnSymbol(std::string("MAXICODE ") + GetParam().args, 4);
  const LumaView view{image.pixels.data(), image.width, image.height, image.width};
  const std::optional<maxi::Bullseye> bullseye = maxi::FindBullseye(view);
  ASSERT_TRUE(bullseye);
  int wrong = 0;
  for (int r = 0; r < maxi::kRows; ++r) {
    for (int c = 0; c < maxi::kColumns; ++c) {
      if (maxi::InBullseye(r, c)) continue;
      const PointD p = maxi::CellCentre(r, c);
      const double v = maxi::Sample(view, {bullseye->centre.x + p.x * bullseye->pitch,
                                           bullseye->centre.y + p.y * bullseye->pitch});
      if ((v < 128) != dump[r][c]) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0) << "pitch " << bullseye->pitch << " centre " << bullseye->centre.x << ","
                      << bullseye->centre.y;
}

INSTANTIATE_TEST_SUITE_P(Zint, MaxiGridTest, ::testing::ValuesIn(kGridCases),
                         [](const auto& row) { return std::string(row.param.name); });

struct TurnedCase {
  const char* name;
  double degrees;  // clockwise as seen
  int percent;     // of zint's scale-3 drawing: 10 is about 2.9 pixels per cell
  double blur;
};

const TurnedCase kTurnedCases[] = {
    {"Upright3px", 0, 10, 0},
    {"Turned17Degrees3px", 17, 10, 0},
    {"QuarterTurn3px", 90, 10, 0.5},
    {"Turned133Degrees3px", 133, 10, 0},
    {"Turned200Degrees4px", 200, 12, 0.6},
    {"Turned322Degrees3px", 322, 10, 0},
    {"Turned45Degrees4pxBlurred", 45, 14, 0.6},
};

class MaxiTurnedTest : public ::testing::TestWithParam<TurnedCase> {};

// Read, with the outline turned as the symbol is and a symbol's size.
TEST_P(MaxiTurnedTest, ReadsWithTheSampledOutline) {
  const TurnedCase& c = GetParam();
  const std::string text = "Maxi turned 12345";
  const Gray image = test::ReadPgmFrom(
      "zint -b MAXICODE --scale=3 -d '" + text +
      "' --filetype=png --direct 2>/dev/null | convert png:- -colorspace Gray -bordercolor white "
      "-border 40 -background white -rotate " +
      std::to_string(c.degrees) + " -resize " + std::to_string(c.percent) + "% -blur 0x" +
      std::to_string(c.blur) + " -depth 8 pgm:-");
  const auto found = test::Read(image, test::Wanting({Symbology::MaxiCode}));
  ASSERT_EQ(found.size(), 1U);
  EXPECT_EQ(found[0].content, test::Bytes(text));
  const auto& q = found[0].corners;
  const double top = std::atan2(q[1].y - q[0].y, q[1].x - q[0].x) * 180 / std::numbers::pi;
  EXPECT_NEAR(std::remainder(top - c.degrees, 360.0), 0, 3);
  // zint's drawing at scale 3 is 897 pixels wide.
  EXPECT_NEAR(std::hypot(q[1].x - q[0].x, q[1].y - q[0].y), 897 * c.percent / 100.0,
              0.06 * 897 * c.percent / 100.0);
}

INSTANTIATE_TEST_SUITE_P(Zint, MaxiTurnedTest, ::testing::ValuesIn(kTurnedCases),
                         [](const auto& row) { return std::string(row.param.name); });

struct NoBullseyeCase {
  const char* name;
  const char* command;  // writes an 8-bit PGM
};

const NoBullseyeCase kNoBullseyeCases[] = {
    {"AztecFinder",
     "zint -b AZTEC --scale=2 -d 'Aztec 1234567890' --filetype=png --direct | "
     "convert png:- -bordercolor white -border 20 -depth 8 pgm:-"},
    {"QrCode",
     "zint -b QRCODE --scale=2 -d 'QR 1234567890' --filetype=png --direct | "
     "convert png:- -bordercolor white -border 20 -depth 8 pgm:-"},
    {"Code128Bars",
     "zint -b CODE128 --scale=2 --height=30 -d 'VELMORA-2026' --filetype=png "
     "--direct | convert png:- -bordercolor white -border 24 -depth 8 pgm:-"},
    {"PaperGrain",
     "convert -size 300x300 xc:gray85 -seed 3 -attenuate 0.6 +noise Gaussian "
     "-colorspace Gray -depth 8 pgm:-"},
    {"Text",
     "convert -size 400x120 xc:white -pointsize 28 -annotate +10+50 'O0o@ 8 Q6 9 %' "
     "-colorspace Gray -depth 8 pgm:-"},
};

class MaxiNoBullseyeTest : public ::testing::TestWithParam<NoBullseyeCase> {};

// Other symbologies' finders, bars, letters and paper show no bullseye.
TEST_P(MaxiNoBullseyeTest, FindsNone) {
  const Gray image = test::ReadPgmFrom(std::string(GetParam().command) + " 2>/dev/null");
  ASSERT_GT(image.width, 0);
  const LumaView view{image.pixels.data(), image.width, image.height, image.width};
  EXPECT_FALSE(maxi::FindBullseye(view));
}

INSTANTIATE_TEST_SUITE_P(Images, MaxiNoBullseyeTest, ::testing::ValuesIn(kNoBullseyeCases),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vexo::engine
