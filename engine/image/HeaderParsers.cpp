// Header readers for BMP, GIF and JPEG 2000, just enough of each layout to
// learn the size the decoder will allocate, and a check of the TIFF layouts
// our decoder reads.

#include <algorithm>
#include <string_view>

#include "engine/image/ByteReader.h"
#include "engine/image/DecodeBudget.h"
#include "engine/image/ImageHeader.h"
#include "engine/image/StructureChecks.h"

namespace vexo::engine {
namespace {

using namespace std::string_view_literals;

using Bytes = ByteReader;

HeaderInfo Corrupt() { return HeaderInfo{kStatusCorruptImage, 0, 0, 0, 0}; }
HeaderInfo Unsupported() { return HeaderInfo{kStatusUnknownImageFormat, 0, 0, 0, 0}; }
// A header that passed: its size and what its decode takes.
HeaderInfo Sized(ImageFormat format, Int64 width, Int64 height, DecodeShape shape,
                 const Bytes& bytes) {
  shape.pixels = width * height;
  return HeaderInfo{kStatusSuccess, width, height, 0,
                    DecodeWorkingBytes(format, shape, bytes.Data(), bytes.Size())};
}

// BMP: 14-byte file header, then an info header whose first field is its size.
constexpr std::size_t kBmpInfoOffset = 14;
constexpr UInt32 kBmpCoreInfoSize = 12;  // 16-bit width and height
constexpr UInt32 kBmpMinInfoSize = 40;   // 32-bit width and height, compression
constexpr std::size_t kBmpWidthOffset = 18;
constexpr std::size_t kBmpHeightOffset = 22;
constexpr std::size_t kBmpCoreHeightOffset = 20;
constexpr std::size_t kBmpCompressionOffset = 30;
constexpr std::size_t kBmpBitsOffset = 28;
constexpr std::size_t kBmpCoreBitsOffset = 24;
constexpr UInt32 kBmpUncompressed = 0;

// JPEG 2000: boxes of 32-bit length and type; the codestream starts with SOC
// and SIZ and ends with EOC.
constexpr std::string_view kJp2Signature = "\0\0\0\x0cjP  "sv;
constexpr std::string_view kJp2CodestreamBox = "jp2c"sv;
constexpr std::string_view kCodestreamStart = "\xff\x4f\xff\x51"sv;  // SOC, SIZ
constexpr std::string_view kCodestreamEnd = "\xff\xd9"sv;            // EOC
constexpr std::size_t kSizXsizOffset = 8;  // from SOC: Xsiz, Ysiz, XOsiz, YOsiz, ...
constexpr std::size_t kSizComponentsOffset = 40;
constexpr std::size_t kSizFirstComponentOffset = 42;  // then 3 bytes per component
constexpr UInt32 kMaxComponents = 4;                  // gray, gray + alpha, RGB, RGBA
constexpr UInt32 kComponentBits = 8;                  // the only sample depth Leptonica reads

// PNG: the signature, then chunks of a 31-bit big-endian length, a type, the
// data and a CRC, up to IEND.
constexpr std::size_t kPngFirstChunk = 8;
constexpr std::size_t kPngChunkHeader = 8;  // length and type
constexpr std::size_t kPngChunkCrc = 4;
constexpr UInt32 kPngMaxChunkLength = 0x7FFFFFFF;
constexpr std::string_view kPngEndChunk = "IEND"sv;

// TIFF: byte order mark, first directory offset, then 12-byte tag entries.
constexpr std::size_t kTiffDirectoryOffset = 4;
constexpr std::size_t kTiffEntrySize = 12;
constexpr UInt32 kTiffShortType = 3;
constexpr UInt32 kTiffSamplesPerPixel = 277;
constexpr UInt32 kTiffPlanarConfig = 284;
constexpr UInt32 kTiffTileWidth = 322;
constexpr UInt32 kTiffSampleFormat = 339;
constexpr UInt32 kTiffSeparatePlanes = 2;
constexpr UInt32 kTiffFloatSamples = 3;

// BMP: palette images of up to 8 bits, else colour.
DecodeShape BmpShape(const Bytes& bytes, std::size_t bitsOffset) {
  DecodeShape shape;
  const UInt32 bits = bytes.Has(bitsOffset, 2) ? bytes.Le16(bitsOffset) : 24;
  shape.channels = bits > 8 ? 3 : 1;
  shape.bitsPerSample = bits > 8 ? 8 : std::max<UInt32>(bits, 1);
  shape.colormapped = bits <= 8;
  return shape;
}

}  // namespace

EngineStatus CheckPngChunks(const UInt8* data, std::size_t size) {
  const Bytes bytes(data, size);
  std::size_t pos = kPngFirstChunk;
  while (bytes.Has(pos, kPngChunkHeader)) {
    const UInt32 length = bytes.Be32(pos);
    if (length > kPngMaxChunkLength ||
        !bytes.Has(pos + kPngChunkHeader, std::size_t{length} + kPngChunkCrc)) {
      return kStatusCorruptImage;
    }
    if (bytes.Matches(pos + 4, kPngEndChunk)) break;
    pos += kPngChunkHeader + length + kPngChunkCrc;
  }
  return kStatusSuccess;
}

EngineStatus CheckTiffLayout(const UInt8* data, std::size_t size) {
  const Bytes bytes(data, size);
  if (!bytes.Has(0, kTiffDirectoryOffset + 4)) return kStatusSuccess;
  const bool bigEndian = bytes.At(0) == 'M';
  const std::size_t directory = bytes.U32(kTiffDirectoryOffset, bigEndian);
  if (!bytes.Has(directory, 2)) return kStatusSuccess;
  const std::size_t count = bytes.U16(directory, bigEndian);
  UInt32 samplesPerPixel = 1, planarConfig = 1, sampleFormat = 1;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = directory + 2 + i * kTiffEntrySize;
    if (!bytes.Has(entry, kTiffEntrySize)) break;
    const UInt32 tag = bytes.U16(entry, bigEndian);
    if (tag == kTiffTileWidth) return kStatusUnknownImageFormat;
    if (bytes.U16(entry + 2, bigEndian) != kTiffShortType) continue;
    // Up to two short values sit in the entry itself, more at an offset; the
    // first is enough, as every sample shares it.
    const std::size_t valueAt =
        bytes.U32(entry + 4, bigEndian) > 2 ? bytes.U32(entry + 8, bigEndian) : entry + 8;
    if (!bytes.Has(valueAt, 2)) continue;
    const UInt32 value = bytes.U16(valueAt, bigEndian);
    if (tag == kTiffSamplesPerPixel) samplesPerPixel = value;
    if (tag == kTiffPlanarConfig) planarConfig = value;
    if (tag == kTiffSampleFormat) sampleFormat = value;
  }
  // Leptonica reads neither tiles, nor one plane per sample, nor floating point.
  if ((planarConfig == kTiffSeparatePlanes && samplesPerPixel > 1) ||
      sampleFormat == kTiffFloatSamples) {
    return kStatusUnknownImageFormat;
  }
  return kStatusSuccess;
}

