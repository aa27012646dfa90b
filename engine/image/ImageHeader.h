#pragma once
// Recognises an image file by its signature and reads its size from the
// header alone, so oversized images are refused before any pixel memory is
// taken.

#include <cstddef>

#include "Common/Types.h"
#include "engine/core/Status.h"

namespace vexo::engine {

enum class ImageFormat { kUnknown, kBmp, kJpeg, kPng, kTiff, kPnm, kGif, kWebP, kJpeg2000 };

// The format named by the file's first bytes; kUnknown for anything else.
ImageFormat SniffImageFormat(const UInt8* data, std::size_t size);

// What a header tells before decoding.
struct HeaderInfo {
  EngineStatus status = kStatusSuccess;  // or kStatusCorruptImage / kStatusUnknownImageFormat
  Int64 width = 0;
  Int64 height = 0;
  Int64 decodedPixels = 0;  // pixels the decoder will allocate, when more than width * height
  Int64 workingBytes = 0;   // memory the decode takes at its peak (DecodeWorkingBytes)
};

// kStatusSuccess, or kStatusImageTooLarge when a side or the pixel count is
// over the engine's limits.
EngineStatus CheckImageSize(Int64 width, Int64 height, Int64 decodedPixels = 0);

// Reads the header of `format` without decoding: the size, or the status
// that refuses it (kStatusCorruptImage, kStatusUnknownImageFormat).
HeaderInfo ReadImageHeader(ImageFormat format, const UInt8* data, std::size_t size);

// Reads the header of `format` and checks its size, its structure and the
// memory its decode takes: kStatusSuccess, kStatusCorruptImage,
// kStatusUnknownImageFormat, kStatusImageTooLarge (over the pixel limits or
// the decode budget) or kStatusOutOfMemory (the memory cannot be had now).
EngineStatus CheckImageHeader(ImageFormat format, const UInt8* data, std::size_t size);

// Header readers for the formats whose Leptonica header probe would decode the
// whole image (BMP, GIF) or trusts a box that the decoder does not use (JPEG
// 2000). Each looks only at the bytes given.
// Each fills workingBytes too.
HeaderInfo ReadBmpHeader(const UInt8* data, std::size_t size);
HeaderInfo ReadGifHeader(const UInt8* data, std::size_t size);
HeaderInfo ReadJpeg2000Header(const UInt8* data, std::size_t size);

// kStatusCorruptImage when a PNG chunk before IEND claims more bytes than the
// file holds. The decoder would fail on it anyway, but only after the PNG
// library allocated the claimed length (up to 2 GB) for an ancillary chunk.
EngineStatus CheckPngChunks(const UInt8* data, std::size_t size);

// kStatusUnknownImageFormat for TIFF layouts our decoder does not read (tiles,
// separate sample planes, floating-point samples) in the first directory;
// kStatusSuccess otherwise, including directories it cannot follow.
EngineStatus CheckTiffLayout(const UInt8* data, std::size_t size);

}  // namespace vexo::engine
