// Patch Code: the decoder on run rows (narrow bar and space 2, wide bar 5),
// and patch sheets of our own drawing read through the ImagingEngine
// interface: every pattern along a page edge, the page turned every quarter
// turn, at 150, 300 and 600 dpi. The name is the one read from the page edge
// the patch lies along, whichever way the page is turned.

#include "engine/linear/PatchCode.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/linear/RowTestSupport.h"
#include "wrapper/SymbologyNames.h"

namespace vexo::test {
namespace {

const DecoderRow kRows[] = {
    {"Pattern1", "5252222", {"1"}},
    {"Pattern2", "5222225", {"2"}},
    {"Pattern3", "5222522", {"3"}},
    {"Pattern4", "2252522", {"4"}},
    {"Pattern6", "2222525", {"6"}},
    {"PatternT", "2252225", {"T"}},
    // Read from the other end a pattern is its mirror image.
    {"Pattern1Reversed", "5252222", {"6"}, true},
    {"Pattern3Reversed", "5222522", {"T"}, true},
    {"Pattern4Reversed", "2252522", {"4"}, true},
    {"InkSpread", "5252222", {"1"}, false, 10, 1.5f},
    {"InkShrink", "5252222", {"1"}, false, 10, -1.5f},
    {"RatioTwo", "4242222", {"1"}},
    {"RatioOneAndAHalf", "3232222", {}},
    {"ThreeWide", "5252225", {}},
    {"FiveBars", "525222222", {}},
    {"UnevenSpaces", "5252422", {}},
    {"SpacesWiderThanBars", "5555252", {}},
    // In units of two modules: a narrow bar is 6 pixels, the quiet zone 30.
    {"QuietZoneTooShort", "2121111", {}, false, 10, 0, "14", 2},
    {"QuietZoneJustLongEnough", "2121111", {"1"}, false, 10, 0, "15", 2},
    // The wide space of an Interleaved 2 of 5 is no quiet zone.
    {"InsideInterleaved2of5", "zint C25INTER -d 1234567890", {}},
    // Narrow bars of 1.5 pixels: print, not a patch.
    {"TooFine", "5252222", {}, false, 10, 0, "", 0.25f},
};

class PatchRows : public testing::TestWithParam<DecoderRow> {};

TEST_P(PatchRows, Contents) {
  EXPECT_EQ(ReadDecoderRow(engine::ReadPatchCode, GetParam()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, PatchRows, testing::ValuesIn(kRows),
                         [](const auto& p) { return std::string(p.param.name); });

constexpr UInt32 kPatchCode = 0x04000001;
// The bars of each pattern, first (nearest the page edge) first.
struct PatchBars {
  char name;
  const char* wide;  // 'W' wide, 'N' narrow
};
constexpr PatchBars kPatchBars[] = {{'1', "WWNN"}, {'2', "WNNW"}, {'3', "WNWN"},
                                    {'4', "NWWN"}, {'6', "NNWW"}, {'T', "NWNW"}};

constexpr double kPageInches[] = {3.5, 3.0};
constexpr double kEdgeGapInches = 0.25;
constexpr double kBarLeftInches = 0.5;

// A page with the patch along its top edge: bars across the page, the first
// one nearest the edge.
Gray PatchPage(char name, int dpi) {
  const auto pixels = [&](double inches) { return static_cast<Int32>(std::lround(inches * dpi)); };
  Gray page = Gray::White(pixels(kPageInches[0]), pixels(kPageInches[1]));
  for (const PatchBars& p : kPatchBars) {
    if (p.name == name) {
      Place(page, Turned(DrawPatch(p.wide, dpi), 90), pixels(kBarLeftInches),
            pixels(kEdgeGapInches));
    }
  }
  return page;
}

struct SheetCase {
  char name;
  int dpi;
  int rotate;  // the page turned clockwise
};
void PrintTo(const SheetCase& c, std::ostream* os) {
  *os << c.name << " at " << c.dpi << " dpi, " << c.rotate;
}

// Every pattern at every quarter turn at 150 dpi; the patterns with a mirror
// image at 300 and 600 dpi.
std::vector<SheetCase> SheetCases() {
  std::vector<SheetCase> cases;
  for (const PatchBars& p : kPatchBars) {
    for (const int rotate : {0, 90, 180, 270}) cases.push_back({p.name, 150, rotate});
  }
  for (const int dpi : {300, 600}) {
    for (const char name : {'1', 'T'}) {
      for (const int rotate : {0, 90, 180, 270}) cases.push_back({name, dpi, rotate});
    }
  }
  return cases;
}

constexpr Int32 kTolerance = 3;

class PatchSheet : public testing::TestWithParam<SheetCase> {};

TEST_P(PatchSheet, NameRectangleAndAngle) {
  const SheetCase& c = GetParam();
  const Gray page = Turned(PatchPage(c.name, c.dpi), c.rotate);
  const Corners dark = DarkCorners(page);
  EngineSession session(page);
  FindArgs args;
  args.codes = {kPatchCode};
  const FindOutcome outcome = session.Find(args);
  ASSERT_EQ(outcome.records.size(), 1u) << Describe(outcome.records);
  const Record& r = outcome.records[0];
  EXPECT_EQ(GetBarcodeTypeName(r.code), "Patch Code");
  EXPECT_EQ(r.content, std::string(1, c.name));
  // Read from the top edge down on the upright page: a quarter turn
  // clockwise; the page's turn adds to it.
  const Int32 angle = (-9000 - c.rotate * 100 + 36000 + 18000) % 36000 - 18000;
  EXPECT_EQ(r.angle == -18000 ? 18000 : r.angle, angle == -18000 ? 18000 : angle);
  EXPECT_NEAR(r.left, dark[0].x, kTolerance);
  EXPECT_NEAR(r.top, dark[0].y, kTolerance);
  EXPECT_NEAR(r.right, dark[2].x + 1, kTolerance);
  EXPECT_NEAR(r.bottom, dark[2].y + 1, kTolerance);
}

INSTANTIATE_TEST_SUITE_P(Sheets, PatchSheet, testing::ValuesIn(SheetCases()), [](const auto& p) {
  return std::string(1, p.param.name) + "_" + std::to_string(p.param.dpi) + "dpi_" +
         std::to_string(p.param.rotate);
});

}  // namespace
}  // namespace vexo::test
