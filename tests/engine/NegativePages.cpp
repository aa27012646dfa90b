#include "tests/engine/NegativePages.h"

#include <algorithm>
#include <string>

namespace vexo::test {
namespace {

constexpr Int32 kWidth = 1200;
constexpr Int32 kHeight = 800;

void FillRect(Gray& page, Int32 left, Int32 top, Int32 width, Int32 height) {
  for (Int32 y = std::max(top, 0); y < std::min(top + height, page.height); ++y) {
    for (Int32 x = std::max(left, 0); x < std::min(left + width, page.width); ++x)
      page.At(x, y) = 0;
  }
}

// Leader dots of one size, and dots of two sizes taking turns.
Gray DotRows() {
  Gray page = Gray::White(kWidth, kHeight);
  for (Int32 row = 0; row < 8; ++row) {
    const Int32 size = 2 + row % 4, pitch = 3 * size, y = 60 + row * 80;
    for (Int32 i = 0, x = 60; x < kWidth - 60; ++i, x += pitch) {
      const Int32 s = row >= 4 && i % 2 == 1 ? 2 * size : size;  // two sizes
      FillRect(page, x, y - s / 2, size, s);
    }
  }
  return page;
}

// Dashed lines across and down the page, several dash lengths.
Gray DashedLines() {
  Gray page = Gray::White(kWidth, kHeight);
  for (Int32 row = 0; row < 6; ++row) {
    const Int32 dash = 4 + 2 * row, gap = 3 + row, y = 60 + row * 60;
    for (Int32 x = 60; x < kWidth - 60; x += dash + gap) FillRect(page, x, y, dash, 2 + row % 3);
  }
  for (Int32 column = 0; column < 6; ++column) {
    const Int32 dash = 5 + column, x = 100 + column * 180;
    for (Int32 y = 440; y < kHeight - 40; y += dash + 4) FillRect(page, x, y, 3, dash);
  }
  return page;
}

// A grid of table rules, one thick.
Gray TableRules() {
  Gray page = Gray::White(kWidth, kHeight);
  for (Int32 y = 60; y < kHeight - 40; y += 40)
    FillRect(page, 60, y, kWidth - 120, y == 100 ? 4 : 2);
  for (Int32 x = 60; x < kWidth - 40; x += 110) FillRect(page, x, 60, 2, kHeight - 100);
  return page;
}

// `convert` drawing on a white page (or the given source), read back.
Gray Convert(const std::string& drawing) {
  return ReadPgmFrom("convert " + drawing + " -colorspace Gray -depth 8 pgm:- 2>/dev/null");
}

std::string Page() { return "-size " + std::to_string(kWidth) + "x" + std::to_string(kHeight); }

std::string TextLines(bool underlined) {
  const char* lines[] = {
      "Mr Jonathan Illingworth, 1111 Hill Lane",  "lllllll IIIIIII |||||||| 1111111 iiiiii",
      "Springfield IL 62701-1234, United States", "||| ||| ||| illicit filling lull ill will",
      "Invoice 2026/0042 Total 1,111.11 EUR",     ":::::: ;;;;;; !!!!!! '''''' ......"};
  std::string drawing = " -font DejaVu-Sans-Mono";
  for (int i = 0; i < 6; ++i) {
    const int y = 80 + i * 110, size = 18 + 6 * (i % 3);
    drawing += " -pointsize " + std::to_string(size) + " -draw \"text 60," + std::to_string(y) +
               " '" + lines[i] + "'\"";
    if (underlined) {
      drawing +=
          " -draw \"line 60," + std::to_string(y + 4) + " 1100," + std::to_string(y + 4) + "\"";
    }
  }
  return drawing;
}

struct PageRow {
  const char* name;
  Gray (*draw)();
};
const PageRow kPages[] = {
    {"DotRows", DotRows},
    {"DashedLines", DashedLines},
    {"TableRules", TableRules},
    {"Text", [] { return Convert(Page() + " xc:white" + TextLines(false)); }},
    {"UnderlinedText", [] { return Convert(Page() + " xc:white" + TextLines(true)); }},
    {"Halftone", [] { return Convert(Page() + " gradient: -ordered-dither h6x6a"); }},
    {"FineHalftone", [] { return Convert(Page() + " radial-gradient: -ordered-dither h4x4a"); }},
};

}  // namespace

std::vector<std::string> NegativePageNames() {
  std::vector<std::string> names;
  for (const PageRow& row : kPages) names.emplace_back(row.name);
  return names;
}

Gray NegativePage(const std::string& name) {
  for (const PageRow& row : kPages) {
    if (name == row.name) return row.draw();
  }
  return {};
}

}  // namespace vexo::test
