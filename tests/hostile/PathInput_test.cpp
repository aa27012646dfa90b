// Hostile paths in the request and on the command line: zero characters,
// over-long UTF-8 forms, surrogates, Latin-1 argument bytes beside a UTF-8
// namesake, paths at and over the system's length limits. Each run must
// read and write exactly the files named, or none: afterwards the folder
// holds what it held before, plus the result file of a successful run.

#include <gtest/gtest.h>
#include <limits.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "Pages.h"
#include "Scene.h"

namespace vexo::hostile {
namespace {

// Every file and folder below the scene's folder, relative to it.
std::set<std::string> Listing(const Scene& scene) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(scene.Dir())) {
    names.insert(std::filesystem::relative(entry.path(), scene.Dir()).string());
  }
  return names;
}

// A request text with the two path members given as raw JSON string bodies,
// so that they may hold escapes and bytes that are no valid UTF-8.
std::string RawRequest(const std::string& bitmapBody, const std::string& resultBody) {
  return "{\"width\": 4000, \"height\": 4000, \"stride\": 4000, \"dpi\": 300,"
         " \"scalarW\": \"1\", \"scalarH\": \"1\", \"bitmapPath\": \"" +
         bitmapBody + "\", \"resultPath\": \"" + resultBody + "\"}";
}

std::string Page(const Scene& scene) {
  return scene.Write("page.png", PageBytes(PageFormats()[0]));
}

// A folder inside the scene whose path is `length` bytes long (made of
// nested names of at most 200 bytes).
std::string FolderOfLength(const Scene& scene, std::size_t length) {
  std::string folder = scene.Dir();
  while (folder.size() < length) {
    const std::size_t room = length - folder.size() - 1;
    folder += '/';
    folder.append(std::min<std::size_t>(room, 200), 'd');
  }
  std::filesystem::create_directories(folder);
  return folder;
}

// What a case expects: a report (a one-line message, or the message of the
// Unicode conversion's multi-line report), or a result at `resultPath`.
struct Expected {
  std::vector<std::string> arguments;
  std::string report;
  bool conversionReport = false;
  std::string resultPath;  // the only new file after a successful run
};

struct PathCase {
  const char* name;
  std::function<Expected(const Scene&)> prepare;
};

Expected RequestRun(const Scene& scene, const std::string& text, std::string report,
                    bool conversion = false) {
  return {{scene.Write("request.json", text)}, std::move(report), conversion, {}};
}

