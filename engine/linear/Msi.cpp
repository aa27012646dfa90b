// MSI Plessey (Modified Plessey): each digit is four bits, most significant
// first; a bit is a bar and a space of three modules together, bar of two
// modules for 1, of one for 0. Start: a 1 bit; stop: a 0 bit and a narrow bar.
// Check digits are optional, in several variants (mod 10, mod 10 twice,
// mod 11 with weights 2-7 or 2-9, mod 11 then mod 10); they stay in the
// content.

#include "engine/linear/Msi.h"

#include <algorithm>

#include "engine/bars/RunTools.h"

namespace vexo::engine {
namespace {

constexpr int kBitsPerDigit = 4;
constexpr int kBitModules = 3;
// A bit's bar covers 1/3 (0) or 2/3 (1) of it; these bounds leave room for
// ink spread and blur and keep a bar of half the bit (neither) out.
constexpr float kZeroMax = 0.45f;
constexpr float kOneMin = 0.55f;
constexpr float kBarMin = 0.12f;
constexpr float kBarMax = 0.88f;
// Every bit has the same width: within this share of the running module.
constexpr float kBitSpread = 0.3f;
// The stop's last bar is one module.
constexpr float kNarrowMin = 0.4f;
constexpr float kNarrowMax = 1.7f;
// Quiet zones of at least this many modules on both sides: a symbol does not
// begin or end inside other marks.
constexpr float kQuietModules = 8;
constexpr std::size_t kMinDigits = 3;
// Without a verifiable check digit.
constexpr std::size_t kMinUncheckedDigits = 4;
constexpr int kMaxDigitValue = 9;
// Where a mod 11 check is 10, it is written as the two digits "10".
constexpr int kMod11Ten = 10;

// 0 or 1 for the bit whose bar is run `bar`, -1 when it is no bit of a
// symbol with this module.
int BitAt(const RunRow& row, std::size_t bar, float module) {
  const float bit = row.widths[bar] + row.widths[bar + 1];
  if (bit < (1 - kBitSpread) * kBitModules * module ||
      bit > (1 + kBitSpread) * kBitModules * module) {
    return -1;
  }
  const float share = row.widths[bar] / bit;
  if (share < kBarMin || share > kBarMax) return -1;
  if (share <= kZeroMax) return 0;
  if (share >= kOneMin) return 1;
  return -1;
}

bool StopAt(const RunRow& row, std::size_t j, float module) {
  if (j + 3 >= row.widths.size() || BitAt(row, j, module) != 0) return false;
  const float last = row.widths[j + 2];
  return last >= kNarrowMin * module && last <= kNarrowMax * module &&
         QuietZone(row, j + 3, kQuietModules * module);
}

bool ReadFrom(const RunRow& row, std::size_t i, std::vector<LineRead>& out, std::size_t& next) {
  const std::size_t count = row.widths.size();
  if (i + 4 >= count) return false;
  float module = (row.widths[i] + row.widths[i + 1]) / kBitModules;
  if (module <= 0 || BitAt(row, i, module) != 1 || !QuietZone(row, i - 1, kQuietModules * module)) {
    return false;
  }
  std::vector<UInt8> digits;
  // Each step reads one digit (eight runs) or the stop; the work is bounded
  // by the number of runs.
  for (std::size_t j = i + 2; j + 3 < count; j += 2 * kBitsPerDigit) {
    if (StopAt(row, j, module)) {
      const bool checked = MsiCheckVerifies(digits);
      if (digits.size() < (checked ? kMinDigits : kMinUncheckedDigits)) return false;
      out.push_back({Symbology::Msi, 0, std::move(digits), row.starts[i],
                     row.starts[j + 2] + row.widths[j + 2], false});
      next = j + 4;
      return true;
    }
    if (j + 2 * kBitsPerDigit >= count) return false;
    int value = 0;
    for (int b = 0; b < kBitsPerDigit; ++b) {
      const int bit = BitAt(row, j + 2 * static_cast<std::size_t>(b), module);
      if (bit < 0) return false;
      value = value << 1 | bit;
    }
    if (value > kMaxDigitValue) return false;
    digits.push_back(static_cast<UInt8>('0' + value));
    // Follow a gradual change of scale (a symbol seen in perspective).
    module =
        0.5f * module + 0.5f * SumOf(row, j, 2 * kBitsPerDigit) / (kBitsPerDigit * kBitModules);
  }
  return false;
}

void ReadForward(const RunRow& row, std::vector<LineRead>& out) {
  ReadAtEveryBar(row, out, ReadFrom);
}

int Value(UInt8 digit) { return digit - '0'; }

// The mod 10 check digit: digits in odd places from the right doubled, the
// digits of all products and of the other places summed.
int Mod10(const UInt8* digits, std::size_t count) {
  int sum = 0;
  bool doubled = true;
  for (std::size_t k = count; k-- > 0; doubled = !doubled) {
    const int v = doubled ? 2 * Value(digits[k]) : Value(digits[k]);
    sum += v / 10 + v % 10;
  }
  return (10 - sum % 10) % 10;
}

// The mod 11 check: weights 2, 3, ... maxWeight, 2, ... from the right.
int Mod11(const UInt8* digits, std::size_t count, int maxWeight) {
  int sum = 0, weight = 2;
  for (std::size_t k = count; k-- > 0;) {
    sum += weight * Value(digits[k]);
    weight = weight == maxWeight ? 2 : weight + 1;
  }
  return (11 - sum % 11) % 11;
}

// The data before a mod 11 check at the end: its length, or 0 when the end
// holds no such check.
std::size_t Mod11Data(const UInt8* digits, std::size_t count, int maxWeight) {
  if (count >= 2 && Mod11(digits, count - 1, maxWeight) == Value(digits[count - 1]) &&
      Value(digits[count - 1]) != kMod11Ten) {
    return count - 1;
  }
  if (count >= 3 && Mod11(digits, count - 2, maxWeight) == kMod11Ten && digits[count - 2] == '1' &&
      digits[count - 1] == '0') {
    return count - 2;
  }
  return 0;
}

}  // namespace

void ReadMsi(const RunRow& row, std::vector<LineRead>& out) { ReadBothWays(row, out, ReadForward); }

bool MsiCheckVerifies(const std::vector<UInt8>& digits) {
  const UInt8* d = digits.data();
  const std::size_t n = digits.size();
  if (n < 2) return false;
  const bool mod10 = Mod10(d, n - 1) == Value(d[n - 1]);
  if (mod10) return true;  // mod 10, and mod 10 twice, whose last digit is a mod 10 too
  for (const int maxWeight : {7, 9}) {
    if (Mod11Data(d, n, maxWeight) > 0) return true;
  }
  return false;
}

}  // namespace vexo::engine
