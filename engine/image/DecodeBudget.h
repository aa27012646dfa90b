#pragma once
// The memory a decode may take, estimated from the header before any pixel
// memory is taken. An image whose estimate is over the budget is refused as
// too large.

#include <cstddef>

#include "Common/Types.h"
#include "engine/image/ImageDecoder.h"
#include "engine/image/ImageHeader.h"

namespace vexo::engine {

// Three bytes for each pixel of the largest page: what an 8-bit grey page
// takes (the codec's rows or the decoded image, and the luminance copy), so
// every grey page within the pixel limit still decodes; and 64 MiB for the
// codecs' own tables and strips. With the file's bytes and the readers'
// working images beside it, a run stays under about 1.5 GiB.
inline constexpr Int64 kDecodeBudgetBytes = 3 * kMaxImagePixels + 64 * 1024 * 1024;

// What the header says about the decoded layout.
struct DecodeShape {
  Int64 pixels = 0;
  UInt32 channels = 1;
  UInt32 bitsPerSample = 8;
  bool colormapped = false;
  // A buffer of the codec that the layout does not give: the coefficients
  // of a JPEG of several scans, the first-image copy of a GIF.
  Int64 codecBytes = 0;
};

// Bytes the decode of `format` holds at its peak: the codec's buffers, the
// decoded image as Leptonica lays it out, and the luminance copy. Measured
// per format on noise pages; see docs/limits.md.
Int64 DecodeWorkingBytes(ImageFormat format, const DecodeShape& shape, const UInt8* data,
                         std::size_t size);

// Whether `bytes` more can be taken now: a trial allocation of that size,
// given back at once. An address-space limit (ulimit -v) makes it fail where
// a codec's own allocation could fail in a way the codec does not survive.
bool CanReserve(Int64 bytes);

}  // namespace vexo::engine
