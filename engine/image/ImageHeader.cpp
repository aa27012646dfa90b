#include "engine/image/ImageHeader.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <string_view>

#include "engine/image/DecodeBudget.h"
#include "engine/image/ImageDecoder.h"
#include "engine/image/StructureChecks.h"

namespace vexo::engine {
namespace {

using namespace std::string_view_literals;

struct Signature {
  ImageFormat format;
  std::string_view magic;
};

constexpr Signature kSignatures[] = {
    {ImageFormat::kPng, "\x89PNG\r\n\x1a\n"sv},
    {ImageFormat::kJpeg, "\xff\xd8\xff"sv},
    {ImageFormat::kTiff, "II*\0"sv},
    {ImageFormat::kTiff, "MM\0*"sv},
    {ImageFormat::kBmp, "BM"sv},
    {ImageFormat::kGif, "GIF87a"sv},
    {ImageFormat::kGif, "GIF89a"sv},
    {ImageFormat::kJpeg2000, "\0\0\0\x0cjP  \r\n\x87\n"sv},  // JP2 container
    {ImageFormat::kJpeg2000, "\xff\x4f\xff\x51"sv},          // bare codestream
};

constexpr std::string_view kRiffTag = "RIFF"sv;
constexpr std::string_view kWebPTag = "WEBP"sv;
constexpr std::size_t kWebPTagOffset = 8;

bool HasBytesAt(const UInt8* data, std::size_t size, std::size_t offset, std::string_view bytes) {
  if (size < offset || size - offset < bytes.size()) return false;
  return std::string_view(reinterpret_cast<const char*>(data) + offset, bytes.size()) == bytes;
}

bool IsPnmSignature(const UInt8* data, std::size_t size) {
  // "P1" to "P7" followed by white space.
  if (size < 3 || data[0] != 'P' || data[1] < '1' || data[1] > '7') return false;
  const UInt8 next = data[2];
  return next == ' ' || next == '\t' || next == '\n' || next == '\r';
}

// The formats whose header Leptonica reads without touching pixel data.
// `codecBytes`: a whole-image buffer of the codec the header does not show.
HeaderInfo ReadHeaderWithLeptonica(ImageFormat format, const UInt8* data, std::size_t size,
                                   Int64 codecBytes = 0) {
  HeaderInfo info;
  l_int32 fileFormat = 0, width = 0, height = 0, bps = 0, spp = 0, isColormapped = 0;
  if (pixReadHeaderMem(data, size, &fileFormat, &width, &height, &bps, &spp, &isColormapped) !=
          0 ||
      width <= 0 || height <= 0) {
    info.status = kStatusCorruptImage;
    return info;
  }
  info.width = width;
  info.height = height;
  DecodeShape shape;
  shape.pixels = info.width * info.height;
  shape.channels = static_cast<UInt32>(std::max(spp, 1));
  shape.bitsPerSample = static_cast<UInt32>(std::max(bps, 1));
  shape.colormapped = isColormapped != 0;
  shape.codecBytes = codecBytes;
  info.workingBytes = DecodeWorkingBytes(format, shape, data, size);
  return info;
}

HeaderInfo ReadJpegHeader(const UInt8* data, std::size_t size) {
  const JpegLayout layout = ReadJpegLayout(data, size);
  if (layout.status != kStatusSuccess) {
    HeaderInfo info;
    info.status = layout.status;
    return info;
  }
  return ReadHeaderWithLeptonica(ImageFormat::kJpeg, data, size, layout.coefficientBytes);
}

}  // namespace

ImageFormat SniffImageFormat(const UInt8* data, std::size_t size) {
  if (data == nullptr) return ImageFormat::kUnknown;
  for (const Signature& signature : kSignatures) {
    if (HasBytesAt(data, size, 0, signature.magic)) return signature.format;
  }
  if (HasBytesAt(data, size, 0, kRiffTag) && HasBytesAt(data, size, kWebPTagOffset, kWebPTag)) {
    return ImageFormat::kWebP;
  }
  if (IsPnmSignature(data, size)) return ImageFormat::kPnm;
  return ImageFormat::kUnknown;
}

EngineStatus CheckImageSize(Int64 width, Int64 height, Int64 decodedPixels) {
  if (width > kMaxImageSide || height > kMaxImageSide) return kStatusImageTooLarge;
  if (width * height > kMaxImagePixels || decodedPixels > kMaxImagePixels) {
    return kStatusImageTooLarge;
  }
  return kStatusSuccess;
}

HeaderInfo ReadImageHeader(ImageFormat format, const UInt8* data, std::size_t size) {
  switch (format) {
    case ImageFormat::kBmp:
      return ReadBmpHeader(data, size);
    case ImageFormat::kGif:
      return ReadGifHeader(data, size);
    case ImageFormat::kJpeg2000:
      return ReadJpeg2000Header(data, size);
    case ImageFormat::kTiff:
      if (const EngineStatus layout = CheckTiffLayout(data, size); layout != kStatusSuccess) {
        HeaderInfo info;
        info.status = layout;
        return info;
      }
      return ReadHeaderWithLeptonica(format, data, size);
    case ImageFormat::kJpeg:
      return ReadJpegHeader(data, size);
    case ImageFormat::kPng:
    case ImageFormat::kPnm:
    case ImageFormat::kWebP:
      return ReadHeaderWithLeptonica(format, data, size);
    case ImageFormat::kUnknown:
      break;
  }
  HeaderInfo info;
  info.status = kStatusUnknownImageFormat;
  return info;
}

EngineStatus CheckImageHeader(ImageFormat format, const UInt8* data, std::size_t size) {
  const HeaderInfo info = ReadImageHeader(format, data, size);
  if (info.status != kStatusSuccess) return info.status;
  const EngineStatus sizeStatus = CheckImageSize(info.width, info.height, info.decodedPixels);
  if (sizeStatus != kStatusSuccess) return sizeStatus;
  if (format == ImageFormat::kPng) {
    if (const EngineStatus chunks = CheckPngChunks(data, size); chunks != kStatusSuccess) {
      return chunks;
    }
  }
  if (info.workingBytes > kDecodeBudgetBytes) return kStatusImageTooLarge;
  // An allocation that fails inside a codec may not come back as a failure.
  return CanReserve(info.workingBytes) ? kStatusSuccess : kStatusOutOfMemory;
}

}  // namespace vexo::engine
