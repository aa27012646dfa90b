// The built worker as a host starts it: command lines, request files on disk,
// standard output and exit code.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/app/TestSupport.h"

namespace vexo {
namespace {

using test::Prefix;
using test::RunProcess;
using test::TempDir;

const std::string kWorker = VELMORA_BINARY;

TEST(Cli, NoArgumentPrintsTheBanner) {
  const test::ProcessResult result = RunProcess(kWorker, {});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output, Prefix() +
                               ".\nThis module was not designed to run as a standalone "
                               "application: its features are available via the Korvane SDK.\n");
}

struct ArgumentCase {
  const char* name;
  std::vector<std::string> arguments;
  std::string expectedTail;
};

class CliArguments : public testing::TestWithParam<ArgumentCase> {};

TEST_P(CliArguments, NameTheSecondArgument) {
  TempDir dir;
  // The first argument names a request that would be valid JSON: it must not
  // be read, let alone produce a result.
  std::vector<std::string> arguments = GetParam().arguments;
  arguments.insert(arguments.begin(), dir.File("request.json"));
  const test::ProcessResult result = RunProcess(kWorker, arguments);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output, Prefix() + ", ERROR: " + GetParam().expectedTail + "\n");
}

const ArgumentCase kArgumentCases[] = {
    {"Two", {"extra"}, "Unrecognized parameter: \"extra\""},
    {"Three", {"second", "third"}, "Unrecognized parameter: \"second\""},
    {"RawBytes", {"\xE9t\xC3\xA9"}, "Unrecognized parameter: \"\xE9t\xC3\xA9\""},
};

INSTANTIATE_TEST_SUITE_P(Cli, CliArguments, testing::ValuesIn(kArgumentCases), test::CaseName());

// Requests on disk. @DIR@ is the scratch folder, @BITMAP@ a small image in it.
struct RequestCase {
  const char* name;
  std::string request;
  std::string expectedTail;  // after "<prefix>, ERROR: "
};

constexpr char kValidTail[] =
    "\"width\":16,\"height\":16,\"stride\":16,\"dpi\":72,\"scalarW\":\"1\",\"scalarH\":\"1\"";

std::string Expand(std::string text, const TempDir& dir) {
  for (const auto& [from, to] :
       {std::pair<std::string, std::string>{"@BITMAP@", dir.File("page.pgm")},
        {"@DIR@", dir.Path().string()}}) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
      text.replace(at, from.size(), to);
    }
  }
  return text;
}

class CliRequest : public testing::TestWithParam<RequestCase> {};

TEST_P(CliRequest, PrintsTheMessage) {
  TempDir dir;
  test::WriteBytes(dir.File("page.pgm"), test::BlankPgm());
  test::WriteBytes(dir.File("garbage.bin"), "not an image");
  const std::string requestPath = dir.File("request.json");
  test::WriteBytes(requestPath, Expand(GetParam().request, dir));
  const test::ProcessResult result = RunProcess(kWorker, {requestPath});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output, Prefix() + ", ERROR: " + Expand(GetParam().expectedTail, dir) + "\n");
  EXPECT_FALSE(test::Exists(dir.File("result.json")));
}

const std::string kPaths = ",\"bitmapPath\":\"@BITMAP@\",\"resultPath\":\"@DIR@/result.json\"";

const RequestCase kRequestCases[] = {
    {"NotJson", "width=16", "Malformed input JSON \"@DIR@/request.json\""},
    {"RootArray", "[{}]", "Malformed input JSON \"@DIR@/request.json\""},
    {"EmptyObject", "{}", "Malformed input JSON: \"width\" entry is missing"},
    {"WidthWrongType", "{\"width\":\"16\"}", "Malformed input JSON: \"width\" has wrong type"},
    {"ProfileZero", "{\"profile\":0}", "Malformed input JSON: \"profile\" cannot be 0 or negative"},
    {"GroupsNegative", "{\"searchTypeGroups\":-1}",
     "Malformed input JSON: \"searchTypeGroups\" has wrong type"},
    {"DpiMissing", "{\"width\":1,\"height\":1,\"stride\":1}",
     "Malformed input JSON: \"dpi\" entry is missing"},
    {"ScalarWrongFormat", "{\"width\":1,\"height\":1,\"stride\":1,\"dpi\":1,\"scalarW\":\"1,5\"}",
     "Malformed input JSON: \"scalarW\" has wrong format"},
    {"ScalarHNegative",
     "{\"width\":1,\"height\":1,\"stride\":1,\"dpi\":1,\"scalarW\":\"1\",\"scalarH\":\"-2\"}",
     "Malformed input JSON: \"scalarH\" cannot be 0 or negative"},
    {"BitmapPathMissing", std::string("{") + kValidTail + "}",
     "Malformed input JSON: \"bitmapPath\" entry is missing"},
    {"BitmapFileMissing", std::string("{") + kValidTail + ",\"bitmapPath\":\"@DIR@/none.png\"}",
     "Cannot open input file \"@DIR@/none.png\": No such file or directory"},
    {"BitmapIsFolder", std::string("{") + kValidTail + ",\"bitmapPath\":\"@DIR@\"}",
     "Cannot open input file \"@DIR@\": Is a directory"},
    {"ResultPathMissing", std::string("{") + kValidTail + ",\"bitmapPath\":\"@BITMAP@\"}",
     "Malformed input JSON: \"resultPath\" entry is missing"},
    {"BitmapNotAnImage",
     std::string("{") + kValidTail +
         ",\"bitmapPath\":\"@DIR@/garbage.bin\",\"resultPath\":\"@DIR@/result.json\"}",
     "Could not create bitmap image"},
};

