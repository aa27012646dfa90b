#pragma once
// Helpers for the image tests: a scratch directory, quiet tool runs, file
// bytes, decoding with captured output, and image comparison.

#include <filesystem>
#include <string>
#include <vector>

#include "Common/Types.h"
#include "engine/core/Status.h"
#include "engine/image/LumaImage.h"
#include "tests/support/TempDir.h"

namespace vexo::engine::test {

using Bytes = std::vector<UInt8>;

using ::vexo::test::TempDir;

// The test page, made once per process: a Code 128 symbol over a gray ramp on
// white, 320 x 240 pixels, 8-bit gray PNG at 300 dpi. `gray` holds its pixels
// as ImageMagick reads them, `bilevel` the same thresholded at 50 %.
struct TestPage {
  static constexpr Int32 kWidth = 320;
  static constexpr Int32 kHeight = 240;
  static constexpr Int32 kDpi = 300;
  std::string png;
  Bytes gray;
  Bytes bilevel;
};
const TestPage& SharedTestPage();

// Runs `convert <inputs> <options> <output>` into the scratch directory; the
// path written, or "" when convert failed. `output` may carry a format prefix
// such as "PNG24:".
std::string WriteImage(const std::string& inputs, const std::string& output,
                       const std::string& options);
// The same with the test page as input.
std::string WritePageAs(const std::string& output, const std::string& options = "");

// The scratch directory shared by the image tests.
const TempDir& SharedScratch();

// Runs a shell command with its output discarded; true when it exits with 0.
bool RunQuietly(const std::string& command);

Bytes ReadBytes(const std::string& path);

// One decode with standard output and standard error captured.
struct CapturedDecode {
  EngineStatus status = kStatusInternalError;
  LumaImage image;
  std::string printedOut;
  std::string printedErr;
};
CapturedDecode DecodeCapturing(const Bytes& bytes);

// Decodes in a child process whose address space is capped a little above its
// current use, so any large allocation fails. Sanitizer builds run without the
// cap.
EngineStatus DecodeUnderMemoryCap(const Bytes& bytes);

// Largest and mean absolute difference of an image from reference pixels;
// the largest is 256 when the sizes differ.
struct Difference {
  int largest = 0;
  double mean = 0;
};
Difference Compare(const LumaImage& image, const Bytes& reference);

}  // namespace vexo::engine::test
