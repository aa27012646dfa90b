// The run driver in process, with a scripted engine: console lines, exit
// codes, the result file, and the request path taken from the argument.
#include "app/RunDriver.h"

#include <gtest/gtest.h>

#include <cctype>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "Common/Exception.h"
#include "app/RequestDocument.h"
#include "tests/app/TestSupport.h"
#include "tests/wrapper/ScriptedEngine.h"
#include "wrapper/BarcodeExtractor.h"

namespace vexo {
namespace {

using test::Prefix;
using test::TempDir;

// A scripted engine that finds nothing, or fails to decode, and notes the
// byte count of the image it was handed.
class NotingEngine : public test::ScriptedEngine {
 public:
  explicit NotingEngine(UInt64* decodedBytes, bool decodeFails = false) : byteCount(decodedBytes) {
    statuses["FindBarcodes"] = kEngineNothingFound;
    if (decodeFails) statuses["DecodeImageToBitmap"] = -1;
  }
  EngineStatus DecodeImageToBitmap(const void* a, EngineBitmap* b, UInt32 c, UInt32 d, UInt32 e,
                                   UInt64 f, const void* g, const void* h) override {
    *byteCount = f;
    return ScriptedEngine::DecodeImageToBitmap(a, b, c, d, e, f, g, h);
  }

 private:
  UInt64* byteCount;
};

// Standard output of one RunModuleWith call, and its result.
struct Outcome {
  int exitCode;
  std::string output;
};

// Sends std::cout into a string while it lives.
class CoutCapture {
 public:
  CoutCapture() : original(std::cout.rdbuf(captured.rdbuf())) {}
  CoutCapture(const CoutCapture&) = delete;
  CoutCapture& operator=(const CoutCapture&) = delete;
  ~CoutCapture() { std::cout.rdbuf(original); }
  std::string Text() const { return captured.str(); }

 private:
  std::ostringstream captured;
  std::streambuf* original;
};

Outcome RunWorker(std::vector<std::string> arguments, const EngineFactory& factory) {
  arguments.insert(arguments.begin(), "velmora-barcode");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  CoutCapture capture;
  const int exitCode = RunModuleWith(static_cast<int>(arguments.size()), argv.data(), factory);
  return {exitCode, capture.Text()};
}

// A request file, its bitmap, and where its result goes.
class RunFiles {
 public:
  explicit RunFiles(const std::string& resultPath = "") {
    test::WriteBytes(Bitmap(), test::BlankPgm());
    test::WriteBytes(Request(),
                     "{\"width\":16,\"height\":16,\"stride\":16,\"dpi\":72,"
                     "\"scalarW\":\"1\",\"scalarH\":\"1\",\"bitmapPath\":\"" +
                         Bitmap() + "\",\"resultPath\":\"" +
                         (resultPath.empty() ? Result() : resultPath) + "\"}");
  }
  std::string Request() const { return dir.File("request.json"); }
  std::string Bitmap() const { return dir.File("page.pgm"); }
  std::string Result() const { return dir.File("result.json"); }
  std::string File(const std::string& name) const { return dir.File(name); }

