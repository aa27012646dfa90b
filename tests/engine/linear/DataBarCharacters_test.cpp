// The DataBar character sets proven against zint: symbols encoding chosen
// character values, drawn by zint and read back element by element. DataBar
// characters take every value; DataBar Limited characters take every odd and
// every even width sequence of every group (a group's value joins the two);
// DataBar Expanded symbols of every length check their check character,
// finders and weights.

#include "engine/linear/DataBarCharacters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "tests/engine/linear/ModuleRows.h"

namespace vexo::test {
namespace {

using engine::databar::CharacterKind;
namespace db = engine::databar;

std::string Digits(Int64 value, int count) {
  std::string text(static_cast<std::size_t>(count), '0');
  for (int i = count - 1; i >= 0; --i, value /= 10) text[std::size_t(i)] = char('0' + value % 10);
  return text;
}

std::vector<int> Slice(const std::vector<int>& e, std::size_t from, std::size_t count,
                       bool reversed = false) {
  std::vector<int> part(e.begin() + std::ptrdiff_t(from), e.begin() + std::ptrdiff_t(from + count));
  if (reversed) std::reverse(part.begin(), part.end());
  return part;
}

Int32 Value(CharacterKind kind, const std::vector<int>& widths) {
  return db::CharacterValue(kind, widths);
}

// Values 0..count-1 and a partner value for each, so that `values` symbols
// cover every value of both kinds.
constexpr Int64 kDataBarPair = 1597;
constexpr Int64 kDataBarHalf = 4537077;

TEST(DataBarCharacters, EveryDataBarValueAndChecksum) {
  constexpr Int64 kOuterValues = 2841, kInnerValues = 1597, kLargestLeft = 2204078;
  std::vector<std::string> inputs;
  std::vector<std::array<Int64, 4>> wanted;
  for (Int64 i = 0; i < kOuterValues; ++i) {
    const std::array<Int64, 4> c{(i * 7) % (kLargestLeft / kDataBarPair), (i * 3) % kInnerValues, i,
                                 i % kInnerValues};
    wanted.push_back(c);
    inputs.push_back(
        Digits((c[0] * kDataBarPair + c[1]) * kDataBarHalf + c[2] * kDataBarPair + c[3], 13));
  }
  const auto symbols = DumpSymbols("DBAR_OMN", inputs);
  ASSERT_EQ(symbols.size(), inputs.size());
  std::set<Int32> finders;
  for (std::size_t s = 0; s < symbols.size(); ++s) {
    const std::vector<int> e = Elements(symbols[s][0]);
    ASSERT_GE(e.size(), 46U) << inputs[s];
    // Guard, left outer, finder, left inner (mirrored) | right inner, finder
    // (mirrored), right outer (mirrored), guard.
    const std::vector<int> chars[4] = {Slice(e, 2, 8), Slice(e, 15, 8, true), Slice(e, 36, 8, true),
                                       Slice(e, 23, 8)};
    const CharacterKind kinds[4] = {CharacterKind::Outer, CharacterKind::Inner,
                                    CharacterKind::Outer, CharacterKind::Inner};
    Int32 sum = 0;
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(Value(kinds[c], chars[c]), wanted[s][std::size_t(c)]) << inputs[s] << " char " << c;
      for (int j = 0; j < 8; ++j) sum += chars[c][std::size_t(j)] * db::DataBarWeight(c, j);
    }
    const Int32 left = db::FinderValue(Slice(e, 10, 5));
    const Int32 right = db::FinderValue(Slice(e, 31, 5, true));
    finders.insert(left), finders.insert(right);
    EXPECT_EQ(db::DataBarChecksumOfFinders(left, right), sum % db::kDataBarChecksumModulus)
        << inputs[s];
  }
  EXPECT_EQ(finders, (std::set<Int32>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(DataBarCharacters, EveryLimitedSequenceAndCheckCharacter) {
  constexpr Int64 kRadix = 2013571, kLargestLeft = 993261;
  std::vector<Int64> rights;
  for (const db::GroupSize& g : db::GroupsOf(CharacterKind::Limited)) {
    for (Int32 odd = 0; odd < g.oddCount; ++odd)
      rights.push_back(g.first + odd * g.evenCount + odd % g.evenCount);
    for (Int32 even = 0; even < g.evenCount; ++even) {
      rights.push_back(g.first + (even % g.oddCount) * g.evenCount + even);
    }
  }
  ASSERT_EQ(rights.back(), kRadix - 1);
  std::vector<std::string> inputs;
  for (std::size_t i = 0; i < rights.size(); ++i) {
    inputs.push_back(Digits(Int64(i * 37 % kLargestLeft) * kRadix + rights[i], 13));
  }
  const auto symbols = DumpSymbols("DBAR_LTD", inputs);
  ASSERT_EQ(symbols.size(), inputs.size());
  std::set<Int32> checks;
  for (std::size_t s = 0; s < symbols.size(); ++s) {
    const std::vector<int> e = Elements(symbols[s][0]);
    ASSERT_GE(e.size(), 46U);
    const std::vector<int> left = Slice(e, 2, 14), check = Slice(e, 16, 14),
                           right = Slice(e, 30, 14);
    ASSERT_EQ(Value(CharacterKind::Limited, right), rights[s]) << inputs[s];
    ASSERT_EQ(Value(CharacterKind::Limited, left), Int64(s * 37 % kLargestLeft)) << inputs[s];
    Int32 sum = 0;
    for (int j = 0; j < 14; ++j) {
      sum += left[std::size_t(j)] * db::LimitedWeight(j) +
             right[std::size_t(j)] * db::LimitedWeight(14 + j);
    }
    ASSERT_EQ(db::LimitedCheckValue(check), sum % 89) << inputs[s];
    checks.insert(sum % 89);
  }
  EXPECT_EQ(checks.size(), 89U);
}

// Random alphanumeric data of every length gives symbols of 2 to 11 pairs.
TEST(DataBarCharacters, ExpandedCheckCharacterFindersAndWeights) {
  std::mt19937 random(20240611);
  std::vector<std::string> inputs;
  for (int length = 1; length <= 36; ++length) {
    for (int copy = 0; copy < 8; ++copy) {
      std::string data;
      for (int i = 0; i < length; ++i)
        data += "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[random() % 36];
      inputs.push_back(length <= 30 ? "[90]" + data
                                    : "[90]" + data.substr(0, 30) + "[91]" + data.substr(30));
    }
  }
  const auto symbols = DumpSymbols("DBAR_EXP --gs1", inputs);
  ASSERT_EQ(symbols.size(), inputs.size());
  std::set<Int32> pairCounts;
  for (std::size_t s = 0; s < symbols.size(); ++s) {
    const std::vector<int> e = Elements(symbols[s][0]);
    // Guard, then pairs of (character, finder, mirrored character) of 21
    // elements; the last pair may lack its right character.
    const std::size_t pairs = (e.size() - 2 - 2 + 8) / 21;
    pairCounts.insert(Int32(pairs));
    std::vector<std::vector<int>> chars;
    Int32 sum = 0;
    for (std::size_t p = 0; p < pairs; ++p) {
      const std::size_t at = 2 + 21 * p;
      const Int32 finder = db::ExpandedFinderOf(Int32(pairs), Int32(p));
      const bool mirrored = finder % 2 == 1;
      EXPECT_EQ(db::ExpandedFinderValue(Slice(e, at + 8, 5, mirrored)), finder / 2) << inputs[s];
      chars.push_back(Slice(e, at, 8));
      if (at + 21 <= e.size() - 2) chars.push_back(Slice(e, at + 13, 8, true));
      for (std::size_t side = 0; side < 2 && 2 * p + side < chars.size(); ++side) {
        if (p == 0 && side == 0) continue;  // the check character
        for (int j = 0; j < 8; ++j) {
          sum += chars[2 * p + side][std::size_t(j)] * db::ExpandedWeight(finder, side == 1, j);
        }
      }
    }
    const Int32 expected = 211 * (Int32(chars.size()) - 4) + sum % 211;
    EXPECT_EQ(Value(CharacterKind::Expanded, chars[0]), expected) << inputs[s];
  }
  EXPECT_EQ(pairCounts, (std::set<Int32>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

}  // namespace
}  // namespace vexo::test
