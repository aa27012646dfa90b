// Our width-based symbologies through the ImagingEngine interface beside
// the quarter turns of EngineRoundTrip_test: turned by 30 and 45 degrees and
// read with the diagonal flag, and asked for one code bit at a time on a page
// that holds all of them.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/engine/EngineTestSupport.h"
#include "wrapper/SymbologyNames.h"

namespace vexo::test {
namespace {

constexpr UInt32 kMsi = 0x80001000;
constexpr UInt32 kCode11 = 0x80002000;
constexpr UInt32 kCodeS25 = 0x80004000;
constexpr UInt32 kDataBarLimited = 0x80010000;
constexpr UInt32 kPharmaCode = 0x04000100;
constexpr UInt32 kPatchCode = 0x04000001;

struct TurnedCase {
  const char* name;
  UInt32 code;
  const char* zint;
  const char* content;
  const char* typeName;
  double degrees;  // clockwise on the page
};
void PrintTo(const TurnedCase& c, std::ostream* os) { *os << c.name; }

const TurnedCase kTurned[] = {
    {"Msi30", kMsi, "MSI_PLESSEY --notext --vers=1 -d 80523", "805234", "MSI", 30},
    {"Msi45", kMsi, "MSI_PLESSEY --notext --vers=1 -d 80523", "805234", "MSI", 45},
    {"Code11At30", kCode11, "CODE11 --notext -d 123-45", "123-4552", "Code 11", 30},
    {"Code11At45", kCode11, "CODE11 --notext -d 123-45", "123-4552", "Code 11", 45},
    {"CodeS25At30", kCodeS25, "C25IND --notext -d 0123456789", "0123456789", "Code S25", 30},
    {"CodeS25At45", kCodeS25, "C25IND --notext -d 0123456789", "0123456789", "Code S25", 45},
    {"DataBarLimitedAt30", kDataBarLimited, "DBAR_LTD --notext -d 0112345678901",
     "0101123456789011", "GS1 Databar Limited", 30},
    {"DataBarLimitedAt45", kDataBarLimited, "DBAR_LTD --notext -d 0112345678901",
     "0101123456789011", "GS1 Databar Limited", 45},
    {"PharmacodeAt30", kPharmaCode, "PHARMA -d 1234", "1234", "Pharma Code", 30},
    {"PharmacodeAt45", kPharmaCode, "PHARMA -d 1234", "1234", "Pharma Code", 45},
};

constexpr Int32 kTurnedTolerance = 5;         // pixels, each edge of the rectangle
constexpr Int32 kTurnedAngleTolerance = 200;  // hundredths of a degree

class TurnedRoundTrip : public testing::TestWithParam<TurnedCase> {};

TEST_P(TurnedRoundTrip, TypeContentRectangleAndAngle) {
  const TurnedCase& c = GetParam();
  const Gray turned = TurnedBy(OnPage(DrawSymbol(c.zint, 1.5), 0), c.degrees);
  ASSERT_GT(turned.width, 0);
  const Corners dark = DarkCorners(turned);
  EngineSession session(turned);
  FindArgs args;
  args.codes = kEveryGroup;
  args.directions = kHorizontal | kVertical | kDiagonal;
  const FindOutcome outcome = session.Find(args);
  ASSERT_EQ(outcome.records.size(), 1u) << Describe(outcome.records);
  const Record& r = outcome.records[0];
  EXPECT_EQ(r.code, c.code);
  EXPECT_EQ(GetBarcodeTypeName(r.code), c.typeName);
  EXPECT_EQ(r.content, c.content);
  EXPECT_NEAR(r.angle, -c.degrees * 100, kTurnedAngleTolerance);
  EXPECT_NEAR(r.left, dark[0].x, kTurnedTolerance);
  EXPECT_NEAR(r.top, dark[0].y, kTurnedTolerance);
  EXPECT_NEAR(r.right, dark[2].x + 1, kTurnedTolerance);
  EXPECT_NEAR(r.bottom, dark[2].y + 1, kTurnedTolerance);
}

INSTANTIATE_TEST_SUITE_P(Table, TurnedRoundTrip, testing::ValuesIn(kTurned),
                         [](const auto& p) { return std::string(p.param.name); });

// One symbol of each of our symbologies and a Code 128 on one page; the
// patch (150 dpi) is read from the right edge, the nearer one.
const Gray& MixedPage() {
  static const Gray page = [] {
    Gray p = Gray::White(2100, 460);
    Place(p, DrawSymbol("MSI_PLESSEY --notext --vers=1 -d 80523", 1.0), 40, 40);
    Place(p, DrawSymbol("CODE11 --notext -d 123-45", 1.0), 360, 40);
    Place(p, DrawSymbol("C25IND --notext -d 0123456789", 1.0), 700, 40);
    Place(p, DrawSymbol("CODE128 --notext -d MIXED128", 1.0), 1100, 40);
    Place(p, DrawSymbol("DBAR_LTD --notext -d 0112345678901", 1.0), 1450, 40);
    Place(p, DrawSymbol("PHARMA -d 1234", 1.0), 1450, 240);
    Place(p, DrawPatch("WWNN", 150), 1800, 40);
    return p;
  }();
  return page;
}

struct FilterCase {
  const char* name;
  std::vector<UInt32> codes;
  std::vector<UInt32> found;  // result codes, in result order
};
void PrintTo(const FilterCase& c, std::ostream* os) { *os << c.name; }

const FilterCase kFilters[] = {
    {"MsiAlone", {kMsi}, {kMsi}},
    {"Code11Alone", {kCode11}, {kCode11}},
    {"CodeS25Alone", {kCodeS25}, {kCodeS25}},
    {"DataBarLimitedAlone", {kDataBarLimited}, {kDataBarLimited}},
    {"PharmaCodeAlone", {kPharmaCode}, {kPharmaCode}},
    {"PatchCodeAlone", {kPatchCode}, {kPatchCode}},
    {"Code128Alone", {0x80000020}, {0x80000020}},
    {"OursTogether",
     {kMsi | kCode11 | kCodeS25 | kDataBarLimited},
     {kMsi, kCode11, kCodeS25, kDataBarLimited}},
    {"AllLinear", {kAllLinear}, {kMsi, kCode11, kCodeS25, 0x80000020, kDataBarLimited}},
    {"OthersOnly", {0x80000001 | 0x80000010 | 0x80000040}, {}},
    {"PostalOnly", {0x04000002, 0x04000004, 0x04000008, 0x04000010, 0x04000080}, {}},
};

class GroupFilter : public testing::TestWithParam<FilterCase> {};

TEST_P(GroupFilter, EachCodeBitAsksForItsTypeAlone) {
  const FilterCase& c = GetParam();
  EngineSession session(MixedPage());
  FindArgs args;
  args.codes = c.codes;
  std::vector<UInt32> found;
  for (const Record& r : session.Find(args).records) found.push_back(r.code);
  EXPECT_EQ(found, c.found);
}

INSTANTIATE_TEST_SUITE_P(Table, GroupFilter, testing::ValuesIn(kFilters),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::test
