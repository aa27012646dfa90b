#include "wrapper/JsonText.h"

#include <rapidjson/writer.h>

#include <charconv>
#include <cmath>
#include <limits>

namespace vexo {
namespace {

// RapidJSON output stream that appends to a std::string.
class AppendStream {
 public:
  using Ch = char;
  explicit AppendStream(std::string& target) : out(target) {}
  void Put(char c) { out.push_back(c); }
  void Flush() {}

 private:
  std::string& out;
};

// Plain decimals are used while the decimal exponent of the leading digit is
// in [kLowestPlainExponent, kHighestPlainExponent]: 1e-6 <= |v| < 1e21.
constexpr int kLowestPlainExponent = -6;
constexpr int kHighestPlainExponent = 20;

void AppendExponent(std::string& out, int exponent) {
  char digits[8];
  const auto result = std::to_chars(digits, digits + sizeof digits, exponent);
  out.append(digits, result.ptr);
}

}  // namespace

void AppendJsonString(std::string& out, const char* bytes, std::size_t length) {
  AppendStream stream(out);
  rapidjson::Writer<AppendStream> writer(stream);
  writer.String(bytes, static_cast<rapidjson::SizeType>(length));
}

void AppendJsonDouble(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  // Scientific form gives the shortest round-trip digits and their exponent:
  // "[-]d[.ddd]e(+|-)xx".
  char text[std::numeric_limits<double>::max_digits10 + 16];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific);
  const char* cursor = text;
  const char* const end = result.ptr;
  if (*cursor == '-') {
    out.push_back('-');
    ++cursor;
  }
  std::string digits;
  for (; cursor != end && *cursor != 'e'; ++cursor) {
    if (*cursor != '.') digits.push_back(*cursor);
  }
  // After 'e': a sign and at least two digits.
  const bool negativeExponent = cursor[1] == '-';
  int exponent = 0;
  std::from_chars(cursor + 2, end, exponent);
  if (negativeExponent) exponent = -exponent;
  const int length = static_cast<int>(digits.size());

  if (exponent >= kLowestPlainExponent && exponent <= kHighestPlainExponent) {
    if (exponent < 0) {
      // 0.000ddd
      out += "0.";
      out.append(static_cast<std::size_t>(-exponent - 1), '0');
      out += digits;
    } else if (exponent + 1 >= length) {
      // An integer: pad with zeros up to the decimal point, then ".0".
      out += digits;
      out.append(static_cast<std::size_t>(exponent + 1 - length), '0');
      out += ".0";
    } else {
      const auto pointAt = static_cast<std::size_t>(exponent + 1);
      out.append(digits, 0, pointAt);
      out.push_back('.');
      out.append(digits, pointAt);
    }
    return;
  }
  // Exponent form: "de-7", "d.ddde21", no '+' and no leading zeros.
  out.push_back(digits[0]);
  if (length > 1) {
    out.push_back('.');
    out.append(digits, 1);
  }
  out.push_back('e');
  AppendExponent(out, exponent);
}

}  // namespace vexo
