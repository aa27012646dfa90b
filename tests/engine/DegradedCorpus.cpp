#include "tests/engine/DegradedCorpus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <set>

#include "tests/support/TempDir.h"

namespace vexo::test {
namespace {

namespace fs = std::filesystem;

constexpr Int32 kColumns = 4;
constexpr Int32 kCellWidth = 560;
constexpr Int32 kCellHeight = 400;
constexpr char kDigits[] = "0123456789";
constexpr char kUpper[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-.";
constexpr char kMixed[] = "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz0123456789 -./";

void WriteFile(const std::string& path, const UInt8* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

std::vector<UInt8> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

bool Run(const std::string& command) {
  if (std::system(command.c_str()) == 0) return true;
  ADD_FAILURE() << command;
  return false;
}

// Draws from the generator's raw output only: the standard distributions and
// std::shuffle differ between libraries, and the corpus must not.
class Draw {
 public:
  explicit Draw(UInt32 seed) : engine_(seed) {}
  int Between(int low, int high) {
    return low + static_cast<int>(engine_() % UInt32(high - low + 1));
  }
  std::string Text(const char* alphabet, int low, int high) {
    const std::string letters(alphabet);
    std::string text(static_cast<std::size_t>(Between(low, high)), ' ');
    for (char& c : text) c = letters[static_cast<std::size_t>(Between(0, int(letters.size()) - 1))];
    // Readers trim nothing, but a shell or a line may: no space at the ends.
    if (text.front() == ' ') text.front() = 'X';
    if (text.back() == ' ') text.back() = 'Y';
    return text;
  }
  template <typename T>
  void Shuffle(std::vector<T>& items) {
    for (int i = int(items.size()) - 1; i > 0; --i) std::swap(items[i], items[Between(0, i)]);
  }

 private:
  std::mt19937 engine_;
};

// The EAN/UPC check digit of `digits`: weights 3 and 1 from the right.
std::string WithCheckDigit(const std::string& digits) {
  int sum = 0, weight = 3;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it, weight = 4 - weight) {
    sum += (*it - '0') * weight;
  }
  return digits + char('0' + (10 - sum % 10) % 10);
}

struct Drawn {
  std::string zint;     // zint arguments without the data
  std::string data;     // what zint encodes
  std::string content;  // what a reader reports
  double scale;         // one module: 2 * scale pixels
};

// One symbol of each kind per sheet. Each draw is its own statement: the
// order in which function arguments are evaluated is not fixed.
std::vector<Drawn> DrawKinds(Draw& draw) {
  struct Kind {
    const char* zint;
    const char* alphabet;
    int shortest, longest;
    enum { kAsDrawn, kCheckDigit, kEvenLength } content;
    double smallScale, largeScale;
  };
  static const Kind kKinds[] = {
      {"CODE128 --height=40", kMixed, 6, 10, Kind::kAsDrawn, 1.0, 1.5},
      {"CODE128 --height=30", kUpper, 3, 6, Kind::kAsDrawn, 1.0, 1.0},
      {"CODE39 --height=40", kUpper, 4, 7, Kind::kAsDrawn, 1.0, 1.0},
      {"CODE93 --height=40", kUpper, 5, 9, Kind::kAsDrawn, 1.0, 1.5},
      {"EANX", kDigits, 12, 12, Kind::kCheckDigit, 1.0, 1.5},
      {"EANX", kDigits, 7, 7, Kind::kCheckDigit, 1.0, 1.5},
      {"UPCA", kDigits, 11, 11, Kind::kCheckDigit, 1.0, 1.5},
      {"C25INTER --height=40", kDigits, 8, 11, Kind::kEvenLength, 1.0, 1.5},
      {"QRCODE", kMixed, 8, 24, Kind::kAsDrawn, 1.5, 2.5},
      {"DATAMATRIX", kMixed, 8, 20, Kind::kAsDrawn, 1.5, 2.5},
      {"PDF417", kMixed, 8, 20, Kind::kAsDrawn, 1.0, 1.5},
      {"AZTEC", kMixed, 8, 20, Kind::kAsDrawn, 1.5, 2.5},
  };
  std::vector<Drawn> drawn;
  for (const Kind& k : kKinds) {
    std::string data = draw.Text(k.alphabet, k.shortest, k.longest);
    // An EAN-13 that starts with 0 is a UPC-A, and is reported as one.
    if (k.content == Kind::kCheckDigit && data.size() == 12 && data[0] == '0') data[0] = '1';
    if (k.content == Kind::kEvenLength && data.size() % 2 != 0) data.pop_back();
    const double scale = draw.Between(0, 1) == 0 ? k.smallScale : k.largeScale;
    const std::string content = k.content == Kind::kCheckDigit ? WithCheckDigit(data) : data;
    drawn.push_back({k.zint, data, content, scale});
  }
  return drawn;
}

// Our own symbologies, four of each per sheet. Checked variants take their
// data and content from fixed pairs, so that the test computes no check
// digits itself; the others draw digits.
std::vector<Drawn> DrawBarsKinds(Draw& draw) {
  struct Checked {
    const char* zint;
    const char* data;
    const char* content;
  };
  static const Checked kChecked[] = {
      {"MSI_PLESSEY --vers=1", "80523", "805234"},
      {"MSI_PLESSEY --vers=2", "1234567", "123456741"},
      {"MSI_PLESSEY --vers=3", "1234", "12343"},
      {"MSI_PLESSEY --vers=4", "6", "6106"},
      {"CODE11", "123-45", "123-4552"},
      {"CODE11", "0123456789-", "0123456789-06"},
      {"CODE11 --vers=1", "0123456789-", "0123456789-0"},
      {"CODE11 --vers=1", "555-1234", "555-1234-"},
  };
  struct Drawing {
    const char* zint;
    const char* alphabet;
    int shortest, longest;
  };
  static const Drawing kDrawn[] = {
      {"MSI_PLESSEY", kDigits, 6, 10},
      {"CODE11 --vers=2", "0123456789-", 6, 10},
      {"C25IND", kDigits, 3, 8},
  };
  std::vector<Drawn> drawn;
  for (int i = 0; i < 2; ++i) {
    for (const int first : {0, 4}) {
      const Checked& c = kChecked[first + draw.Between(0, 3)];
      drawn.push_back({std::string(c.zint) + " --height=30", c.data, c.content, 1.0});
    }
  }
  for (int i = 0; i < 2; ++i) {
    for (const Drawing& d : kDrawn) {
      std::string data = draw.Text(d.alphabet, d.shortest, d.longest);
      const double scale = draw.Between(0, 1) == 0 ? 1.0 : 1.5;
      drawn.push_back({std::string(d.zint) + " --height=30", data, data, scale});
    }
  }
  drawn.push_back({"C25IND --height=30", "20261208", "20261208", 1.0});
  drawn.push_back({"C25IND --height=30", draw.Text(kDigits, 4, 6), "", 1.5});
  drawn.back().content = drawn.back().data;
  // Pharmacodes of three to sixteen bars, drawn last so that the symbols
  // above keep their data.
  for (int i = 0; i < 4; ++i) {
    const std::string value = std::to_string(draw.Between(7, 131070));
    const double scale = draw.Between(0, 1) == 0 ? 1.0 : 1.5;
    drawn.push_back({"PHARMA --height=30", value, value, scale});
  }
  return drawn;
}

CorpusSheet SheetOf(std::vector<Drawn> kinds, Draw& draw) {
  draw.Shuffle(kinds);
  const auto rows = (static_cast<Int32>(kinds.size()) + kColumns - 1) / kColumns;
  CorpusSheet sheet{Gray::White(kColumns * kCellWidth, rows * kCellHeight), {}};
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    const Drawn& k = kinds[i];
    const Gray symbol = DrawSymbol(k.zint + " -d '" + k.data + "'", k.scale);
    const Int32 column = Int32(i) % kColumns, row = Int32(i) / kColumns;
    const Int32 x = column * kCellWidth + std::max(0, (kCellWidth - symbol.width) / 2);
    const Int32 y = row * kCellHeight + std::max(0, (kCellHeight - symbol.height) / 2);
    if (symbol.width > kCellWidth || symbol.height > kCellHeight) {
      ADD_FAILURE() << k.zint << " too large for its cell";
      continue;
    }
    Place(sheet.page, symbol, x, y);
    sheet.contents.push_back(k.content);
  }
  return sheet;
}

}  // namespace

bool LongRun() {
  const char* value = std::getenv("VELMORA_LONG_TESTS");
  return value != nullptr && std::strcmp(value, "1") == 0;
}

CorpusSheet MakeCorpusSheet(UInt32 seed) {
  Draw draw(seed);
  return SheetOf(DrawKinds(draw), draw);
}

CorpusSheet MakeBarsSheet(UInt32 seed) {
  Draw draw(seed);
  return SheetOf(DrawBarsKinds(draw), draw);
}

std::vector<UInt8> DegradedFile(const Gray& page, const Degradation& degradation, UInt32 seed) {
  TempDir dir;
  WriteFile(dir.File("page.raw"), page.pixels.data(), page.pixels.size());
  std::string options = degradation.options;
  for (std::size_t at; (at = options.find("{seed}")) != std::string::npos;) {
    options.replace(at, 6, std::to_string(seed));
  }
  const std::string out = dir.File(std::string("page.") + degradation.extension);
  if (!Run("convert -size " + std::to_string(page.width) + "x" + std::to_string(page.height) +
           " -depth 8 gray:" + dir.File("page.raw") + " -density 300 -units PixelsPerInch " +
           options + " " + out)) {
    return {};
  }
  return ReadFile(out);
}

std::optional<std::vector<std::string>> ZxingReaderContents(const std::vector<UInt8>& file,
                                                            const char* extension) {
  if (std::system("command -v ZXingReader >/dev/null 2>&1") != 0) return std::nullopt;
  TempDir dir;
  std::string path = dir.File(std::string("page.") + extension);
  WriteFile(path, file.data(), file.size());
  if (std::string(extension) == "tif") {  // the reader takes no TIFF: the same pixels as PNG
    if (!Run("convert " + path + " " + dir.File("page.png"))) return std::nullopt;
    path = dir.File("page.png");
  }
  const std::string command = "ZXingReader -1 -noscale " + path + " 2>/dev/null";
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  if (!pipe) return std::nullopt;
  std::string output;
  char chunk[4096];
  for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe.get())) > 0;)
    output.append(chunk, n);
  // One line per symbol: the file, the format, the content in quotes.
  std::vector<std::string> contents;
  std::size_t start = 0;
  for (std::size_t end; (end = output.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = output.substr(start, end - start);
    const std::size_t open = line.find(" \"");
    if (open != std::string::npos && line.size() > open + 2 && line.back() == '"') {
      contents.push_back(line.substr(open + 2, line.size() - open - 3));
    }
  }
  return contents;
}

