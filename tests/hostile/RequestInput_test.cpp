// Pathological request documents and command lines: nesting a million levels
// deep, a hundred megabytes of white space, a million members, a path that
// is no valid UTF-8, control characters in an argument. The parse must
// neither overflow the stack nor take memory without bound: requests over
// 64 MiB are refused unread.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "Pages.h"
#include "Scene.h"

namespace vexo::hostile {
namespace {

constexpr std::size_t kMillion = 1000000;

std::string Repeat(std::string_view piece, std::size_t count) {
  std::string text;
  text.reserve(piece.size() * count);
  for (std::size_t i = 0; i < count; ++i) text += piece;
  return text;
}

// A valid request for a readable page with `extra` added as its first member.
std::string RequestWith(const Scene& scene, const std::string& extra) {
  const std::string page = scene.Write("page.png", PageBytes(PageFormats()[0]));
  return "{" + extra + ", " + RequestText(page, scene.ResultPath()).substr(1);
}

std::string Malformed(const std::string& path) { return "Malformed input JSON \"" + path + "\""; }

struct DocumentCase {
  const char* name;
  std::function<std::string(const Scene&)> document;
  // The report, given the request path; empty when the run must succeed.
  std::function<std::string(const std::string&)> report;
};

const DocumentCase kDocuments[] = {
    {"MillionNestedArrays",
     [](const Scene&) { return Repeat("[", kMillion) + Repeat("]", kMillion); }, Malformed},
    {"MillionUnclosedArrays", [](const Scene&) { return Repeat("[", kMillion); }, Malformed},
    {"MillionUnclosedObjects", [](const Scene&) { return Repeat("{\"a\":", kMillion); }, Malformed},
    {"MillionNestedObjectsAsTheRoot",
     [](const Scene&) { return Repeat("{\"a\":", kMillion) + "1" + Repeat("}", kMillion); },
     [](const std::string&) {
       return std::string("Malformed input JSON: \"width\" entry is missing");
     }},
    {"MillionNestedArraysAsTheWidth",
     [](const Scene& s) {
       return RequestWith(s, "\"width\": " + Repeat("[", kMillion) + Repeat("]", kMillion));
     },
     [](const std::string&) {
       return std::string("Malformed input JSON: \"width\" has wrong type");
     }},
    {"MillionNestedObjectsInAnIgnoredMember",
     [](const Scene& s) {
       return RequestWith(
           s, "\"deep\": " + Repeat("{\"a\":", kMillion) + "null" + Repeat("}", kMillion));
     },
     nullptr},
    {"MillionIgnoredMembers",
     [](const Scene& s) {
       std::string members = "\"m\": 0";
       for (std::size_t i = 1; i < kMillion; ++i) members += ", \"m" + std::to_string(i) + "\": 0";
       return RequestWith(s, members);
     },
     nullptr},
    {"MillionElementArray",
     [](const Scene& s) { return RequestWith(s, "\"list\": [0" + Repeat(",0", kMillion) + "]"); },
     nullptr},
};

class OddDocument : public testing::TestWithParam<DocumentCase> {};

TEST_P(OddDocument, IsParsedWithoutRecursion) {
  const Scene scene;
  const std::string request = scene.Write("request.json", GetParam().document(scene));
  const WorkerOutcome outcome = RunWorker({request});
  if (GetParam().report) {
    EXPECT_TRUE(Refused(outcome, GetParam().report(request)));
    EXPECT_FALSE(test::Exists(scene.ResultPath()));
  } else {
    EXPECT_TRUE(Succeeded(outcome));
    EXPECT_TRUE(test::Exists(scene.ResultPath()));
  }
}

INSTANTIATE_TEST_SUITE_P(Hostile, OddDocument, testing::ValuesIn(kDocuments), test::CaseName());

// Requests may be up to 64 MiB long; the parsed document of a larger one
// could take more memory than the machine has.
constexpr std::size_t kRequestSizeLimit = 64 * 1024 * 1024;

TEST(HugeRequest, HundredMegabytesOfWhiteSpaceAreRefusedUnread) {
  const Scene scene;
  const std::string request = scene.Write("request.json", Repeat(" \t\r\n", 25 * kMillion));
  EXPECT_TRUE(
      Refused(RunWorker({request}), "Cannot read input file \"" + request + "\": File too large"));
}

TEST(HugeRequest, WhiteSpaceUpToTheSizeLimitThenTheRequest) {
  const Scene scene;
  const std::string page = scene.Write("page.png", PageBytes(PageFormats()[0]));
  const std::string text = RequestText(page, scene.ResultPath());
  const std::string blanks = Repeat(" ", kRequestSizeLimit - text.size());
  const std::string request = scene.Write("request.json", blanks + text);
  EXPECT_TRUE(Succeeded(RunWorker({request})));
  EXPECT_TRUE(test::Exists(scene.ResultPath()));

  // One byte more and the file is refused before it is read.
  std::filesystem::remove(scene.ResultPath());
  scene.Write("request.json", blanks + text + "\n");
  EXPECT_TRUE(
      Refused(RunWorker({request}), "Cannot read input file \"" + request + "\": File too large"));
  EXPECT_FALSE(test::Exists(scene.ResultPath()));
}

TEST(BitmapPath, SurrogateInUtf8GivesTheConversionReport) {
  const Scene scene;
  const WorkerOutcome outcome = RunWorker({scene.Request(scene.File("\xED\xA0\x80.png"))});
  // The conversion's exception reports on several lines; it is still one
  // report, begun by the identity prefix and ended by one line feed.
  EXPECT_TRUE(RefusedByConversion(outcome, "Bad UTF8 code point"));
  EXPECT_FALSE(test::Exists(scene.ResultPath()));
}

TEST(CommandLine, ControlCharactersOfASurplusArgumentAreEscaped) {
  EXPECT_TRUE(Refused(RunWorker({"request.json", "a\nb\x1b[0m"}),
                      "Unrecognized parameter: \"a\\x0Ab\\x1B[0m\""));
}

}  // namespace
}  // namespace vexo::hostile
