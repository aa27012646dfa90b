#include "wrapper/BarcodeExtractor.h"

#include <array>
#include <stdexcept>
#include <string>

#include "wrapper/ReaderOptions.h"
#include "wrapper/ResultDocument.h"

namespace vexo {
namespace {

constexpr const char* kBitmapFailed = "Could not create bitmap image";
constexpr const char* kReaderFailed = "Could not initialize barcode reader";
constexpr const char* kProfileFailed = "Could not initialize profile settings";

// Constant arguments of the decoder.
constexpr UInt32 kDecodeFlags = 0;
constexpr UInt32 kDecodeMode = 4;
constexpr UInt32 kErrorTextSize = 1024;

// Each guard releases one engine resource when it goes out of scope; declared
// in the order the resources are taken, they release in reverse order.
class BitmapGuard {
 public:
  BitmapGuard(ImagingEngine& owner, EngineBitmap& taken) : engine(owner), bitmap(taken) {}
  BitmapGuard(const BitmapGuard&) = delete;
  BitmapGuard& operator=(const BitmapGuard&) = delete;
  ~BitmapGuard() { engine.ReleaseBitmap(&bitmap); }

 private:
  ImagingEngine& engine;
  EngineBitmap& bitmap;
};

class ReaderGuard {
 public:
  explicit ReaderGuard(ImagingEngine& owner) : engine(owner) {}
  ReaderGuard(const ReaderGuard&) = delete;
  ReaderGuard& operator=(const ReaderGuard&) = delete;
  ~ReaderGuard() { engine.CloseBarcodeReader(); }

 private:
  ImagingEngine& engine;
};

// Holds the pointer that FindBarcodes fills; releases the array only if the
// engine set it.
class ResultsGuard {
 public:
  explicit ResultsGuard(ImagingEngine& owner) : engine(owner) {}
  ResultsGuard(const ResultsGuard&) = delete;
  ResultsGuard& operator=(const ResultsGuard&) = delete;
  ~ResultsGuard() {
    if (results != nullptr) engine.ReleaseBarcodeResults(&results);
  }
  BarcodeResult** Address() { return &results; }
  const BarcodeResult* Get() const { return results; }

 private:
  ImagingEngine& engine;
  BarcodeResult* results = nullptr;
};

// The engine's text for `status`: at most 1023 characters, up to the first
// zero byte; empty when the engine writes nothing.
std::string DescribeEngineError(ImagingEngine& engine, EngineStatus status) {
  std::array<char, kErrorTextSize> buffer{};
  engine.DescribeError(status, buffer.data(), kErrorTextSize, 0);
  buffer.back() = '\0';
  return std::string(buffer.data());
}

}  // namespace

BarcodeExtractor::BarcodeExtractor(const BarcodeRequest& barcodeRequest,
                                   ImagingEngine& imagingEngine)
    : request(barcodeRequest), engine(imagingEngine) {}

std::string BarcodeExtractor::Extract() {
  EngineBitmap bitmap{};
  if (engine.DecodeImageToBitmap(request.bitmapData.data(), &bitmap, kEngineBitmapSize,
                                 kDecodeFlags, kDecodeMode, request.bitmapData.size(), nullptr,
                                 nullptr) != kEngineSuccess) {
    throw std::runtime_error(kBitmapFailed);
  }
  const BitmapGuard bitmapGuard(engine, bitmap);

  const UInt32 directionFlags = DirectionFlags(request.searchDirections);

  ResultDocument document;
  document.Open();

  const UInt32 profileIndex = ProfileIndex(request.profile);
  const SymbologySelection selection = SelectSymbologies(request.searchTypeGroups);

  if (engine.OpenBarcodeReader(selection.featureMask) != kEngineSuccess) {
    throw std::runtime_error(kReaderFailed);
  }
  const ReaderGuard readerGuard(engine);

  // Each block starts with its own size; the engine fills the rest.
  ProfileOptionsA optionsA{};
  ProfileOptionsB optionsB{};
  ProfileOptionsC optionsC{};
  optionsA.words[0] = sizeof(ProfileOptionsA);
  optionsB.words[0] = sizeof(ProfileOptionsB);
  optionsC.words[0] = sizeof(ProfileOptionsC);
  UInt32 profileValue = 0;
  UInt32 unusedOutput = 0;
  if (engine.GetProfileOptions(profileIndex, &profileValue, &optionsA, &optionsB, &optionsC,
                               &unusedOutput) != kEngineSuccess) {
    throw std::runtime_error(kProfileFailed);
  }
  optionsA.words[kDirectionWordA] = directionFlags;
  optionsB.words[kDirectionWordB] = directionFlags;

  const SearchRect rect{0, 0, request.width, request.height};

  ResultsGuard results(engine);
  const UInt32* codes = selection.codes.empty() ? nullptr : selection.codes.data();
  const EngineStatus status = engine.FindBarcodes(
      &bitmap, &rect, codes, static_cast<UInt32>(selection.codes.size()), 0, profileValue, 0,
      &optionsA, &optionsB, &optionsC, results.Address(), kBarcodeResultSize, 0, 0);
  if (status != kEngineSuccess && status != kEngineNothingFound) {
    throw std::runtime_error(DescribeEngineError(engine, status));
  }

  // The first record carries the number of records; a count of 0 or less
  // writes nothing.
  const BarcodeResult* records = results.Get();
  const Int32 count = status == kEngineSuccess && records != nullptr ? records[0].count : 0;
  document.SetBinaryOutput(request.outputFormat == 1);
  for (Int32 i = 0; i < count; ++i) document.AddBarcode(records[i], request.dpi);
  return document.Close();
}

}  // namespace vexo
