#pragma once
// Decodes an image file held in memory into a luminance image.

#include <cstddef>

#include "Common/Types.h"
#include "engine/core/Status.h"
#include "engine/image/LumaImage.h"

namespace vexo::engine {

inline constexpr Int32 kMaxImageSide = 65535;
inline constexpr Int64 kMaxImagePixels = 250'000'000;

// kStatusSuccess with `out` filled, or kStatusEmptyImage,
// kStatusUnknownImageFormat, kStatusCorruptImage, kStatusImageTooLarge,
// kStatusOutOfMemory. Never throws; prints nothing.
EngineStatus DecodeImage(const UInt8* data, std::size_t size, LumaImage& out);

}  // namespace vexo::engine
