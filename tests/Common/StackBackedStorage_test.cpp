#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Common/StackBackedStorage.h"
#include "ThrowCapture.h"

namespace vexo::Common {
namespace {

using test::ExpectFailure;
using test::Thrown;

// Records every size asked. The blocks it hands out start one byte past a
// 16-byte boundary, so the alignment step always has work to do.
struct RecordingAllocator {
  static inline std::vector<std::size_t> asked;
  static inline bool refuse = false;

  static void* Allocate(std::size_t num_bytes) {
    asked.push_back(num_bytes);
    if (refuse) return nullptr;
    auto* block = static_cast<unsigned char*>(std::aligned_alloc(16, num_bytes + 16));
    return block + 1;
  }
  static void Release(void* block) { std::free(static_cast<unsigned char*>(block) - 1); }
};

// Installs the recording allocator for one test.
class AllocatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RecordingAllocator::asked.clear();
    RecordingAllocator::refuse = false;
    previous = ExchangeBlockAllocator({&RecordingAllocator::Allocate, &RecordingAllocator::Release});
  }
  void TearDown() override { ExchangeBlockAllocator(previous); }
  BlockAllocator previous{};
};

TEST_F(AllocatorTest, AllocateAsksRoundedSizePlusAlignmentRoom) {
  const struct {
    UInt32 numBytes;
    std::size_t asked;
  } cases[] = {{1, 32}, {15, 32}, {16, 32}, {17, 48}, {32, 48}, {528, 544}, {0xFFFFF000u, 0xFFFFF010u}};
  RecordingAllocator::refuse = true;  // only the sizes matter here
  for (const auto& c : cases) {
    RecordingAllocator::asked.clear();
    EXPECT_THROW(AlignedBuffer::Allocate(c.numBytes), BadAllocException);
    EXPECT_EQ(RecordingAllocator::asked, std::vector<std::size_t>{c.asked}) << c.numBytes;
  }
}

TEST_F(AllocatorTest, AllocateAlignsAndFreesTheBlockItGot) {
  AlignedBuffer buffer = AlignedBuffer::Allocate(100);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.data) % 16, 0u);
  EXPECT_EQ(buffer.offset, 15);
  EXPECT_EQ(buffer.capacity, 100u);
  std::memset(buffer.data, 0x5A, buffer.capacity);  // the whole capacity is usable

  const AlignedBuffer none = AlignedBuffer::Allocate(0);
  EXPECT_EQ(none.data, nullptr);
  EXPECT_EQ(none.capacity, 0u);
  EXPECT_EQ(RecordingAllocator::asked.size(), 1u);
}

TEST_F(AllocatorTest, AllocatorReturningNothing) {
  RecordingAllocator::refuse = true;
  const auto e = Thrown<BadAllocException>([] { AlignedBuffer::Allocate(17); });
  ExpectFailure(e, {"allocated_array == 0", "Allocate(UInt32 num_bytes)", "Bad Allocation",
                    "AlignedBuffer.cpp"});
  EXPECT_EQ(e->AuxValue(), 48u);
}

TEST_F(AllocatorTest, GrowthSizes) {
  const struct {
    const char* name;
    UInt32 first, second;  // two resizes in a row
    UInt32 capacity;
    std::vector<std::size_t> asked;
  } cases[] = {
      {"exactly N stays in place", 256, 256, 256, {}},
      {"N + 1", 257, 257, 512, {528}},
      {"up to 2N", 512, 100, 512, {528}},
      {"2N + 1", 513, 513, 1024, {1040}},
      {"1024 then 5000", 1000, 5000, 8192, {1040, 8208}},
      {"no shrinking", 3000, 600, 4096, {4112}},
  };
  for (const auto& c : cases) {
    RecordingAllocator::asked.clear();
    StackBackedStorage<256> storage;
    storage.Resize(0, c.first);
    storage.Resize(c.first, c.second);
    EXPECT_EQ(storage.Capacity(), c.capacity) << c.name;
    EXPECT_EQ(RecordingAllocator::asked, c.asked) << c.name;
  }
}

TEST(StackBackedStorageGrowth, CapacityNearTheMaximum) {
  using Storage = StackBackedStorage<256>;
  const struct {
    UInt32 current, newSize, expected;
  } cases[] = {
      {256, 0xFFFFF000u, 0xFFFFF000u},      {256, 0x80000001u, 0xFFFFF000u},
      {0x80000000u, 0x80000001u, 0xFFFFF000u}, {0xFFFFF000u, 0xFFFFF000u, 0xFFFFF000u},
      {256, 0x80000000u, 0x80000000u},      {0x40000000u, 0x40000001u, 0x80000000u},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Storage::GrownCapacity(c.current, c.newSize), c.expected) << c.current << " " << c.newSize;
  }
}

TEST_F(AllocatorTest, GrowPastMaximumAndRefusedGrowthKeepContent) {
  StackBackedStorage<16> storage;
  std::memcpy(storage.Data(), "0123456789", 10);
  const auto e = Thrown<BadAllocException>([&] { storage.GrowHeapArray(10, 0xFFFFF001u); });
  ExpectFailure(e, {"new_size is over the maximum capacity of AlignedBuffer.",
                    "GrowHeapArray(UInt32 old_size, UInt32 new_size)", "Bad Allocation",
                    "StackBackedStorage.inl"});
  EXPECT_EQ(e->AuxValue(), 0xFFFFF001u);
  EXPECT_TRUE(RecordingAllocator::asked.empty());

  RecordingAllocator::refuse = true;
  EXPECT_THROW(storage.GrowHeapArray(10, 0xFFFFF000u), BadAllocException);
  EXPECT_EQ(RecordingAllocator::asked, std::vector<std::size_t>{0xFFFFF010u});
  EXPECT_EQ(storage.Capacity(), 16u);
  EXPECT_EQ(std::memcmp(storage.Data(), "0123456789", 10), 0);
}

TEST_F(AllocatorTest, GrowthKeepsContentAndZeroesTail) {
  StackBackedStorage<8> storage;
  for (UInt32 i = 0; i < 8; ++i) EXPECT_EQ(storage.Data()[i], 0) << i;
  storage.size = 0;
  UInt8 expected = 1;
  // Append 100 bytes, three at a time, as an owner would.
  while (storage.size < 100) {
    storage.Resize(storage.size, storage.size + 3 + 1);
    const UInt8* data = storage.Data();
    for (UInt32 i = storage.size; i < storage.Capacity(); ++i) ASSERT_EQ(data[i], 0) << i;
    for (UInt32 i = 0; i < storage.size; ++i) ASSERT_EQ(UInt32{data[i]}, i + 1) << i;
    for (int k = 0; k < 3; ++k) storage.Data()[storage.size++] = expected++;
  }
  EXPECT_EQ(storage.Capacity(), 128u);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(storage.Data()) % 16, 0u);
  EXPECT_EQ(RecordingAllocator::asked, (std::vector<std::size_t>{32, 48, 80, 144}));
}

}  // namespace
}  // namespace vexo::Common
