// Australia Post 4-state customer barcodes, as Australia Post's customer
// barcoding standard describes them. Bars have the values 0
// (full), 1 (ascender), 2 (descender) and 3 (tracker). A symbol is: start bars
// 1 3; the format control code (two digits, N table); the delivery point
// identifier (eight digits, N table); for customer barcodes 2 and 3 the
// customer information field (N or C table); filler bars (3) up to a whole
// number of 3-bar symbols; four Reed-Solomon parity symbols over GF(64), each
// three bars read as a base-4 number, first bar highest; stop bars 1 3.
#include "engine/postal/AustraliaPost.h"

#include <algorithm>
#include <array>

#include "engine/postal/ReedSolomon64.h"

namespace vexo::engine {
namespace {

constexpr UInt8 kFiller = 3;
constexpr std::array<UInt8, 2> kStartStop{1, 3};
constexpr std::size_t kParitySymbols = 4;
constexpr std::size_t kBarsPerSymbol = 3;
constexpr std::size_t kFccBars = 4;
constexpr std::size_t kDpidDigits = 8;

// The format control codes and the bar count of their symbols.
struct Format {
  Int32 fcc;
  std::size_t bars;
  bool customerField;  // else one filler bar before the parity
};
constexpr std::array<Format, 6> kFormats{{
    {11, 37, false},  // standard customer barcode
    {45, 37, false},  // reply paid
    {59, 52, true},   // customer barcode 2: 16 bars of customer information
    {62, 67, true},   // customer barcode 3: 31 bars of customer information
    {87, 37, false},  // routing
    {92, 37, false},  // redirection
}};

// N table: digit d is the bar pair (d / 3, d % 3), and 9 is (3, 0). -1 for a
// pair that is no digit.
Int32 NDigit(UInt8 first, UInt8 second) {
  if (first == 3) return second == 0 ? 9 : -1;
  if (second == 3) return -1;
  return first * 3 + second;
}

// C table: A-Z then 0-9 are the triples whose second and third bars are 0 to
// 2, in counting order (first bar 0 to 3, then second, then third); space, #
// and a-z are the remaining 28 triples, in the same order.
constexpr char kCharactersWithoutThree[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr char kCharactersWithThree[] = " #abcdefghijklmnopqrstuvwxyz";
constexpr std::array<char, 64> kCTable = [] {
  std::array<char, 64> table{};
  std::size_t plain = 0, withThree = 0;
  for (std::size_t value = 0; value < table.size(); ++value) {
    const bool three = (value & 3) == 3 || ((value >> 2) & 3) == 3;
    table[value] = three ? kCharactersWithThree[withThree++] : kCharactersWithoutThree[plain++];
  }
  return table;
}();

// Digits with the N table up to the filler; false when a pair is no digit or
// anything but filler follows the filler. `filler` counts the filler bars.
bool ReadN(std::span<const UInt8> values, std::vector<UInt8>& text, std::size_t& filler) {
  text.clear();
  std::size_t i = 0;
  for (; i + 1 < values.size(); i += 2) {
    if (values[i] == kFiller && values[i + 1] == kFiller) break;
    const Int32 digit = NDigit(values[i], values[i + 1]);
    if (digit < 0) return false;
    text.push_back(static_cast<UInt8>('0' + digit));
  }
  filler = values.size() - i;
  return std::all_of(values.begin() + static_cast<std::ptrdiff_t>(i), values.end(),
                     [](UInt8 v) { return v == kFiller; });
}

// Characters with the C table; trailing filler (a triple of filler bars
// included) is not content.
bool ReadC(std::span<const UInt8> values, std::vector<UInt8>& text, std::size_t& filler) {
  std::size_t end = values.size() - values.size() % kBarsPerSymbol;
  if (!std::all_of(values.begin() + static_cast<std::ptrdiff_t>(end), values.end(),
                   [](UInt8 v) { return v == kFiller; })) {
    return false;
  }
  while (end >= kBarsPerSymbol && values[end - 1] == kFiller && values[end - 2] == kFiller &&
         values[end - 3] == kFiller) {
    end -= kBarsPerSymbol;
  }
  text.clear();
  for (std::size_t i = 0; i < end; i += kBarsPerSymbol) {
    text.push_back(static_cast<UInt8>(kCTable[values[i] * 16 + values[i + 1] * 4 + values[i + 2]]));
  }
  filler = values.size() - end;
  return true;
}

}  // namespace

bool ReadCustomerField(std::span<const UInt8> values, std::vector<UInt8>& text) {
  std::vector<UInt8> read;
  std::size_t filler = 0;
  // Digits to the end of the field (a last odd bar is filler) are N;
  // anything else is C, as the encoders do it.
  if ((!ReadN(values, read, filler) || filler >= 2) && !ReadC(values, read, filler)) return false;
  text = std::move(read);
  return true;
}

bool DecodeAustraliaPost(std::span<const BarState> bars, std::vector<UInt8>& content) {
  const std::size_t count = bars.size();
  if (std::none_of(kFormats.begin(), kFormats.end(),
                   [&](const Format& f) { return f.bars == count; })) {
    return false;
  }
  std::vector<UInt8> values(count);
  std::transform(bars.begin(), bars.end(), values.begin(),
                 [](BarState s) { return static_cast<UInt8>(s); });
  if (!std::equal(kStartStop.begin(), kStartStop.end(), values.begin()) ||
      !std::equal(kStartStop.begin(), kStartStop.end(), values.end() - 2)) {
    return false;
  }
  // Everything between start and stop, three bars to a symbol.
  const std::size_t symbolCount = (count - 4) / kBarsPerSymbol;
  std::array<UInt8, kGf64Size> symbols{};
  for (std::size_t i = 0; i < symbolCount; ++i) {
    const UInt8* bar = &values[2 + i * kBarsPerSymbol];
    symbols[i] = static_cast<UInt8>(bar[0] * 16 + bar[1] * 4 + bar[2]);
  }
  if (!Gf64Correct({symbols.data(), symbolCount}, kParitySymbols)) return false;
  for (std::size_t i = 0; i < symbolCount; ++i) {
    UInt8* bar = &values[2 + i * kBarsPerSymbol];
    bar[0] = symbols[i] >> 4;
    bar[1] = (symbols[i] >> 2) & 3;
    bar[2] = symbols[i] & 3;
  }

  const Int32 fccHigh = NDigit(values[2], values[3]), fccLow = NDigit(values[4], values[5]);
  if (fccHigh < 0 || fccLow < 0) return false;
  const Int32 fcc = fccHigh * 10 + fccLow;
  const auto format = std::find_if(kFormats.begin(), kFormats.end(), [&](const Format& f) {
    return f.fcc == fcc && f.bars == count;
  });
  if (format == kFormats.end()) return false;
  std::vector<UInt8> text;
  const std::size_t dpidStart = 2 + kFccBars;
  for (std::size_t d = 0; d < kDpidDigits; ++d) {
    const Int32 digit = NDigit(values[dpidStart + 2 * d], values[dpidStart + 2 * d + 1]);
    if (digit < 0) return false;
    text.push_back(static_cast<UInt8>('0' + digit));
  }
  const std::size_t fieldStart = dpidStart + 2 * kDpidDigits;
  const std::size_t fieldEnd = count - 2 - kParitySymbols * kBarsPerSymbol;
  const std::span<const UInt8> field(values.data() + fieldStart, fieldEnd - fieldStart);
  std::vector<UInt8> customer;
  if (!format->customerField) {
    if (std::any_of(field.begin(), field.end(), [](UInt8 v) { return v != kFiller; })) return false;
  } else if (!ReadCustomerField(field, customer)) {
    return false;
  }
  text.insert(text.end(), customer.begin(), customer.end());
  content = std::move(text);
  return true;
}

}  // namespace vexo::engine
