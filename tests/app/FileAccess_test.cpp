// Whole-file reads and writes, and their four messages.
#include "app/FileAccess.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/app/TestSupport.h"

namespace vexo {
namespace {

using test::TempDir;

std::string ReadFailure(const std::string& path) {
  std::vector<char> buffer;
  try {
    ReadWholeFile(test::Wide(path), buffer);
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "";
}

std::string WriteFailure(const std::string& path, const std::string& text) {
  try {
    WriteWholeFile(test::Wide(path), text);
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "";
}

std::string ReadAll(const std::string& path, std::vector<char> buffer = {}) {
  ReadWholeFile(test::Wide(path), buffer);
  return std::string(buffer.begin(), buffer.end());
}

struct ReadCase {
  const char* name;
  std::string content;
  std::size_t bufferBefore;  // bytes the buffer holds before the read
};

class ReadWhole : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadWhole, GivesExactlyTheFileBytes) {
  TempDir dir;
  const std::string path = dir.File("in.bin");
  test::WriteBytes(path, GetParam().content);
  EXPECT_EQ(ReadAll(path, std::vector<char>(GetParam().bufferBefore, 'x')), GetParam().content);
}

const ReadCase kReadCases[] = {
    {"EmptyFile", "", 0},
    {"EmptyFileLongBuffer", "", 100},
    {"BufferLongerThanFile", "abc", 1000},
    {"BufferShorterThanFile", std::string(10000, 'q'), 3},
    {"LineEndsUnchanged", "a\r\nb\nc\r", 0},
    {"ZeroAndHighBytes", std::string("\0\xFF\x1A\x80", 4), 0},
};

INSTANTIATE_TEST_SUITE_P(FileAccess, ReadWhole, testing::ValuesIn(kReadCases), test::CaseName());

TEST(ReadWholeFile, MissingFile) {
  TempDir dir;
  const std::string path = dir.File("absent.bin");
  EXPECT_EQ(ReadFailure(path),
            "Cannot open input file \"" + path + "\": No such file or directory");
}

TEST(ReadWholeFile, EmptyPath) {
  EXPECT_EQ(ReadFailure(""), "Cannot open input file \"\": No such file or directory");
}

TEST(ReadWholeFile, DirectoryFailsAtTheOpen) {
  TempDir dir;
  EXPECT_EQ(ReadFailure(dir.Path().string()),
            "Cannot open input file \"" + dir.Path().string() + "\": Is a directory");
}

TEST(ReadWholeFile, PipeCannotBeSized) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  const std::string path = "/proc/self/fd/" + std::to_string(ends[0]);
  EXPECT_EQ(ReadFailure(path), "Cannot read input file \"" + path + "\": Illegal seek");
  close(ends[0]);
  close(ends[1]);
}

TEST(ReadWholeFile, FileOf2GiBIsRefused) {
  // A sparse file: it takes no disk space, and the reader must refuse it
  // before it allocates anything.
  TempDir dir;
  const std::string path = dir.File("huge.bin");
  test::WriteBytes(path, "");
  std::filesystem::resize_file(path, 0x80000000ull);
  EXPECT_EQ(ReadFailure(path), "Cannot read input file \"" + path + "\": File too large");
}

// A file of the system's information folder claims a page of 4096 bytes and
// holds a few: the read ends early without a system error.
TEST(ReadWholeFile, FileEndingBeforeItsSize) {
  const std::string path = "/sys/devices/system/cpu/online";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not there";
  EXPECT_EQ(ReadFailure(path),
            "Cannot read input file \"" + path + "\": File ended before its stated size");
}

TEST(ReadWholeFile, NonAsciiPath) {
  TempDir dir;
  const std::string path = dir.File("r\xC3\xA9sum\xC3\xA9-\xE2\x82\xAC.bin");
  test::WriteBytes(path, "data");
  EXPECT_EQ(ReadAll(path), "data");
  const std::string absent = dir.File("\xC3\xA9t\xC3\xA9.bin");
  EXPECT_EQ(ReadFailure(absent),
            "Cannot open input file \"" + absent + "\": No such file or directory");
}

std::vector<std::string> Names(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(WriteWholeFile, CreatesTruncatesAndKeepsBytes) {
  TempDir dir;
  const std::string path = dir.File("out.json");
  const std::pair<const char*, std::string> cases[] = {
      {"create", std::string(5000, 'a')},      {"truncate", "short"}, {"line ends", "a\nb\r\nc"},
      {"zero bytes", std::string("\0x\0", 3)}, {"empty", ""},
  };
  for (const auto& [name, text] : cases) {
    WriteWholeFile(test::Wide(path), text);
    EXPECT_EQ(test::ReadBytes(path), text) << name;
  }
  EXPECT_EQ(Names(dir), std::vector<std::string>{"out.json"});
}

// Runs `body` in a child process and returns its exit code.
int InChild(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The result is written whole or not at all: a write that fails half-way
// (here at a file size limit) keeps the old file and leaves nothing else.
TEST(WriteWholeFile, FailedWriteKeepsTheOldFileAndLeavesNothingElse) {
  TempDir dir;
  const std::string path = dir.File("out.json");
  test::WriteBytes(path, "old document");
  const int exitCode = InChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    return WriteFailure(path, std::string(100000, 'x')) ==
                   "Cannot write output file \"" + path + "\": File too large"
               ? 0
               : 1;
  });
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(test::ReadBytes(path), "old document");
  EXPECT_EQ(Names(dir), std::vector<std::string>{"out.json"});
}

// /dev/stdout redirected to a file: written in place, not replaced.
TEST(WriteWholeFile, StandardOutputOnAFileIsWrittenInPlace) {
  TempDir dir;
  const std::string path = dir.File("out.txt");
  test::WriteBytes(path, "old");
  const int exitCode = InChild([&] {
    if (freopen(path.c_str(), "r+", stdout) == nullptr) return 2;
    WriteWholeFile(test::Wide("/dev/stdout"), "new");
    return 0;
  });
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(test::ReadBytes(path), "new");
  EXPECT_EQ(Names(dir), std::vector<std::string>{"out.txt"});
}

TEST(WriteWholeFile, ReplacesTheFileBehindASymbolicLink) {
  TempDir dir;
  test::WriteBytes(dir.File("target.json"), "old");
  std::filesystem::create_symlink("target.json", dir.File("link.json"));
  WriteWholeFile(test::Wide(dir.File("link.json")), "new");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.json")));
  EXPECT_EQ(test::ReadBytes(dir.File("target.json")), "new");
  EXPECT_EQ(Names(dir), (std::vector<std::string>{"link.json", "target.json"}));
}

// Writers racing on one path: a reader sees one whole document or the other.
TEST(WriteWholeFile, RacingWritersLeaveAWholeDocument) {
  TempDir dir;
  const std::string path = dir.File("out.json");
  const std::string documents[] = {std::string(30000, 'a'), std::string(20000, 'b')};
  WriteWholeFile(test::Wide(path), documents[0]);
  std::vector<pid_t> writers;
  for (int i = 0; i < 8; ++i) {
    const pid_t child = fork();
    if (child == 0) {
      for (int round = 0; round < 50; ++round) WriteWholeFile(test::Wide(path), documents[i % 2]);
      _exit(0);
    }
    writers.push_back(child);
  }
  int torn = 0;
  for (int look = 0; look < 300; ++look) {
    const std::string seen = test::ReadBytes(path);
    if (seen != documents[0] && seen != documents[1]) ++torn;
  }
  for (const pid_t writer : writers) waitpid(writer, nullptr, 0);
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(Names(dir), std::vector<std::string>{"out.json"});
}

TEST(WriteWholeFile, MissingFolder) {
  TempDir dir;
  const std::string path = dir.File("no-such-folder/out.json");
  EXPECT_EQ(WriteFailure(path, "x"),
            "Cannot open output file \"" + path + "\": No such file or directory");
}

TEST(WriteWholeFile, DirectoryPath) {
  TempDir dir;
  EXPECT_EQ(WriteFailure(dir.Path().string(), "x"),
            "Cannot open output file \"" + dir.Path().string() + "\": Is a directory");
}

TEST(WriteWholeFile, EmptyPath) {
  EXPECT_EQ(WriteFailure("", "x"), "Cannot open output file \"\": No such file or directory");
}

TEST(WriteWholeFile, FullDiskIsReported) {
  // Small texts stay in the stream's buffer until the flush; large ones fail
  // in the write itself. Both must be reported.
  for (std::size_t size : {1u, 100u, 1000000u}) {
    EXPECT_EQ(WriteFailure("/dev/full", std::string(size, 'x')),
              "Cannot write output file \"/dev/full\": No space left on device")
        << size;
  }
}

TEST(WriteWholeFile, EmptyTextToFullDiskSucceeds) { EXPECT_EQ(WriteFailure("/dev/full", ""), ""); }

TEST(WriteWholeFile, NonAsciiPath) {
  TempDir dir;
  const std::string path = dir.File("\xC3\xA9\xF0\x9F\x98\x80.json");
  WriteWholeFile(test::Wide(path), "{}");
  EXPECT_EQ(test::ReadBytes(path), "{}");
}

TEST(PathToUTF8, ConvertsEveryPlane) {
  EXPECT_EQ(PathToUTF8(u"a\u00E9\u20AC\U0001F600"), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(PathToUTF8(u""), "");
}

}  // namespace
}  // namespace vexo
