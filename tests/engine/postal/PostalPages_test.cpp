// Postal codes on pages: the groups and single codes of a request choose
// what is reported; Australia Post bars damaged within the parity's capacity
// are read and beyond it give nothing. (The negative pages are read for
// every reader of ours in tests/engine/bars/NegativeSet_test.cpp.)

#include "tests/engine/postal/PostalPages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tests/engine/bars/BarDrawing.h"
#include "tests/engine/postal/PostalSymbols.h"

namespace vexo::test {
namespace {

constexpr UInt32 kPostNet = 0x04000002, kPlanet = 0x04000004, kAusPost = 0x04000008,
                 kRm4scc = 0x04000010, kMail = 0x04000080;

// One symbol of each postal symbology, one above the other.
const Gray& FivePostalSymbols() {
  static const Gray page = [] {
    Gray envelope = Envelope();
    const char* symbols[] = {"POSTNET --notext -d 60611", "PLANET --notext -d 40123456789",
                             "AUSPOST --notext -d 39987520", "RM4SCC --notext -d SN34RD1A",
                             "USPS_IMAIL --notext -d 00040123456200800001-60611"};
    Int32 y = 330;
    for (const char* zint : symbols) {
      const Gray symbol = DrawSymbol(zint, 2);
      Place(envelope, symbol, 900, y);
      y += symbol.height + 80;
    }
    return envelope;
  }();
  return page;
}

struct GroupCase {
  const char* name;
  std::vector<UInt32> codes;
  std::set<UInt32> reported;
};
void PrintTo(const GroupCase& c, std::ostream* os) { *os << c.name; }

const GroupCase kGroupCases[] = {
    {"PostNetAndPlanetGroup", {kPostNet, kPlanet}, {kPostNet, kPlanet}},
    {"FourStateGroup", {kAusPost, kRm4scc, kMail}, {kAusPost, kRm4scc, kMail}},
    {"PostNetAlone", {kPostNet}, {kPostNet}},
    {"Rm4sccAlone", {kRm4scc}, {kRm4scc}},
    {"EveryGroup", kEveryGroup, {kPostNet, kPlanet, kAusPost, kRm4scc, kMail}},
    {"LinearOnly", {kAllLinear}, {}},
};

class PostalGroups : public testing::TestWithParam<GroupCase> {};

TEST_P(PostalGroups, ReportOnlyWhatWasAskedFor) {
  const GroupCase& c = GetParam();
  const FindOutcome outcome = ReadPage(FivePostalSymbols(), c.codes);
  std::multiset<UInt32> reported;
  for (const Record& r : outcome.records) reported.insert(r.code);
  EXPECT_EQ(reported, std::multiset<UInt32>(c.reported.begin(), c.reported.end()))
      << Describe(outcome.records);
}

INSTANTIATE_TEST_SUITE_P(Postal, PostalGroups, testing::ValuesIn(kGroupCases),
                         [](const auto& p) { return std::string(p.param.name); });

// Customer barcode 3: 67 bars, 21 symbols of three bars from bar 2 on (bar b
// is in symbol (b - 2) / 3), the last four the parity; two damaged symbols are
// corrected.
struct DamageCase {
  const char* name;
  std::vector<std::size_t> bars;  // printed in another state
  bool read;
};
void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }

const DamageCase kDamageCases[] = {
    {"Undamaged", {}, true},
    {"OneSymbol", {8, 9, 10}, true},
    {"TwoSymbols", {6, 7, 29, 30, 31}, true},
    {"TwoSymbolsOneInParity", {25, 53, 54}, true},
    {"ThreeSymbols", {6, 30, 45}, false},
    {"FourSymbols", {3, 18, 36, 60}, false},
};

class AustraliaPostDamage : public testing::TestWithParam<DamageCase> {};

TEST_P(AustraliaPostDamage, ReadWithinTheParityOnly) {
  const DamageCase& c = GetParam();
  const auto symbols = ZintBars("AUSPOST", {"39987520Mail4State"});
  ASSERT_EQ(symbols.size(), 1u);
  std::vector<engine::BarState> bars = symbols[0];
  for (const std::size_t i : c.bars) {
    bars[i] =
        bars[i] == engine::BarState::Tracker ? engine::BarState::Full : engine::BarState::Tracker;
  }
  Gray page = Envelope();
  Place(page, DrawBars(bars, {13.6, 5, 14, 12, 14}), 700, 700);
  const FindOutcome outcome = ReadPage(page, kPostalCodes);
  if (!c.read) {
    EXPECT_TRUE(outcome.records.empty()) << Describe(outcome.records);
    return;
  }
  ASSERT_EQ(outcome.records.size(), 1u) << Describe(outcome.records);
  EXPECT_EQ(outcome.records[0].content, "39987520Mail4State");
}

INSTANTIATE_TEST_SUITE_P(Postal, AustraliaPostDamage, testing::ValuesIn(kDamageCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vexo::test
