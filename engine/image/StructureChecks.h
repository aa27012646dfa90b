#pragma once
// Structure checks that come before decoding: files whose pixel count is
// harmless but whose layout would make the decoder run for minutes or take
// gigabytes. Only the first image of a file is read.

#include <cstddef>
#include <vector>

#include "Common/Types.h"
#include "engine/core/Status.h"

namespace vexo::engine {

// Scans a JPEG may have. Writers use 1 to 4 (baseline) or about 10
// (progressive); every scan of a progressive file passes over the whole
// image again (about 6 ns a pixel), so thousands of them keep the decoder
// busy for minutes. A large image may have fewer: scans times pixels stay
// within kMaxJpegScanPixels (about 15 s of decoding), but never fewer than
// kMinJpegScanCap are refused.
inline constexpr UInt32 kMaxJpegScans = 100;
inline constexpr UInt32 kMinJpegScanCap = 16;
inline constexpr Int64 kMaxJpegScanPixels = 2'500'000'000;

// What the markers of a JPEG file say, up to its end of image.
struct JpegLayout {
  EngineStatus status = kStatusSuccess;  // kStatusCorruptImage past the scan cap
  bool progressive = false;
  UInt32 components = 0;
  UInt32 scans = 0;
  // The decoder keeps every coefficient of the image (two bytes each) while
  // it reads a file of several scans; 0 for a single-scan file.
  Int64 coefficientBytes = 0;
};
JpegLayout ReadJpegLayout(const UInt8* data, std::size_t size);

// Extension bytes before the first image that the decoder may keep: a
// writer's comment or colour profile, nothing like a flood of blocks.
inline constexpr std::size_t kGifSmallExtensions = 64 * 1024;

// Where the first image of a GIF file lies.
struct GifFirstImage {
  EngineStatus status = kStatusSuccess;  // kStatusCorruptImage: no image, or it is cut
  UInt32 width = 0;
  UInt32 height = 0;
  std::size_t screenEnd = 0;     // end of the header, screen descriptor and colour table
  std::size_t controlBegin = 0;  // the graphic control extension before the image, if any
  std::size_t controlEnd = 0;
  std::size_t imageBegin = 0;  // image separator to the data's terminator, inclusive
  std::size_t imageEnd = 0;
  // Extensions of at most kGifSmallExtensions before the image and the
  // trailer right after it: the decoder may read the file as it is.
  bool readableAsItIs = false;
};
GifFirstImage FindGifFirstImage(const UInt8* data, std::size_t size);

// The file cut down to its first image: header, screen and colour table, the
// image's graphic control extension, the image, a trailer. Every other
// extension and every later frame is left out, so the decoder, which keeps
// them all, takes no more than the first image needs. Empty when the file
// holds no complete first image, or is readable as it is.
std::vector<UInt8> GifWithFirstImageOnly(const UInt8* data, std::size_t size);

}  // namespace vexo::engine
