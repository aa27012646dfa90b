#pragma once
// Pages of symbols drawn from a seed, degraded the way photographs, faxes and
// scans degrade them, and the zxing-cpp command-line reader as a yardstick.

#include <optional>
#include <string>
#include <vector>

#include "tests/engine/SymbolImages.h"

namespace vexo::test {

// VELMORA_LONG_TESTS=1 in the environment: run the longer corpora.
bool LongRun();

// A sheet of twelve symbols of as many symbologies, with contents and module
// sizes drawn from the seed; the same seed always gives the same sheet.
struct CorpusSheet {
  Gray page;
  std::vector<std::string> contents;  // as the readers report them
};
CorpusSheet MakeCorpusSheet(UInt32 seed);
// The same for symbologies of the bars reader (MSI, Code 11, Code S25,
// Pharma Code): four of each, check variants included.
CorpusSheet MakeBarsSheet(UInt32 seed);

// One way of spoiling a page: ImageMagick options applied to it at 300 dpi
// before it is written in the format of `extension`.
struct Degradation {
  const char* name;
  const char* options;  // "{seed}" stands for the sheet's seed
  const char* extension;
};

// The degraded sheet as the bytes of its image file.
std::vector<UInt8> DegradedFile(const Gray& page, const Degradation& degradation, UInt32 seed);

// What `ZXingReader -1 -noscale` reads in the image file: one content per
// symbol. Its default mode downscales too, which aborts the process on some
// pages; -noscale is the mode that always finishes. Empty when the reader is
// not installed.
std::optional<std::vector<std::string>> ZxingReaderContents(const std::vector<UInt8>& file,
                                                            const char* extension);

// Reads and misreads of a corpus: contents found that were drawn (each once),
// and contents found that were not.
struct Tally {
  int read = 0;
  std::vector<std::string> misreads;

  void Add(const Tally& other);
};
Tally Count(const std::vector<std::string>& found, const std::vector<std::string>& drawn);

// Word-like marks in lines, as on a page of print; and smooth shades with
// soft blobs, as in a photograph. Neither holds a symbol.
Gray TextLikePage(UInt32 seed);
std::vector<UInt8> PhotoLikeFile(UInt32 seed);

}  // namespace vexo::test
