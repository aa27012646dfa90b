#include "engine/Engine.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>

#include "engine/bars/BarsReader.h"
#include "engine/core/BitmapStore.h"
#include "engine/core/PageReader.h"
#include "engine/core/Profiles.h"
#include "engine/core/ResultBlock.h"
#include "engine/core/SearchCodes.h"
#include "engine/core/Status.h"
#include "engine/image/ImageDecoder.h"
#include "engine/linear/PatchCode.h"
#include "engine/linear/RowDecoders.h"
#include "engine/postal/PostalReader.h"
#include "engine/stacked/MicroPdf417Reader.h"
#include "engine/stacked/StackedDataBar.h"
#include "engine/zbar/ZbarReader.h"
#include "engine/zx/ZxReader.h"

namespace vexo::engine {
namespace {

// DecodeImageToBitmap's `mode`: the pixel format wanted, 8-bit luminance.
constexpr UInt32 kModeLuminance8 = 4;
// GetProfileOptions' last output: the version of the option block layout.
constexpr UInt32 kOptionsLayoutVersion = 1;

// The barcode reader is process-wide: one at a time, shared by every engine
// object, as the engine's callers expect of a component they load once.
struct ReaderState {
  std::mutex mutex;
  bool open = false;
  UInt32 featureMask = 0;
};

ReaderState& TheReader() {
  static ReaderState reader;
  return reader;
}

// Runs `operation` and turns anything it throws into a status.
template <typename Operation>
EngineStatus Guarded(Operation&& operation) noexcept {
  try {
    return operation();
  } catch (const std::bad_alloc&) {
    return kStatusOutOfMemory;
  } catch (...) {
    return kStatusInternalError;
  }
}

// The engine's readers, each with the symbologies whose table row names it.
const ReaderList& Readers() {
  static const ReaderList readers{
      {ReaderKind::Library,
       SymbologiesOf(ReaderKind::Library),
       ZxViewReader(StackedDataBarsAround),
       {}},
      {ReaderKind::Bars,
       SymbologiesOf(ReaderKind::Bars) & DecodedBy(RowDecoders()),
       BarsViewReader(RowDecoders()),
       {}},
      {ReaderKind::StackedDataBar,
       SymbologiesOf(ReaderKind::StackedDataBar),
       StackedDataBarReader(),
       {}},
      {ReaderKind::MicroPdf417,
       SymbologiesOf(ReaderKind::MicroPdf417),
       MicroPdf417ViewReader(),
       {}},
      {ReaderKind::Postal, SymbologiesOf(ReaderKind::Postal), PostalViewReader(), {}},
      // Last, in the views where the readers before it found nothing.
      {ReaderKind::Zbar, ZbarSymbologies(), ZbarViewReader(), ZbarPasses()},
  };
  return readers;
}

bool HoldsZeroes(const EngineBitmap& bitmap) {
  return std::all_of(std::begin(bitmap.bytes), std::end(bitmap.bytes),
                     [](UInt8 byte) { return byte == 0; });
}

EngineStatus Decode(const void* fileBytes, EngineBitmap* bitmap, UInt32 bitmapSize, UInt32 mode,
                    UInt64 byteCount) {
  if (bitmap == nullptr || bitmapSize != kEngineBitmapSize || mode != kModeLuminance8 ||
      (fileBytes == nullptr && byteCount != 0)) {
    return kStatusInvalidArgument;
  }
  // A bitmap that still holds an image must be released first.
  if (!HoldsZeroes(*bitmap) && FindBitmap(*bitmap) != nullptr) return kStatusInvalidArgument;
  std::memset(bitmap->bytes, 0, sizeof bitmap->bytes);
  auto image = std::make_unique<LumaImage>();
  const EngineStatus status = StatusOf(DecodeImage(static_cast<const UInt8*>(fileBytes),
                                                   static_cast<std::size_t>(byteCount), *image));
  if (status != kStatusSuccess) return status;
  StoreBitmap(*bitmap, std::move(image));
  return kStatusSuccess;
}

EngineStatus FillProfile(UInt32 index, UInt32* value, ProfileOptionsA* a, ProfileOptionsB* b,
                         ProfileOptionsC* c, UInt32* extra) {
  if (value == nullptr || a == nullptr || b == nullptr || c == nullptr) {
    return kStatusInvalidArgument;
  }
  if (index >= kProfileCount) return kStatusInvalidProfile;
  if (!OptionBlockSizesValid(*a, *b, *c)) return kStatusInvalidOptions;
  WriteOptionBlocks(ProfileSettings(index), *a, *b, *c);
  *value = ProfileValueOf(index);
  if (extra != nullptr) *extra = kOptionsLayoutVersion;
  return kStatusSuccess;
}

struct FindRequest {
  EngineBitmap* bitmap;
  const SearchRect* rect;
  const UInt32* codes;
  UInt32 codeCount;
  UInt32 profileValue;
  const ProfileOptionsA* a;
  const ProfileOptionsB* b;
  const ProfileOptionsC* c;
  BarcodeResult** results;
  UInt32 resultSize;
};

EngineStatus Find(const FindRequest& request) {
  if (request.results == nullptr) return kStatusInvalidArgument;
  *request.results = nullptr;
  if (request.resultSize != kBarcodeResultSize) return kStatusInvalidResultSize;
  UInt32 featureMask = 0;
  {
    ReaderState& reader = TheReader();
    std::lock_guard lock(reader.mutex);
    if (!reader.open) return kStatusReaderNotOpen;
    featureMask = reader.featureMask;
  }
  if (request.bitmap == nullptr || request.rect == nullptr || request.a == nullptr ||
      request.b == nullptr || request.c == nullptr) {
    return kStatusInvalidArgument;
  }
  const std::shared_ptr<const LumaImage> image = FindBitmap(*request.bitmap);
  if (image == nullptr) return kStatusInvalidBitmap;
  ReadOptions options;
  if (const EngineStatus status = ReadOptionBlocks(*request.a, *request.b, *request.c, options);
      status != kStatusSuccess) {
    return status;
  }
  if (!IsProfileValue(request.profileValue)) return kStatusInvalidProfile;
  const CodeSelection selection =
      SelectByCodes(request.codes, request.codeCount, featureMask, ReadableBy(Readers()));
  if (selection.status != kStatusSuccess) return selection.status;
  if (selection.readable.none()) return kStatusNothingFound;

  // The search rectangle, clipped to the image; 64-bit so no edge overflows.
  const SearchRect& r = *request.rect;
  const Int64 left = std::max<Int64>(r.left, 0), top = std::max<Int64>(r.top, 0);
  const Int64 right = std::min<Int64>(r.right, image->width);
  const Int64 bottom = std::min<Int64>(r.bottom, image->height);
  if (right <= left || bottom <= top) return kStatusNothingFound;

  const auto start = std::chrono::steady_clock::now();
  const Deadline deadline = options.timeBudgetMs == 0
                                ? Deadline::max()
                                : start + std::chrono::milliseconds(options.timeBudgetMs);
  const LumaView area{ViewOf(*image).Row(static_cast<Int32>(top)) + left,
                      static_cast<Int32>(right - left), static_cast<Int32>(bottom - top),
                      image->width};
  PageRead read =
      ReadPage(area, AffineMap::Translation(static_cast<double>(left), static_cast<double>(top)),
               options, selection.readable, Readers(), deadline);
  if (read.findings.empty()) {
    return read.outOfTime ? kStatusTimeBudgetExceeded : kStatusNothingFound;
  }
  ReadPatchesFromTheirEdge(read.findings, image->width, image->height);
  SortFindings(read.findings);
  if (options.maxResults != 0 && read.findings.size() > options.maxResults) {
    read.findings.resize(options.maxResults);
  }
  *request.results = PublishResults(read.findings, image->width, image->height);
  return kStatusSuccess;
}

class Engine final : public ImagingEngine {
 public:
  EngineStatus DecodeImageToBitmap(const void* fileBytes, EngineBitmap* bitmap, UInt32 bitmapSize,
                                   UInt32 /*flags*/, UInt32 mode, UInt64 byteCount,
                                   const void* /*reserved1*/, const void* /*reserved2*/) override {
    return Guarded(
        [&]() -> EngineStatus { return Decode(fileBytes, bitmap, bitmapSize, mode, byteCount); });
  }

