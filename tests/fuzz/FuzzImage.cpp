// Fuzz target: image decoding plus one read of our engine over arbitrary bytes,
// driven through the engine interface as the extraction drives it.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "engine/Engine.h"
#include "engine/image/ImageHeader.h"
#include "engine/image/QuietOutput.h"

namespace {

constexpr vexo::UInt32 kAllFeatures = 0xAAA9;
constexpr vexo::UInt32 kCodes[] = {0x8003FFFF, 0x20002000, 0x20000001, 0x08000001, 0x10000001,
                                   0x21000000, 0x22000000, 0x24000000};

// A few bytes of PNG or JPEG can claim a page of up to 250 million pixels,
// which the worker accepts and takes seconds and gigabytes to decode and read.
// Such inputs teach the fuzzer nothing and stall it, so this target skips
// images whose header claims more than this; the worker keeps its own limits.
constexpr vexo::Int64 kMaxFuzzPixels = 2'000'000;

// The pixels the decoder will allocate, from the header alone. 0 when the
// header does not parse or is over the engine's own limits: the engine refuses
// those from the header too, cheaply, so they still go through it.
vexo::Int64 HeaderPixels(const std::uint8_t* data, std::size_t size) {
  using namespace vexo::engine;
  const StderrMute mute;
  const HeaderInfo info = ReadImageHeader(SniffImageFormat(data, size), data, size);
  if (info.status != kStatusSuccess ||
      CheckImageSize(info.width, info.height, info.decodedPixels) != kStatusSuccess) {
    return 0;
  }
  return std::max(info.width * info.height, info.decodedPixels);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::unique_ptr<vexo::ImagingEngine> engine = vexo::engine::CreateImagingEngine();
  vexo::engine::SilenceLeptonica();
  if (HeaderPixels(data, size) > kMaxFuzzPixels) return 0;
  vexo::EngineBitmap bitmap{};
  if (engine->DecodeImageToBitmap(data, &bitmap, sizeof bitmap, 0, 4, size, nullptr, nullptr) !=
      vexo::kEngineSuccess) {
    return 0;
  }
  if (engine->OpenBarcodeReader(kAllFeatures) == vexo::kEngineSuccess) {
    vexo::ProfileOptionsA a{{44}};
    vexo::ProfileOptionsB b{{8}};
    vexo::ProfileOptionsC c{{12}};
    vexo::UInt32 value = 0;
    vexo::UInt32 extra = 0;
    // The fastest profile keeps each input cheap; direction flags all on.
    if (engine->GetProfileOptions(1, &value, &a, &b, &c, &extra) == vexo::kEngineSuccess) {
      a.words[vexo::kDirectionWordA] = 0xE0;
      b.words[vexo::kDirectionWordB] = 0xE0;
      const vexo::SearchRect rect{0, 0, 0x7FFFFFFF, 0x7FFFFFFF};
      vexo::BarcodeResult* results = nullptr;
      const vexo::EngineStatus status =
          engine->FindBarcodes(&bitmap, &rect, kCodes, std::size(kCodes), 0, value, 0, &a, &b, &c,
                               &results, sizeof(vexo::BarcodeResult), 0, 0);
      if (status == vexo::kEngineSuccess && results != nullptr) {
        // Touch every record and its bytes so the sanitizers see any bad pointer.
        volatile std::uint8_t sink = 0;
        for (int i = 0; i < results[0].count; ++i) {
          for (int j = 0; j < results[i].dataLength; ++j) sink = sink ^ results[i].data[j];
        }
        engine->ReleaseBarcodeResults(&results);
        if (results != nullptr) std::abort();
      }
    }
    engine->CloseBarcodeReader();
  }
  engine->ReleaseBitmap(&bitmap);
  return 0;
}
