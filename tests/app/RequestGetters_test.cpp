// The typed member getters on parsed documents: return values, untouched
// outputs and the messages of each fault.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "app/RequestDocument.h"
#include "tests/app/TestSupport.h"

namespace vexo {
namespace {

rapidjson::Document ParseJson(const char* text) {
  // The parser scans 16 bytes at a time: give it zero padding to read.
  std::string padded = text;
  padded.append(16, '\0');
  rapidjson::Document document;
  document.Parse(padded.c_str());
  EXPECT_FALSE(document.HasParseError()) << text;
  return document;
}

std::string FailureOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "";
}

struct GetterCase {
  const char* name;
  const char* json;
  // Calls one getter on the document's root; returns its result as text.
  std::function<std::string(const rapidjson::Value&)> call;
  const char* expected;  // the result text, or the failure message
};

std::string IntText(const rapidjson::Value& root, const char* key, bool optional) {
  Int32 out = -7;
  const bool found = GetPositiveInt(root, key, out, optional);
  return (found ? "true " : "false ") + std::to_string(out);
}

std::string UIntText(const rapidjson::Value& root, const char* key) {
  UInt32 out = 7;
  const bool found = GetUInt(root, key, out);
  return (found ? "true " : "false ") + std::to_string(out);
}

std::string StringText(const rapidjson::Value& root, const char* key, bool optional) {
  std::string_view out = "untouched";
  const bool found = GetString(root, key, out, optional);
  return std::string(found ? "true " : "false ") + (out.data() == nullptr ? "null" : "[") +
         std::string(out) + (out.data() == nullptr ? "" : "]");
}

std::string DoubleText(const rapidjson::Value& root, const char* key) {
  double out = -1.0;
  GetPositiveDouble(root, key, out);
  return std::to_string(out);
}

std::string UTF16Length(const rapidjson::Value& root, const char* key) {
  WideString out = u"untouched";
  GetUTF16String(root, key, out);
  return std::to_string(out.size());
}

class Getter : public testing::TestWithParam<GetterCase> {};

TEST_P(Getter, ReturnsOrThrows) {
  const rapidjson::Document document = ParseJson(GetParam().json);
  std::string result;
  const std::string failure = FailureOf([&] { result = GetParam().call(document); });
  EXPECT_EQ(failure.empty() ? result : failure, GetParam().expected);
}

const GetterCase kGetterCases[] = {
    {"IntPresent", R"({"k":42})", [](auto& r) { return IntText(r, "k", false); }, "true 42"},
    {"IntLargest", R"({"k":2147483647})", [](auto& r) { return IntText(r, "k", false); },
     "true 2147483647"},
    {"IntOptionalAbsentLeavesOut", R"({})", [](auto& r) { return IntText(r, "k", true); },
     "false -7"},
    {"IntRequiredAbsent", R"({})", [](auto& r) { return IntText(r, "k", false); },
     "Malformed input JSON: \"k\" entry is missing"},
    {"IntMinimum", R"({"k":-2147483648})", [](auto& r) { return IntText(r, "k", true); },
     "Malformed input JSON: \"k\" cannot be 0 or negative"},
    {"IntFirstOccurrence", R"({"k":3,"k":4})", [](auto& r) { return IntText(r, "k", true); },
     "true 3"},
    {"UIntLargest", R"({"k":4294967295})", [](auto& r) { return UIntText(r, "k"); },
     "true 4294967295"},
    {"UIntZero", R"({"k":0})", [](auto& r) { return UIntText(r, "k"); }, "true 0"},
    {"UIntAbsentLeavesOut", R"({"K":1})", [](auto& r) { return UIntText(r, "k"); }, "false 7"},
    {"UIntString", R"({"k":"1"})", [](auto& r) { return UIntText(r, "k"); },
     "Malformed input JSON: \"k\" has wrong type"},
    {"StringBytes", R"({"k":"a\"b"})", [](auto& r) { return StringText(r, "k", false); },
     "true [a\"b]"},
    {"StringEmptyIsNull", R"({"k":""})", [](auto& r) { return StringText(r, "k", false); },
     "true null"},
    {"StringOptionalAbsent", R"({})", [](auto& r) { return StringText(r, "k", true); },
     "false [untouched]"},
    {"StringRequiredAbsent", R"({})", [](auto& r) { return StringText(r, "k", false); },
     "Malformed input JSON: \"k\" entry is missing"},
    {"StringNumber", R"({"k":1})", [](auto& r) { return StringText(r, "k", true); },
     "Malformed input JSON: \"k\" has wrong type"},
    {"DoubleValue", R"({"k":"0.25"})", [](auto& r) { return DoubleText(r, "k"); }, "0.250000"},
    {"DoubleAbsent", R"({})", [](auto& r) { return DoubleText(r, "k"); },
     "Malformed input JSON: \"k\" entry is missing"},
    {"DoubleHexadecimal", R"({"k":"0x10"})", [](auto& r) { return DoubleText(r, "k"); },
     "Malformed input JSON: \"k\" has wrong format"},
    {"DoubleInfinity", R"({"k":"inf"})", [](auto& r) { return DoubleText(r, "k"); },
     "Malformed input JSON: \"k\" has wrong format"},
    {"DoubleNegativeZero", R"({"k":"-0.0"})", [](auto& r) { return DoubleText(r, "k"); },
     "Malformed input JSON: \"k\" cannot be 0 or negative"},
    {"UTF16Empty", R"({"k":""})", [](auto& r) { return UTF16Length(r, "k"); }, "0"},
    // A zero character would cut the path the system opens.
    {"UTF16ZeroInside", R"({"k":"ab\u0000cd"})", [](auto& r) { return UTF16Length(r, "k"); },
     "Malformed input JSON: \"k\" has wrong format"},
    {"UTF16StartsWithZero", R"({"k":"\u0000cd"})", [](auto& r) { return UTF16Length(r, "k"); },
     "Malformed input JSON: \"k\" has wrong format"},
    {"UTF16ZeroAtTheEnd", R"({"k":"ab\u0000"})", [](auto& r) { return UTF16Length(r, "k"); },
     "Malformed input JSON: \"k\" has wrong format"},
    {"UTF16Supplementary", R"({"k":"\ud83d\ude00"})", [](auto& r) { return UTF16Length(r, "k"); },
     "2"},
    {"UTF16Absent", R"({})", [](auto& r) { return UTF16Length(r, "k"); },
     "Malformed input JSON: \"k\" entry is missing"},
};

INSTANTIATE_TEST_SUITE_P(Getters, Getter, testing::ValuesIn(kGetterCases), test::CaseName());

}  // namespace
}  // namespace vexo
