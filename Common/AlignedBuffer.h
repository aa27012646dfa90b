#pragma once
// One heap block whose usable start is aligned to 16 bytes.

#include <cstddef>

#include "Common/Types.h"

namespace vexo::Common {

// The allocator behind every block. Replaceable so that tests can see the
// byte counts asked and simulate an allocator that returns nothing.
struct BlockAllocator {
  void* (*allocate)(std::size_t num_bytes);
  void (*release)(void* block);
};
// Installs `replacement` and returns the allocator it replaces.
BlockAllocator ExchangeBlockAllocator(BlockAllocator replacement);

// Owns its block: moving transfers it, destruction frees it.
struct AlignedBuffer {
  UInt8* data = nullptr;  // usable start, a multiple of 16; null without a block
  UInt32 capacity = 0;    // usable bytes as requested; 0 without a block
  Int32 offset = 0;       // data minus the start of the allocated block

  AlignedBuffer() = default;
  AlignedBuffer(const AlignedBuffer&) = delete;
  AlignedBuffer& operator=(const AlignedBuffer&) = delete;
  AlignedBuffer(AlignedBuffer&& other) noexcept;
  AlignedBuffer& operator=(AlignedBuffer&& other) noexcept;
  ~AlignedBuffer() { Free(); }

  // The largest size Allocate takes: its rounded size plus alignment room
  // must fit in 32 bits.
  static constexpr UInt32 kMaxAllocatable = 0xFFFFFFE0u;
  // A fresh buffer of num_bytes usable bytes; throws BadAllocException (for
  // a size above kMaxAllocatable with num_bytes as the byte count, and
  // without asking the allocator).
  static AlignedBuffer Allocate(UInt32 num_bytes);
  // Frees the block (if any) and empties the buffer.
  void Free() noexcept;
};

}  // namespace vexo::Common
