#pragma once
// Decodes an image file held in memory into a luminance image.

#include <cstddef>

#include "Common/Types.h"
#include "engine/image/ImageOutcome.h"
#include "engine/image/LumaImage.h"

namespace vexo::engine {

inline constexpr Int32 kMaxImageSide = 65535;
inline constexpr Int64 kMaxImagePixels = 250'000'000;

// kOk with `out` filled, or kEmpty, kUnknownFormat, kCorrupt, kTooLarge,
// kOutOfMemory. Never throws; prints nothing.
ImageOutcome DecodeImage(const UInt8* data, std::size_t size, LumaImage& out);

}  // namespace vexo::engine
