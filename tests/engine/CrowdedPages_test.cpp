// Sheets of many symbols in a grid (label sheets, test sheets): every symbol
// is read once, at its own place, whether the finder patterns of neighbours
// line up (exact spacing) or not (a few pixels of jitter), upright and turned.
// The larger sheets run with VELMORA_LONG_TESTS=1.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "tests/engine/DegradedCorpus.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/SymbolSheets.h"

namespace vexo::test {
namespace {

struct SheetCase {
  const char* name;
  SheetKind kind;
  Int32 columns, rows;
  Int32 jitter;
  double degrees;  // clockwise
  UInt32 profile;
  bool longRun;
  // Symbols whose content starts with this are not read, alone either: of
  // the Aztec Codes of 2-pixel modules turned by 5 degrees, the library
  // reads three in their blobs' crops enlarged, and not the fourth.
  const char* unread = nullptr;
};

const SheetCase kSheets[] = {
    {"Qr3x3", SheetKind::kQrSheet, 3, 3, 0, 0, 0, false},
    {"Qr6x6", SheetKind::kQrSheet, 6, 6, 0, 0, 0, false},
    {"Qr6x6Jitter", SheetKind::kQrSheet, 6, 6, 3, 0, 0, false},
    {"Qr6x6Turned90", SheetKind::kQrSheet, 6, 6, 0, 90, 0, false},
    {"Qr6x6Turned5", SheetKind::kQrSheet, 6, 6, 0, 5, 0, false},
    {"Qr6x6Fast", SheetKind::kQrSheet, 6, 6, 0, 0, 1, false},
    {"DataMatrix10x14", SheetKind::kDataMatrixSheet, 10, 14, 0, 0, 0, false},
    {"DataMatrix10x14Turned5", SheetKind::kDataMatrixSheet, 10, 14, 2, 5, 0, false},
    {"Code128x4x20", SheetKind::kCode128Sheet, 4, 20, 0, 0, 0, false},
    {"Code128x4x20Turned90", SheetKind::kCode128Sheet, 4, 20, 0, 90, 0, false},
    {"Mixed6x4", SheetKind::kMixedSheet, 6, 4, 0, 0, 0, false},
    {"Mixed6x4Jitter", SheetKind::kMixedSheet, 6, 4, 3, 0, 0, false},
    {"Mixed6x4Turned90", SheetKind::kMixedSheet, 6, 4, 0, 90, 0, false},
    {"Mixed6x4Turned5", SheetKind::kMixedSheet, 6, 4, 0, 5, 0, false, "AZTEC 0010"},
    {"Qr10x10", SheetKind::kQrSheet, 10, 10, 0, 0, 0, true},
    {"Qr10x10Turned5", SheetKind::kQrSheet, 10, 10, 2, 5, 0, true},
    {"DataMatrix20x20", SheetKind::kDataMatrixSheet, 20, 20, 0, 0, 0, true},
    {"DataMatrix20x20Turned90", SheetKind::kDataMatrixSheet, 20, 20, 0, 90, 0, true},
    {"Code128x4x20Turned5", SheetKind::kCode128Sheet, 4, 20, 0, 5, 0, true},
    {"Mixed12x12", SheetKind::kMixedSheet, 12, 12, 0, 0, 0, true},
    {"Mixed12x12Jitter", SheetKind::kMixedSheet, 12, 12, 3, 0, 0, true},
    {"Mixed12x12Fast", SheetKind::kMixedSheet, 12, 12, 3, 0, 1, true},
};

class CrowdedSheet : public testing::TestWithParam<SheetCase> {};

TEST_P(CrowdedSheet, EverySymbolFoundOnceAtItsPlace) {
  const SheetCase& c = GetParam();
  if (c.longRun && !LongRun()) GTEST_SKIP() << "runs with VELMORA_LONG_TESTS=1";
  Sheet sheet = MakeSheet(c.kind, c.columns, c.rows, c.jitter);
  if (c.degrees != 0) sheet = TurnedSheet(sheet, c.degrees);
  ASSERT_EQ(sheet.symbols.size(), static_cast<std::size_t>(c.columns * c.rows));
  EngineSession session(sheet.page);
  FindArgs args;
  args.codes = kEveryGroup;
  args.profile = c.profile;
  const FindOutcome outcome = session.Find(args);
  ASSERT_EQ(outcome.status, kEngineSuccess);
  std::size_t unread = 0;
  for (const SheetSymbol& symbol : sheet.symbols) {
    const bool readable = c.unread == nullptr || symbol.content.rfind(c.unread, 0) != 0;
    unread += readable ? 0 : 1;
    int seen = 0;
    for (const Record& r : outcome.records) {
      if (r.content != symbol.content) continue;
      ++seen;
      EXPECT_EQ(r.code & symbol.codeMask, symbol.code) << symbol.content;
      const double x = (r.left + r.right) / 2.0, y = (r.top + r.bottom) / 2.0;
      EXPECT_LT(std::hypot(x - symbol.centre.x, y - symbol.centre.y),
                std::max(6.0, 0.2 * symbol.side))
          << symbol.content << " at " << x << "," << y;
    }
    EXPECT_EQ(seen, readable ? 1 : 0) << symbol.content;
  }
  EXPECT_EQ(outcome.records.size(), sheet.symbols.size() - unread);
}

INSTANTIATE_TEST_SUITE_P(Grids, CrowdedSheet, testing::ValuesIn(kSheets),
                         [](const auto& param) { return std::string(param.param.name); });

// Solid marks (bullets, icons, dark patches of a photo) are no symbols: a
// page with dozens of them is no sheet, and a QR Code there keeps the
// whole-page passes. This one touches a bar, so that its blob is no square
// and no crop would read it alone.
TEST(CrowdedSheet, SolidSquaresAreNoSheet) {
  Gray page = Gray::White(1600, 1200);
  auto fill = [&](Int32 left, Int32 top, Int32 w, Int32 h) {
    for (Int32 y = top; y < top + h; ++y) {
      for (Int32 x = left; x < left + w; ++x) page.At(x, y) = 0;
    }
  };
  for (Int32 i = 0; i < 40; ++i) fill(60 + (i % 10) * 150, 640 + (i / 10) * 135, 64, 64);
  const Gray qr = DrawSymbol("QRCODE -d 'Among marks'", 4.0);
  Place(page, qr, 200, 100);
  fill(150, 100 + qr.height + 6, 700, 80);
  EngineSession session(page);
  FindArgs args;
  args.codes = kEveryGroup;
  const FindOutcome outcome = session.Find(args);
  ASSERT_EQ(outcome.status, kEngineSuccess);
  ASSERT_EQ(outcome.records.size(), 1u) << Describe(outcome.records);
  EXPECT_EQ(outcome.records[0].content, "Among marks");
}

}  // namespace
}  // namespace vexo::test
