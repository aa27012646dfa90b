#pragma once
// N bytes in place; beyond them a 16-byte-aligned heap block that doubles.

#include "Common/AlignedBuffer.h"
#include "Common/Types.h"

namespace vexo::Common {

inline constexpr UInt32 kMaxAlignedCapacity = 0xFFFFF000u;

template <UInt32 N>
class StackBackedStorage {
  static_assert(N > 0, "the in-place array needs at least one byte");

 public:
  StackBackedStorage() = default;
  StackBackedStorage(const StackBackedStorage&) = delete;
  StackBackedStorage& operator=(const StackBackedStorage&) = delete;
  ~StackBackedStorage() = default;  // the heap block frees itself

  // The heap block once there is one, else the in-place array.
  UInt8* Data();
  const UInt8* Data() const;
  // The heap block's capacity once there is one, else N.
  UInt32 Capacity() const;
  bool OnHeap() const { return heap.capacity != 0; }
  // Moves the content to a heap block of at least new_size bytes, keeping the
  // first old_size bytes; throws BadAllocException past kMaxAlignedCapacity.
  void GrowHeapArray(UInt32 old_size, UInt32 new_size);
  // Makes room for new_size bytes; on growth bytes from old_size on are zero.
  // Never shrinks.
  void Resize(UInt32 old_size, UInt32 new_size);

  // The capacity GrowHeapArray picks: doubling from twice `current` until
  // new_size fits, capped at kMaxAlignedCapacity.
  static UInt32 GrownCapacity(UInt32 current, UInt32 new_size);

 private:
  // 16-byte aligned like the heap block: with N a multiple of 16, aligned
  // 16-byte reads of the content stay inside the array.
  alignas(16) UInt8 inPlace[N] = {};
  AlignedBuffer heap;

 public:
  UInt32 size = 0;  // bytes in use, kept by the owner
};

}  // namespace vexo::Common

// Template definitions.
#include "Common/StackBackedStorage.inl"
