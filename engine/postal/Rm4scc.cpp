// RM4SCC, as Royal Mail's customer barcode guide describes it. The 36
// characters 0-9 and A-Z stand in a 6 x 6 table, six to a row; a character is
// four bars, two with ascenders giving its row and two with descenders giving
// its column, each value 1 to 6 one of the six ways to choose two of the four
// bars (0011, 0101, 0110, 1001, 1010, 1100, first bar highest). Start: one
// ascender; stop: one full bar. The checksum character's row is the sum of
// the rows modulo 6 and its column the sum of the columns modulo 6, 0
// standing for 6.
#include "engine/postal/Rm4scc.h"

#include <array>
#include <bit>

namespace vexo::engine {
namespace {

constexpr char kCharacters[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr Int32 kValues = 6;
constexpr Int32 kBarsPerCharacter = 4;
// The value of each 4-bit choice of two bars (first bar highest), 0 for none.
constexpr std::array<Int32, 16> kValueOfPattern = [] {
  std::array<Int32, 16> table{};
  Int32 value = 0;
  for (Int32 pattern = 0; pattern < 16; ++pattern) {
    if (std::popcount(static_cast<unsigned>(pattern)) == 2) table[pattern] = ++value;
  }
  return table;
}();

bool HasAscender(BarState s) { return s == BarState::Full || s == BarState::Ascender; }
bool HasDescender(BarState s) { return s == BarState::Full || s == BarState::Descender; }

}  // namespace

bool DecodeRm4scc(std::span<const BarState> bars, std::vector<UInt8>& content) {
  const std::size_t count = bars.size();
  // Start, stop, at least one character and the checksum.
  if (count < 2 + 2 * kBarsPerCharacter || (count - 2) % kBarsPerCharacter != 0) return false;
  if (bars.front() != BarState::Ascender || bars.back() != BarState::Full) return false;
  std::vector<UInt8> text;
  Int32 rowSum = 0, columnSum = 0, row = 0, column = 0;
  for (std::size_t start = 1; start + 1 < count; start += kBarsPerCharacter) {
    Int32 top = 0, bottom = 0;
    for (Int32 k = 0; k < kBarsPerCharacter; ++k) {
      top = top << 1 | (HasAscender(bars[start + k]) ? 1 : 0);
      bottom = bottom << 1 | (HasDescender(bars[start + k]) ? 1 : 0);
    }
    row = kValueOfPattern[top];
    column = kValueOfPattern[bottom];
    if (row == 0 || column == 0) return false;
    if (start + 1 + kBarsPerCharacter < count) {  // not the checksum
      rowSum += row;
      columnSum += column;
      text.push_back(static_cast<UInt8>(kCharacters[(row - 1) * kValues + column - 1]));
    }
  }
  const auto checkValue = [](Int32 sum) { return sum % kValues == 0 ? kValues : sum % kValues; };
  if (row != checkValue(rowSum) || column != checkValue(columnSum)) return false;
  content = std::move(text);
  return true;
}

}  // namespace vexo::engine
