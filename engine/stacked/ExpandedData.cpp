// GS1 DataBar Expanded data (ISO/IEC 24724): encodation methods and the
// general-purpose data modes.
#include "engine/stacked/ExpandedData.h"

#include <vector>

namespace vexo::engine::databar {
namespace {

constexpr char kFnc1 = '\x1D';
constexpr Int32 kCharacterBits = 12;
constexpr Int32 kGtinGroups = 4;  // 10-bit groups of three digits
constexpr Int32 kNoDate = 38400;

class Bits {
 public:
  explicit Bits(std::span<const Int32> characters) {
    for (Int32 c : characters) {
      for (Int32 b = kCharacterBits - 1; b >= 0; --b) bits_.push_back((c >> b & 1) != 0);
    }
  }
  Int32 Left() const { return static_cast<Int32>(bits_.size()) - at_; }
  // The next `count` bits as a number, without taking them; 0 past the end.
  Int32 Peek(Int32 count) const {
    Int32 value = 0;
    for (Int32 i = 0; i < count; ++i) {
      const Int32 at = at_ + i;
      value =
          value << 1 | (at < static_cast<Int32>(bits_.size()) && bits_[std::size_t(at)] ? 1 : 0);
    }
    return value;
  }
  Int32 Take(Int32 count) {
    const Int32 value = Peek(count);
    at_ += count;
    return value;
  }

