#include "tests/engine/postal/PostalPages.h"

#include <algorithm>

namespace vexo::test {
namespace {

constexpr Int32 kEnvelopeWidth = 1900;
constexpr Int32 kEnvelopeHeight = 1000;

// An address block: lines of word-like marks (ink rectangles of a text's
// height and a word's length), drawn in process so that every test case, run
// in a process of its own, gets it at no cost.
Gray DrawAddress() {
  Gray page = Gray::White(kEnvelopeWidth, kEnvelopeHeight);
  unsigned seed = 7;
  for (Int32 line = 0; line < 4; ++line) {
    for (Int32 x = 80, y = 70 + 45 * line; x < 700;) {
      seed = seed * 1103515245u + 12345u;
      const Int32 word = 40 + static_cast<Int32>((seed >> 16) % 120);
      for (Int32 row = y; row < y + 24; ++row) {
        for (Int32 column = x; column < std::min(x + word, 700); ++column)
          page.At(column, row) = 40;
      }
      x += word + 18;
    }
  }
  return page;
}

}  // namespace

Gray Envelope() {
  static const Gray envelope = DrawAddress();
  return envelope;
}

FindOutcome ReadPage(const Gray& page, const std::vector<UInt32>& codes) {
  EngineSession session(EncodePgm(page));
  FindArgs args;
  args.codes = codes;
  args.directions = kHorizontal | kVertical | kDiagonal;
  return session.Find(args);
}

}  // namespace vexo::test
