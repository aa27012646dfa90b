#include "Scene.h"

#include <cstdio>

namespace vexo::hostile {
namespace {

std::string Describe(const WorkerOutcome& outcome) {
  std::string text = "exit code " + std::to_string(outcome.exitCode);
  if (outcome.signal != 0) text += ", signal " + std::to_string(outcome.signal);
  if (outcome.hung) text += ", killed at the time limit";
  text += "\nstdout: [" + outcome.out + "]\nstderr: [" + outcome.err + "]";
  return text;
}

}  // namespace

const std::string& WorkerPrefix() {
  // The banner is the prefix and a full stop; taken from the worker itself so
  // that a worker relinked at a newer commit than these tests still matches.
  static const std::string prefix = [] {
    const std::string banner = RunWorker({}).out;
    const std::size_t end = banner.find(".\n");
    return end == std::string::npos ? test::Prefix() : banner.substr(0, end);
  }();
  return prefix;
}

std::string JsonString(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (byte < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", byte);
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string RequestText(const std::string& bitmapPath, const std::string& resultPath) {
  return "{\"width\": 4000, \"height\": 4000, \"stride\": 4000, \"dpi\": 300,"
         " \"scalarW\": \"1\", \"scalarH\": \"1\", \"bitmapPath\": " +
         JsonString(bitmapPath) + ", \"resultPath\": " + JsonString(resultPath) + "}";
}

std::string Scene::Write(const std::string& name, std::string_view bytes) const {
  const std::string path = File(name);
  test::WriteBytes(path, std::string(bytes));
  return path;
}

std::string Scene::Request(const std::string& bitmapPath) const {
  return Request(bitmapPath, ResultPath());
}

std::string Scene::Request(const std::string& bitmapPath, const std::string& resultPath) const {
  return Write("request.json", RequestText(bitmapPath, resultPath));
}

testing::AssertionResult Refused(const WorkerOutcome& outcome, const std::string& message) {
  const std::string line = WorkerPrefix() + ", ERROR: " + message + "\n";
  if (outcome.exitCode == 1 && outcome.out == line && outcome.err.empty()) {
    return testing::AssertionSuccess();
  }
  return testing::AssertionFailure() << "expected the report [" << line << "]\n"
                                     << Describe(outcome);
}

testing::AssertionResult RefusedByConversion(const WorkerOutcome& outcome,
                                             const std::string& message) {
  const std::string start = WorkerPrefix() + ", ERROR: Exception: \n";
  const std::string line = "\t Message: " + message + "\n";
  if (outcome.exitCode == 1 && outcome.out.rfind(start, 0) == 0 &&
      outcome.out.find(line) != std::string::npos && outcome.out.back() == '\n' &&
      outcome.err.empty()) {
    return testing::AssertionSuccess();
  }
  return testing::AssertionFailure() << "expected the conversion's report with [" << line << "]\n"
                                     << Describe(outcome);
}

testing::AssertionResult Succeeded(const WorkerOutcome& outcome) {
  if (outcome.exitCode == 0 && outcome.out.empty() && outcome.err.empty()) {
    return testing::AssertionSuccess();
  }
  return testing::AssertionFailure() << "expected a silent success\n" << Describe(outcome);
}

testing::AssertionResult SucceededOrRefused(const WorkerOutcome& outcome,
                                            const std::string& message) {
  if (Succeeded(outcome)) return testing::AssertionSuccess();
  return Refused(outcome, message);
}

}  // namespace vexo::hostile
