// ParseRequest over request texts written to files, and the typed getters.
#include "app/RequestDocument.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Common/Exception.h"
#include "tests/app/TestSupport.h"

namespace vexo {
namespace {

using test::TempDir;

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// A scratch folder with a bitmap file; requests name it as @BITMAP@ and the
// result file as @RESULT@.
class RequestFiles {
 public:
  RequestFiles() { test::WriteBytes(BitmapPath(), kBitmapBytes); }

  std::string RequestPath() const { return dir.File("request.json"); }
  std::string BitmapPath() const { return dir.File("page.pgm"); }
  std::string ResultPath() const { return dir.File("result.json"); }

  std::string Expand(const std::string& text) const {
    return ReplaceAll(
        ReplaceAll(ReplaceAll(text, "@BITMAP@", BitmapPath()), "@RESULT@", ResultPath()),
        "@REQUEST@", RequestPath());
  }

  // Writes the request and parses it; returns the failure text, or "" on success.
  std::string Parse(const std::string& requestText, BarcodeRequest& request) const {
    test::WriteBytes(RequestPath(), Expand(requestText));
    try {
      ParseRequest(request, test::Wide(RequestPath()));
    } catch (const std::runtime_error& error) {
      return error.what();
    }
    return "";
  }

  static constexpr char kBitmapBytes[] = "bitmap\r\n\x01\x02";

