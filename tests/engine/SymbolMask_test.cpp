// Symbols found are painted over for the readers after the one that found
// them: exactly their outline, and nothing beside them is lost.

#include "engine/core/SymbolMask.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/engine/EngineTestSupport.h"

namespace vexo::test {
namespace {

using engine::PointD;
using engine::SymbolOutline;

struct MaskCase {
  const char* name;
  std::vector<SymbolOutline> outlines;
  std::size_t painted;  // pixels of the 10 x 10 black view turned white
};

TEST(SymbolMask, PaintsThePixelsWhoseCentresLieInsideEachOutline) {
  const MaskCase cases[] = {
      {"square", {{{{2, 2}, {6, 2}, {6, 6}, {2, 6}}}}, 16},
      {"square wound the other way", {{{{2, 2}, {2, 6}, {6, 6}, {6, 2}}}}, 16},
      {"diamond", {{{{5, 1.8}, {8.2, 5}, {5, 8.2}, {1.8, 5}}}}, 24},
      {"cut by the view's edge", {{{{-3, -3}, {2, -3}, {2, 2}, {-3, 2}}}}, 4},
      {"no area (read without a position)", {{{{4, 4}, {4, 4}, {4, 4}, {4, 4}}}}, 0},
      {"two overlapping",
       {{{{0, 0}, {4, 0}, {4, 4}, {0, 4}}}, {{{2, 2}, {6, 2}, {6, 6}, {2, 6}}}},
       28},
  };
  const std::vector<UInt8> black(100, 0);
  const engine::LumaView view{black.data(), 10, 10, 10};
  for (const MaskCase& c : cases) {
    const engine::LumaImage masked = engine::WithoutSymbols(view, c.outlines);
    EXPECT_EQ(static_cast<std::size_t>(std::count(masked.pixels.begin(), masked.pixels.end(), 255)),
              c.painted)
        << c.name;
    EXPECT_EQ(std::count(masked.pixels.begin(), masked.pixels.end(), 0) +
                  std::count(masked.pixels.begin(), masked.pixels.end(), 255),
              100)
        << c.name;
  }
}

// A symbol the library reads beside one of our readers' on the same lines:
// painting the first over leaves the second whole.
struct BesideCase {
  const char* name;
  const char* first;  // zint arguments, at scale 1 (2-pixel modules)
  const char* second;
  UInt32 secondCode;
  const char* secondContent;
};

TEST(SymbolMask, SymbolsBesideOneFoundAreStillRead) {
  const BesideCase cases[] = {
      {"QR Code, Code 11", "QRCODE -d 'beside a Code 11'", "CODE11 --notext -d 123-45", 0x80002000,
       "123-4552"},
      {"Datamatrix, MSI", "DATAMATRIX -d 'beside MSI'", "MSI_PLESSEY --notext --vers=1 -d 80523",
       0x80001000, "805234"},
      {"PDF417, Micro PDF417", "PDF417 -d 'beside a Micro PDF417'", "MICROPDF417 -d MICRO-BESIDE",
       0x20000001, "MICRO-BESIDE"},
      {"Code 128, Micro PDF417", "CODE128 --notext -d 'BESIDE-MICRO'", "MICROPDF417 -d MICRO-128",
       0x20000001, "MICRO-128"},
      {"Aztec Code, RM4SCC", "AZTEC -d 'beside RM4SCC'", "RM4SCC -d SN34RD1A", 0x04000010,
       "SN34RD1A"},
  };
  for (const BesideCase& c : cases) {
    const Gray& first = DrawnSymbol(c.first, 1.0);
    const Gray& second = DrawnSymbol(c.second, 1.0);
    Gray page =
        Gray::White(first.width + second.width + 120, std::max(first.height, second.height) + 80);
    Place(page, first, 40, 40);
    Place(page, second, first.width + 80, 40);
    EngineSession session(page);
    FindArgs args;
    args.codes = kEveryGroup;
    const FindOutcome outcome = session.Find(args);
    const auto found = std::find_if(outcome.records.begin(), outcome.records.end(),
                                    [&](const Record& r) { return r.code == c.secondCode; });
    ASSERT_NE(found, outcome.records.end()) << c.name << ": " << Describe(outcome.records);
    EXPECT_EQ(found->content, c.secondContent) << c.name;
    EXPECT_EQ(outcome.records.size(), 2u) << c.name << ": " << Describe(outcome.records);
  }
}

}  // namespace
}  // namespace vexo::test
