#pragma once
// Page files for the hostile tests, made at test time: one QR symbol drawn by
// zint, written by ImageMagick in every format the engine decodes, and ways
// to damage such a file.

#include <cstddef>
#include <string>
#include <vector>

namespace vexo::hostile {

struct PageFormat {
  const char* name;     // test name
  const char* file;     // file name; its extension picks the format
  const char* options;  // convert options before the output name
};

// The formats the engine decodes, with two TIFF compressions.
const std::vector<PageFormat>& PageFormats();

// The page in `format`, written once per process; empty when the tools
// failed.
const std::string& PageBytes(const PageFormat& format);

// The first `count` bytes.
std::string Cut(const std::string& bytes, std::size_t count);
// `count` bytes from `offset` (clipped to the file) set to `value`.
std::string Overwrite(const std::string& bytes, std::size_t offset, std::size_t count,
                      unsigned char value);
// `flips` single bits flipped at places chosen by `seed` (the same each run),
// away from the first `keep` bytes.
std::string FlipBits(const std::string& bytes, unsigned seed, int flips, std::size_t keep);

}  // namespace vexo::hostile