HeaderInfo ReadBmpHeader(const UInt8* data, std::size_t size) {
  const Bytes bytes(data, size);
  if (!bytes.Has(kBmpInfoOffset, 4)) return Corrupt();
  const UInt32 infoSize = bytes.Le32(kBmpInfoOffset);
  if (infoSize == kBmpCoreInfoSize) {
    if (!bytes.Has(kBmpCoreHeightOffset, 2)) return Corrupt();
    const Int64 width = bytes.Le16(kBmpWidthOffset);
    const Int64 height = bytes.Le16(kBmpCoreHeightOffset);
    if (width == 0 || height == 0) return Corrupt();
    return Sized(ImageFormat::kBmp, width, height, BmpShape(bytes, kBmpCoreBitsOffset), bytes);
  }
  if (infoSize < kBmpMinInfoSize || !bytes.Has(kBmpCompressionOffset, 4)) return Corrupt();
  // Run-length and other compressed layouts are not read by our decoder.
  if (bytes.Le32(kBmpCompressionOffset) != kBmpUncompressed) return Unsupported();
  const Int64 width = static_cast<Int32>(bytes.Le32(kBmpWidthOffset));
  Int64 height = static_cast<Int32>(bytes.Le32(kBmpHeightOffset));
  if (height < 0) height = -height;  // negative height: rows stored top-down
  if (width <= 0 || height == 0) return Corrupt();
  return Sized(ImageFormat::kBmp, width, height, BmpShape(bytes, kBmpBitsOffset), bytes);
}

