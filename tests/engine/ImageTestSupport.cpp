#include "ImageTestSupport.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

#include "engine/image/ImageDecoder.h"

namespace vexo::engine::test {
namespace {

constexpr rlim_t kMemoryHeadroom = 512u << 20;
#ifdef VELMORA_SANITIZED
constexpr bool kCapAddressSpace = false;  // sanitizers reserve terabytes of it up front
#else
constexpr bool kCapAddressSpace = true;
#endif

// The process's current address-space size from /proc, in bytes; 0 if unknown.
rlim_t CurrentAddressSpace() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmSize:") {
      rlim_t kilobytes = 0;
      status >> kilobytes;
      return kilobytes * 1024;
    }
  }
  return 0;
}

// Makes the page from a zint symbol and a ramp; pixel references via raw dumps.
TestPage MakeTestPage() {
  const TempDir& dir = SharedScratch();
  TestPage page;
  page.png = dir.File("page.png");
  const bool made =
      RunQuietly("zint -b CODE128 -d Velmora-42 --scale 2 -o " + dir.File("symbol.png")) &&
      RunQuietly("convert -size 300x120 gradient:white-black -depth 8 " + dir.File("ramp.png")) &&
      RunQuietly("convert -size 320x240 xc:white " + dir.File("symbol.png") +
                 " -geometry +10+10 -composite " + dir.File("ramp.png") +
                 " -geometry +10+110 -composite -colorspace Gray -depth 8"
                 " -units PixelsPerInch -density 300 " +
                 page.png) &&
      RunQuietly("convert " + page.png + " -depth 8 gray:" + dir.File("page.gray")) &&
      RunQuietly("convert " + page.png +
                 " -threshold 50% -depth 8 gray:" + dir.File("bilevel.gray"));
  if (made) {
    page.gray = ReadBytes(dir.File("page.gray"));
    page.bilevel = ReadBytes(dir.File("bilevel.gray"));
  }
  return page;
}

}  // namespace

const TempDir& SharedScratch() {
  static const TempDir dir;
  return dir;
}

const TestPage& SharedTestPage() {
  static const TestPage page = MakeTestPage();
  return page;
}

std::string WriteImage(const std::string& inputs, const std::string& output,
                       const std::string& options) {
  const std::size_t colon = output.find(':');
  const std::string prefix = colon == std::string::npos ? "" : output.substr(0, colon + 1);
  const std::string path = SharedScratch().File(output.substr(prefix.size()));
  return RunQuietly("convert " + inputs + " " + options + " " + prefix + path) ? path : "";
}

std::string WritePageAs(const std::string& output, const std::string& options) {
  return WriteImage(SharedTestPage().png, output, options);
}

bool RunQuietly(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

Bytes ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

CapturedDecode DecodeCapturing(const Bytes& bytes) {
  CapturedDecode result;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  result.status = StatusOf(DecodeImage(bytes.data(), bytes.size(), result.image));
  result.printedErr = testing::internal::GetCapturedStderr();
  result.printedOut = testing::internal::GetCapturedStdout();
  return result;
}

EngineStatus DecodeUnderMemoryCap(const Bytes& bytes) {
  int channel[2];
  if (pipe(channel) != 0) return kStatusInternalError;
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    rlimit cap{};
    if (kCapAddressSpace && getrlimit(RLIMIT_AS, &cap) == 0) {
      cap.rlim_cur = std::min(CurrentAddressSpace() + kMemoryHeadroom, cap.rlim_max);
      setrlimit(RLIMIT_AS, &cap);
    }
    LumaImage image;
    const EngineStatus status = StatusOf(DecodeImage(bytes.data(), bytes.size(), image));
    const bool written = write(channel[1], &status, sizeof status) == sizeof status;
    _exit(written ? 0 : 1);
  }
  close(channel[1]);
  EngineStatus status = kStatusInternalError;
  if (child < 0 || read(channel[0], &status, sizeof status) != sizeof status) {
    status = kStatusInternalError;
  }
  close(channel[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return status;
}

Difference Compare(const LumaImage& image, const Bytes& reference) {
  Difference difference;
  if (image.pixels.size() != reference.size() || reference.empty()) {
    difference.largest = 256;
    return difference;
  }
  double total = 0;
  for (std::size_t i = 0; i < reference.size(); ++i) {
    const int delta = std::abs(image.pixels[i] - reference[i]);
    difference.largest = std::max(difference.largest, delta);
    total += delta;
  }
  difference.mean = total / static_cast<double>(reference.size());
  return difference;
}

}  // namespace vexo::engine::test
