// Odd files and paths in the request and on the command line: empty and
// one-byte files, folders, devices, FIFOs, standard input, unreadable files,
// paths too long for the system and paths with control characters. Each run
// must end at once in one report line that names the file, with no result
// file left behind.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "Pages.h"
#include "Scene.h"

namespace vexo::hostile {
namespace {

std::string OpenInput(const std::string& path, const char* error) {
  return "Cannot open input file \"" + path + "\": " + error;
}
std::string ReadInput(const std::string& path, const char* error) {
  return "Cannot read input file \"" + path + "\": " + error;
}
std::string OpenOutput(const std::string& path, const char* error) {
  return "Cannot open output file \"" + path + "\": " + error;
}
std::string Malformed(const std::string& path) { return "Malformed input JSON \"" + path + "\""; }

std::string MakeFifo(const Scene& scene, const std::string& name) {
  const std::string path = scene.File(name);
  if (mkfifo(path.c_str(), 0644) != 0) throw std::runtime_error("mkfifo failed");
  return path;
}

// What one case runs and the report it expects.
struct PlannedRun {
  std::vector<std::string> arguments;
  std::string message;
  RunOptions options;
};

RunOptions Unprivileged() {
  RunOptions options;
  options.unprivileged = true;
  return options;
}

RunOptions Input(std::string text) {
  RunOptions options;
  options.input = std::move(text);
  return options;
}

// A run whose request names `bitmap`.
PlannedRun WithBitmap(const Scene& scene, const std::string& bitmap, std::string message) {
  return {{scene.Request(bitmap)}, std::move(message), {}};
}

struct FileCase {
  const char* name;
  std::function<PlannedRun(const Scene&)> prepare;
};

const FileCase kFileCases[] = {
    {"EmptyBitmap",
     [](const Scene& s) { return WithBitmap(s, s.Write("empty.png", ""), kBitmapRefused); }},
    {"OneByteBitmap",
     [](const Scene& s) { return WithBitmap(s, s.Write("one.png", "\x89"), kBitmapRefused); }},
    {"EmptyRequest",
     [](const Scene& s) {
       const std::string request = s.Write("empty.json", "");
       return PlannedRun{{request}, Malformed(request), {}};
     }},
    {"OneByteRequest",
     [](const Scene& s) {
       const std::string request = s.Write("one.json", "{");
       return PlannedRun{{request}, Malformed(request), {}};
     }},
    {"BitmapIsAFolder",
     [](const Scene& s) { return WithBitmap(s, s.Dir(), OpenInput(s.Dir(), "Is a directory")); }},
    {"RequestIsAFolder",
     [](const Scene& s) {
       return PlannedRun{{s.Dir()}, OpenInput(s.Dir(), "Is a directory"), {}};
     }},
    {"BitmapIsDevZero",
     [](const Scene& s) {
       return WithBitmap(s, "/dev/zero", ReadInput("/dev/zero", "Illegal seek"));
     }},
    {"BitmapIsDevNull",
     [](const Scene& s) {
       return WithBitmap(s, "/dev/null", ReadInput("/dev/null", "Illegal seek"));
     }},
    {"BitmapOverOneGiB",
     [](const Scene& s) {
       const std::string page = s.Write("huge.png", "");
       std::filesystem::resize_file(page, (1ull << 30) + 1);  // sparse: no disk taken
       return WithBitmap(s, page, ReadInput(page, "File too large"));
     }},
    {"BitmapIsASysfsFileShorterThanItsSize",
     [](const Scene& s) {
       // 4096 bytes by its size, a few in fact: the read ends early without
       // a system error, which must not read "Success".
       const std::string path = "/sys/devices/system/cpu/online";
       return WithBitmap(s, path, ReadInput(path, "File ended before its stated size"));
     }},
    {"BitmapIsAFifoWithoutWriter",
     [](const Scene& s) {
       const std::string fifo = MakeFifo(s, "page.fifo");
       return WithBitmap(s, fifo, ReadInput(fifo, "Illegal seek"));
     }},
    {"RequestIsAFifoWithoutWriter",
     [](const Scene& s) {
       const std::string fifo = MakeFifo(s, "request.fifo");
       return PlannedRun{{fifo}, ReadInput(fifo, "Illegal seek"), {}};
     }},
    {"RequestIsStandardInput",
     [](const Scene& s) {
       return PlannedRun{
           {"/dev/stdin"},
           ReadInput("/dev/stdin", "Illegal seek"),
           Input(RequestText(s.Write("page.png", PageBytes(PageFormats()[0])), s.ResultPath()))};
     }},
    {"ResultIsAFifoWithoutReader",
     [](const Scene& s) {
       const std::string fifo = MakeFifo(s, "result.fifo");
       const std::string page = s.Write("page.png", PageBytes(PageFormats()[0]));
       return PlannedRun{
           {s.Request(page, fifo)}, OpenOutput(fifo, "No such device or address"), {}};
     }},
    {"ResultIsAFolder",
     [](const Scene& s) {
       const std::string page = s.Write("page.png", PageBytes(PageFormats()[0]));
       return PlannedRun{{s.Request(page, s.Dir())}, OpenOutput(s.Dir(), "Is a directory"), {}};
     }},
    {"ResultOnAFullDevice",
     [](const Scene& s) {
       const std::string page = s.Write("page.png", PageBytes(PageFormats()[0]));
       return PlannedRun{{s.Request(page, "/dev/full")},
                         "Cannot write output file \"/dev/full\": No space left on device",
                         {}};
     }},
    {"BitmapPathLongerThanPathMax",
     [](const Scene& s) {
       std::string path = s.Dir();
       while (path.size() <= 5000) path += "/abcdefgh";
       return WithBitmap(s, path, OpenInput(path, "File name too long"));
     }},
    {"BitmapPathOfExactlyPathMax",
     [](const Scene& s) {
       std::string path = s.Dir() + "/";
       path += std::string(4096 - path.size(), 'p');  // no room left for the zero byte
       return WithBitmap(s, path, OpenInput(path, "File name too long"));
     }},
    {"BitmapNameLongerThanNameMax",
     [](const Scene& s) {
       const std::string path = s.File(std::string(256, 'n'));
       return WithBitmap(s, path, OpenInput(path, "File name too long"));
     }},
    {"RequestPathLongerThanPathMax",
     [](const Scene& s) {
       const std::string path = s.Dir() + std::string(5000, '/') + "request.json";
       return PlannedRun{{path}, OpenInput(path, "File name too long"), {}};
     }},
    {"BitmapBelowAFile",
     [](const Scene& s) {
       const std::string path = s.Write("page.png", PageBytes(PageFormats()[0])) + "/inside";
       return WithBitmap(s, path, OpenInput(path, "Not a directory"));
     }},
    {"BitmapIsASymlinkLoop",
     [](const Scene& s) {
       const std::string path = s.File("loop.png");
       std::filesystem::create_symlink(path, path);
       return WithBitmap(s, path, OpenInput(path, "Too many levels of symbolic links"));
     }},
    {"BitmapIsADanglingSymlink",
     [](const Scene& s) {
       const std::string path = s.File("dangling.png");
       std::filesystem::create_symlink(s.File("absent.png"), path);
       return WithBitmap(s, path, OpenInput(path, "No such file or directory"));
     }},
    {"MissingBitmapNamedWithControlCharacters",
     [](const Scene& s) {
       const std::string path = s.File("pa\nge\r\t\x01\x1b[2J\x7f.png");
       return WithBitmap(s, path,
                         OpenInput(s.File("pa\\x0Age\\x0D\\x09\\x01\\x1B[2J\\x7F.png"),
                                   "No such file or directory"));
     }},
    {"MissingRequestNamedWithALineFeed",
     [](const Scene& s) {
       return PlannedRun{{s.File("re\nquest.json")},
                         OpenInput(s.File("re\\x0Aquest.json"), "No such file or directory"),
                         {}};
     }},
    {"UnreadableBitmap",
     [](const Scene& s) {
       const std::string page = s.Write("locked.png", PageBytes(PageFormats()[0]));
       chmod(page.c_str(), 0);
       chmod(s.Request(page).c_str(), 0644);
       chmod(s.Dir().c_str(), 0755);
       return PlannedRun{
           {s.File("request.json")}, OpenInput(page, "Permission denied"), Unprivileged()};
     }},
    {"UnreadableRequest",
     [](const Scene& s) {
       const std::string request = s.Request(s.File("absent.png"));
       chmod(request.c_str(), 0);
       chmod(s.Dir().c_str(), 0755);
       return PlannedRun{{request}, OpenInput(request, "Permission denied"), Unprivileged()};
     }},
};

class OddFile : public testing::TestWithParam<FileCase> {};

TEST_P(OddFile, EndsInOneReportLine) {
  const Scene scene;
  const PlannedRun run = GetParam().prepare(scene);
  const WorkerOutcome outcome = RunWorker(run.arguments, run.options);
  if (run.options.unprivileged && outcome.exitCode == kCannotRunUnprivileged) {
    GTEST_SKIP() << "running as root and cannot run the worker as the user nobody, so "
                    "file permissions do not apply";
  }
  EXPECT_TRUE(Refused(outcome, run.message));
  EXPECT_FALSE(test::Exists(scene.ResultPath()));
}

INSTANTIATE_TEST_SUITE_P(Hostile, OddFile, testing::ValuesIn(kFileCases), test::CaseName());

// The real worker on a result FIFO whose reader holds it open and never
// reads: the run's 90 s stop ends it (RunWatchdog_test has the same with a
// short stop). It takes 90 s, so it runs with VELMORA_LONG_TESTS=1 only.
TEST(ResultFifo, WhoseReaderNeverReadsEndsAtTheStop) {
  const char* longTests = std::getenv("VELMORA_LONG_TESTS");
  if (longTests == nullptr || std::string(longTests) != "1") GTEST_SKIP() << "a 90 s run";
  const Scene scene;
  const std::string fifo = MakeFifo(scene, "result.fifo");
  const int reader = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  const std::string block(4096, 'x');
  while (write(reader, block.data(), block.size()) > 0) {
  }
  const std::string page = scene.Write("page.png", PageBytes(PageFormats()[0]));
  const WorkerOutcome outcome = RunWorker({scene.Request(page, fifo)});
  close(reader);
  EXPECT_TRUE(Refused(outcome, "The search took longer than the engine's time budget."));
  EXPECT_LT(outcome.seconds, 100);
}

// Odd but valid names open the file they name.
struct NameCase {
  const char* name;
  std::function<std::string(const Scene&)> makeFolder;
  const char* file;
};

const NameCase kNameCases[] = {
    {"ControlCharactersInTheName", [](const Scene& s) { return s.Dir(); },
     "pa\nge\t\x01\x1b\x7f.png"},
    {"PathJustUnderPathMax",
     [](const Scene& s) {
       std::filesystem::path folder = s.Dir();
       while (folder.string().size() < 4096 - 2 * 250) folder /= std::string(240, 'd');
       std::filesystem::create_directories(folder);
       return folder.string();
     },
     "page.png"},
    {"NameOfNameMax", [](const Scene& s) { return s.Dir(); }, nullptr},
};

class OddName : public testing::TestWithParam<NameCase> {};

TEST_P(OddName, OpensTheNamedFile) {
  const Scene scene;
  const std::string folder = GetParam().makeFolder(scene);
  const std::string name = GetParam().file != nullptr ? GetParam().file : std::string(255, 'n');
  const std::string bitmap = folder + "/" + name;
  test::WriteBytes(bitmap, PageBytes(PageFormats()[0]));
  EXPECT_TRUE(Succeeded(RunWorker({scene.Request(bitmap)})));
  EXPECT_TRUE(test::Exists(scene.ResultPath()));
}

INSTANTIATE_TEST_SUITE_P(Hostile, OddName, testing::ValuesIn(kNameCases), test::CaseName());

}  // namespace
}  // namespace vexo::hostile
