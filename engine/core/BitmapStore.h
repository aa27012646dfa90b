#pragma once
// Decoded images live in a process-wide store; an EngineBitmap holds only a
// handle to one of them. Handle layout (little-endian words):
//   bytes 0-3   magic 0x4D424D56 ("VMBM")
//   bytes 4-7   layout version, 1
//   bytes 8-15  store id of the image (never reused within a process)
//   bytes 16-31 width, height, x and y resolution (dpi, 0 when unknown)
//   the rest    zero
// A released bitmap is all zero. A bitmap whose magic is missing, or whose id
// is not in the store (released through a copy, or made up), is not ours.

#include <memory>

#include "engine/image/LumaImage.h"
#include "wrapper/ImagingEngine.h"

namespace vexo::engine {

// Moves `image` into the store and writes its handle into `bitmap`.
void StoreBitmap(EngineBitmap& bitmap, std::unique_ptr<LumaImage> image);

// The image behind `bitmap`, or null when it holds no live handle. Shared
// ownership keeps the image alive during a read even if it is released.
std::shared_ptr<const LumaImage> FindBitmap(const EngineBitmap& bitmap);

enum class ReleaseOutcome { Released, AlreadyClear, NotOurs };

// Frees the image and zeroes the bitmap. An all-zero bitmap is left as it is;
// one that is not ours is left untouched.
ReleaseOutcome ReleaseStoredBitmap(EngineBitmap& bitmap);

}  // namespace vexo::engine
