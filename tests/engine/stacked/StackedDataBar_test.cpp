// Stacked DataBar through the engine: symbols turned by 30 and 45 degrees,
// the group rules (a stacked symbol belongs to the stacked group only, a
// single-row one to the linear group only), and several symbols on one page,
// each reported once with its own rectangle.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/engine/EngineTestSupport.h"
#include "wrapper/SymbologyNames.h"

namespace vexo::test {
namespace {

constexpr UInt32 kStacked = 0x04000020;
constexpr UInt32 kExpandedStacked = 0x04000040;
constexpr UInt32 kDataBar = 0x80008000;
constexpr UInt32 kExpanded = 0x80020000;
constexpr Int32 kTolerance = 6;  // pixels, for each edge of the rectangle

constexpr const char* kStackedArgs = "DBAR_STK -d 0112345678901";
constexpr const char* kStackedContent = "0101123456789011";
constexpr const char* kExpandedStackedArgs =
    "DBAR_EXPSTK --cols=2 --gs1 -d '[01]98898765432106[3202]012345[10]ABC123'";
constexpr const char* kExpandedStackedContent = "0198898765432106320201234510ABC123";

struct TurnedCase {
  const char* name;
  const char* zint;
  UInt32 code;
  const char* content;
  int degrees;  // clockwise
};
void PrintTo(const TurnedCase& c, std::ostream* os) { *os << c.name; }

const TurnedCase kTurned[] = {
    {"Stacked30", kStackedArgs, kStacked, kStackedContent, 30},
    {"Stacked45", kStackedArgs, kStacked, kStackedContent, 45},
    {"StackedOmni30", "DBAR_OMNSTK -d 0112345678901", kStacked, kStackedContent, 30},
    {"ExpandedStacked30", kExpandedStackedArgs, kExpandedStacked, kExpandedStackedContent, 30},
    {"ExpandedStacked45", kExpandedStackedArgs, kExpandedStacked, kExpandedStackedContent, 45},
};

class StackedTurned : public testing::TestWithParam<TurnedCase> {};

TEST_P(StackedTurned, IsFoundWithTheDiagonalFlag) {
  const TurnedCase& c = GetParam();
  const Gray turned = TurnedBy(DrawSymbol(c.zint, 2), c.degrees);
  Gray page = Gray::White(turned.width + 200, turned.height + 200);
  Place(page, turned, 100, 100);
  EngineSession session(page);
  FindArgs args;
  args.codes = kEveryGroup;
  args.directions = kHorizontal | kVertical | kDiagonal;
  const FindOutcome outcome = session.Find(args);
  ASSERT_EQ(outcome.records.size(), 1U) << Describe(outcome.records);
  const Record& r = outcome.records[0];
  EXPECT_EQ(r.code, c.code);
  EXPECT_EQ(r.content, c.content);
  EXPECT_LE(std::abs(r.angle + c.degrees * 100), 300) << r.angle;
  EXPECT_GE(r.left, 100 - kTolerance);
  EXPECT_GE(r.top, 100 - kTolerance);
  EXPECT_LE(r.right, 100 + turned.width + kTolerance);
  EXPECT_LE(r.bottom, 100 + turned.height + kTolerance);
}

INSTANTIATE_TEST_SUITE_P(Stacked, StackedTurned, testing::ValuesIn(kTurned),
                         [](const auto& p) { return std::string(p.param.name); });

// A page of four DataBar symbols, two stacked and two single-row, each with
// the rectangle of its dark pixels.
struct PageSymbol {
  UInt32 code;
  const char* zint;
  const char* content;
  Int32 x, y;
  Int32 slack = 0;  // the library's edges may lie this many modules off the ink
};
const PageSymbol kPage[] = {
    {kStacked, kStackedArgs, kStackedContent, 60, 60},
    {kDataBar, "DBAR_OMN --notext -d 2001234567890", "0120012345678909", 420, 60},
    {kExpandedStacked, kExpandedStackedArgs, kExpandedStackedContent, 60, 330},
    {kExpanded, "DBAR_EXP --notext --gs1 -d '[01]98898765432106[3202]012345'",
     "01988987654321063202012345", 60, 760, 2},
    {kStacked, "DBAR_OMNSTK -d 0000000000000", "0100000000000000", 1000, 300},
};

struct Placed {
  UInt32 code;
  std::string content;
  Int32 left, top, right, bottom;
  Int32 tolerance;
};

const std::vector<Placed>& Layout(Gray* page = nullptr) {
  static std::vector<Placed> placed;
  static Gray drawn;
  if (placed.empty()) {
    drawn = Gray::White(1400, 1000);
    for (const PageSymbol& s : kPage) {
      const Gray symbol = DrawSymbol(s.zint, 1.5);  // modules of 3 pixels
      Place(drawn, symbol, s.x, s.y);
      const Corners c = DarkCorners(symbol);
      placed.push_back({s.code, s.content, s.x + c[0].x, s.y + c[0].y, s.x + c[2].x + 1,
                        s.y + c[2].y + 1, kTolerance + s.slack * 3});
    }
  }
  if (page != nullptr) *page = drawn;
  return placed;
}

struct GroupCase {
  const char* name;
  std::vector<UInt32> codes;
  std::vector<UInt32> found;  // codes of the records, in page order
};
void PrintTo(const GroupCase& c, std::ostream* os) { *os << c.name; }

const GroupCase kGroups[] = {
    {"StackedGroupAlone", {kStacked, kExpandedStacked}, {kStacked, kExpandedStacked, kStacked}},
    {"StackedCodeAlone", {kStacked}, {kStacked, kStacked}},
    {"ExpandedStackedCodeAlone", {kExpandedStacked}, {kExpandedStacked}},
    {"LinearGroupAlone", {kAllLinear}, {kDataBar, kExpanded}},
    {"DataBarCodeAlone", {kDataBar}, {kDataBar}},
    {"ExpandedCodeAlone", {kExpanded}, {kExpanded}},
    {"Both",
     {kAllLinear, kStacked, kExpandedStacked},
     {kStacked, kDataBar, kExpandedStacked, kExpanded, kStacked}},
};

class StackedGroups : public testing::TestWithParam<GroupCase> {};

TEST_P(StackedGroups, EachSymbolOnceUnderItsOwnGroup) {
  const GroupCase& c = GetParam();
  Gray page;
  const std::vector<Placed>& placed = Layout(&page);
  EngineSession session(page);
  FindArgs args;
  args.codes = c.codes;
  const FindOutcome outcome = session.Find(args);
  ASSERT_EQ(outcome.records.size(), c.found.size()) << Describe(outcome.records);
  for (const Record& r : outcome.records) {
    const auto symbol = std::find_if(placed.begin(), placed.end(), [&](const Placed& p) {
      return p.code == r.code && p.content == r.content;
    });
    ASSERT_NE(symbol, placed.end()) << Describe(outcome.records);
    EXPECT_NEAR(r.left, symbol->left, symbol->tolerance) << symbol->content;
    EXPECT_NEAR(r.top, symbol->top, symbol->tolerance) << symbol->content;
    EXPECT_NEAR(r.right, symbol->right, symbol->tolerance) << symbol->content;
    EXPECT_NEAR(r.bottom, symbol->bottom, symbol->tolerance) << symbol->content;
  }
  std::vector<UInt32> codes;
  for (const Record& r : outcome.records) codes.push_back(r.code);
  std::vector<UInt32> expected = c.found;
  std::sort(codes.begin(), codes.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(codes, expected);
}

INSTANTIATE_TEST_SUITE_P(Stacked, StackedGroups, testing::ValuesIn(kGroups),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::test
