#pragma once
// One hostile run's surroundings: a scratch folder, a request that names the
// input under test, and the checks every refused run must pass.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "WorkerRun.h"
#include "tests/app/TestSupport.h"

namespace vexo::hostile {

// `text` as a JSON string literal: quotes, backslashes and control
// characters escaped, every other byte as it is.
std::string JsonString(std::string_view text);

// A complete, valid request naming the two paths.
std::string RequestText(const std::string& bitmapPath, const std::string& resultPath);

class Scene {
 public:
  std::string Dir() const { return dir.Path().string(); }
  std::string File(const std::string& name) const { return dir.File(name); }
  // Writes `bytes` to `name` in the folder and returns its path.
  std::string Write(const std::string& name, std::string_view bytes) const;
  // Where the requests of this scene ask for the result.
  std::string ResultPath() const { return File("result.json"); }
  // Writes request.json naming `bitmapPath` (and `resultPath`, or the
  // scene's result path) and returns its path.
  std::string Request(const std::string& bitmapPath) const;
  std::string Request(const std::string& bitmapPath, const std::string& resultPath) const;

 private:
  test::TempDir dir;
};

// "Velmora Barcode Module <version>" as the worker prints it.
const std::string& WorkerPrefix();

// The worker refused: exit code 1, standard output exactly the identity
// prefix, ", ERROR: ", `message` and one line feed, nothing on standard error
// (no codec warning, no sanitizer report).
testing::AssertionResult Refused(const WorkerOutcome& outcome, const std::string& message);

// The worker refused with the Unicode conversion's report: exit code 1, one
// report of several lines begun by the identity prefix and ", ERROR: ",
// holding `message` as its message line, nothing on standard error.
testing::AssertionResult RefusedByConversion(const WorkerOutcome& outcome,
                                             const std::string& message);

// The worker succeeded: exit code 0, nothing printed on either stream.
testing::AssertionResult Succeeded(const WorkerOutcome& outcome);

// Either of the two: a damaged input may still decode.
testing::AssertionResult SucceededOrRefused(const WorkerOutcome& outcome,
                                            const std::string& message);

// The report of every image the engine cannot decode.
inline constexpr char kBitmapRefused[] = "Could not create bitmap image";

}  // namespace vexo::hostile