  EngineStatus ReleaseBitmap(EngineBitmap* bitmap) override {
    return Guarded([&]() -> EngineStatus {
      if (bitmap == nullptr) return kStatusInvalidArgument;
      return ReleaseStoredBitmap(*bitmap) == ReleaseOutcome::NotOurs ? kStatusInvalidBitmap
                                                                     : kStatusSuccess;
    });
  }

  EngineStatus DescribeError(EngineStatus status, char* buffer, UInt32 bufferSize,
                             UInt32 /*flags*/) override {
    return Guarded([&]() -> EngineStatus {
      if (buffer == nullptr || bufferSize == 0) return kStatusInvalidArgument;
      const char* text = StatusText(status);
      const std::size_t length = std::min<std::size_t>(std::strlen(text), bufferSize - 1);
      std::memcpy(buffer, text, length);
      buffer[length] = '\0';
      return kStatusSuccess;
    });
  }

  EngineStatus OpenBarcodeReader(UInt32 featureMask) override {
    return Guarded([&]() -> EngineStatus {
      ReaderState& reader = TheReader();
      std::lock_guard lock(reader.mutex);
      if (reader.open) return kStatusReaderAlreadyOpen;
      reader.open = true;
      reader.featureMask = featureMask;
      return kStatusSuccess;
    });
  }