 private:
  TempDir dir;
};

TEST(RunModule, SuccessfulRunWritesTheExtractedDocumentSilently) {
  RunFiles files;
  UInt64 decodedBytes = 0;
  const Outcome outcome =
      RunWorker({files.Request()}, [&] { return std::make_unique<NotingEngine>(&decodedBytes); });
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_EQ(outcome.output, "");

  // The same request through the extraction directly gives the same text.
  BarcodeRequest request;
  ParseRequest(request, test::Wide(files.Request()));
  test::ScriptedEngine twin;
  twin.statuses["FindBarcodes"] = kEngineNothingFound;
  const std::string expected = BarcodeExtractor(request, twin).Extract();
  EXPECT_EQ(test::ReadBytes(files.Result()), expected);
  // The engine was handed the whole bitmap file.
  EXPECT_EQ(decodedBytes, test::BlankPgm().size());
}

struct FailureCase {
  const char* name;
  bool decodeFails;
  bool factoryThrowsInt;
  bool resultInMissingFolder;
  const char* expectedTail;  // after "<prefix>, ERROR: "; @RESULT@ is the result path
};

class RunFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(RunFailure, PrintsOneReportAndLeavesNoResult) {
  const FailureCase& c = GetParam();
  TempDir scratch;
  const std::string resultPath = c.resultInMissingFolder ? scratch.File("missing/result.json") : "";
  RunFiles files(resultPath);
  UInt64 decodedBytes = 0;
  const Outcome outcome = RunWorker({files.Request()}, [&]() -> std::unique_ptr<ImagingEngine> {
    if (c.factoryThrowsInt) throw 42;
    return std::make_unique<NotingEngine>(&decodedBytes, c.decodeFails);
  });
  std::string tail = c.expectedTail;
  const std::size_t at = tail.find("@RESULT@");
  if (at != std::string::npos) tail.replace(at, 8, resultPath);
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_EQ(outcome.output, Prefix() + ", ERROR: " + tail + "\n");
  EXPECT_FALSE(test::Exists(files.Result()));
}

const FailureCase kFailures[] = {
    {"EngineCannotDecode", true, false, false, "Could not create bitmap image"},
    {"NonStandardException", false, true, false, "Unknown exception"},
    {"ResultFolderMissing", false, false, true,
     "Cannot open output file \"@RESULT@\": No such file or directory"},
};

INSTANTIATE_TEST_SUITE_P(RunModule, RunFailure, testing::ValuesIn(kFailures), test::CaseName());

TEST(RunModule, MultiLineReportIsPrintedUnchanged) {
  RunFiles files;
  const Common::Exception error("x>0", 12, "Common/Thing.cpp", "Thing()", "Broken", 0);
  const std::string report = error.what();
  const Outcome outcome =
      RunWorker({files.Request()}, [&]() -> std::unique_ptr<ImagingEngine> { throw error; });
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_EQ(outcome.output, Prefix() + ", ERROR: " + report + "\n");
}

TEST(RunModule, EngineIsNotMadeWhenTheRequestFails) {
  TempDir dir;
  int made = 0;
  const Outcome outcome = RunWorker({dir.File("absent.json")}, [&] {
    ++made;
    return std::make_unique<test::ScriptedEngine>();
  });
  EXPECT_EQ(outcome.exitCode, 1);
  EXPECT_EQ(made, 0);
}

struct PathCase {
  const char* name;
  std::string argument;
  WideString expected;
};

class ArgumentPath : public testing::TestWithParam<PathCase> {};

TEST_P(ArgumentPath, IsUTF8OrWindows1252) {
  EXPECT_EQ(ArgumentToPath(GetParam().argument.c_str()), GetParam().expected);
}

const PathCase kPathCases[] = {
    {"Empty", "", u""},
    {"Ascii", "/tmp/a.json", u"/tmp/a.json"},
    {"UTF8TwoBytes", "\xC3\xA9", u"\u00E9"},
    {"UTF8ThreeBytes", "\xE2\x82\xAC", u"\u20AC"},
    {"UTF8FourBytes", "\xF0\x9F\x98\x80", u"\U0001F600"},
    {"UTF8Largest", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    {"LoneE9", "\xE9", u"\u00E9"},
    {"Byte80IsEuro", "\x80", u"\u20AC"},
    {"UndefinedBytes", "\x81\x8D\x8F\x90\x9D", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
    {"OverlongSlash", "\xC0\xAF", u"\u00C0\u00AF"},
    {"OverlongThreeBytes", "\xE0\x80\xAF", u"\u00E0\u20AC\u00AF"},
    {"Surrogate", "\xED\xA0\x80", u"\u00ED\u00A0\u20AC"},
    {"AboveUnicode", "\xF4\x90\x80\x80", u"\u00F4\uFFFD\u20AC\u20AC"},
    {"TruncatedSequence", "a\xC3", u"a\u00C3"},
    {"MixedValidAndInvalid", "\xC3\xA9\xE9", u"\u00C3\u00A9\u00E9"},
};

INSTANTIATE_TEST_SUITE_P(RunModule, ArgumentPath, testing::ValuesIn(kPathCases), test::CaseName());

// Three dot-separated decimal numbers, a hyphen and ten hexadecimal digits.
bool IsVersion(const std::string& text) {
  std::size_t at = 0;
  for (const char end : {'.', '.', '-'}) {
    const std::size_t start = at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) ++at;
    if (at == start || at == text.size() || text[at] != end) return false;
    ++at;
  }
  const std::string build = text.substr(at);
  return build.size() == 10 && build.find_first_not_of("0123456789abcdef") == std::string::npos;
}

TEST(IdentityPrefix, NamesProductAndVersion) {
  const std::string prefix = IdentityPrefix();
  const std::string product = "Velmora Barcode Module ";
  EXPECT_EQ(prefix, Prefix());
  ASSERT_EQ(prefix.substr(0, product.size()), product);
  EXPECT_TRUE(IsVersion(prefix.substr(product.size()))) << prefix;
}

}  // namespace
}  // namespace vexo
