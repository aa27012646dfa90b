#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Common/StackBackedStorage.h"
#include "ThrowCapture.h"

namespace vexo::Common {
namespace {

using test::ExpectThrows;
using Sizes = std::vector<std::size_t>;

// Records the sizes asked; hands out blocks one byte past a 16-byte boundary
// so that the alignment step has work to do, or refuses.
struct Recorder {
  static inline Sizes asked;
  static inline bool refuse = false;
  static void* Allocate(std::size_t n) {
    asked.push_back(n);
    return refuse ? nullptr : static_cast<char*>(std::aligned_alloc(16, n + 16)) + 1;
  }
  static void Release(void* block) { std::free(static_cast<char*>(block) - 1); }
};

class Storage : public ::testing::Test {
 protected:
  void SetUp() override {
    Recorder::asked.clear();
    Recorder::refuse = false;
    previous = ExchangeBlockAllocator({&Recorder::Allocate, &Recorder::Release});
  }
  void TearDown() override { ExchangeBlockAllocator(previous); }
  BlockAllocator previous{};
};

// Every size fails the same way against an allocator that refuses; the
// byte count is the size asked of it. Past 0xFFFFFFE0 the rounded size would
// wrap in 32 bits to a block of 0 or 16 bytes: such sizes fail without
// asking the allocator, with their own byte count.
TEST_F(Storage, AllocateAsksRoundedSizePlusAlignmentRoom) {
  const struct {
    UInt32 numBytes;
    Sizes asked;
    UInt32 byteCount;
  } cases[] = {
      {1, {32}, 32},
      {15, {32}, 32},
      {16, {32}, 32},
      {17, {48}, 48},
      {32, {48}, 48},
      {528, {544}, 544},
      {0xFFFFF000u, {0xFFFFF010u}, 0xFFFFF010u},
      {0xFFFFFFE0u, {0xFFFFFFF0u}, 0xFFFFFFF0u},
      {0xFFFFFFE1u, {}, 0xFFFFFFE1u},
      {0xFFFFFFF0u, {}, 0xFFFFFFF0u},
      {0xFFFFFFFFu, {}, 0xFFFFFFFFu},
  };
  Recorder::refuse = true;
  for (const auto& c : cases) {
    Recorder::asked.clear();
    const UInt32 aux = ExpectThrows<BadAllocException>(
        [&] { AlignedBuffer::Allocate(c.numBytes); },
        {"allocated_array == 0", "Allocate(UInt32 num_bytes)", "Bad Allocation",
         "AlignedBuffer.cpp"});
    EXPECT_EQ(aux, c.byteCount) << c.numBytes;
    EXPECT_EQ(Recorder::asked, c.asked) << c.numBytes;
  }
}

TEST_F(Storage, AllocateAligns) {
  const AlignedBuffer buffer = AlignedBuffer::Allocate(100);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.data) % 16, 0u);
  EXPECT_EQ(buffer.offset, 15);
  EXPECT_EQ(buffer.capacity, 100u);
  std::memset(buffer.data, 0x5A, buffer.capacity);  // all of it is usable
  const AlignedBuffer none = AlignedBuffer::Allocate(0);
  EXPECT_EQ(none.data, nullptr);
  EXPECT_EQ(none.capacity, 0u);
  EXPECT_EQ(Recorder::asked, Sizes{128});
}

TEST_F(Storage, GrowthSizes) {
  const struct {
    UInt32 first, second;  // two resizes in a row
    UInt32 capacity;
    Sizes asked;
  } cases[] = {
      {256, 256, 256, {}},          {257, 257, 512, {528}},   {512, 100, 512, {528}},
      {513, 513, 1024, {1040}},     {1000, 5000, 8192, {1040, 8208}},
      {3000, 600, 4096, {4112}},  // never shrinks
  };
  for (const auto& c : cases) {
    Recorder::asked.clear();
    StackBackedStorage<256> storage;
    storage.Resize(0, c.first);
    storage.Resize(c.first, c.second);
    EXPECT_EQ(storage.Capacity(), c.capacity) << c.first << " then " << c.second;
    EXPECT_EQ(Recorder::asked, c.asked) << c.first << " then " << c.second;
  }
  const struct {
    UInt32 current, newSize, expected;
  } nearMax[] = {
      {256, 0xFFFFF000u, 0xFFFFF000u},         {256, 0x80000001u, 0xFFFFF000u},
      {0x80000000u, 0x80000001u, 0xFFFFF000u}, {0xFFFFF000u, 0xFFFFF000u, 0xFFFFF000u},
      {256, 0x80000000u, 0x80000000u},         {0x40000000u, 0x40000001u, 0x80000000u},
  };
  for (const auto& c : nearMax) {
    EXPECT_EQ(StackBackedStorage<256>::GrownCapacity(c.current, c.newSize), c.expected)
        << c.current << " to " << c.newSize;
  }
}

TEST_F(Storage, RefusedGrowthKeepsContent) {
  StackBackedStorage<16> storage;
  std::memcpy(storage.Data(), "0123456789", 10);
  const UInt32 aux = ExpectThrows<BadAllocException>(
      [&] { storage.GrowHeapArray(10, 0xFFFFF001u); },
      {"new_size is over the maximum capacity of AlignedBuffer.",
       "GrowHeapArray(UInt32 old_size, UInt32 new_size)", "Bad Allocation",
       "StackBackedStorage.inl"});
  EXPECT_EQ(aux, 0xFFFFF001u);
  EXPECT_EQ(Recorder::asked, Sizes{});
  Recorder::refuse = true;
  EXPECT_THROW(storage.GrowHeapArray(10, 0xFFFFF000u), BadAllocException);
  EXPECT_EQ(Recorder::asked, Sizes{0xFFFFF010u});
  EXPECT_EQ(storage.Capacity(), 16u);
  EXPECT_EQ(std::memcmp(storage.Data(), "0123456789", 10), 0);
}

TEST_F(Storage, GrowthKeepsContentAndZeroesTail) {
  StackBackedStorage<8> storage;
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(storage.Data()) % 16, 0u);
  UInt8 next = 1;
  while (storage.size < 100) {  // append three bytes at a time, as an owner does
    storage.Resize(storage.size, storage.size + 3 + 1);
    const UInt8* data = storage.Data();
    for (UInt32 i = 0; i < storage.size; ++i) ASSERT_EQ(UInt32{data[i]}, i + 1) << i;
    for (UInt32 i = storage.size; i < storage.Capacity(); ++i) ASSERT_EQ(data[i], 0) << i;
    for (int k = 0; k < 3; ++k) storage.Data()[storage.size++] = next++;
  }
  EXPECT_EQ(storage.Capacity(), 128u);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(storage.Data()) % 16, 0u);
  EXPECT_EQ(Recorder::asked, (Sizes{32, 48, 80, 144}));
}

}  // namespace
}  // namespace vexo::Common