 private:
  TempDir dir;
};

// The members of a valid request, in file order; a case overrides some.
struct Member {
  std::string key;
  std::optional<std::string> value;  // raw JSON; nullopt leaves the member out
};

const std::vector<Member>& ValidMembers() {
  static const std::vector<Member> members = {
      {"width", "640"},
      {"height", "480"},
      {"stride", "640"},
      {"dpi", "300"},
      {"scalarW", "\"1.0\""},
      {"scalarH", "\"2.0\""},
      {"bitmapPath", "\"@BITMAP@\""},
      {"resultPath", "\"@RESULT@\""},
  };
  return members;
}

std::string RequestText(const std::vector<Member>& overrides) {
  std::vector<Member> members = ValidMembers();
  for (const Member& change : overrides) {
    bool replaced = false;
    for (Member& member : members) {
      if (member.key == change.key) member.value = change.value, replaced = true;
    }
    if (!replaced) members.push_back(change);
  }
  std::string text = "{";
  for (const Member& member : members) {
    if (!member.value) continue;
    if (text.size() > 1) text += ",";
    text += "\"" + member.key + "\":" + *member.value;
  }
  return text + "}";
}

// --- Member faults: a valid request with some members changed. ---

struct MemberCase {
  const char* name;
  std::vector<Member> overrides;
  const char* expected;
};

class MemberFault : public testing::TestWithParam<MemberCase> {};

TEST_P(MemberFault, ReportsTheFirstFault) {
  RequestFiles files;
  BarcodeRequest request;
  EXPECT_EQ(files.Parse(RequestText(GetParam().overrides), request),
            files.Expand(GetParam().expected));
}

const MemberCase kMemberCases[] = {
    {"ProfileZero",
     {{"profile", "0"}},
     "Malformed input JSON: \"profile\" cannot be 0 or negative"},
    {"ProfileNegative",
     {{"profile", "-3"}},
     "Malformed input JSON: \"profile\" cannot be 0 or negative"},
    {"ProfileString", {{"profile", "\"1\""}}, "Malformed input JSON: \"profile\" has wrong type"},
    {"GroupsNegative",
     {{"searchTypeGroups", "-1"}},
     "Malformed input JSON: \"searchTypeGroups\" has wrong type"},
    {"GroupsAboveUInt32",
     {{"searchTypeGroups", "4294967296"}},
     "Malformed input JSON: \"searchTypeGroups\" has wrong type"},
    {"DirectionsFraction",
     {{"searchDirections", "1.0"}},
     "Malformed input JSON: \"searchDirections\" has wrong type"},
    {"OutputFormatNull",
     {{"outputFormat", "null"}},
     "Malformed input JSON: \"outputFormat\" has wrong type"},
    {"WidthFraction", {{"width", "640.0"}}, "Malformed input JSON: \"width\" has wrong type"},
    {"WidthExponent", {{"width", "6.4e2"}}, "Malformed input JSON: \"width\" has wrong type"},
    {"WidthString", {{"width", "\"640\""}}, "Malformed input JSON: \"width\" has wrong type"},
    {"WidthAboveInt32",
     {{"width", "2147483648"}},
     "Malformed input JSON: \"width\" has wrong type"},
    {"WidthNull", {{"width", "null"}}, "Malformed input JSON: \"width\" has wrong type"},
    {"WidthBoolean", {{"width", "true"}}, "Malformed input JSON: \"width\" has wrong type"},
    {"WidthArray", {{"width", "[640]"}}, "Malformed input JSON: \"width\" has wrong type"},
    {"WidthObject", {{"width", "{}"}}, "Malformed input JSON: \"width\" has wrong type"},
    {"WidthNegative", {{"width", "-5"}}, "Malformed input JSON: \"width\" cannot be 0 or negative"},
    {"WidthZero", {{"width", "0"}}, "Malformed input JSON: \"width\" cannot be 0 or negative"},
    {"WidthMissing", {{"width", std::nullopt}}, "Malformed input JSON: \"width\" entry is missing"},
    {"WidthOnlyInOtherCase",
     {{"width", std::nullopt}, {"Width", "640"}},
     "Malformed input JSON: \"width\" entry is missing"},
    {"HeightMissing",
     {{"height", std::nullopt}},
     "Malformed input JSON: \"height\" entry is missing"},
    {"StrideZero", {{"stride", "0"}}, "Malformed input JSON: \"stride\" cannot be 0 or negative"},
    {"DpiMissing", {{"dpi", std::nullopt}}, "Malformed input JSON: \"dpi\" entry is missing"},
    {"HeightBeforeStride",
     {{"height", "0"}, {"stride", "\"x\""}},
     "Malformed input JSON: \"height\" cannot be 0 or negative"},
    {"ScalarWNumber", {{"scalarW", "1.5"}}, "Malformed input JSON: \"scalarW\" has wrong type"},
    {"ScalarWMissing",
     {{"scalarW", std::nullopt}},
     "Malformed input JSON: \"scalarW\" entry is missing"},
    {"ScalarWTrailingSpace",
     {{"scalarW", "\"1.5 \""}},
     "Malformed input JSON: \"scalarW\" has wrong format"},
    {"ScalarWDecimalComma",
     {{"scalarW", "\"1,5\""}},
     "Malformed input JSON: \"scalarW\" has wrong format"},
    {"ScalarWLetters",
     {{"scalarW", "\"abc\""}},
     "Malformed input JSON: \"scalarW\" has wrong format"},
    {"ScalarWSignedLetters",
     {{"scalarW", "\"-abc\""}},
     "Malformed input JSON: \"scalarW\" has wrong format"},
    {"ScalarWEmpty", {{"scalarW", "\"\""}}, "Malformed input JSON: \"scalarW\" has wrong format"},
    {"ScalarWZeroThenText",
     {{"scalarW", "\"1.5\\u0000\""}},
     "Malformed input JSON: \"scalarW\" has wrong format"},
    {"ScalarWZero",
     {{"scalarW", "\"0\""}},
     "Malformed input JSON: \"scalarW\" cannot be 0 or negative"},
    {"ScalarWNegative",
     {{"scalarW", "\"-2\""}},
     "Malformed input JSON: \"scalarW\" cannot be 0 or negative"},
    {"ScalarHWrongFormat",
     {{"scalarH", "\"2x\""}},
     "Malformed input JSON: \"scalarH\" has wrong format"},
    {"WidthReportedBeforeScalar",
     {{"width", std::nullopt}, {"scalarW", "\"abc\""}},
     "Malformed input JSON: \"width\" entry is missing"},
    {"BitmapPathMissing",
     {{"bitmapPath", std::nullopt}},
     "Malformed input JSON: \"bitmapPath\" entry is missing"},
    {"BitmapPathNumber",
     {{"bitmapPath", "1"}},
     "Malformed input JSON: \"bitmapPath\" has wrong type"},
    {"BitmapFileMissingHidesResultPath",
     {{"bitmapPath", "\"@BITMAP@.none\""}, {"resultPath", std::nullopt}},
     "Cannot open input file \"@BITMAP@.none\": No such file or directory"},
    {"BitmapPathEmpty",
     {{"bitmapPath", "\"\""}},
     "Cannot open input file \"\": No such file or directory"},
    {"ResultPathMissing",
     {{"resultPath", std::nullopt}},
     "Malformed input JSON: \"resultPath\" entry is missing"},
    {"ResultPathArray",
     {{"resultPath", "[]"}},
     "Malformed input JSON: \"resultPath\" has wrong type"},
};

INSTANTIATE_TEST_SUITE_P(Request, MemberFault, testing::ValuesIn(kMemberCases), test::CaseName());

// --- Whole-text cases. ---

struct TextCase {
  const char* name;
  std::string text;
  const char* expected;
};

class WholeText : public testing::TestWithParam<TextCase> {};

TEST_P(WholeText, ReportsTheFault) {
  RequestFiles files;
  BarcodeRequest request;
  EXPECT_EQ(files.Parse(GetParam().text, request), files.Expand(GetParam().expected));
}

constexpr char kUnparsable[] = "Malformed input JSON \"@REQUEST@\"";
constexpr char kWidthMissing[] = "Malformed input JSON: \"width\" entry is missing";

const TextCase kTextCases[] = {
    {"EmptyFile", "", kUnparsable},
    {"WhiteSpaceOnly", " \t\r\n", kUnparsable},
    {"RootArray", "[]", kUnparsable},
    {"RootString", "\"text\"", kUnparsable},
    {"RootNumber", "12", kUnparsable},
    {"RootTrue", "true", kUnparsable},
    {"RootFalse", "false", kUnparsable},
    {"RootNull", "null", kUnparsable},
    {"ByteOrderMark", "\xEF\xBB\xBF{}", kUnparsable},
    {"TextAfterRoot", "{} x", kUnparsable},
    {"SecondRoot", "{}{}", kUnparsable},
    {"TrailingComma", "{\"width\":1,}", kUnparsable},
    {"Comment", "{} // note", kUnparsable},
    {"NotANumber", "{\"width\":NaN}", kUnparsable},
    {"FaultInUnreadMember", "{\"other\":[1,2,}", kUnparsable},
    {"SingleQuotes", "{'width':1}", kUnparsable},
    {"EmptyObject", "{}", kWidthMissing},
    {"WhiteSpaceAround", " \t\r\n{}\r\n ", kWidthMissing},
    {"ZeroByteEndsText", std::string("{}\0garbage", 10), kWidthMissing},
    {"ZeroByteInsideObject", std::string("{\0}", 3), kUnparsable},
    {"FirstOfTwoWidths", "{\"width\":0,\"width\":5}",
     "Malformed input JSON: \"width\" cannot be 0 or negative"},
    {"FirstWidthValidSecondNot", "{\"width\":5,\"width\":\"x\"}",
     "Malformed input JSON: \"height\" entry is missing"},
    {"KeyWithZeroIsOtherKey", "{\"width\\u0000\":5}", kWidthMissing},
    {"DeeplyNestedRoot", std::string(1000000, '[') + std::string(1000000, ']'), kUnparsable},
    {"DeeplyNestedMember", "{\"a\":" + std::string(1000000, '[') + std::string(1000000, ']') + "}",
     kWidthMissing},
    {"UnclosedDeepNesting", "{\"a\":" + std::string(1000000, '['), kUnparsable},
};

INSTANTIATE_TEST_SUITE_P(Request, WholeText, testing::ValuesIn(kTextCases), test::CaseName());

// --- Successful parses. ---

TEST(ParseRequest, FillsEveryField) {
  RequestFiles files;
  BarcodeRequest request;
  const std::string text = RequestText({{"searchTypeGroups", "0"},
                                        {"searchDirections", "4294967295"},
                                        {"profile", "9"},
                                        {"outputFormat", "1"},
                                        {"scalarW", "\" 1.5\""},
                                        {"scalarH", "\"2e-3\""}});
  ASSERT_EQ(files.Parse(text, request), "");
  EXPECT_EQ(request.searchTypeGroups, 0u);
  EXPECT_EQ(request.searchDirections, 0xFFFFFFFFu);
  EXPECT_EQ(request.profile, 9);
  EXPECT_EQ(request.outputFormat, 1u);
  EXPECT_EQ(request.width, 640);
  EXPECT_EQ(request.height, 480);
  EXPECT_EQ(request.stride, 640);
  EXPECT_EQ(request.dpi, 300);
  EXPECT_EQ(request.scalarW, 1.5);
  EXPECT_EQ(request.scalarH, 0.002);
  EXPECT_EQ(request.resultPath, test::Wide(files.ResultPath()));
  const std::string bitmap = RequestFiles::kBitmapBytes;
  EXPECT_EQ(std::string(request.bitmapData.begin(), request.bitmapData.end()), bitmap);
}

TEST(ParseRequest, AbsentOptionalMembersTakeDefaults) {
  RequestFiles files;
  BarcodeRequest request;
  request.searchTypeGroups = request.searchDirections = request.outputFormat = 7;
  request.profile = 7;
  ASSERT_EQ(files.Parse(RequestText({}), request), "");
  EXPECT_EQ(request.searchTypeGroups, 0xFFFFFFFFu);
  EXPECT_EQ(request.searchDirections, 0xFFFFFFFFu);
  EXPECT_EQ(request.profile, 1);
  EXPECT_EQ(request.outputFormat, 0u);
}

TEST(ParseRequest, ReadsScalarTexts) {
  const std::pair<const char*, double> cases[] = {{"1.5", 1.5},    {"+1.5", 1.5},   {" 1.5", 1.5},
                                                  {"\\t1.5", 1.5}, {"2e-3", 0.002}, {"7", 7.0}};
  for (const auto& [text, value] : cases) {
    RequestFiles files;
    BarcodeRequest request;
    ASSERT_EQ(files.Parse(RequestText({{"scalarW", std::string("\"") + text + "\""}}), request), "")
        << text;
    EXPECT_EQ(request.scalarW, value) << text;
  }
}

TEST(ParseRequest, IgnoresUnknownMembersAndOrder) {
  RequestFiles files;
  BarcodeRequest request;
  const std::string text =
      "{\"resultPath\":\"@RESULT@\",\"extra\":[{\"width\":0}],\"bitmapPath\":\"@BITMAP@\","
      "\"scalarH\":\"1\",\"scalarW\":\"1\",\"dpi\":1,\"stride\":1,\"height\":1,\"width\":1,"
      "\"WIDTH\":\"x\"}";
  ASSERT_EQ(files.Parse(text, request), "");
  EXPECT_EQ(request.width, 1);
}

TEST(ParseRequest, RefusesAZeroCharacterInAPath) {
  RequestFiles files;
  BarcodeRequest request;
  EXPECT_EQ(files.Parse(RequestText({{"resultPath", "\"@RESULT@\\u0000.tail\""}}), request),
            "Malformed input JSON: \"resultPath\" has wrong format");
  EXPECT_EQ(files.Parse(RequestText({{"bitmapPath", "\"@BITMAP@\\u0000.txt\""}}), request),
            "Malformed input JSON: \"bitmapPath\" has wrong format");
}

TEST(ParseRequest, KeepsNonAsciiPathCharacters) {
  RequestFiles files;
  BarcodeRequest request;
  // é, the euro sign and a character beyond the 16-bit range; escaped and raw.
  ASSERT_EQ(
      files.Parse(RequestText({{"resultPath", "\"/r\xC3\xA9\\u20AC\xF0\x9F\x98\x80\""}}), request),
      "");
  EXPECT_EQ(request.resultPath, (WideString{u'/', u'r', 0x00E9, 0x20AC, 0xD83D, 0xDE00}));
}

TEST(ParseRequest, ReadsRequestsAroundTheInPlaceSize) {
  // 255 bytes and a zero fit the parser's in-place buffer; longer texts move
  // to the heap.
  for (std::size_t length : {255u, 256u, 257u, 511u, 512u, 100000u}) {
    RequestFiles files;
    std::string text = files.Expand(RequestText({}));
    ASSERT_LE(text.size(), length);
    text.insert(1, length - text.size(), ' ');
    BarcodeRequest request;
    EXPECT_EQ(files.Parse(text, request), "") << length;
    EXPECT_EQ(request.dpi, 300) << length;
  }
}

TEST(ParseRequest, MissingRequestFileNamesIt) {
  TempDir dir;
  BarcodeRequest request;
  const std::string path = dir.File("absent.json");
  try {
    ParseRequest(request, test::Wide(path));
    FAIL() << "no exception";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(error.what(), "Cannot open input file \"" + path + "\": No such file or directory");
  }
}

TEST(ParseRequest, InvalidUTF8PathFailsInTheConversion) {
  RequestFiles files;
  BarcodeRequest request;
  test::WriteBytes(files.RequestPath(), files.Expand(RequestText({{"bitmapPath", "\"\xC3\""}})));
  EXPECT_THROW(ParseRequest(request, test::Wide(files.RequestPath())), Uni::UnicodeException);
}

}  // namespace
}  // namespace vexo
