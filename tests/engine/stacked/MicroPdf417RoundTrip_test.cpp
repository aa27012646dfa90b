// Micro PDF417 symbols drawn with zint, placed on a page and read through the
// ImagingEngine interface with the default profile and every direction: every
// column count, several row counts, each compaction, two module sizes, the
// four quarter turns, a mirrored print, turned copies; damaged symbols within
// and beyond their error correction.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "tests/engine/EngineTestSupport.h"
#include "wrapper/SymbologyNames.h"

namespace vexo::test {
namespace {

constexpr UInt32 kMicroPdf417 = 0x20000001;
constexpr double kTolerance = 3.5;  // pixels, for each corner

// A stripe of paper drawn across the symbol: rows `from` to `to` (fractions of
// its height) wiped white over its whole width.
struct Stripe {
  double from = 0, to = 0;
};

struct MicroCase {
  const char* name;
  const char* zint;     // zint arguments after -b MICROPDF417
  const char* content;  // nullptr: nothing is reported
  double scale = 1.0;   // a module is 2 * scale pixels
  int rotate = 0;       // clockwise quarter turns, in degrees
  bool mirrored = false;
  Stripe stripe{};
  double tilt = 0;   // degrees clockwise, any angle (a turned copy)
  Int32 frame = 40;  // white border around a turned copy, pixels
};
void PrintTo(const MicroCase& c, std::ostream* os) { *os << c.name; }

const MicroCase kCases[] = {
    {"OneColumn", "--cols=1 -d 'MICRO 1'", "MICRO 1"},
    {"TwoColumns", "--cols=2 -d 'Two columns'", "Two columns"},
    {"ThreeColumns", "--cols=3 -d 'Three column micro'", "Three column micro"},
    {"FourColumns", "--cols=4 -d 'Four columns wide'", "Four columns wide"},
    {"OneColumn28Rows", "--cols=1 -d 'ABCDEFGHIJKLMNOPQRSTUVWXYZ0123'",
     "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123"},
    {"TwoColumns26Rows",
     "--cols=2 -d '12345678901234567890123456789012345678901234567890"
     "123456789012345678901234567890'",
     "12345678901234567890123456789012345678901234567890123456789012345678901234567890"},
    {"ThreeColumns44Rows",
     "--cols=3 -d 'The quick brown fox jumps over the lazy dog; "
     "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 again and again'",
     "The quick brown fox jumps over the lazy dog; "
     "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789 again and again"},
    {"FourColumns4Rows", "--cols=4 -d 'ABCDEFGH'", "ABCDEFGH"},
    {"Numeric", "--cols=2 -d 0123456789012345678901234567", "0123456789012345678901234567"},
    {"Bytes", "--cols=3 --binary --esc -d '\\x80\\x81\\xFE\\xFFbyte\\x00\\x01'",
     "\x80\x81\xFE\xFF"
     "byte\0\x01"},
    {"Mixed", "--cols=4 -d 'Lot 42: 9876543210123 (mixed) #7'", "Lot 42: 9876543210123 (mixed) #7"},
    {"Eci", "--cols=2 --eci=3 -d 'ECI text'", "ECI text"},
    {"MacroSegment", "--cols=2 --structapp=2,3,17 -d 'Second of three'", "Second of three"},
    // Sizes and orientations.
    {"FourPixelModules", "--cols=2 -d 'Large modules'", "Large modules", 2.0},
    {"Turned90", "--cols=3 -d 'Quarter turn'", "Quarter turn", 1.0, 90},
    {"Turned180", "--cols=1 -d 'Upside down'", "Upside down", 1.0, 180},
    {"Turned270", "--cols=4 -d 'Three quarters'", "Three quarters", 1.0, 270},
    {"Turned90Large", "--cols=2 -d 'Quarter turn'", "Quarter turn", 2.0, 90},
    {"Turned180Large", "--cols=3 -d 'Upside down'", "Upside down", 2.0, 180},
    {"Turned270Large", "--cols=1 -d 'Three quarters'", "Three quarters", 2.0, 270},
    {"Mirrored", "--cols=2 -d 'Mirror print'", "Mirror print", 1.0, 0, true},
    {"MirroredUpsideDown", "--cols=3 -d 'Mirror print'", "Mirror print", 1.0, 180, true},
    {"TiltedThirty", "--cols=3 -d 'Turned copy'", "Turned copy", 2.0, 0, false, {}, 30},
    {"TiltedHundredThirtyFive", "--cols=2 -d 'Turned copy'", "Turned copy", 2.0, 0, false, {}, 135},
    // Tilted by a few degrees, rows two pixels high: a straight line keeps to
    // one row only over part of it, and only some lines show a row's start.
    {"OneColumnTiltedTwo", "--cols=1 -d 'MICRO1'", "MICRO1", 1.0, 0, false, {}, 2, 16},
    {"FourColumnsTiltedTwo",
     "--cols=4 -d 'Four columns wide'",
     "Four columns wide",
     1.0,
     0,
     false,
     {},
     2,
     16},
    {"OneColumnTiltedBack", "--cols=1 -d 'MICRO1'", "MICRO1", 1.0, 0, false, {}, -3.5, 16},
    // Damage: a stripe across a few rows is corrected; one across half is not read.
    {"StripeWithinCorrection",
     "--cols=4 -d 'Damaged but readable 0123456789'",
     "Damaged but readable 0123456789",
     1.0,
     0,
     false,
     {0.40, 0.52}},
    {"StripeBeyondCorrection",
     "--cols=4 -d 'Damaged but readable 0123456789'",
     nullptr,
     1.0,
     0,
     false,
     {0.20, 0.75}},
};

Gray Mirrored(const Gray& image) {
  Gray out = image;
  for (Int32 y = 0; y < image.height; ++y) {
    for (Int32 x = 0; x < image.width; ++x)
      out.At(x, y) = image.pixels[std::size_t(y) * image.width + image.width - 1 - x];
  }
  return out;
}

// The corners of the symbol's ink as pixel edges (the right and bottom ones
// past the last dark pixel), in reading order, after mirroring and turning as
// the page was made: OnPage puts the turned symbol 40 pixels from the corner.
std::array<engine::PointD, 4> ExpectedCorners(const Gray& symbol, const MicroCase& c) {
  const Corners dark = DarkCorners(symbol);
  const double l = dark[0].x, t = dark[0].y, r = dark[2].x + 1.0, b = dark[2].y + 1.0;
  const double w = symbol.width, h = symbol.height;
  std::array<engine::PointD, 4> corners{{{l, t}, {r, t}, {r, b}, {l, b}}};
  if (c.mirrored) corners = {{{w - l, t}, {w - r, t}, {w - r, b}, {w - l, b}}};
  for (engine::PointD& p : corners) {
    const engine::PointD q = p;
    if (c.rotate == 90) p = {h - q.y, q.x};
    if (c.rotate == 180) p = {w - q.x, h - q.y};
    if (c.rotate == 270) p = {q.y, w - q.x};
    p = {p.x + 40, p.y + 40};
  }
  return corners;
}

void Wipe(Gray& image, const Stripe& stripe) {
  const auto from = static_cast<Int32>(stripe.from * image.height);
  const auto to = static_cast<Int32>(stripe.to * image.height);
  for (Int32 y = from; y < to; ++y) {
    for (Int32 x = 0; x < image.width; ++x) image.At(x, y) = 255;
  }
}

class MicroPdf417RoundTrip : public testing::TestWithParam<MicroCase> {};

TEST_P(MicroPdf417RoundTrip, TypeContentCornersAndAngle) {
  const MicroCase& c = GetParam();
  Gray symbol = DrawSymbol(std::string("MICROPDF417 ") + c.zint, c.scale);
  ASSERT_GT(symbol.width, 0);
  const std::array<engine::PointD, 4> corners = ExpectedCorners(symbol, c);
  if (c.mirrored) symbol = Mirrored(symbol);
  Wipe(symbol, c.stripe);
  Gray page;
  if (c.tilt != 0) {
    Gray framed = Gray::White(symbol.width + 2 * c.frame, symbol.height + 2 * c.frame);
    Place(framed, symbol, c.frame, c.frame);
    page = TurnedBy(framed, c.tilt);
  } else {
    page = OnPage(symbol, c.rotate);
  }

  EngineSession session(page);
  FindArgs args;
  args.codes = kEveryGroup;
  args.directions = kHorizontal | kVertical | kDiagonal;
  const FindOutcome outcome = session.Find(args);
  const auto count = std::count_if(outcome.records.begin(), outcome.records.end(),
                                   [](const Record& r) { return r.code == kMicroPdf417; });
  if (c.content == nullptr) {
    EXPECT_EQ(count, 0) << Describe(outcome.records);
    return;
  }
  ASSERT_EQ(count, 1) << Describe(outcome.records);
  const Record& record = *std::find_if(outcome.records.begin(), outcome.records.end(),
                                       [](const Record& r) { return r.code == kMicroPdf417; });
  EXPECT_EQ(GetBarcodeTypeName(record.code), "Micro PDF417");
  const std::string expected(c.content,
                             std::string(c.name) == "Bytes" ? 10 : std::strlen(c.content));
  EXPECT_EQ(record.content, expected);
  // A mirrored print reads with its top edge running right to left.
  const double turn = (c.tilt != 0 ? c.tilt : c.rotate) + (c.mirrored ? 180 : 0);
  const Int32 angle = static_cast<Int32>(std::lround(-turn * 100 + 36000)) % 36000;
  const Int32 off = (record.angle - angle + 36000 + 18000) % 36000 - 18000;
  EXPECT_LE(std::abs(off), c.tilt != 0 ? 400 : 300) << record.angle;
  if (c.tilt != 0) return;  // ImageMagick's canvas grows; the corners are checked upright
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_NEAR(record.corners[2 * k], corners[k].x, kTolerance) << k;
    EXPECT_NEAR(record.corners[2 * k + 1], corners[k].y, kTolerance) << k;
  }
}

INSTANTIATE_TEST_SUITE_P(MicroPdf417, MicroPdf417RoundTrip, testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

// Symbols of the other symbologies, PDF417 above all, at both module sizes
// and standing too: read for every group, none may give a Micro PDF417.
// (Two linear symbols of the same content on one page make the library
// abort, so each linear one is drawn once.)
TEST(MicroPdf417Negative, NoneOnPagesOfOtherSymbols) {
  const std::pair<const char*, double> symbols[] = {
      {"PDF417 -d 'PDF417 beside'", 1},
      {"PDF417 -d 'PDF417 beside'", 2},
      {"PDF417 --cols=1 -d 'Narrow PDF417'", 1},
      {"PDF417 --cols=1 -d 'Narrow PDF417'", 2},
      {"PDF417 --cols=4 -d 'Wide PDF417 with more text 0123456789'", 1},
      {"PDF417 --cols=4 -d 'Wide PDF417 with more text 0123456789'", 2},
      {"PDF417COMP -d 'Compact PDF417'", 1},
      {"PDF417COMP -d 'Compact PDF417'", 2},
      {"QRCODE -d 'QR beside'", 2},
      {"DATAMATRIX --square -d 'DM beside'", 2},
      {"AZTEC -d 'Aztec beside'", 2},
      {"CODE128 --notext -d 'Code 128 beside'", 1},
      {"CODE39 --notext -d 'CODE39'", 2},
      {"EANX --notext -d 590123412345", 1},
  };
  Gray page = Gray::White(2400, 1800);
  Int32 x = 30, y = 30, rowHeight = 0;
  int index = 0;
  for (const auto& [args, scale] : symbols) {
    const Gray symbol = Turned(DrawSymbol(args, scale), ++index % 3 == 0 ? 90 : 0);
    ASSERT_GT(symbol.width, 0) << args;
    if (x + symbol.width + 30 > page.width) x = 30, y += rowHeight + 30, rowHeight = 0;
    ASSERT_LE(y + symbol.height, page.height) << args;
    Place(page, symbol, x, y);
    x += symbol.width + 30;
    rowHeight = std::max(rowHeight, symbol.height);
  }
  EngineSession session(page);
  FindArgs args;
  args.codes = kEveryGroup;
  args.directions = kHorizontal | kVertical | kDiagonal;
  const FindOutcome outcome = session.Find(args);
  EXPECT_GT(outcome.records.size(), 10U) << Describe(outcome.records);
  for (const Record& r : outcome.records) EXPECT_NE(r.code, kMicroPdf417) << r.content;
}

}  // namespace
}  // namespace vexo::test
