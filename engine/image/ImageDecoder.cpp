#include "engine/image/ImageDecoder.h"

#include <new>
#include <vector>

#include "engine/image/ImageHeader.h"
#include "engine/image/Luminance.h"
#include "engine/image/PixPtr.h"
#include "engine/image/QuietOutput.h"
#include "engine/image/StructureChecks.h"

namespace vexo::engine {
namespace {

constexpr l_int32 kFirstPage = 0;
constexpr l_int32 kFullSize = 1;  // no reduction while decoding
constexpr UInt32 kYCbCrComponents = 3;

PixPtr ReadPix(ImageFormat format, const UInt8* data, std::size_t size) {
  switch (format) {
    case ImageFormat::kBmp:
      return PixPtr(pixReadMemBmp(data, size));
    case ImageFormat::kJpeg:
      // Leptonica's JPEG reader fails on damaged data by default. A colour
      // file is decoded straight to its luminance: a quarter of the memory of
      // the colour image, and the same weights our own conversion uses.
      return PixPtr(pixReadMemJpeg(data, size, 0, kFullSize, nullptr,
                                   ReadJpegLayout(data, size).components == kYCbCrComponents
                                       ? L_JPEG_READ_LUMINANCE
                                       : 0));
    case ImageFormat::kPng:
      return PixPtr(pixReadMemPng(data, size));
    case ImageFormat::kTiff:
      return PixPtr(pixReadMemTiff(data, size, kFirstPage));
    case ImageFormat::kPnm:
      return PixPtr(pixReadMemPnm(data, size));
    case ImageFormat::kGif: {
      // The GIF library keeps every frame and extension it reads; it is
      // given the first image alone.
      const std::vector<UInt8> firstImage = GifWithFirstImageOnly(data, size);
      if (firstImage.empty()) return PixPtr(pixReadMemGif(data, size));
      return PixPtr(pixReadMemGif(firstImage.data(), firstImage.size()));
    }
    case ImageFormat::kWebP:
      return PixPtr(pixReadMemWebP(data, size));
    case ImageFormat::kJpeg2000:
      return PixPtr(pixReadMemJp2k(data, size, kFullSize, nullptr, 0, 0));
    case ImageFormat::kUnknown:
      break;
  }
  return PixPtr();
}

EngineStatus Decode(const UInt8* data, std::size_t size, LumaImage& out) {
  if (data == nullptr || size == 0) return kStatusEmptyImage;
  const ImageFormat format = SniffImageFormat(data, size);
  if (format == ImageFormat::kUnknown) return kStatusUnknownImageFormat;

  SilenceLeptonica();
  const StderrMute mute;
  // The size comes from the header alone; pixels are allocated only after it passed.
  const EngineStatus headerStatus = CheckImageHeader(format, data, size);
  if (headerStatus != kStatusSuccess) return headerStatus;
  const PixPtr pix = ReadPix(format, data, size);
  if (!pix) return kStatusCorruptImage;
  const EngineStatus sizeStatus = CheckImageSize(pixGetWidth(pix.get()), pixGetHeight(pix.get()));
  if (sizeStatus != kStatusSuccess) return sizeStatus;
  return PixToLuma(pix.get(), out);
}

}  // namespace

EngineStatus DecodeImage(const UInt8* data, std::size_t size, LumaImage& out) {
  try {
    return Decode(data, size, out);
  } catch (const std::bad_alloc&) {
    return kStatusOutOfMemory;
  } catch (...) {
    return kStatusInternalError;
  }
}

}  // namespace vexo::engine