void Tally::Add(const Tally& other) {
  read += other.read;
  misreads.insert(misreads.end(), other.misreads.begin(), other.misreads.end());
}

Tally Count(const std::vector<std::string>& found, const std::vector<std::string>& drawn) {
  Tally tally;
  std::set<std::string> left(drawn.begin(), drawn.end());
  for (const std::string& content : found) {
    if (left.erase(content) > 0) {
      ++tally.read;
    } else if (std::find(drawn.begin(), drawn.end(), content) == drawn.end()) {
      tally.misreads.push_back(content);
    }
  }
  return tally;
}

Gray TextLikePage(UInt32 seed) {
  constexpr Int32 kWidth = 1240, kHeight = 1754, kMargin = 100, kLineStep = 36;
  Draw draw(seed);
  Gray page = Gray::White(kWidth, kHeight);
  const auto ink = [&](Int32 x0, Int32 y0, Int32 w, Int32 h) {
    for (Int32 y = y0; y < y0 + h; ++y) {
      for (Int32 x = x0; x < x0 + w; ++x) page.At(x, y) = 30;
    }
  };
  for (Int32 base = kMargin + 30; base < kHeight - kMargin; base += kLineStep) {
    for (Int32 x = kMargin; x < kWidth - kMargin - 120;) {
      // A word: letters of one to three strokes, some with a tall stem or a
      // cross bar, stroke widths and heights as in 10-point print at 150 dpi.
      for (int letters = draw.Between(2, 9); letters > 0; --letters) {
        const Int32 stroke = draw.Between(2, 3);
        const int strokes = draw.Between(1, 3);
        const Int32 width = draw.Between(9, 14);
        for (int s = 0; s < strokes; ++s) {
          const bool tall = draw.Between(0, 4) == 0;
          const Int32 height = tall ? 22 : 15;
          ink(x + s * (width - stroke) / std::max(1, strokes - 1), base - height, stroke, height);
        }
        if (draw.Between(0, 2) == 0) ink(x, base - 15 + draw.Between(0, 12), width, stroke);
        x += width + 3;
      }
      x += draw.Between(10, 16);
    }
  }
  return page;
}

std::vector<UInt8> PhotoLikeFile(UInt32 seed) {
  TempDir dir;
  const std::string out = dir.File("photo.png");
  // Clouds of shade, light falling off across the page, and a few objects
  // with soft straight and round edges.
  if (!Run("convert -seed " + std::to_string(seed) +
           " -size 300x225 plasma:fractal -colorspace Gray -resize 400%"
           " \\( -size 1200x900 gradient:white-gray60 \\) -compose Multiply -composite"
           " -fill gray25 -draw 'circle 300,320 420,400' -fill gray85"
           " -draw 'rectangle 700,180 1010,610' -fill gray40 -draw 'polygon 80,800 500,620 560,860'"
           " -blur 0x2 -attenuate 0.3 +noise Gaussian " +
           out)) {
    return {};
  }
  return ReadFile(out);
}

}  // namespace vexo::test