const PathCase kPathCases[] = {
    {"ZeroCharacterInTheBitmapPath",
     [](const Scene& s) {
       return RequestRun(s, RawRequest(Page(s) + "\\u0000.txt", s.File("result.json")),
                         "Malformed input JSON: \"bitmapPath\" has wrong format");
     }},
    {"ZeroCharacterInTheResultPath",
     [](const Scene& s) {
       return RequestRun(s, RawRequest(Page(s), s.File("o7.json") + "\\u0000/etc/x"),
                         "Malformed input JSON: \"resultPath\" has wrong format");
     }},
    {"OverLongZeroInTheBitmapPath",
     [](const Scene& s) {
       return RequestRun(s, RawRequest(Page(s) + "\xC0\x80.txt", s.File("result.json")),
                         "Invalid UTF8 data", true);
     }},
    {"OverLongSlashInTheResultPath",
     [](const Scene& s) {
       std::filesystem::create_directory(s.File("sub"));
       return RequestRun(s, RawRequest(Page(s), s.File("sub\xC0\xAFo.json")), "Invalid UTF8 data",
                         true);
     }},
    {"ThreeByteOverLongSlash",
     [](const Scene& s) {
       return RequestRun(s, RawRequest(Page(s), s.File("sub\xE0\x80\xAFo.json")),
                         "Invalid UTF8 data", true);
     }},
    {"SurrogateInAFourByteForm",
     [](const Scene& s) {
       return RequestRun(s,
                         RawRequest(Page(s), s.File("o2\xF0\x8D\xA0\x80"
                                                    "A.json")),
                         "Bad UTF8 code point", true);
     }},
    {"LoneLowSurrogate",
     [](const Scene& s) {
       return RequestRun(s, RawRequest(Page(s), s.File("o3\xED\xB0\x80.json")),
                         "Bad UTF8 code point", true);
     }},
    {"EscapedLoneSurrogate",
     [](const Scene& s) {
       // The JSON parser refuses a lone surrogate escape itself.
       const std::string request =
           s.Write("request.json", RawRequest(Page(s), s.File("o4\\uD800.json")));
       return Expected{{request}, "Malformed input JSON \"" + request + "\"", false, {}};
     }},
    {"Latin1ArgumentBesideItsUtf8Namesake",
     [](const Scene& s) {
       // Only the namesake exists: the argument's own bytes name no file.
       s.Write("r\xC3\xA9.json", RequestText(Page(s), s.File("namesake.json")));
       return Expected{
           {s.File("r\xE9.json")},
           "Cannot open input file \"" + s.File("r\xC3\xA9.json") + "\": No such file or directory",
           false,
           {}};
     }},
    {"Latin1ArgumentOpensItsOwnBytes",
     [](const Scene& s) {
       const std::string page = Page(s);
       s.Write("r\xC3\xA9.json", RequestText(page, s.File("namesake.json")));
       const std::string request = s.Write("r\xE9.json", RequestText(page, s.File("own.json")));
       return Expected{{request}, "", false, s.File("own.json")};
     }},
    {"ResultPathOfPathMaxLess1",
     [](const Scene& s) {
       const std::string folder = FolderOfLength(s, PATH_MAX - 1 - 12);
       const std::string result = folder + "/result.json";  // 4095 bytes and the zero
       return Expected{{s.Request(Page(s), result)}, "", false, result};
     }},
    {"ResultPathOfPathMax",
     [](const Scene& s) {
       const std::string result = FolderOfLength(s, PATH_MAX - 12) + "/result.json";
       return Expected{{s.Request(Page(s), result)},
                       "Cannot open output file \"" + result + "\": File name too long",
                       false,
                       {}};
     }},
    {"ResultNameOfNameMax",
     [](const Scene& s) {
       const std::string result = s.File(std::string(NAME_MAX, 'r'));
       return Expected{{s.Request(Page(s), result)}, "", false, result};
     }},
    {"ResultNameOverNameMax",
     [](const Scene& s) {
       const std::string result = s.File(std::string(NAME_MAX + 1, 'r'));
       return Expected{{s.Request(Page(s), result)},
                       "Cannot open output file \"" + result + "\": File name too long",
                       false,
                       {}};
     }},
    {"ArgumentOverPathMax",
     [](const Scene& s) {
       const std::string request = s.Dir() + "/" + std::string(PATH_MAX, 'q');
       return Expected{
           {request}, "Cannot open input file \"" + request + "\": File name too long", false, {}};
     }},
};

class HostilePath : public testing::TestWithParam<PathCase> {};

TEST_P(HostilePath, TouchesOnlyTheNamedFiles) {
  const Scene scene;
  const Expected expected = GetParam().prepare(scene);
  std::set<std::string> before = Listing(scene);
  const WorkerOutcome outcome = RunWorker(expected.arguments);
  if (expected.report.empty()) {
    EXPECT_TRUE(Succeeded(outcome));
    before.insert(std::filesystem::relative(expected.resultPath, scene.Dir()).string());
  } else if (expected.conversionReport) {
    EXPECT_TRUE(RefusedByConversion(outcome, expected.report));
  } else {
    EXPECT_TRUE(Refused(outcome, expected.report));
  }
  EXPECT_EQ(Listing(scene), before);
}

INSTANTIATE_TEST_SUITE_P(Hostile, HostilePath, testing::ValuesIn(kPathCases), test::CaseName());

}  // namespace
}  // namespace vexo::hostile
