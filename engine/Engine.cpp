#include "engine/Engine.h"

#include <cstring>

#include "engine/core/Status.h"

namespace vexo::engine {
namespace {

// Until the reader lands: refuses every image.
class PendingEngine final : public ImagingEngine {
 public:
  EngineStatus DecodeImageToBitmap(const void*, EngineBitmap*, UInt32, UInt32, UInt32, UInt64,
                                   const void*, const void*) override {
    return kStatusUnknownImageFormat;
  }
  EngineStatus ReleaseBitmap(EngineBitmap*) override { return kStatusSuccess; }
  EngineStatus DescribeError(EngineStatus status, char* buffer, UInt32 bufferSize,
                             UInt32) override {
    if (buffer == nullptr || bufferSize == 0) return kStatusInvalidArgument;
    std::strncpy(buffer, StatusText(status), bufferSize - 1);
    buffer[bufferSize - 1] = '\0';
    return kStatusSuccess;
  }
  EngineStatus OpenBarcodeReader(UInt32) override { return kStatusSuccess; }
  EngineStatus GetProfileOptions(UInt32, UInt32*, ProfileOptionsA*, ProfileOptionsB*,
                                 ProfileOptionsC*, UInt32*) override {
    return kStatusSuccess;
  }
  EngineStatus FindBarcodes(EngineBitmap*, const SearchRect*, const UInt32*, UInt32, UInt32,
                            UInt32, UInt32, const ProfileOptionsA*, const ProfileOptionsB*,
                            const ProfileOptionsC*, BarcodeResult**, UInt32, UInt32,
                            UInt32) override {
    return kStatusNothingFound;
  }
  EngineStatus ReleaseBarcodeResults(BarcodeResult** results) override {
    if (results != nullptr) *results = nullptr;
    return kStatusSuccess;
  }
  EngineStatus CloseBarcodeReader() override { return kStatusSuccess; }
};

}  // namespace

std::unique_ptr<ImagingEngine> CreateImagingEngine() { return std::make_unique<PendingEngine>(); }

}  // namespace vexo::engine
