#pragma once
// Runs the worker binary built beside these tests on request files written to
// a temporary folder, over pages drawn at test time.

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/engine/SymbolImages.h"
#include "tests/support/TempDir.h"

namespace vexo::e2e {

using test::Gray;

using test::TempDir;

// A 1000x760 page: a Code 128 and an EAN-13 lying flat, a Code 39 standing,
// a QR Code and a Datamatrix. Drawn the same way every time.
inline constexpr int kPageWidth = 1000;
inline constexpr int kPageHeight = 760;
const Gray& MixedPage();
// The document the worker writes for it at 144 dpi, as the result tests spell it.
extern const char kMixedPageDocument[];

// The "type" and "text" of every barcode of a result document, in order.
using Entries = std::vector<std::pair<std::string, std::string>>;
Entries TypesAndTexts(const std::string& document);

// The members of a request; absent optional members are left out.
struct Request {
  std::optional<unsigned long long> searchTypeGroups;
  std::optional<unsigned long long> searchDirections;
  std::optional<int> profile;
  std::optional<unsigned long long> outputFormat;
  int width = 0;
  int height = 0;
  int dpi = 72;
  std::string bitmapPath;
  std::string resultPath;
};
std::string RequestText(const Request& request);

struct WorkerRun {
  int exitCode = -1;
  std::string out;
  std::string err;
  std::optional<std::string> result;  // the result file, when one was written
};

// Writes the request into `dir` and runs the worker on it.
WorkerRun RunWorker(const TempDir& dir, const Request& request);

// The page written with ImageMagick as `path`, in the format its extension
// or `format` ("PNG8", "BMP3") names, changed by `options` ("-quality 95").
void WriteImage(const Gray& page, const std::string& path, const std::string& options = "",
                const std::string& format = "");
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);

}  // namespace vexo::e2e
