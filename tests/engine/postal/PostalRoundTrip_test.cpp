// Every postal symbology and variant drawn by zint at two bar pitches, turned
// by quarter turns and skewed by 3 degrees, and rows of bars we draw with
// inkjet-ragged edges, on an envelope-sized page read through the
// ImagingEngine interface: the record's type name, content, rectangle and
// angle.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

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
void PrintTo(const PostalCase& c, std::ostream* os) { *os << c.name; }

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

const Gray& Drawn(const std::string& zint, double scale) {
  static std::map<std::pair<std::string, double>, Gray> cache;
  const auto key = std::make_pair(zint, scale);
  auto it = cache.find(key);
  if (it == cache.end()) it = cache.emplace(key, DrawSymbol(zint + " --notext", scale)).first;
  return it->second;
}

// `symbol` at the lower right of an envelope, as mail carries it; reads the
// page and checks the one postal record against the symbol's dark box.
void ExpectRead(const Gray& symbol, const PostalCase& c, Int32 angle) {
  Gray page = Envelope();
  const Int32 x = page.width - 150 - symbol.width, y = page.height - 60 - symbol.height;
  ASSERT_GE(x, 0);
  ASSERT_GE(y, 0);
  Place(page, symbol, x, y);
  const Box box = DarkBox(symbol);
  const FindOutcome outcome = ReadPage(page, kPostalCodes);
  ASSERT_EQ(outcome.records.size(), 1u) << Describe(outcome.records);
  const Record& r = outcome.records[0];
  EXPECT_EQ(r.code, c.code);
  EXPECT_EQ(GetBarcodeTypeName(r.code), c.typeName);
  EXPECT_EQ(r.content, c.content);
  const Int32 off = (r.angle - angle + 36000 + 18000) % 36000 - 18000;
  EXPECT_LE(std::abs(off), kAngleTolerance) << r.angle;
  EXPECT_NEAR(r.left, x + box.left, kTolerance);
  EXPECT_NEAR(r.top, y + box.top, kTolerance);
  EXPECT_NEAR(r.right, x + box.right, kTolerance);
  EXPECT_NEAR(r.bottom, y + box.bottom, kTolerance);
}

// Turned clockwise on the page: the angle is counter-clockwise.
Int32 AngleOf(int rotate, double skew) {
  return static_cast<Int32>(std::lround(-(rotate + skew) * 100 + 36000)) % 36000;
}

class PostalRoundTrip : public testing::TestWithParam<std::tuple<PostalCase, double, int>> {};

TEST_P(PostalRoundTrip, TypeContentRectangleAndAngle) {
  const auto& [c, scale, rotate] = GetParam();
  const Gray& symbol = Drawn(c.zint, scale);
  ASSERT_GT(symbol.width, 0);
  ExpectRead(Turned(symbol, rotate), c, AngleOf(rotate, 0));
}

INSTANTIATE_TEST_SUITE_P(Postal, PostalRoundTrip,
                         testing::Combine(testing::ValuesIn(kCases), testing::Values(2.0, 3.0),
                                          testing::Values(0, 90, 180, 270)),
                         [](const auto& p) {
                           return std::string(std::get<0>(p.param).name) + "_" +
                                  (std::get<1>(p.param) == 2.0 ? "pitch8" : "pitch12") + "_" +
                                  std::to_string(std::get<2>(p.param));
                         });

// Skewed by 3 degrees either way, upright and standing.
class PostalSkewed : public testing::TestWithParam<std::tuple<PostalCase, double, int>> {};

TEST_P(PostalSkewed, TypeContentRectangleAndAngle) {
  const auto& [c, skew, rotate] = GetParam();
  const Gray& symbol = Drawn(c.zint, 3.0);
  ASSERT_GT(symbol.width, 0);
  ExpectRead(TurnedBy(Turned(symbol, rotate), skew), c, AngleOf(rotate, skew));
}

INSTANTIATE_TEST_SUITE_P(Postal, PostalSkewed,
                         testing::Combine(testing::Values(kCases[1], kCases[4], kCases[9],
                                                          kCases[13], kCases[17]),
                                          testing::Values(3.0, -3.0), testing::Values(0, 90)),
                         [](const auto& p) {
                           return std::string(std::get<0>(p.param).name) + "_" +
                                  (std::get<1>(p.param) > 0 ? "clockwise" : "anticlockwise") + "_" +
                                  std::to_string(std::get<2>(p.param));
                         });

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
