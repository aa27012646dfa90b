// Planet, as the US Postal Service describes it: the Post Net digits with tall
// and short bars exchanged (three tall bars per digit), the same weights and
// check digit.
#include "engine/postal/Planet.h"

#include <algorithm>
#include <array>

#include "engine/postal/PostNet.h"

namespace vexo::engine {
namespace {

// Digit counts with the check digit.
constexpr std::array<std::size_t, 2> kPlanetDigits{12, 14};

}  // namespace

bool DecodePlanet(std::span<const BarState> bars, std::vector<UInt8>& content) {
  std::vector<UInt8> digits;
  if (!ReadFiveBarDigits(bars, true, digits)) return false;
  if (std::find(kPlanetDigits.begin(), kPlanetDigits.end(), digits.size()) == kPlanetDigits.end()) {
    return false;
  }
  digits.pop_back();
  content = std::move(digits);
  return true;
}

}  // namespace vexo::engine
