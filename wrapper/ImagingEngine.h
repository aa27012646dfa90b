#pragma once
// The one interface through which the extraction drives an imaging engine.
// The extraction receives an engine by reference and never knows which one.

#include <cstddef>
#include <cstdint>

#include "Common/Types.h"

namespace vexo {

using EngineStatus = Int32;
inline constexpr EngineStatus kEngineSuccess = 1;
inline constexpr EngineStatus kEngineNothingFound = -417;

// Opaque to the caller: the engine keeps its own handle in it.
struct EngineBitmap {
  alignas(4) UInt8 bytes[284];
};
static_assert(sizeof(EngineBitmap) == 284);

struct SearchRect {
  Int32 left;
  Int32 top;
  Int32 right;
  Int32 bottom;
};
static_assert(sizeof(SearchRect) == 16);

// Option blocks: the first word holds the block's size in bytes; the rest
// belongs to the engine. The extraction stores its direction flags in word 2 of
// A (byte 8) and word 1 of B (byte 4).
struct ProfileOptionsA {
  UInt32 words[11];
};
struct ProfileOptionsB {
  UInt32 words[2];
};
struct ProfileOptionsC {
  UInt32 words[3];
};
static_assert(sizeof(ProfileOptionsA) == 44);
static_assert(sizeof(ProfileOptionsB) == 8);
static_assert(sizeof(ProfileOptionsC) == 12);
inline constexpr std::size_t kDirectionWordA = 2;
inline constexpr std::size_t kDirectionWordB = 1;

// featureMask bits of OpenBarcodeReader.
inline constexpr UInt32 kFeatureLinear = 0x1;  // linear, postal, patch and pharma codes
inline constexpr UInt32 kFeaturePdf417 = 0x8;
inline constexpr UInt32 kFeatureDataMatrix = 0x20;
inline constexpr UInt32 kFeatureQrCode = 0x80;
inline constexpr UInt32 kFeatureMicroPdf417 = 0x200;
inline constexpr UInt32 kFeatureMicroQrCode = 0x800;
inline constexpr UInt32 kFeatureAztec = 0x2000;
inline constexpr UInt32 kFeatureMaxiCode = 0x8000;

// One barcode found: 104 bytes, packed. Unnamed bytes are reserved (zero).
#pragma pack(push, 1)
struct BarcodeResult {
  UInt8 reserved0[8];
  UInt32 code;  // symbology code
  UInt8 reserved1[4];
  Int32 left;
  Int32 top;
  Int32 right;
  Int32 bottom;
  Int32 dataLength;
  const UInt8* data;
  UInt8 reserved2[4];
  Int32 count;  // number of records; read from the first record
  UInt8 reserved3[12];
  Int32 angle;  // hundredths of a degree
  UInt8 reserved4[4];
  Int32 corners[8];  // x1, y1 .. x4, y4; all zero when there are none
};
#pragma pack(pop)
static_assert(sizeof(BarcodeResult) == 104);
static_assert(offsetof(BarcodeResult, code) == 8);
static_assert(offsetof(BarcodeResult, left) == 16);
static_assert(offsetof(BarcodeResult, top) == 20);
static_assert(offsetof(BarcodeResult, right) == 24);
static_assert(offsetof(BarcodeResult, bottom) == 28);
static_assert(offsetof(BarcodeResult, dataLength) == 32);
static_assert(offsetof(BarcodeResult, data) == 36);
static_assert(offsetof(BarcodeResult, count) == 48);
static_assert(offsetof(BarcodeResult, angle) == 64);
static_assert(offsetof(BarcodeResult, corners) == 72);
inline constexpr UInt32 kBarcodeResultSize = sizeof(BarcodeResult);
inline constexpr UInt32 kEngineBitmapSize = sizeof(EngineBitmap);

class ImagingEngine {
 public:
  virtual ~ImagingEngine() = default;

  // Decodes a whole image file held in memory into `bitmap`.
  virtual EngineStatus DecodeImageToBitmap(const void* fileBytes, EngineBitmap* bitmap,
                                           UInt32 bitmapSize, UInt32 flags, UInt32 mode,
                                           UInt64 byteCount, const void* reserved1,
                                           const void* reserved2) = 0;
  virtual EngineStatus ReleaseBitmap(EngineBitmap* bitmap) = 0;
  // Writes the zero-terminated text of `status` into `buffer`.
  virtual EngineStatus DescribeError(EngineStatus status, char* buffer, UInt32 bufferSize,
                                     UInt32 flags) = 0;
  virtual EngineStatus OpenBarcodeReader(UInt32 featureMask) = 0;
  virtual EngineStatus GetProfileOptions(UInt32 profileIndex, UInt32* profileValue,
                                         ProfileOptionsA* optionsA, ProfileOptionsB* optionsB,
                                         ProfileOptionsC* optionsC, UInt32* extra) = 0;
  virtual EngineStatus FindBarcodes(EngineBitmap* bitmap, const SearchRect* rect,
                                    const UInt32* codes, UInt32 codeCount, UInt32 reserved1,
                                    UInt32 profileValue, UInt32 reserved2,
                                    const ProfileOptionsA* optionsA,
                                    const ProfileOptionsB* optionsB,
                                    const ProfileOptionsC* optionsC, BarcodeResult** results,
                                    UInt32 resultSize, UInt32 reserved3, UInt32 reserved4) = 0;
  virtual EngineStatus ReleaseBarcodeResults(BarcodeResult** results) = 0;
  virtual EngineStatus CloseBarcodeReader() = 0;
};

}  // namespace vexo
