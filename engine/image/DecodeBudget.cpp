#include "engine/image/DecodeBudget.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "engine/image/ByteReader.h"

namespace vexo::engine {
namespace {

constexpr Int64 kLumaBits = 8;         // the luminance copy, one byte per pixel
constexpr Int64 kColorPixBits = 32;    // Leptonica keeps colour as 32-bit words
constexpr Int64 kRgbaRasterBits = 32;  // the TIFF library's RGBA raster
constexpr Int64 kJp2SampleBits = 32;   // the JPEG 2000 library keeps 32-bit samples
constexpr std::string_view kWebPLossless = "VP8L";
constexpr std::size_t kWebPChunkType = 12;

// Bits per pixel of the image Leptonica builds: grey and colormapped images
// at their depth (16-bit PNG stripped to 8), colour as 32-bit words.
Int64 PixBits(ImageFormat format, const DecodeShape& shape) {
  // A YCbCr JPEG is decoded straight to its luminance (ImageDecoder).
  if (format == ImageFormat::kJpeg && shape.channels == 3) return 8;
  if (shape.channels > 1) return kColorPixBits;
  const Int64 bits = shape.bitsPerSample;
  return format == ImageFormat::kPng && !shape.colormapped ? std::min<Int64>(bits, 8) : bits;
}

// Bits per pixel the codec holds beside the image while it fills it.
Int64 CodecBits(ImageFormat format, const DecodeShape& shape, const UInt8* data, std::size_t size) {
  switch (format) {
    case ImageFormat::kPng:  // the PNG library's rows, 16-bit samples stripped to 8
      return shape.channels * std::min<Int64>(shape.bitsPerSample, 8);
    case ImageFormat::kTiff:  // colour goes through an RGBA raster of the whole image
      return shape.channels > 1 ? kRgbaRasterBits : 0;
    case ImageFormat::kGif:  // the GIF library's raster
      return 8;
    case ImageFormat::kWebP:  // the lossless decoder keeps an ARGB image
      return ByteReader(data, size).Matches(kWebPChunkType, kWebPLossless) ? 32 : 0;
    case ImageFormat::kJpeg2000:  // samples, and a third as much for the tile's work
      return shape.channels * kJp2SampleBits * 4 / 3;
    case ImageFormat::kBmp:
    case ImageFormat::kJpeg:  // decoded strip by strip; coefficients in codecBytes
    case ImageFormat::kPnm:
    case ImageFormat::kUnknown:
      break;
  }
  return 0;
}

Int64 Bytes(Int64 pixels, Int64 bitsPerPixel) { return (pixels * bitsPerPixel + 7) / 8; }

}  // namespace

// The peak: while the codec fills the image, or while the image is turned
// into luminance after the codec has let go of its buffers.
Int64 DecodeWorkingBytes(ImageFormat format, const DecodeShape& shape, const UInt8* data,
                         std::size_t size) {
  const Int64 pix = PixBits(format, shape);
  const Int64 decoding =
      shape.codecBytes + Bytes(shape.pixels, CodecBits(format, shape, data, size) + pix);
  return std::max(decoding, Bytes(shape.pixels, pix + kLumaBits));
}

bool CanReserve(Int64 bytes) {
  if (bytes <= 0) return true;
  void* trial = std::malloc(static_cast<std::size_t>(bytes));
  std::free(trial);
  return trial != nullptr;
}

}  // namespace vexo::engine
