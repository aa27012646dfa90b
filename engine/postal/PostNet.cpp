// Post Net, as the US Postal Service's Domestic Mail Manual describes it:
// digits of five bars weighted 7, 4, 2, 1, 0, two of them tall; the tall
// weights add up to the digit, 11 standing for 0.
#include "engine/postal/PostNet.h"

#include <algorithm>
#include <array>

namespace vexo::engine {
namespace {

constexpr std::array<Int32, 5> kWeights{7, 4, 2, 1, 0};
constexpr Int32 kBarsPerDigit = 5;
constexpr Int32 kFrameBars = 2;
// Digit counts with the check digit: ZIP, ZIP+4, delivery point.
constexpr std::array<std::size_t, 3> kPostNetDigits{6, 10, 12};

}  // namespace

bool ReadFiveBarDigits(std::span<const BarState> bars, bool planet, std::vector<UInt8>& digits) {
  const std::size_t count = bars.size();
  if (count < kFrameBars + kBarsPerDigit || (count - kFrameBars) % kBarsPerDigit != 0) return false;
  const auto tall = [&](std::size_t i) -> int {
    if (bars[i] == BarState::Full) return 1;
    return bars[i] == BarState::Descender ? 0 : -1;
  };
  if (tall(0) != 1 || tall(count - 1) != 1) return false;
  // Planet is Post Net with tall and short exchanged.
  const int marked = planet ? 0 : 1;
  digits.clear();
  Int32 sum = 0;
  for (std::size_t start = 1; start + 1 < count; start += kBarsPerDigit) {
    Int32 value = 0, marks = 0;
    for (Int32 k = 0; k < kBarsPerDigit; ++k) {
      const int t = tall(start + k);
      if (t < 0) return false;
      if (t == marked) {
        value += kWeights[k];
        ++marks;
      }
    }
    if (marks != 2) return false;
    const Int32 digit = value == 11 ? 0 : value;
    digits.push_back(static_cast<UInt8>('0' + digit));
    sum += digit;
  }
  return sum % 10 == 0;
}

bool DecodePostNet(std::span<const BarState> bars, std::vector<UInt8>& content) {
  std::vector<UInt8> digits;
  if (!ReadFiveBarDigits(bars, false, digits)) return false;
  if (std::find(kPostNetDigits.begin(), kPostNetDigits.end(), digits.size()) ==
      kPostNetDigits.end()) {
    return false;
  }
  digits.pop_back();
  content = std::move(digits);
  return true;
}

}  // namespace vexo::engine
