#pragma once
// Pages that hold no symbol of our own readers, generated at test time: body
// text in several fonts and sizes, tables with rules, dithered photographs,
// noise, halftone screens, hatching, rows of dots, dashed lines, underlined
// text, and sheets of the symbologies that the library reads. Readers with weak checks must find nothing on any of them.

#include <string>
#include <vector>

#include "Common/Types.h"

namespace vexo::test {

struct NegativePage {
  enum Kind { kText, kDrawn, kLibrarySymbols } kind;
  const char* name;
  UInt32 seed;
  // kText: an A4 page of body text in `font` at `points` and `dpi`.
  const char* font = nullptr;
  int points = 0;
  int dpi = 0;
  // kDrawn: ImageMagick arguments that draw the page; "{seed}" stands for
  // the seed. kLibrarySymbols: a sheet of MakeCorpusSheet(seed).
  const char* draw = nullptr;
};

// The negative set.
const std::vector<NegativePage>& NegativePages();

// The page as the bytes of a PNG file.
std::vector<UInt8> NegativePageFile(const NegativePage& page);

}  // namespace vexo::test
