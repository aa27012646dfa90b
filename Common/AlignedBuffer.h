#pragma once
// One heap block whose usable start is aligned to 16 bytes.

#include "Common/Types.h"

namespace vexo::Common {

struct AlignedBuffer {
  UInt8* data = nullptr;  // usable start, a multiple of 16; null without a block
  UInt32 capacity = 0;    // usable bytes as requested; 0 without a block
  Int32 offset = 0;       // data minus the start of the allocated block

  // A fresh buffer of num_bytes usable bytes; throws BadAllocException.
  static AlignedBuffer Allocate(UInt32 num_bytes);
  // Frees the block (if any) and empties the buffer.
  void Free();
};

}  // namespace vexo::Common