  EngineStatus GetProfileOptions(UInt32 profileIndex, UInt32* profileValue,
                                 ProfileOptionsA* optionsA, ProfileOptionsB* optionsB,
                                 ProfileOptionsC* optionsC, UInt32* extra) override {
    return Guarded([&] {
      return FillProfile(profileIndex, profileValue, optionsA, optionsB, optionsC, extra);
    });
  }

  EngineStatus FindBarcodes(EngineBitmap* bitmap, const SearchRect* rect, const UInt32* codes,
                            UInt32 codeCount, UInt32 /*reserved1*/, UInt32 profileValue,
                            UInt32 /*reserved2*/, const ProfileOptionsA* optionsA,
                            const ProfileOptionsB* optionsB, const ProfileOptionsC* optionsC,
                            BarcodeResult** results, UInt32 resultSize, UInt32 /*reserved3*/,
                            UInt32 /*reserved4*/) override {
    return Guarded([&]() -> EngineStatus {
      return Find({bitmap, rect, codes, codeCount, profileValue, optionsA, optionsB, optionsC,
                   results, resultSize});
    });
  }

  EngineStatus ReleaseBarcodeResults(BarcodeResult** results) override {
    return Guarded([&]() -> EngineStatus {
      if (results == nullptr) return kStatusInvalidArgument;
      if (*results == nullptr) return kStatusSuccess;
      if (!ReleasePublishedResults(*results)) return kStatusInvalidArgument;
      *results = nullptr;
      return kStatusSuccess;
    });
  }

  EngineStatus CloseBarcodeReader() override {
    return Guarded([&]() -> EngineStatus {
      ReaderState& reader = TheReader();
      std::lock_guard lock(reader.mutex);
      if (!reader.open) return kStatusReaderNotOpen;
      reader.open = false;
      reader.featureMask = 0;
      return kStatusSuccess;
    });
  }
};

}  // namespace

std::unique_ptr<ImagingEngine> CreateImagingEngine() { return std::make_unique<Engine>(); }

}  // namespace vexo::engine
