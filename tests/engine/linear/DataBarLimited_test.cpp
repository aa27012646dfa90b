// The DataBar Limited row decoder on scan lines drawn from zint's module
// rows: good symbols in both directions and at several module widths, and
// lines that must give nothing.

#include "engine/linear/DataBarLimited.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/engine/linear/ModuleRows.h"

namespace vexo::test {
namespace {

enum class Change {
  None,
  Reversed,     // the line runs from right to left
  MovedModule,  // one module moved between two elements of the right character
  WideGuard,    // the first guard bar three modules wide
  LeftCut,      // the line starts inside the symbol
};

struct LimitedCase {
  const char* name;
  const char* data;  // zint input: 13 digits
  float module;      // pixels
  int quiet;         // light modules on each side
  Change change;
  const char* content;  // "" when nothing may be read
};
void PrintTo(const LimitedCase& c, std::ostream* os) { *os << c.name; }

const LimitedCase kCases[] = {
    {"Good", "0112345678901", 2, 10, Change::None, "0101123456789011"},
    {"GoodLargest", "1999999999999", 3.5F, 10, Change::None, "0119999999999991"},
    {"GoodZero", "0000000000000", 1.25F, 10, Change::None, "0100000000000000"},
    {"Reversed", "1234567890123", 2, 10, Change::Reversed, "0112345678901231"},
    {"ReversedFine", "0112345678901", 1.5F, 10, Change::Reversed, "0101123456789011"},
    {"BadChecksum", "0112345678901", 2, 10, Change::MovedModule, ""},
    {"BadChecksumReversed", "1234567890123", 2, 10, Change::MovedModule, ""},
    {"ShortQuietZone", "0112345678901", 2, 3, Change::None, ""},
    {"ShortQuietZoneReversed", "0112345678901", 2, 3, Change::Reversed, ""},
    {"WideGuard", "0112345678901", 2, 10, Change::WideGuard, ""},
    {"CutLine", "0112345678901", 2, 10, Change::LeftCut, ""},
};

// The symbol's modules without zint's trailing clear area.
std::string Modules(const std::string& data) {
  std::string row = DumpSymbols("DBAR_LTD", {data}).at(0).at(0);
  row.erase(row.find_last_of('1') + 1);
  return row;
}

class DataBarLimitedRows : public testing::TestWithParam<LimitedCase> {};

TEST_P(DataBarLimitedRows, ReadsOrRefuses) {
  const LimitedCase& c = GetParam();
  std::string modules = Modules(c.data);
  ASSERT_EQ(modules.size(), 74U);  // guard space and bar, 26 + 18 + 26, guard space and bar
  if (c.change == Change::MovedModule) {
    // Right character: modules 46..71; turn a bar module into a space.
    const std::size_t edge = modules.find("10", 50);
    modules[edge] = '0';
  } else if (c.change == Change::WideGuard) {
    modules.insert(1, "11");
  } else if (c.change == Change::LeftCut) {
    modules.erase(0, 8);
  }
  if (c.change == Change::Reversed) std::reverse(modules.begin(), modules.end());
  const engine::RunRow row = RowOf(modules, c.module, c.quiet);
  std::vector<engine::LineRead> reads;
  engine::ReadDataBarLimited(row, reads);
  if (*c.content == '\0') {
    EXPECT_TRUE(reads.empty()) << std::string(reads.front().content.begin(),
                                              reads.front().content.end());
    return;
  }
  ASSERT_EQ(reads.size(), 1U);
  const engine::LineRead& read = reads.front();
  EXPECT_EQ(read.symbology, engine::Symbology::DataBarLimited);
  EXPECT_EQ(std::string(read.content.begin(), read.content.end()), c.content);
  EXPECT_EQ(read.reversed, c.change == Change::Reversed);
  // From the first guard bar to the last.
  const bool reversed = c.change == Change::Reversed;
  const float first = float(c.quiet + (reversed ? 0 : 1)) * c.module;
  EXPECT_NEAR(read.begin, first, 0.01);
  EXPECT_NEAR(read.end, first + 73 * c.module, 0.01);
}

INSTANTIATE_TEST_SUITE_P(Lines, DataBarLimitedRows, testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::test
