#include "tests/e2e/E2eSupport.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace vexo::e2e {

namespace fs = std::filesystem;

const Gray& MixedPage() {
  static const Gray page = [] {
    using test::DrawSymbol, test::Place, test::Turned;
    Gray p = Gray::White(kPageWidth, kPageHeight);
    Place(p, DrawSymbol("CODE128 --height=30 -d E2E-128", 1), 60, 60);
    Place(p, DrawSymbol("QRCODE -d 'E2E QR 0042'", 2), 720, 60);
    Place(p, Turned(DrawSymbol("CODE39 --height=30 -d E2E39", 1), 90), 460, 260);
    Place(p, DrawSymbol("EANX -d 400638133393", 1.5), 60, 420);
    Place(p, DrawSymbol("DATAMATRIX --square -d 'E2E DM'", 3), 780, 520);
    return p;
  }();
  return page;
}

Entries TypesAndTexts(const std::string& document) {
  // The value of `key` on the line where it is found after `from`.
  const auto value = [&](const std::string& key, std::size_t& from) -> std::string {
    const std::string opening = "\"" + key + "\": \"";
    from = document.find(opening, from);
    if (from == std::string::npos) return {};
    from += opening.size();
    const std::size_t close = document.find("\",\n", from);
    return close == std::string::npos ? std::string() : document.substr(from, close - from);
  };
  Entries found;
  for (std::size_t at = 0;;) {
    std::string type = value("type", at);
    if (at == std::string::npos) break;
    std::string text = value("text", at);
    if (at == std::string::npos) break;
    found.emplace_back(std::move(type), std::move(text));
  }
  return found;
}

std::string RequestText(const Request& r) {
  std::string text = "{";
  const auto add = [&](const char* key, const std::string& value) {
    if (text.size() > 1) text += ", ";
    text += std::string("\"") + key + "\": " + value;
  };
  if (r.searchTypeGroups) add("searchTypeGroups", std::to_string(*r.searchTypeGroups));
  if (r.searchDirections) add("searchDirections", std::to_string(*r.searchDirections));
  if (r.profile) add("profile", std::to_string(*r.profile));
  if (r.outputFormat) add("outputFormat", std::to_string(*r.outputFormat));
  add("width", std::to_string(r.width));
  add("height", std::to_string(r.height));
  add("stride", std::to_string(r.width));
  add("dpi", std::to_string(r.dpi));
  add("scalarW", "\"1.0\"");
  add("scalarH", "\"1.0\"");
  add("bitmapPath", "\"" + r.bitmapPath + "\"");
  add("resultPath", "\"" + r.resultPath + "\"");
  return text + "}";
}

namespace {

// With VELMORA_COLLECT_DIR set, every request the worker accepted and the
// document it wrote are copied there (named after the running test), so the
// schema test can validate what the end-to-end tests really produce.
void CollectAcceptedRun(const std::string& requestText, const WorkerRun& run) {
  const char* dir = std::getenv("VELMORA_COLLECT_DIR");
  if (dir == nullptr || *dir == '\0' || run.exitCode != 0 || !run.result) return;
  static std::atomic<int> counter{0};
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  std::string name =
      test == nullptr ? "outside-test" : std::string(test->test_suite_name()) + "." + test->name();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.') c = '_';
  }
  // Test processes run side by side: the process and a count keep names apart.
  const fs::path stem = fs::path(dir) / name;
  std::string unique = stem.string();
  for (const int part : {static_cast<int>(getpid()), counter++}) {
    unique += '-';
    unique += std::to_string(part);
  }
  fs::create_directories(dir);
  WriteBytes(unique + ".request.json", requestText);
  WriteBytes(unique + ".result.json", *run.result);
}

}  // namespace

WorkerRun RunWorker(const TempDir& dir, const Request& request) {
  const std::string requestPath = dir.File("request.json");
  const std::string outPath = dir.File("stdout.txt");
  const std::string errPath = dir.File("stderr.txt");
  WriteBytes(requestPath, RequestText(request));
  std::error_code ignored;
  fs::remove(request.resultPath, ignored);
  std::string command = "'";
  for (const std::string& part : {std::string(VELMORA_WORKER), "' '" + requestPath,
                                  "' >'" + outPath, "' 2>'" + errPath, std::string("' </dev/null")})
    command += part;
  const int status = std::system(command.c_str());
  WorkerRun run;
  if (status != -1 && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  run.out = ReadBytes(outPath);
  run.err = ReadBytes(errPath);
  if (fs::exists(request.resultPath)) run.result = ReadBytes(request.resultPath);
  CollectAcceptedRun(ReadBytes(requestPath), run);
  return run;
}

void WriteImage(const Gray& page, const std::string& path, const std::string& options,
                const std::string& format) {
  const std::string raw = path + ".raw";
  WriteBytes(raw, std::string(page.pixels.begin(), page.pixels.end()));
  const std::string command = "convert -size " + std::to_string(page.width) + "x" +
                              std::to_string(page.height) + " -depth 8 gray:'" + raw + "' " +
                              options + " '" + (format.empty() ? "" : format + ":") + path + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  fs::remove(raw);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace vexo::e2e
