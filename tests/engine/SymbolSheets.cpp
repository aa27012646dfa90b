#include "tests/engine/SymbolSheets.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>

#include "tests/engine/EngineTestSupport.h"

namespace vexo::test {
namespace {

constexpr Int32 kGap = 64;     // paper between neighbouring cells, pixels
constexpr Int32 kMargin = 40;  // paper around the grid
constexpr double kScale = 1;   // zint scale 1: 2-pixel modules

struct SymbolKind {
  const char* zintArgs;
  const char* format;  // printf format of the content, from the symbol's index
  UInt32 code;
  UInt32 codeMask;
};

// QR Code, Datamatrix, Code 128, EAN-13, PDF417, Aztec Code: the order the
// mixed sheet takes them in.
constexpr std::array<SymbolKind, 6> kKinds{{
    {"QRCODE", "SHEET QR %04d", 0x08000300, 0xFFFFFF00},
    {"DATAMATRIX", "DM%04d", 0x10000100, 0xFFFFFF00},
    {"CODE128 --height=20", "C%04d", 0x80000020, 0xFFFFFFFF},
    {"EANX", "5901234%05d", 0x80000001, 0xFFFFFFFF},
    {"PDF417 --cols=2", "PDF %04d", 0x20002000, 0xFFFFFFFF},
    {"AZTEC", "AZTEC %04d", 0x21000000, 0xFFFFFFFF},
}};

std::string Formatted(const char* format, int index) {
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), format, index);
  return text.data();
}

// EAN-13 reports its check digit: weights 1 and 3 from the left, modulo 10.
std::string WithCheckDigit(const std::string& digits) {
  int sum = 0;
  for (std::size_t i = 0; i < digits.size(); ++i) sum += (digits[i] - '0') * (i % 2 == 0 ? 1 : 3);
  return digits + static_cast<char>('0' + (10 - sum % 10) % 10);
}

std::size_t KindOf(SheetKind kind, Int32 column, Int32 row) {
  switch (kind) {
    case SheetKind::kQrSheet:
      return 0;
    case SheetKind::kDataMatrixSheet:
      return 1;
    case SheetKind::kCode128Sheet:
      return 2;
    case SheetKind::kMixedSheet:
      break;
  }
  return static_cast<std::size_t>(column + row) % kKinds.size();
}

}  // namespace

Sheet MakeSheet(SheetKind kind, Int32 columns, Int32 rows, Int32 jitter) {
  // Each kind's symbols drawn by one zint run.
  std::array<std::vector<std::string>, kKinds.size()> contents;
  std::vector<std::pair<std::size_t, std::size_t>> slots;  // kind, index among its kind
  for (Int32 i = 0; i < columns * rows; ++i) {
    const std::size_t k = KindOf(kind, i % columns, i / columns);
    slots.emplace_back(k, contents[k].size());
    contents[k].push_back(Formatted(kKinds[k].format, i));
  }
  std::array<std::vector<Gray>, kKinds.size()> drawn;
  Int32 cellWidth = 0, cellHeight = 0;
  for (std::size_t k = 0; k < kKinds.size(); ++k) {
    if (contents[k].empty()) continue;
    drawn[k] = DrawSymbols(kKinds[k].zintArgs, contents[k], kScale);
    for (const Gray& symbol : drawn[k]) {
      cellWidth = std::max(cellWidth, symbol.width + kGap);
      cellHeight = std::max(cellHeight, symbol.height + kGap);
    }
  }
  Sheet sheet{Gray::White(2 * kMargin + columns * cellWidth, 2 * kMargin + rows * cellHeight), {}};
  std::mt19937 random(7);
  std::uniform_int_distribution<Int32> shift(-jitter, jitter);
  for (Int32 i = 0; i < columns * rows; ++i) {
    const auto [k, n] = slots[static_cast<std::size_t>(i)];
    if (n >= drawn[k].size()) return sheet;  // zint failed: already reported
    const Gray& symbol = drawn[k][n];
    const Int32 x =
        kMargin + i % columns * cellWidth + (cellWidth - symbol.width) / 2 + shift(random);
    const Int32 y =
        kMargin + i / columns * cellHeight + (cellHeight - symbol.height) / 2 + shift(random);
    Place(sheet.page, symbol, x, y);
    std::string content = contents[k][n];
    if (kKinds[k].code == 0x80000001) content = WithCheckDigit(content);
    sheet.symbols.push_back({content,
                             kKinds[k].code,
                             kKinds[k].codeMask,
                             {x + symbol.width / 2.0, y + symbol.height / 2.0},
                             static_cast<double>(std::max(symbol.width, symbol.height))});
  }
  return sheet;
}

Sheet TurnedSheet(const Sheet& sheet, double degrees) {
  Sheet turned{TurnedBy(sheet.page, degrees), sheet.symbols};
  // ImageMagick turns about the centre and grows the canvas around it; with y
  // pointing down a clockwise turn is the usual rotation matrix.
  const double a = degrees * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
  const double cx = sheet.page.width / 2.0, cy = sheet.page.height / 2.0;
  const double nx = turned.page.width / 2.0, ny = turned.page.height / 2.0;
  for (SheetSymbol& symbol : turned.symbols) {
    const double dx = symbol.centre.x - cx, dy = symbol.centre.y - cy;
    symbol.centre = {nx + dx * c - dy * s, ny + dx * s + dy * c};
  }
  return turned;
}

}  // namespace vexo::test
