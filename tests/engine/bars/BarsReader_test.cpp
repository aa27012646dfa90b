// The bars reader on views holding zint symbols: corners in reading order
// for each quarter turn, columns only when asked, and the line agreement
// rules (how many lines, what a line that reads otherwise does, how high the
// bars must be).

#include "engine/bars/BarsReader.h"

#include <gtest/gtest.h>

#include "engine/linear/Code11.h"
#include "engine/linear/Msi.h"
#include "engine/linear/RowDecoders.h"
#include "engine/linear/Standard2of5.h"
#include "tests/engine/SymbolImages.h"

namespace vexo::test {
namespace {

using engine::Symbology;

struct ReaderCase {
  const char* name;
  const char* zint;
  int rotate = 0;  // clockwise quarter turns, degrees
  bool tryRotate = false;
  std::vector<std::string> expected;
};
void PrintTo(const ReaderCase& c, std::ostream* os) { *os << c.name; }

const ReaderCase kCases[] = {
    {"MsiUpright", "MSI_PLESSEY --notext --vers=1 -d 80523", 0, false, {"805234"}},
    {"MsiUpsideDown", "MSI_PLESSEY --notext --vers=1 -d 80523", 180, false, {"805234"}},
    {"Code11Standing", "CODE11 --notext -d 123-45", 90, true, {"123-4552"}},
    {"Code11StandingNoColumns", "CODE11 --notext -d 123-45", 90, false, {}},
    {"S25StandingTheOtherWay", "C25IND --notext -d 0123456789", 270, true, {"0123456789"}},
    {"S25Upright", "C25IND --notext -d 0123456789", 0, true, {"0123456789"}},
};

class BarsReaderViews : public testing::TestWithParam<ReaderCase> {};

TEST_P(BarsReaderViews, ContentAndCornersInReadingOrder) {
  const ReaderCase& c = GetParam();
  const Gray symbol = DrawSymbol(c.zint, 1.0);
  Corners corners = DarkCorners(symbol);
  const Gray page = OnPage(symbol, c.rotate, &corners);
  engine::ViewSettings settings =
      Wanting({Symbology::Msi, Symbology::Code11, Symbology::Standard2of5});
  settings.tryRotate = c.tryRotate;
  const std::vector<engine::Detection> found = engine::ReadBars(
      {page.pixels.data(), page.width, page.height, page.width}, settings, engine::RowDecoders());
  std::vector<std::string> contents;
  for (const engine::Detection& d : found)
    contents.emplace_back(d.content.begin(), d.content.end());
  ASSERT_EQ(contents, c.expected);
  if (found.empty()) return;
  EXPECT_EQ(found[0].code, engine::Info(found[0].symbology).code);
  // The corners lie on the outer edges of the dark pixels, one past the
  // last on the right and bottom as the page sees them.
  ExpectCorners(found[0], corners, 1.5);
}

INSTANTIATE_TEST_SUITE_P(Table, BarsReaderViews, testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

// A symbol `rows` pixels high, whose rows from `from` to `to` show another
// symbol of the same size instead.
struct AgreementCase {
  const char* name;
  Symbology symbology;
  const char* zint;
  const char* otherZint;  // null: none
  Int32 rows, from, to;
  Int32 minLineCount;
  float minHeightShare;
  std::vector<std::string> expected;
};
void PrintTo(const AgreementCase& c, std::ostream* os) { *os << c.name; }

constexpr const char* kMsiA = "MSI_PLESSEY --notext --vers=1 -d 1234";  // "12344", 134 pixels long
constexpr const char* kMsiB = "MSI_PLESSEY --notext --vers=1 -d 5678";  // "56788"
constexpr const char* kS25A = "C25IND --notext -d 0123456789";
constexpr const char* kS25B = "C25IND --notext -d 9876543210";
constexpr Symbology kMsi = Symbology::Msi;
constexpr Symbology kS25 = Symbology::Standard2of5;

// Lines every 4 pixels from row 2; the bars begin at row 10: 5 rows of bars
// are 2 lines, 9 are 3; symbol rows 28 to 31 (page rows 38 to 41) hold one.
const AgreementCase kAgreement[] = {
    {"CheckedOnTwoLines", kMsi, kMsiA, nullptr, 5, 0, 0, 2, 0, {"12344"}},
    {"CheckedOnTwoOfThree", kMsi, kMsiA, nullptr, 5, 0, 0, 3, 0, {}},
    {"UncheckedOnTwoLines", kS25, kS25A, nullptr, 5, 0, 0, 2, 0, {}},
    {"UncheckedOnThreeLines", kS25, kS25A, nullptr, 9, 0, 0, 2, 0, {"0123456789"}},
    {"CheckedOutvotesAStrayLine", kMsi, kMsiA, kMsiB, 60, 28, 32, 2, 0, {"12344"}},
    {"CheckedLosesToManyLines", kMsi, kMsiA, kMsiB, 60, 20, 35, 2, 0, {}},
    {"UncheckedLosesToAStrayLine", kS25, kS25A, kS25B, 60, 28, 32, 2, 0, {}},
    {"TwoSymbolsStacked", kMsi, kMsiA, kMsiB, 60, 30, 60, 2, 0, {"12344", "56788"}},
    {"BarsTooShortForTheirLength", kMsi, kMsiA, nullptr, 50, 0, 0, 2, 0.4f, {}},
    {"BarsHighEnough", kMsi, kMsiA, nullptr, 56, 0, 0, 2, 0.4f, {"12344"}},
};

class LineAgreement : public testing::TestWithParam<AgreementCase> {};

TEST_P(LineAgreement, KeepsWhatEnoughLinesReadAlike) {
  const AgreementCase& c = GetParam();
  const Gray one = DrawSymbol(c.zint, 1.0);
  const Gray other = c.otherZint != nullptr ? DrawSymbol(c.otherZint, 1.0) : one;
  ASSERT_EQ(one.width, other.width);
  Gray page = Gray::White(one.width + 80, c.rows + 20);
  for (Int32 y = 0; y < c.rows; ++y) {
    const Gray& source = y >= c.from && y < c.to ? other : one;
    for (Int32 x = 0; x < one.width; ++x) page.At(40 + x, 10 + y) = source.pixels[std::size_t(x)];
  }
  const engine::RowDecoderTable table{
      {engine::Symbology::Msi, engine::ReadMsi, engine::MsiCheckVerifies, c.minHeightShare},
      {engine::Symbology::Standard2of5, engine::ReadStandard2of5, engine::NeverChecked,
       c.minHeightShare}};
  engine::ViewSettings settings = Wanting({c.symbology});
  settings.minLineCount = c.minLineCount;
  std::vector<std::string> contents;
  for (const engine::Detection& d : engine::ReadBars(
           {page.pixels.data(), page.width, page.height, page.width}, settings, table)) {
    contents.emplace_back(d.content.begin(), d.content.end());
  }
  EXPECT_EQ(contents, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, LineAgreement, testing::ValuesIn(kAgreement),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::test
