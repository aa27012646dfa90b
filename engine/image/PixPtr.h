#pragma once
// Owning pointer to a Leptonica PIX; pixDestroy releases it.

#include <leptonica/allheaders.h>

#include <memory>

namespace vexo::engine {

struct PixDeleter {
  void operator()(PIX* pix) const { pixDestroy(&pix); }
};

using PixPtr = std::unique_ptr<PIX, PixDeleter>;

}  // namespace vexo::engine