INSTANTIATE_TEST_SUITE_P(Cli, CliRequest, testing::ValuesIn(kRequestCases), test::CaseName());

// A blank page holds no barcode: the run succeeds silently and replaces the
// result file with the five-line document.
TEST(Cli, SuccessfulRunPrintsNothing) {
  TempDir dir;
  const std::string resultPath = dir.File("r\xC3\xA9sultat.json");
  test::WriteBytes(dir.File("page.pgm"), test::BlankPgm());
  test::WriteBytes(resultPath, std::string(10000, 'x'));
  test::WriteBytes(dir.File("request.json"), std::string("{") + kValidTail + ",\"bitmapPath\":\"" +
                                                 dir.File("page.pgm") + "\",\"resultPath\":\"" +
                                                 resultPath + "\"}");
  const test::ProcessResult result = RunProcess(kWorker, {dir.File("request.json")});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(test::ReadBytes(resultPath), "{\n    \"page\": {\n        \"barcodes\": []\n    }\n}");
}

TEST(Cli, MissingRequestFile) {
  TempDir dir;
  const std::string path = dir.File("absent.json");
  const test::ProcessResult result = RunProcess(kWorker, {path});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output, Prefix() + ", ERROR: Cannot open input file \"" + path +
                               "\": No such file or directory\n");
}

TEST(Cli, EmptyArgumentIsAnEmptyPath) {
  const test::ProcessResult result = RunProcess(kWorker, {""});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output,
            Prefix() + ", ERROR: Cannot open input file \"\": No such file or directory\n");
}

TEST(Cli, HugeBitmapIsRefused) {
  TempDir dir;
  const std::string bitmap = dir.File("huge.bin");
  test::WriteBytes(bitmap, "");
  std::filesystem::resize_file(bitmap, 0x80000000ull);
  test::WriteBytes(dir.File("request.json"), std::string("{") + kValidTail + ",\"bitmapPath\":\"" +
                                                 bitmap + "\",\"resultPath\":\"x\"}");
  const test::ProcessResult result = RunProcess(kWorker, {dir.File("request.json")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.output,
            Prefix() + ", ERROR: Cannot read input file \"" + bitmap + "\": File too large\n");
}

// A request file whose name holds é and €. Its UTF-8 bytes (what a Linux
// shell passes) open it; the Windows-1252 bytes of the same text are another
// name, which is opened as it is and shown as that text.
TEST(Cli, NonAsciiRequestPath) {
  TempDir dir;
  const std::string utf8Name = dir.File("r\xC3\xA9q\xE2\x82\xAC.json");
  test::WriteBytes(utf8Name, "{}");
  const test::ProcessResult found = RunProcess(kWorker, {utf8Name});
  EXPECT_EQ(found.exitCode, 1);
  EXPECT_EQ(found.output, Prefix() + ", ERROR: Malformed input JSON: \"width\" entry is missing\n");
  const test::ProcessResult other = RunProcess(kWorker, {dir.File("r\xE9q\x80.json")});
  EXPECT_EQ(other.output, Prefix() + ", ERROR: Cannot open input file \"" + utf8Name +
                              "\": No such file or directory\n");
  test::WriteBytes(dir.File("r\xE9q\x80.json"), "[]");
  const test::ProcessResult own = RunProcess(kWorker, {dir.File("r\xE9q\x80.json")});
  EXPECT_EQ(own.output, Prefix() + ", ERROR: Malformed input JSON \"" + utf8Name + "\"\n");
}

}  // namespace
}  // namespace vexo

namespace vexo {
namespace {

// A host that closed its end of our standard output: the banner's write
// fails, and the worker still ends with its own exit code instead of being
// killed by the broken pipe.
TEST(Cli, ClosedOutputPipeStillEndsWithExitCode1) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  close(fds[0]);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(fds[1], STDOUT_FILENO);
    execl(kWorker.c_str(), kWorker.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
}

}  // namespace
}  // namespace vexo
