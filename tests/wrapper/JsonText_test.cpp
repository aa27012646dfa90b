#include "wrapper/JsonText.h"

#include <gtest/gtest.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "wrapper/Base64.h"

namespace vexo {
namespace {

std::string Number(double value) {
  std::string out;
  AppendJsonDouble(out, value);
  return out;
}

std::string WriterNumber(double value) {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  writer.Double(value);
  return buffer.GetString();
}

// Built without the code under test: the fewest printf digits that read back,
// as fixed decimals, as an integer padded with zeros, or in exponent form.
std::string ReferenceNumber(double value) {
  if (value == 0) return std::signbit(value) ? "-0.0" : "0.0";
  char sci[64];
  int precision = 1;
  do {
    std::snprintf(sci, sizeof sci, "%.*e", precision - 1, value);
  } while (std::strtod(sci, nullptr) != value && ++precision);
  char* e = std::strchr(sci, 'e');
  const int exponent = std::atoi(e + 1);
  *e = '\0';
  if (exponent < -6 || exponent > 20) return std::string(sci) + "e" + std::to_string(exponent);
  char fixed[400];
  std::snprintf(fixed, sizeof fixed, "%.*f", std::max(precision - 1 - exponent, 0), value);
  if (exponent < precision - 1) return fixed;
  std::string text = sci;
  std::erase(text, '.');
  return text + std::string(exponent + 1 - precision, '0') + ".0";
}

void ExpectRoundTripAndReference(double value) {
  const std::string text = Number(value);
  ASSERT_EQ(std::bit_cast<std::uint64_t>(std::strtod(text.c_str(), nullptr)),
            std::bit_cast<std::uint64_t>(value))
      << text;
  ASSERT_EQ(text, ReferenceNumber(value));
}

TEST(JsonNumber, LayoutMatchesTheWriter) {
  const struct {
    double value;
    const char* text;
  } cases[] = {{72.0, "72.0"},
               {0.0, "0.0"},
               {-0.0, "-0.0"},
               {-0.25, "-0.25"},
               {36.5, "36.5"},
               {0.1, "0.1"},
               {1e-6, "0.000001"},
               {1.5e-6, "0.0000015"},
               {123456789012.0, "123456789012.0"},
               {1e20, "100000000000000000000.0"},
               {9.5e20, "950000000000000000000.0"},
               {1e-7, "1e-7"},
               {1.2345e-10, "1.2345e-10"},
               {1e21, "1e21"},
               {1.5e21, "1.5e21"},
               {-3e25, "-3e25"},
               {1e100, "1e100"},
               {5e-324, "5e-324"},
               {1.7976931348623157e308, "1.7976931348623157e308"}};
  for (const auto& c : cases) {
    EXPECT_EQ(Number(c.value), c.text);
    EXPECT_EQ(WriterNumber(c.value), c.text);
  }
  // The closest shortest digits; the writer's own digits end in 3 here.
  EXPECT_EQ(Number((1.0 / 300.0) * 72.0), "0.24000000000000002");
  EXPECT_EQ(Number(INFINITY), "null");
  EXPECT_EQ(Number(NAN), "null");
}

TEST(JsonNumber, RandomValuesRoundTripAndMatchReference) {
  std::mt19937_64 random(20240611);
  for (int i = 0; i < 100000; ++i) {
    const double value = std::bit_cast<double>(random());
    if (std::isfinite(value)) ExpectRoundTripAndReference(value);
  }
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  for (int exponent = -9; exponent <= 23; ++exponent) {  // around both layout limits
    for (int i = 0; i < 2000; ++i)
      ExpectRoundTripAndReference(mantissa(random) * std::pow(10.0, exponent));
  }
  for (const int dpi : {1, 72, 96, 150, 200, 240, 300, 400, 600, 1200}) {
    for (int pixels = -3000; pixels <= 30000; pixels += 7) {
      ExpectRoundTripAndReference(static_cast<double>(pixels) / dpi * 72.0);
    }
  }
  for (int angle = -36000; angle <= 36000; ++angle) ExpectRoundTripAndReference(angle / 100.0);
}

TEST(JsonString, EscapesLikeTheWriter) {
  const struct {
    std::string bytes;
    const char* text;
  } cases[] = {{"", R"("")"},
               {"a\"b\\c", R"("a\"b\\c")"},
               {"\b\t\n\f\r", R"("\b\t\n\f\r")"},
               {std::string("\x0B\x01\x1F\0", 4), R"("\u000B\u0001\u001F\u0000")"},
               {"/\x7F\x80\xFF", "\"/\x7F\x80\xFF\""}};
  for (const auto& c : cases) {
    std::string out = "x";
    AppendJsonString(out, c.bytes.data(), c.bytes.size());
    EXPECT_EQ(out, std::string("x") + c.text);
  }
}

TEST(Base64, EncodesWithPadding) {
  const struct {
    std::string bytes;
    const char* text;
  } cases[] = {{"", ""},
               {"f", "Zg=="},
               {"fo", "Zm8="},
               {"foo", "Zm9v"},
               {"foob", "Zm9vYg=="},
               {"fooba", "Zm9vYmE="},
               {"foobar", "Zm9vYmFy"},
               {std::string("\0A", 2), "AEE="},
               {"\xFB\xFF\xBF", "+/+/"},
               {"\xFF\xFF", "//8="}};
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeBase64(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size()),
              c.text);
  }
}

}  // namespace
}  // namespace vexo
