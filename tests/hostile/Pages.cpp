#include "Pages.h"

#include <cstdlib>
#include <map>
#include <random>

#include "tests/app/TestSupport.h"

namespace vexo::hostile {
namespace {

constexpr char kSymbolCommand[] = "zint --barcode=58 --scale=4 --data='hostile input' --output=";

const test::TempDir& Scratch() {
  static const test::TempDir dir;
  return dir;
}

bool RunQuietly(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string MakePage(const PageFormat& format) {
  const std::string symbol = Scratch().File("symbol.png");
  if (!test::Exists(symbol) && !RunQuietly(kSymbolCommand + symbol)) return {};
  const std::string output = Scratch().File(format.file);
  if (!RunQuietly("convert " + symbol + " -colorspace Gray " + format.options + " " + output)) {
    return {};
  }
  return test::ReadBytes(output);
}

}  // namespace

const std::vector<PageFormat>& PageFormats() {
  static const std::vector<PageFormat> formats{
      {"Png", "page.png", ""},
      {"Jpeg", "page.jpg", "-quality 90"},
      {"TiffLzw", "page-lzw.tif", "-compress LZW"},
      {"TiffG4", "page-g4.tif", "-monochrome -compress Group4"},
      {"Bmp", "page.bmp", ""},
      {"Gif", "page.gif", ""},
      {"Pnm", "page.pgm", ""},
      {"WebP", "page.webp", "-define webp:lossless=true"},
      {"Jpeg2000", "page.jp2", ""},
  };
  return formats;
}

const std::string& PageBytes(const PageFormat& format) {
  static std::map<std::string, std::string> made;
  auto found = made.find(format.file);
  if (found == made.end()) found = made.emplace(format.file, MakePage(format)).first;
  return found->second;
}

std::string Cut(const std::string& bytes, std::size_t count) { return bytes.substr(0, count); }

std::string Overwrite(const std::string& bytes, std::size_t offset, std::size_t count,
                      unsigned char value) {
  std::string damaged = bytes;
  for (std::size_t i = offset; i < damaged.size() && i < offset + count; ++i) {
    damaged[i] = static_cast<char>(value);
  }
  return damaged;
}

std::string FlipBits(const std::string& bytes, unsigned seed, int flips, std::size_t keep) {
  std::string damaged = bytes;
  if (damaged.size() <= keep) return damaged;
  std::mt19937 random(seed);
  std::uniform_int_distribution<std::size_t> place(keep, damaged.size() - 1);
  std::uniform_int_distribution<int> bit(0, 7);
  for (int i = 0; i < flips; ++i) damaged[place(random)] ^= static_cast<char>(1 << bit(random));
  return damaged;
}

}  // namespace vexo::hostile
