// PNG chunk lengths checked before decoding: a chunk that claims more bytes
// than the file holds is refused up front, so the PNG library never allocates
// the claimed length (a fuzzed 234-byte file claimed 587 MB for a text chunk).

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "ImageTestSupport.h"
#include "engine/image/ImageDecoder.h"
#include "engine/image/ImageHeader.h"

namespace vexo::engine::test {
namespace {

constexpr std::size_t kEndChunkSize = 12;  // IEND: length, type, CRC

Bytes Page() { return ReadBytes(SharedTestPage().png); }

// A chunk's length and type with `data` after them, and no CRC.
Bytes ChunkStart(UInt32 length, std::string_view type, std::string_view data) {
  std::string text = {char(length >> 24), char(length >> 16), char(length >> 8), char(length)};
  text += type;
  text += data;
  return Bytes(text.begin(), text.end());
}

// The page with `extra` just before its IEND chunk.
Bytes BeforeEnd(const Bytes& extra) {
  Bytes png = Page();
  png.insert(png.end() - kEndChunkSize, extra.begin(), extra.end());
  return png;
}

Bytes AfterEnd(const Bytes& extra) {
  Bytes png = Page();
  png.insert(png.end(), extra.begin(), extra.end());
  return png;
}

struct ChunkCase {
  const char* name;
  Bytes (*make)();
  EngineStatus chunks;   // CheckPngChunks, as the engine reports it
  EngineStatus decoded;  // DecodeImage, the same before the check existed
};

const ChunkCase kChunkCases[] = {
    {"whole_page", [] { return Page(); }, kStatusSuccess, kStatusSuccess},
    {"text_claims_587_mb",
     [] { return BeforeEnd(ChunkStart(0x23000025, "tEXt", "date:create")); }, kStatusCorruptImage,
     kStatusCorruptImage},
    {"length_over_31_bits", [] { return BeforeEnd(ChunkStart(0x80000000, "zTXt", "x")); },
     kStatusCorruptImage, kStatusCorruptImage},
    {"end_crc_cut",
     [] {
       Bytes png = Page();
       png.erase(png.end() - 4, png.end());
       return png;
     },
     kStatusCorruptImage, kStatusCorruptImage},
    {"claim_after_end_ignored", [] { return AfterEnd(ChunkStart(0x7FFFFFFF, "tEXt", "x")); },
     kStatusSuccess, kStatusSuccess},
    {"no_end_chunk_left_to_decoder",
     [] {
       Bytes png = Page();
       png.erase(png.end() - kEndChunkSize, png.end());
       return png;
     },
     kStatusSuccess, kStatusCorruptImage},
};

class PngChunks : public testing::TestWithParam<ChunkCase> {};

TEST_P(PngChunks, CheckedBeforeDecoding) {
  const Bytes png = GetParam().make();
  ASSERT_GT(png.size(), 64u) << "zint or convert could not make the test page";
  EXPECT_EQ(StatusOf(CheckPngChunks(png.data(), png.size())), GetParam().chunks);
  LumaImage image;
  EXPECT_EQ(StatusOf(DecodeImage(png.data(), png.size(), image)), GetParam().decoded);
}

INSTANTIATE_TEST_SUITE_P(Files, PngChunks, testing::ValuesIn(kChunkCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(PngChunksEdge, SignatureAloneLeftToDecoder) {
  const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0};
  EXPECT_EQ(CheckPngChunks(png.data(), png.size()), ImageOutcome::kOk);
}

}  // namespace
}  // namespace vexo::engine::test