 private:
  std::vector<bool> bits_;
  Int32 at_ = 0;
};

void AppendNumber(std::string& out, Int32 value, Int32 digits) {
  std::string text(static_cast<std::size_t>(digits), '0');
  for (Int32 i = digits - 1; i >= 0 && value > 0; --i, value /= 10) {
    text[std::size_t(i)] = static_cast<char>('0' + value % 10);
  }
  out += text;
}

// "01" and the GTIN: `first` digit, twelve digits in four 10-bit groups, the
// check digit.
bool AppendGtin(Bits& bits, Int32 first, std::string& out) {
  std::string digits(1, static_cast<char>('0' + first));
  for (Int32 g = 0; g < kGtinGroups; ++g) {
    const Int32 group = bits.Take(10);
    if (group > 999) return false;
    AppendNumber(digits, group, 3);
  }
  Int32 sum = 0;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    sum += (digits[digits.size() - 1 - i] - '0') * (i % 2 == 0 ? 3 : 1);
  }
  out += "01" + digits + static_cast<char>('0' + (10 - sum % 10) % 10);
  return true;
}

// General-purpose data from the current bit to the end.
bool AppendGeneral(Bits& bits, std::string& out) {
  enum class Mode { Numeric, Alphanumeric, Iso } mode = Mode::Numeric;
  while (true) {
    if (mode == Mode::Numeric) {
      if (bits.Left() < 7) {
        // A last single digit takes four bits (digit + 1); 0 latches away.
        if (bits.Left() >= 4) {
          const Int32 v = bits.Take(4);
          if (v > 10) return false;
          if (v > 0) out += static_cast<char>('0' + v - 1);
        }
        return true;
      }
      if (bits.Peek(4) == 0) {
        bits.Take(4);
        mode = Mode::Alphanumeric;
        continue;
      }
      const Int32 v = bits.Take(7) - 8;
      const Int32 first = v / 11, second = v % 11;
      if (first == 10 && second == 10) return false;
      out += first == 10 ? kFnc1 : static_cast<char>('0' + first);
      out += second == 10 ? kFnc1 : static_cast<char>('0' + second);
      continue;
    }
    if (bits.Left() < 5) return true;  // padding
    if (bits.Peek(3) == 0) {
      bits.Take(3);
      mode = Mode::Numeric;
      continue;
    }
    const Int32 five = bits.Peek(5);
    if (five == 4) {
      bits.Take(5);
      mode = mode == Mode::Alphanumeric ? Mode::Iso : Mode::Alphanumeric;
      continue;
    }
    if (five >= 5 && five <= 15) {
      bits.Take(5);
      if (five == 15) {
        out += kFnc1;
        mode = Mode::Numeric;
      } else {
        out += static_cast<char>('0' + five - 5);
      }
      continue;
    }
    if (mode == Mode::Alphanumeric) {
      if (bits.Left() < 6) return true;
      const Int32 six = bits.Take(6);
      static constexpr char kPunctuation[] = "*,-./";
      if (six >= 32 && six <= 57) {
        out += static_cast<char>('A' + six - 32);
      } else if (six >= 58 && six <= 62) {
        out += kPunctuation[six - 58];
      } else {
        return false;
      }
      continue;
    }
    if (bits.Left() < 7) return true;
    const Int32 seven = bits.Peek(7);
    if (seven >= 64 && seven <= 89) {
      bits.Take(7);
      out += static_cast<char>('A' + seven - 64);
    } else if (seven >= 90 && seven <= 115) {
      bits.Take(7);
      out += static_cast<char>('a' + seven - 90);
    } else {
      if (bits.Left() < 8) return true;
      static constexpr char kIsoPunctuation[] = "!\"%&'()*+,-./:;<=>?_ ";
      const Int32 eight = bits.Take(8);
      if (eight < 232 || eight > 252) return false;
      out += kIsoPunctuation[eight - 232];
    }
  }
}

// A weight with its decimal-point digit, and a date unless the field says
// none: the methods that compress (01), (310x) or (320x), and (11) to (17).
bool AppendWeightAndDate(Bits& bits, Int32 method, std::string& out) {
  if (!AppendGtin(bits, 9, out)) return false;
  const Int32 weight = bits.Take(20);
  const Int32 date = bits.Take(16);
  if (weight > 999999) return false;
  out += (method & 1) == 0 ? "310" : "320";
  AppendNumber(out, weight / 100000, 1);
  AppendNumber(out, weight % 100000, 6);
  if (date != kNoDate) {
    static constexpr const char* kDateIds[] = {"11", "13", "15", "17"};
    const Int32 day = date % 32, month = date / 32 % 12 + 1, year = date / 384;
    if (year > 99) return false;
    out += kDateIds[method >> 1 & 3];
    AppendNumber(out, year, 2);
    AppendNumber(out, month, 2);
    AppendNumber(out, day, 2);
  }
  return true;
}

bool Decode(Bits& bits, std::string& out) {
  bits.Take(1);             // the linkage flag: a two-dimensional component may follow
  if (bits.Peek(1) == 1) {  // "1": (01) and general-purpose data
    bits.Take(1 + 2);       // the method, the variable length field
    return AppendGtin(bits, bits.Take(4), out) && AppendGeneral(bits, out);
  }
  if (bits.Peek(2) == 0) {  // "00": general-purpose data only
    bits.Take(2 + 2);
    return AppendGeneral(bits, out);
  }
  const Int32 four = bits.Peek(4);
  if (four == 0b0100 || four == 0b0101) {  // (01) with a weight of 15 bits
    bits.Take(4);
    if (!AppendGtin(bits, 9, out)) return false;
    const Int32 weight = bits.Take(15);
    if (four == 0b0100) {
      out += "3103";
      AppendNumber(out, weight, 6);
    } else {
      out += weight < 10000 ? "3202" : "3203";
      AppendNumber(out, weight < 10000 ? weight : weight - 10000, 6);
    }
    return bits.Left() >= 0;
  }
  const Int32 five = bits.Peek(5);
  if (five == 0b01100 || five == 0b01101) {  // (01), (392x) or (393x) and more
    bits.Take(5 + 2);
    if (!AppendGtin(bits, 9, out)) return false;
    const Int32 decimals = bits.Take(2);
    out += five == 0b01100 ? "392" : "393";
    AppendNumber(out, decimals, 1);
    if (five == 0b01101) {
      const Int32 currency = bits.Take(10);
      if (currency > 999) return false;
      AppendNumber(out, currency, 3);
    }
    return AppendGeneral(bits, out);
  }
  const Int32 seven = bits.Take(7);
  if (seven >> 3 != 0b0111) return false;
  return AppendWeightAndDate(bits, seven & 7, out);
}

}  // namespace

std::optional<std::string> ExpandedElementString(std::span<const Int32> characters) {
  Bits bits(characters);
  std::string out;
  if (!Decode(bits, out) || bits.Left() < 0) return std::nullopt;
  while (!out.empty() && out.back() == kFnc1) out.pop_back();
  if (out.empty() || out.front() == kFnc1) return std::nullopt;
  return out;
}

}  // namespace vexo::engine::databar
