#pragma once
// What an image operation (decoding a file, drawing a page) came to. The image
// folder knows nothing of the engine's statuses: the core turns each outcome
// into its status in one place (StatusOf in engine/core/Status.h).

namespace vexo::engine {

enum class ImageOutcome {
  kOk,             // done, or a check that found nothing wrong
  kEmpty,          // no bytes, or no pixels
  kUnknownFormat,  // no signature we know, or a layout the decoder does not read
  kCorrupt,        // damaged or truncated
  kTooLarge,       // over kMaxImageSide a side or kMaxImagePixels in all
  kOutOfMemory,
  kInternalError,
};

}  // namespace vexo::engine
