// DataBar halves and DataBar Expanded pairs found on scan lines drawn from
// zint's single-row symbols, joined into content: DataBar's 14 digits and
// every DataBar Expanded encodation method and data mode.

#include "engine/stacked/DataBarSegments.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "engine/linear/DataBarCharacters.h"
#include "engine/zx/Gs1Elements.h"
#include "tests/engine/linear/ModuleRows.h"

namespace vexo::test {
namespace {

namespace db = engine::databar;

// The element string of a zint GS1 input "[01]...[10]...".
std::string ElementString(std::string input) {
  std::replace(input.begin(), input.end(), '[', '(');
  std::replace(input.begin(), input.end(), ']', ')');
  return engine::Gs1ElementString(input).value_or("?");
}

// What one line holds: the content of the first whole symbol read on it.
std::string ReadLine(const std::string& modules, float module, bool reversed) {
  std::string line = modules;
  if (reversed) std::reverse(line.begin(), line.end());
  std::vector<db::Segment> segments;
  db::FindSegments(RowOf(line, module), segments);
  for (const db::Chain& chain : db::Chains(segments)) {
    if (chain.front().expanded) {
      if (auto content = db::ExpandedContent(chain)) return *content;
    } else if (chain.size() == 2) {
      if (auto content = db::DataBarContent(chain[0], chain[1])) return *content;
    }
  }
  return "";
}

struct LineCase {
  const char* name;
  const char* zint;     // type and options
  const char* input;    // zint data
  const char* content;  // expected; empty: the element string of the input
};
void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

const LineCase kCases[] = {
    {"DataBar", "DBAR_OMN", "0112345678901", "0101123456789011"},
    {"DataBarLargest", "DBAR_OMN", "9999999999999", "0199999999999997"},
    {"DataBarZero", "DBAR_OMN", "0000000000000", "0100000000000000"},
    {"GtinAndText", "DBAR_EXP --gs1", "[01]12345678901231[10]ABC-12/x", ""},
    {"GeneralOnly", "DBAR_EXP --gs1", "[10]ABCDEF123456", ""},
    {"Numeric", "DBAR_EXP --gs1", "[90]1234567890123[91]7", ""},
    {"IsoPunctuation", "DBAR_EXP --gs1", "[90]a!\"%&'()*+,-./:;<=>?_ z", ""},
    {"Weight3103", "DBAR_EXP --gs1", "[01]90012345678908[3103]012233", ""},
    {"Weight3202", "DBAR_EXP --gs1", "[01]90012345678908[3202]000156", ""},
    {"Weight3203", "DBAR_EXP --gs1", "[01]90012345678908[3203]022767", ""},
    {"Price392x", "DBAR_EXP --gs1", "[01]90012345678908[3922]795", ""},
    {"Price393x", "DBAR_EXP --gs1", "[01]90012345678908[3932]0401234", ""},
    {"PriceAndMore", "DBAR_EXP --gs1", "[01]90012345678908[3922]795[10]LOT7", ""},
    {"Weight310xDate11", "DBAR_EXP --gs1", "[01]90012345678908[3103]001750[11]100312", ""},
    {"Weight320xDate13", "DBAR_EXP --gs1", "[01]90012345678908[3202]001750[13]100312", ""},
    {"Weight310xDate15", "DBAR_EXP --gs1", "[01]90012345678908[3102]001750[15]100312", ""},
    {"Weight320xDate17", "DBAR_EXP --gs1", "[01]90012345678908[3203]001750[17]991231", ""},
    {"LongNumeric", "DBAR_EXP --gs1", "[01]12345678901231[21]12345678901234567890[10]1234567890",
     ""},
};

class DataBarLines : public testing::TestWithParam<std::tuple<LineCase, float, bool>> {};

TEST_P(DataBarLines, ReadsTheWholeSymbol) {
  const auto& [c, module, reversed] = GetParam();
  const auto symbols = DumpSymbols(c.zint, {c.input});
  ASSERT_EQ(symbols.size(), 1U);
  const std::string expected = *c.content != '\0' ? c.content : ElementString(c.input);
  EXPECT_EQ(ReadLine(symbols[0][0], module, reversed), expected);
}

INSTANTIATE_TEST_SUITE_P(Symbols, DataBarLines,
                         testing::Combine(testing::ValuesIn(kCases), testing::Values(1.0F, 2.7F),
                                          testing::Bool()),
                         [](const auto& p) {
                           return std::string(std::get<0>(p.param).name) +
                                  (std::get<1>(p.param) == 1.0F ? "_1px" : "_2_7px") +
                                  (std::get<2>(p.param) ? "_reversed" : "");
                         });

// Random ISO/IEC 646 text in symbols of every length: every data character
// read back into the text; the values seen cover the character set.
TEST(DataBarLines, ExpandedDataCharactersOfRandomText) {
  static constexpr char kAlphabet[] =
      "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz!\"%&'()*+,-./:;<=>?_ ";
  std::mt19937 random(7);
  std::vector<std::string> inputs;
  for (int i = 0; i < 1500; ++i) {
    std::string text;
    const int length = 1 + int(random() % 20);
    for (int k = 0; k < length; ++k) text += kAlphabet[random() % (sizeof kAlphabet - 1)];
    inputs.push_back("[90]" + text);
    // A GTIN: its ten-bit digit groups spell values the text does not.
    std::string gtin;
    for (int k = 0; k < 13; ++k) gtin += char('0' + random() % 10);
    int sum = 0;
    for (int k = 0; k < 13; ++k) sum += (gtin[std::size_t(12 - k)] - '0') * (k % 2 == 0 ? 3 : 1);
    inputs.push_back("[01]" + gtin + char('0' + (10 - sum % 10) % 10) + "[10]" + text);
  }
  // The digits "50", then a separator before the digit 9 ("50", FNC1 and 9
  // make thirteen one bits): the highest values, at every bit alignment.
  for (int pairs = 0; pairs < 12; ++pairs) {
    inputs.push_back("[90]" + std::string(std::size_t(2 * pairs), '1') + "50[92]2345");
  }
  // A GTIN whose last two digit groups (003, 994) make the value 4066.
  inputs.push_back("[01]10000000039946");
  const auto symbols = DumpSymbols("DBAR_EXP --gs1", inputs);
  ASSERT_EQ(symbols.size(), inputs.size());
  std::set<Int32> values;
  for (std::size_t s = 0; s < symbols.size(); ++s) {
    std::vector<db::Segment> segments;
    db::FindSegments(RowOf(symbols[s][0], 1), segments);
    for (const db::Segment& segment : segments) {
      if (!segment.reversed) values.insert(segment.values.begin(), segment.values.end());
    }
    ASSERT_EQ(ReadLine(symbols[s][0], 1, false), ElementString(inputs[s])) << inputs[s];
  }
  values.erase(-1);
  // Every odd and every even width sequence of every group that a 12-bit
  // value can take (a group's values join the two).
  std::set<std::pair<Int32, Int32>> missing;
  for (const db::GroupSize& g : db::GroupsOf(db::CharacterKind::Expanded)) {
    for (Int32 odd = 0; odd < g.oddCount && g.first + odd * g.evenCount < 4096; ++odd) {
      missing.insert({g.first, odd});
    }
    for (Int32 even = 0; even < g.evenCount && g.first + even < 4096; ++even) {
      missing.insert({g.first, 1000 + even});
    }
  }
  for (Int32 v : values) {
    for (const db::GroupSize& g : db::GroupsOf(db::CharacterKind::Expanded)) {
      if (v < g.first || v >= g.first + g.oddCount * g.evenCount) continue;
      missing.erase({g.first, (v - g.first) / g.evenCount});
      missing.erase({g.first, 1000 + (v - g.first) % g.evenCount});
    }
  }
  EXPECT_TRUE(missing.empty()) << missing.size() << " sequences not seen";
}

}  // namespace
}  // namespace vexo::test
