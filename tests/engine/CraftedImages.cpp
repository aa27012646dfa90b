#include "CraftedImages.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>

namespace vexo::engine::test {
namespace {

// Byte by byte: GCC 12 warns wrongly about range inserts into empty vectors.
void Put(Bytes& bytes, std::initializer_list<UInt8> values) {
  for (UInt8 value : values) bytes.push_back(value);
}
void Append(Bytes& bytes, std::string_view text) {
  for (char c : text) bytes.push_back(static_cast<UInt8>(c));
}
void Be16(Bytes& bytes, UInt32 v) { Put(bytes, {UInt8(v >> 8), UInt8(v)}); }
void Le16(Bytes& bytes, UInt32 v) { Put(bytes, {UInt8(v), UInt8(v >> 8)}); }
void Be32(Bytes& bytes, UInt32 v) {
  Be16(bytes, v >> 16);
  Be16(bytes, v & 0xFFFF);
}
void Le32(Bytes& bytes, UInt32 v) {
  Le16(bytes, v & 0xFFFF);
  Le16(bytes, v >> 16);
}

UInt32 Crc32(const UInt8* data, std::size_t size) {
  UInt32 crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

void PngChunk(Bytes& png, std::string_view type, const Bytes& body) {
  Be32(png, static_cast<UInt32>(body.size()));
  const std::size_t start = png.size();
  Append(png, type);
  for (UInt8 byte : body) png.push_back(byte);
  Be32(png, Crc32(png.data() + start, png.size() - start));
}

// A little-endian TIFF directory of 8-bit gray, one strip at `dataOffset`.
Bytes GrayTiffHeader(UInt32 width, UInt32 height) {
  struct Entry {
    UInt16 tag, type;
    UInt32 value;
  };
  constexpr UInt16 kShort = 3, kLong = 4;
  const Entry entries[] = {
      {256, kLong, width},
      {257, kLong, height},
      {258, kShort, 8},
      {259, kShort, 1},
      {262, kShort, 1},
      {273, kLong, 0},
      {277, kShort, 1},
      {278, kLong, height},
      {279, kLong, static_cast<UInt32>(std::min<UInt64>(UInt64{width} * height, 0xFFFFFFFFu))}};
  const UInt32 dataOffset = 8 + 2 + std::size(entries) * 12 + 4;
  Bytes tiff;
  Append(tiff, std::string_view("II*\0", 4));
  Le32(tiff, 8);
  Le16(tiff, std::size(entries));
  for (const Entry& entry : entries) {
    Le16(tiff, entry.tag);
    Le16(tiff, entry.type);
    Le32(tiff, 1);
    Le32(tiff, entry.tag == 273 ? dataOffset : entry.value);  // short values sit low
  }
  Le32(tiff, 0);
  return tiff;
}

// Runs convert on a small gray ramp into `name` and returns the file.
Bytes SmallFile(const std::string& name, const std::string& options) {
  const std::string path = SharedScratch().File(name);
  if (!RunQuietly("convert -size 16x16 gradient:white-black " + options + " " + path)) return {};
  return ReadBytes(path);
}

}  // namespace

Bytes PngClaiming(UInt32 width, UInt32 height) {
  Bytes png;
  Append(png, "\x89PNG\r\n\x1a\n");
  Bytes header;
  Be32(header, width);
  Be32(header, height);
  Put(header, {8, 0, 0, 0, 0});  // 8-bit gray, no interlace
  PngChunk(png, "IHDR", header);
  PngChunk(png, "IEND", {});
  return png;
}

Bytes BmpClaiming(Int32 width, Int32 height) {
  Bytes bmp;
  Append(bmp, "BM");
  for (UInt32 value : {54u, 0u, 54u, 40u}) Le32(bmp, value);  // sizes, offset, info size
  Le32(bmp, static_cast<UInt32>(width));
  Le32(bmp, static_cast<UInt32>(height));
  Le16(bmp, 1);                              // planes
  Le16(bmp, 24);                             // bits per pixel
  for (int i = 0; i < 6; ++i) Le32(bmp, 0);  // uncompressed, no sizes, no palette
  return bmp;
}

Bytes TiffClaiming(UInt32 width, UInt32 height) { return GrayTiffHeader(width, height); }

Bytes PnmClaiming(UInt32 width, UInt32 height) {
  const std::string header =
      "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  return Bytes(header.begin(), header.end());
}

Bytes Jpeg2000Claiming(UInt32 width, UInt32 height) {
  Bytes stream;
  Be16(stream, 0xFF4F);  // start of codestream
  Be16(stream, 0xFF51);  // image and tile size
  Be16(stream, 41);      // length for one component
  Be16(stream, 0);
  for (UInt32 value : {width, height, 0u, 0u, width, height, 0u, 0u}) Be32(stream, value);
  Be16(stream, 1);         // components
  Put(stream, {7, 1, 1});  // 8-bit unsigned, no subsampling
  Be16(stream, 0xFFD9);    // end of codestream
  return stream;
}

Bytes GifClaiming(UInt16 width, UInt16 height, int frames) {
  Bytes gif;
  Append(gif, "GIF89a");
  Le16(gif, width);
  Le16(gif, height);
  Put(gif, {0, 0, 0});  // no global colour table
  for (int i = 0; i < frames; ++i) {
    gif.push_back(0x2C);
    for (UInt32 value : {0u, 0u, UInt32{width}, UInt32{height}}) Le16(gif, value);
    Put(gif, {0, 8, 0});  // flags, LZW code size, empty data
  }
  gif.push_back(0x3B);
  return gif;
}

Bytes JpegClaiming(UInt16 width, UInt16 height) {
  Bytes jpeg = SmallFile("claim.jpg", "");
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {  // baseline frame header
      const UInt8 size[] = {UInt8(height >> 8), UInt8(height), UInt8(width >> 8), UInt8(width)};
      std::copy(std::begin(size), std::end(size), jpeg.begin() + i + 5);
      return jpeg;
    }
  }
  return {};
}

Bytes WebPClaiming(UInt16 width, UInt16 height) {
  Bytes webp = SmallFile("claim.webp", "-define webp:lossless=true");
  constexpr std::size_t kBits = 21;  // after "VP8L", the chunk size and the signature byte
  if (webp.size() < kBits + 4 ||
      std::string_view(reinterpret_cast<char*>(&webp[12]), 4) != "VP8L") {
    return {};
  }
  // 14 bits each of width - 1 and height - 1, then alpha and version bits.
  const UInt32 old = webp[kBits] | webp[kBits + 1] << 8 | webp[kBits + 2] << 16 |
                     static_cast<UInt32>(webp[kBits + 3]) << 24;
  const UInt32 bits = (old & 0xF0000000u) | (width - 1u) | (height - 1u) << 14;
  for (int i = 0; i < 4; ++i) webp[kBits + i] = UInt8(bits >> (8 * i));
  return webp;
}

Bytes GrayTiff(UInt32 width, UInt32 height, std::size_t keptBytes) {
  Bytes tiff = GrayTiffHeader(width, height);
  for (UInt32 y = 0; y < height; ++y) {
    for (UInt32 x = 0; x < width; ++x) tiff.push_back(UInt8(x * 16 + y));
  }
  tiff.resize(tiff.size() - static_cast<std::size_t>(width) * height + keptBytes);
  return tiff;
}

}  // namespace vexo::engine::test
