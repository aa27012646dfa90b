// Every postal symbology and variant drawn by zint at two bar pitches, some
// turned by quarter turns and skewed by 3 degrees, and rows of bars we draw with
// inkjet-ragged edges, on an envelope-sized page read through the
// ImagingEngine interface: the record's type name, content, rectangle and
// angle.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tests/engine/bars/BarDrawing.h"
#include "tests/engine/postal/PostalPages.h"
#include "tests/engine/postal/PostalSymbols.h"
#include "wrapper/SymbologyNames.h"

namespace vexo::test {
namespace {

constexpr Int32 kTolerance = 3;         // pixels, for each edge of the rectangle
constexpr Int32 kAngleTolerance = 150;  // hundredths of a degree

struct PostalCase {
  const char* name;
  UInt32 code;
  const char* zint;  // zint arguments
  const char* content;
  const char* typeName;
};

const PostalCase kCases[] = {
    {"PostNet5", 0x04000002, "POSTNET -d 60611", "60611", "Post Net"},
    {"PostNet9", 0x04000002, "POSTNET -d 606114321", "606114321", "Post Net"},
    {"PostNet11", 0x04000002, "POSTNET -d 60611432199", "60611432199", "Post Net"},
    {"Planet11", 0x04000004, "PLANET -d 40123456789", "40123456789", "Planet"},
    {"Planet13", 0x04000004, "PLANET -d 4012345678901", "4012345678901", "Planet"},
    {"AusStandard", 0x04000008, "AUSPOST -d 39987520", "39987520", "Australia Post"},
    {"AusCustomer2N", 0x04000008, "AUSPOST -d 3998752012345678", "3998752012345678",
     "Australia Post"},
    {"AusCustomer2C", 0x04000008, "AUSPOST -d '39987520Ab3 #'", "39987520Ab3 #", "Australia Post"},
    {"AusCustomer3N", 0x04000008, "AUSPOST -d 39987520123456789012345", "39987520123456789012345",
     "Australia Post"},
    {"AusCustomer3C", 0x04000008, "AUSPOST -d 39987520Mail4State", "39987520Mail4State",
     "Australia Post"},
    {"AusReplyPaid", 0x04000008, "AUSREPLY -d 12345678", "12345678", "Australia Post"},
    {"AusRouting", 0x04000008, "AUSROUTE -d 34567890", "34567890", "Australia Post"},
    {"AusRedirection", 0x04000008, "AUSREDIRECT -d 98765432", "98765432", "Australia Post"},
    {"Rm4scc", 0x04000010, "RM4SCC -d SN34RD1A", "SN34RD1A", "RM4SCC"},
    {"Mail0", 0x04000080, "USPS_IMAIL -d 00040123456200800001", "00040123456200800001", "USPS4BC"},
    {"Mail5", 0x04000080, "USPS_IMAIL -d 00040123456200800001-60611", "0004012345620080000160611",
     "USPS4BC"},
    {"Mail9", 0x04000080, "USPS_IMAIL -d 00040123456200800001-606114321",
     "00040123456200800001606114321", "USPS4BC"},
    {"Mail11", 0x04000080, "USPS_IMAIL -d 01234567094987654321-01234567891",
     "0123456709498765432101234567891", "USPS4BC"},
};

// `symbol` at the lower right of an envelope, as mail carries it; reads the
// page and checks the one postal record against the symbol's dark box.
void ExpectRead(const Gray& symbol, const PostalCase& c, Int32 angle) {
  Gray page = Envelope();
  const Int32 x = page.width - 150 - symbol.width, y = page.height - 60 - symbol.height;
  ASSERT_GE(x, 0);
  ASSERT_GE(y, 0);
  Place(page, symbol, x, y);
  const Corners dark = DarkCorners(symbol);  // right and bottom: the last dark pixel
  const FindOutcome outcome = ReadPage(page, kPostalCodes);
  ASSERT_EQ(outcome.records.size(), 1u) << Describe(outcome.records);
  const Record& r = outcome.records[0];
  EXPECT_EQ(r.code, c.code);
  EXPECT_EQ(GetBarcodeTypeName(r.code), c.typeName);
  EXPECT_EQ(r.content, c.content);
  const Int32 off = (r.angle - angle + 36000 + 18000) % 36000 - 18000;
  EXPECT_LE(std::abs(off), kAngleTolerance) << r.angle;
  EXPECT_NEAR(r.left, x + dark[0].x, kTolerance);
  EXPECT_NEAR(r.top, y + dark[0].y, kTolerance);
  EXPECT_NEAR(r.right, x + dark[2].x + 1, kTolerance);
  EXPECT_NEAR(r.bottom, y + dark[2].y + 1, kTolerance);
}

// Turned clockwise on the page: the angle is counter-clockwise.
Int32 AngleOf(int rotate, double skew) {
  return static_cast<Int32>(std::lround(-(rotate + skew) * 100 + 36000)) % 36000;
}

// Every payload upright at both pitches; one symbol of each symbology turned
// by the other quarter turns; a few skewed 3 degrees either way.
struct Placement {
  const PostalCase& symbol;
  double scale;  // zint scale: bar pitch 4 * scale pixels
  int rotate;    // quarter turns clockwise, in degrees
  double skew;   // degrees clockwise
};

std::vector<Placement> Placements() {
  std::vector<Placement> placements;
  for (const PostalCase& c : kCases) {
    for (const double scale : {2.0, 3.0}) placements.push_back({c, scale, 0, 0});
  }
  for (const PostalCase* c : {&kCases[1], &kCases[3], &kCases[7], &kCases[13], &kCases[15]}) {
    for (const double scale : {2.0, 3.0}) {
      for (const int rotate : {90, 180, 270}) placements.push_back({*c, scale, rotate, 0});
    }
  }
  placements.push_back({kCases[1], 3, 0, 3});
  placements.push_back({kCases[4], 3, 90, -3});
  placements.push_back({kCases[9], 3, 90, 3});
  placements.push_back({kCases[13], 3, 0, -3});
  placements.push_back({kCases[17], 3, 0, 3});
  placements.push_back({kCases[17], 3, 270, -3});
  return placements;
}

std::string NameOf(const Placement& p) {
  std::string name = std::string(p.symbol.name) + (p.scale == 2.0 ? "_pitch8_" : "_pitch12_") +
                     std::to_string(p.rotate);
  if (p.skew != 0) name += p.skew > 0 ? "_skewedClockwise" : "_skewedAnticlockwise";
  return name;
}
void PrintTo(const Placement& p, std::ostream* os) { *os << NameOf(p); }

class PostalRoundTrip : public testing::TestWithParam<Placement> {};

TEST_P(PostalRoundTrip, TypeContentRectangleAndAngle) {
  const Placement& p = GetParam();
  const Gray& symbol = DrawnSymbol(std::string(p.symbol.zint) + " --notext", p.scale);
  ASSERT_GT(symbol.width, 0);
  Gray placed = Turned(symbol, p.rotate);
  if (p.skew != 0) placed = TurnedBy(placed, p.skew);
  ExpectRead(placed, p.symbol, AngleOf(p.rotate, p.skew));
}

INSTANTIATE_TEST_SUITE_P(Postal, PostalRoundTrip, testing::ValuesIn(Placements()),
                         [](const auto& p) { return NameOf(p.param); });

// Bars we draw as inkjet printers do: narrow, with ragged ends and holes, at
// 200 and 300 dpi, some skewed.
struct InkjetCase {
  const char* name;
  PostalCase symbol;
  BarGeometry geometry;
  double skew = 0;
};
void PrintTo(const InkjetCase& c, std::ostream* os) { *os << c.name; }

constexpr BarGeometry kInkjet200{9.1, 3, 9, 7, 9, 1, 0.03, 5};
constexpr BarGeometry kInkjet300{13.6, 4, 14, 11, 14, 2, 0.05, 9};
constexpr BarGeometry kPostNet200{9.1, 3, 11, 5, 5, 1, 0.03, 3};

const InkjetCase kInkjetCases[] = {
    {"Mail200Dpi", kCases[17], kInkjet200},
    {"Mail300DpiSkewed", kCases[16], kInkjet300, 3},
    {"AusCustomer3200Dpi", kCases[9], kInkjet200, -2},
    {"Rm4scc300Dpi", kCases[13], kInkjet300},
    {"PostNet200DpiSkewed", kCases[2], kPostNet200, 3},
};

class PostalInkjet : public testing::TestWithParam<InkjetCase> {};

TEST_P(PostalInkjet, ReadsRaggedBars) {
  const InkjetCase& c = GetParam();
  const std::string zint = c.symbol.zint;
  const std::size_t data = zint.find(" -d ");
  ASSERT_NE(data, std::string::npos);
  std::string input = zint.substr(data + 4);
  input.erase(std::remove(input.begin(), input.end(), '\''), input.end());
  const auto bars = ZintBars(zint.substr(0, zint.find(' ')), {input});
  ASSERT_EQ(bars.size(), 1u);
  Gray symbol = DrawBars(bars[0], c.geometry);
  if (c.skew != 0) symbol = TurnedBy(symbol, c.skew);
  ExpectRead(symbol, c.symbol, AngleOf(0, c.skew));
}

INSTANTIATE_TEST_SUITE_P(Postal, PostalInkjet, testing::ValuesIn(kInkjetCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::test