HeaderInfo ReadGifHeader(const UInt8* data, std::size_t size) {
  const Bytes bytes(data, size);
  // Only the first image is decoded (GifWithFirstImageOnly).
  const GifFirstImage image = FindGifFirstImage(data, size);
  if (image.status != kStatusSuccess) return Corrupt();
  DecodeShape shape;
  shape.colormapped = true;
  if (!image.readableAsItIs) {  // the decoder gets a copy of the first image
    shape.codecBytes = static_cast<Int64>(image.screenEnd + (image.controlEnd - image.controlBegin) +
                                          (image.imageEnd - image.imageBegin) + 1);
  }
  return Sized(ImageFormat::kGif, image.width, image.height, shape, bytes);
}

HeaderInfo ReadJpeg2000Header(const UInt8* data, std::size_t size) {
  const Bytes bytes(data, size);
  std::size_t start = 0;
  std::size_t end = size;
  if (bytes.Matches(0, kJp2Signature)) {
    // Find the codestream box among the top-level boxes.
    bool found = false;
    std::size_t pos = 0;
    while (!found && bytes.Has(pos, 8)) {
      UInt64 length = bytes.Be32(pos);
      std::size_t headerSize = 8;
      if (length == 1) {
        if (!bytes.Has(pos, 16)) return Corrupt();
        length = bytes.Be64(pos + 8);
        headerSize = 16;
      } else if (length == 0) {
        length = size - pos;  // the last box runs to the end of the file
      }
      if (length < headerSize || length > size - pos) return Corrupt();
      if (bytes.Matches(pos + 4, kJp2CodestreamBox)) {
        start = pos + headerSize;
        end = pos + static_cast<std::size_t>(length);
        found = true;
      }
      pos += static_cast<std::size_t>(length);
    }
    if (!found) return Corrupt();
  }
  const Bytes stream(data + start, end - start);
  if (!stream.Matches(0, kCodestreamStart) || !stream.Has(kSizComponentsOffset, 2)) {
    return Corrupt();
  }
  // The decoder fills a partly missing codestream with blur; refuse it instead.
  if (!stream.Matches(stream.Size() - kCodestreamEnd.size(), kCodestreamEnd)) return Corrupt();
  const Int64 xSize = stream.Be32(kSizXsizOffset);
  const Int64 ySize = stream.Be32(kSizXsizOffset + 4);
  const Int64 xOrigin = stream.Be32(kSizXsizOffset + 8);
  const Int64 yOrigin = stream.Be32(kSizXsizOffset + 12);
  const UInt32 components = stream.Be16(kSizComponentsOffset);
  if (xSize <= xOrigin || ySize <= yOrigin || components == 0) return Corrupt();
  if (components > kMaxComponents) return Unsupported();
  for (UInt32 i = 0; i < components; ++i) {
    const std::size_t at = kSizFirstComponentOffset + 3 * i;
    if (!stream.Has(at, 1)) return Corrupt();
    if ((stream.At(at) & 0x7F) + 1u != kComponentBits) return Unsupported();
  }
  DecodeShape shape;
  shape.channels = components;
  return Sized(ImageFormat::kJpeg2000, xSize - xOrigin, ySize - yOrigin, shape, bytes);
}

}  // namespace vexo::engine
