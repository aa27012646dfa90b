// Every symbology the engine reads, drawn with zint at two module sizes and
// turned by quarter turns, placed on a page and read through the
// ImagingEngine interface with the default profile and every direction: the
// record's type name, content bytes and rectangle.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "tests/engine/EngineTestSupport.h"
#include "wrapper/SymbologyNames.h"

namespace vexo::test {
namespace {

constexpr Int32 kTolerance = 3;         // pixels, for each edge of the rectangle
constexpr Int32 kAngleTolerance = 300;  // hundredths of a degree
constexpr Int32 kLeftMargin = 90;
constexpr Int32 kTopMargin = 60;
constexpr Int32 kPageSlack = 180;  // the page is this much wider and higher than the symbol

// Which part of the drawing the record covers.
enum class Part { Whole, MainOfAddOn, AddOn };

struct RoundTripCase {
  const char* name;
  UInt32 code;          // engine result code
  const char* zint;     // zint arguments
  const char* content;  // content bytes as reported
  const char* typeName;
  Part part = Part::Whole;
  int slackModules = 0;  // the library's edges may lie this many modules off the ink
  // A symbology whose bars do not show which end is first (Pharma Code): the
  // content read at 180 and 270 degrees, where the angle is that of 0 and 90.
  const char* mirrored = nullptr;
};
void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }

const RoundTripCase kCases[] = {
    {"Ean13", 0x80000001, "EANX --notext --guarddescent=0 -d 590123412345", "5901234123457",
     "EAN-13"},
    {"Ean8", 0x80000002, "EANX --notext --guarddescent=0 -d 9638507", "96385074", "EAN-8"},
    {"UpcA", 0x80000004, "UPCA --notext --guarddescent=0 -d 01234567890", "012345678905", "UPC-A"},
    {"UpcE", 0x80000008, "UPCE --notext --guarddescent=0 -d 0123456", "01234565", "UPC-E"},
    {"Code39", 0x80000010, "CODE39 --notext -d 'CODE-39 RT'", "CODE-39 RT", "Code 39"},
    {"Code128", 0x80000020, "CODE128 --notext -d 'Round trip 128'", "Round trip 128", "Code 128"},
    {"Gs1_128", 0x80000100, "GS1_128 --notext --gs1 -d '[01]12345678901231[10]RT42'",
     "011234567890123110RT42", "UCCEAN-128"},
    {"Interleaved2of5", 0x80000040, "C25INTER --notext -d 1234567890", "1234567890", "Code I25"},
    {"Codabar", 0x80000080, "CODABAR --notext -d A40156B", "A40156B", "Codabar"},
    {"Code93", 0x80000200, "CODE93 --notext -d 'CODE 93-RT'", "CODE 93-RT", "Code 93"},
    {"AddOn2", 0x80000800, "EANX --notext --guarddescent=0 -d 590123412345+12", "12", "EANEXT-2",
     Part::AddOn},
    {"MainOfAddOn2", 0x80000001, "EANX --notext --guarddescent=0 -d 590123412345+12",
     "5901234123457", "EAN-13", Part::MainOfAddOn},
    {"AddOn5", 0x80000400, "EANX --notext --guarddescent=0 -d 590123412345+52495", "52495",
     "EANEXT-5", Part::AddOn},
    // Its end guard has a space outside the last bar.
    {"DataBar", 0x80008000, "DBAR_OMN --notext -d 2001234567890", "0120012345678909", "GS1 Databar",
     Part::Whole, 1},
    {"DataBarExpanded", 0x80020000, "DBAR_EXP --notext --gs1 -d '[01]98898765432106[3202]012345'",
     "0198898765432106"
     "3202012345",
     "GS1 Databar Expanded", Part::Whole, 2},
    {"Msi", 0x80001000, "MSI_PLESSEY --notext --vers=1 -d 80523", "805234", "MSI"},
    {"MsiMod11Ten", 0x80001000, "MSI_PLESSEY --notext --vers=3 -d 6", "610", "MSI"},
    {"MsiMod1010", 0x80001000, "MSI_PLESSEY --notext --vers=2 -d 1234567", "123456741", "MSI"},
    {"MsiNoCheck", 0x80001000, "MSI_PLESSEY --notext -d 20261208", "20261208", "MSI"},
    {"Code11", 0x80002000, "CODE11 --notext -d 123-45", "123-4552", "Code 11"},
    {"Code11COnly", 0x80002000, "CODE11 --notext --vers=1 -d 0123456789-", "0123456789-0",
     "Code 11"},
    {"Code11NoCheck", 0x80002000, "CODE11 --notext --vers=2 -d 555-1234", "555-1234", "Code 11"},
    {"CodeS25", 0x80004000, "C25IND --notext -d 0123456789", "0123456789", "Code S25"},
    {"CodeS25Short", 0x80004000, "C25IND --notext -d 505", "505", "Code S25"},
    {"DataBarLimited", 0x80010000, "DBAR_LTD --notext -d 0112345678901", "0101123456789011",
     "GS1 Databar Limited", Part::Whole, 1},
    {"Pharmacode", 0x04000100, "PHARMA -d 1234", "1234", "Pharma Code", Part::Whole, 0, "1835"},
    {"PharmacodeLong", 0x04000100, "PHARMA -d 131070", "131070", "Pharma Code", Part::Whole, 0,
     "131070"},
    // Stacked DataBar: the whole symbol, every row; no single-row record.
    {"DataBarStacked", 0x04000020, "DBAR_STK -d 0112345678901", "0101123456789011",
     "GS1 Databar Stacked", Part::Whole, 1},
    {"DataBarStackedOmni", 0x04000020, "DBAR_OMNSTK -d 2001234567890", "0120012345678909",
     "GS1 Databar Stacked", Part::Whole, 1},
    {"ExpandedStacked2Rows", 0x04000040,
     "DBAR_EXPSTK --cols=3 --gs1 -d '[01]98898765432106[3202]012345[10]ABC123'",
     "0198898765432106320201234510ABC123", "GS1 Databar Expanded Stacked", Part::Whole, 1},
    {"ExpandedStacked3Rows", 0x04000040,
     "DBAR_EXPSTK --cols=2 --gs1 -d '[01]98898765432106[3202]012345[10]ABC123'",
     "0198898765432106320201234510ABC123", "GS1 Databar Expanded Stacked", Part::Whole, 1},
    {"ExpandedStacked6Rows", 0x04000040,
     "DBAR_EXPSTK --cols=1 --gs1 -d '[01]98898765432106[3202]012345[10]ABC123'",
     "0198898765432106320201234510ABC123", "GS1 Databar Expanded Stacked", Part::Whole, 1},
    {"QrCode", 0x08000301, "QRCODE -d 'QR trip'", "QR trip", "QR Code"},
    {"MicroQrCode", 0x24000000, "MICROQR -d 'MQR12'", "MQR12", "Micro QR Code"},
    {"DataMatrix", 0x10000103, "DATAMATRIX --square -d 'DM round'", "DM round", "Datamatrix"},
    {"Pdf417", 0x20002000, "PDF417 -d 'PDF417 round trip'", "PDF417 round trip", "PDF417"},
    {"Aztec", 0x21000000, "AZTEC -d 'Aztec round trip'", "Aztec round trip", "Aztec Code"},
    // A turned Maxi Code's outline is its sampled grid's: the hexagons' outer
    // edges, light cells too, where the ink may stop a cell short.
    {"MaxiCode", 0x22000000, "MAXICODE -d 'Maxi round trip'", "Maxi round trip", "Maxi Code",
     Part::Whole, 3},
};

// The columns of a main symbol and its add-on: either side of the widest run
// of white columns.
std::pair<Int32, Int32> AddOnGap(const Gray& symbol) {
  std::vector<bool> dark(static_cast<std::size_t>(symbol.width), false);
  for (Int32 y = 0; y < symbol.height; ++y) {
    for (Int32 x = 0; x < symbol.width; ++x) {
      if (symbol.pixels[std::size_t(y) * symbol.width + x] < 128) dark[std::size_t(x)] = true;
    }
  }
  std::pair<Int32, Int32> best{0, 0};
  for (Int32 x = 0, start = -1; x < symbol.width; ++x) {
    if (!dark[std::size_t(x)]) continue;
    if (start >= 0 && x - start > best.second - best.first) best = {start, x};
    start = x;
  }
  return best;  // last dark column of the main part, first of the add-on
}

Corners ExpectedCorners(const Gray& symbol, Part part) {
  if (part == Part::Whole) return DarkCorners(symbol);
  const auto [mainEnd, addOnStart] = AddOnGap(symbol);
  return part == Part::AddOn ? DarkCorners(symbol, addOnStart) : DarkCorners(symbol, 0, mainEnd);
}

class RoundTrip : public testing::TestWithParam<std::tuple<RoundTripCase, double, int>> {};

TEST_P(RoundTrip, TypeContentAndRectangle) {
  const auto& [c, scale, rotate] = GetParam();
  const Gray& symbol = DrawnSymbol(c.zint, scale);
  ASSERT_GT(symbol.width, 0);
  const Gray turned = Turned(symbol, rotate);
  Gray page = Gray::White(turned.width + kPageSlack, turned.height + kPageSlack);
  Place(page, turned, kLeftMargin, kTopMargin);
  const Corners expected =
      Moved(ExpectedCorners(symbol, c.part), symbol, rotate, kLeftMargin, kTopMargin);
  double left = page.width, top = page.height, right = 0, bottom = 0;
  for (const engine::PointD& p : expected) {
    left = std::min(left, p.x), right = std::max(right, p.x);
    top = std::min(top, p.y), bottom = std::max(bottom, p.y);
  }

  EngineSession session(page);
  FindArgs args;
  args.codes = kEveryGroup;
  args.directions = kHorizontal | kVertical | kDiagonal;
  const FindOutcome outcome = session.Find(args);
  const auto record = std::find_if(outcome.records.begin(), outcome.records.end(),
                                   [&](const Record& r) { return r.code == c.code; });
  ASSERT_NE(record, outcome.records.end()) << Describe(outcome.records);
  const std::size_t expectedCount = c.part == Part::Whole ? 1 : 2;
  EXPECT_EQ(outcome.records.size(), expectedCount) << Describe(outcome.records);
  EXPECT_EQ(GetBarcodeTypeName(record->code), c.typeName);
  const bool mirrored = c.mirrored != nullptr && rotate >= 180;
  EXPECT_EQ(record->content, mirrored ? c.mirrored : c.content);
  // Turned clockwise on the page: the angle is counter-clockwise, in
  // hundredths of a degree; a corner a pixel off turns a small symbol by two.
  const int read = mirrored ? rotate - 180 : rotate;
  const Int32 angle = read == 0 ? 0 : read == 180 ? 18000 : (read == 90 ? -9000 : 9000);
  const Int32 off = (record->angle - angle + 36000 + 18000) % 36000 - 18000;
  EXPECT_LE(std::abs(off), kAngleTolerance) << record->angle;
  const double tolerance = kTolerance + c.slackModules * 2 * scale;  // a module is 2 * scale
  EXPECT_NEAR(record->left, left, tolerance);
  EXPECT_NEAR(record->top, top, tolerance);
  // The engine's right and bottom lie one past the last dark pixel.
  EXPECT_NEAR(record->right, right + 1, tolerance);
  EXPECT_NEAR(record->bottom, bottom + 1, tolerance);
}

INSTANTIATE_TEST_SUITE_P(Symbologies, RoundTrip,
                         testing::Combine(testing::ValuesIn(kCases), testing::Values(1.0, 2.0),
                                          testing::Values(0, 90, 180, 270)),
                         [](const auto& p) {
                           return std::string(std::get<0>(p.param).name) + "_" +
                                  (std::get<1>(p.param) == 1.0 ? "2px" : "4px") + "_" +
                                  std::to_string(std::get<2>(p.param));
                         });

}  // namespace
}  // namespace vexo::test
