#include "tests/engine/bars/BarDrawing.h"

#include <cmath>
#include <random>

namespace vexo::test {

using engine::BarState;

std::vector<BarState> StatesOf(std::string_view letters) {
  std::vector<BarState> states;
  for (const char c : letters) {
    switch (c) {
      case 'F':
        states.push_back(BarState::Full);
        break;
      case 'A':
        states.push_back(BarState::Ascender);
        break;
      case 'D':
        states.push_back(BarState::Descender);
        break;
      default:
        states.push_back(BarState::Tracker);
        break;
    }
  }
  return states;
}

std::string LettersOf(const std::vector<BarState>& states) {
  std::string letters;
  for (const BarState s : states) letters += "FADT"[static_cast<int>(s)];
  return letters;
}

Gray DrawBars(const std::vector<BarState>& states, const BarGeometry& g) {
  const Int32 height = g.ascender + g.tracker + g.descender;
  const Int32 length = static_cast<Int32>(std::ceil(g.pitch * static_cast<double>(states.size())));
  Gray image = Gray::White(length + 2 * g.margin, height + 2 * g.margin);
  std::mt19937 random(g.seed);
  std::uniform_int_distribution<Int32> jitter(-g.ragged, g.ragged);
  std::uniform_real_distribution<double> chance(0, 1);
  for (std::size_t i = 0; i < states.size(); ++i) {
    const BarState s = states[i];
    const bool up = s == BarState::Full || s == BarState::Ascender;
    const bool down = s == BarState::Full || s == BarState::Descender;
    const Int32 top = g.margin + (up ? 0 : g.ascender) + jitter(random);
    const Int32 bottom =
        g.margin + g.ascender + g.tracker + (down ? g.descender : 0) + jitter(random);
    const Int32 left = g.margin + static_cast<Int32>(std::lround(g.pitch * static_cast<double>(i)));
    for (Int32 y = top; y < bottom; ++y) {
      // Inkjet: each line of the bar may start or end a pixel off.
      const Int32 from = left + (g.ragged > 0 ? jitter(random) % 2 : 0);
      const Int32 to = left + g.width + (g.ragged > 0 ? jitter(random) % 2 : 0);
      for (Int32 x = from; x < to; ++x) {
        if (g.holes > 0 && chance(random) < g.holes) continue;
        image.At(x, y) = 0;
      }
    }
  }
  return image;
}

}  // namespace vexo::test
