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

// A little-endian TIFF directory, gray or RGB(A), one strip at `dataOffset`.
Bytes TiffHeader(UInt32 width, UInt32 height, UInt16 samples, UInt16 bits) {
  struct Entry {
    UInt16 tag, type;
    UInt32 value;
  };
  constexpr UInt16 kShort = 3, kLong = 4;
  const Entry entries[] = {
      {256, kLong, width},
      {257, kLong, height},
      {258, kShort, bits},
      {259, kShort, 1},
      {262, kShort, UInt16(samples >= 3 ? 2 : 1)},  // RGB or black is zero
      {273, kLong, 0},
      {277, kShort, samples},
      {278, kLong, height},
      {279, kLong,
       static_cast<UInt32>(
           std::min<UInt64>(UInt64{width} * height * samples * bits / 8, 0xFFFFFFFFu))},
      {338, kShort, UInt16(samples == 4 ? 2 : 0)}};  // extra sample: unassociated alpha
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

Bytes PngClaiming(UInt32 width, UInt32 height, UInt8 bitDepth, UInt8 colorType) {
  Bytes png;
  Append(png, "\x89PNG\r\n\x1a\n");
  Bytes header;
  Be32(header, width);
  Be32(header, height);
  Put(header, {bitDepth, colorType, 0, 0, 0});  // no interlace
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

Bytes TiffClaiming(UInt32 width, UInt32 height, UInt16 samples, UInt16 bits) {
  return TiffHeader(width, height, samples, bits);
}

Bytes PnmClaiming(UInt32 width, UInt32 height) {
  const std::string header =
      "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  return Bytes(header.begin(), header.end());
}

Bytes Jpeg2000Claiming(UInt32 width, UInt32 height, UInt16 components) {
  Bytes stream;
  Be16(stream, 0xFF4F);               // start of codestream
  Be16(stream, 0xFF51);               // image and tile size
  Be16(stream, 38 + 3 * components);  // length
  Be16(stream, 0);
  for (UInt32 value : {width, height, 0u, 0u, width, height, 0u, 0u}) Be32(stream, value);
  Be16(stream, components);
  for (UInt16 i = 0; i < components; ++i) Put(stream, {7, 1, 1});  // 8-bit, no subsampling
  Be16(stream, 0xFFD9);                                            // end of codestream
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

// `jpeg` with the size in its frame header (marker `frame`) rewritten.
Bytes RewriteJpegSize(Bytes jpeg, UInt8 frame, UInt16 width, UInt16 height) {
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == frame) {
      const UInt8 size[] = {UInt8(height >> 8), UInt8(height), UInt8(width >> 8), UInt8(width)};
      std::copy(std::begin(size), std::end(size), jpeg.begin() + i + 5);
      return jpeg;
    }
  }
  return {};
}

Bytes JpegClaiming(UInt16 width, UInt16 height) {
  return RewriteJpegSize(SmallFile("claim.jpg", ""), 0xC0, width, height);  // baseline
}

Bytes ProgressiveJpegClaiming(UInt16 width, UInt16 height) {
  return RewriteJpegSize(
      SmallFile("claim-progressive.jpg",
                "-colorspace sRGB -type TrueColor -sampling-factor 1x1 -interlace Plane"),
      0xC2, width, height);
}

Bytes JpegOfScans(int scans, UInt16 side) {
  Bytes jpeg = SmallFile("scans.jpg", "-interlace Plane");
  // The last scan runs from its marker to the end-of-image marker.
  std::size_t last = 0;
  for (std::size_t i = 2; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) last = i;
  }
  if (last == 0 || jpeg.size() < last + 2) return {};
  const Bytes scan(jpeg.begin() + static_cast<std::ptrdiff_t>(last), jpeg.end() - 2);
  int present = 0;
  for (std::size_t i = 2; i + 1 < jpeg.size(); ++i)
    present += jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA;
  jpeg.resize(jpeg.size() - 2);
  for (int i = present; i < scans; ++i) jpeg.insert(jpeg.end(), scan.begin(), scan.end());
  Put(jpeg, {0xFF, 0xD9});
  return side == 0 ? jpeg : RewriteJpegSize(jpeg, 0xC2, side, side);
}

Bytes GifOfFrames(int frames, std::size_t extensionBytes) {
  Bytes gif;
  Append(gif, "GIF89a");
  Le16(gif, 1);
  Le16(gif, 1);
  Put(gif, {0x80, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF});  // two colours: black, white
  for (std::size_t left = extensionBytes; left > 0;) {
    Put(gif, {0x21, 0xFE});  // comment
    for (int block = 0; block < 255 && left > 0; ++block) {
      const UInt8 length = UInt8(std::min<std::size_t>(left, 255));
      gif.push_back(length);
      gif.insert(gif.end(), length, UInt8('c'));
      left -= length;
    }
    gif.push_back(0);
  }
  for (int i = 0; i < frames; ++i) {
    gif.push_back(0x2C);
    for (UInt32 value : {0u, 0u, 1u, 1u}) Le16(gif, value);
    // No local table; LZW code size 2; clear, white, end of information.
    Put(gif, {0, 2, 2, 0x4C, 0x01, 0});
  }
  gif.push_back(0x3B);
  return gif;
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
  Bytes tiff = TiffHeader(width, height, 1, 8);
  for (UInt32 y = 0; y < height; ++y) {
    for (UInt32 x = 0; x < width; ++x) tiff.push_back(UInt8(x * 16 + y));
  }
  tiff.resize(tiff.size() - static_cast<std::size_t>(width) * height + keptBytes);
  return tiff;
}

}  // namespace vexo::engine::test
