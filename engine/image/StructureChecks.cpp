#include "engine/image/StructureChecks.h"

#include <algorithm>
#include <cstring>

#include "engine/image/ByteReader.h"

namespace vexo::engine {
namespace {

// JPEG markers: 0xFF, any number of 0xFF fill bytes, a code.
constexpr UInt8 kJpegMarker = 0xFF;
constexpr UInt8 kJpegStuffedZero = 0x00;
constexpr UInt8 kJpegTemporary = 0x01;
constexpr UInt8 kJpegFirstRestart = 0xD0;
constexpr UInt8 kJpegLastRestart = 0xD7;
constexpr UInt8 kJpegStartOfImage = 0xD8;
constexpr UInt8 kJpegEndOfImage = 0xD9;
constexpr UInt8 kJpegStartOfScan = 0xDA;
constexpr std::size_t kJpegFirstMarker = 2;      // after the start of image
constexpr std::size_t kJpegFrameComponents = 7;  // from the segment length: P, Y, X, Nf
constexpr std::size_t kJpegFrameFirstComponent = 8;
constexpr std::size_t kJpegComponentSize = 3;  // id, sampling factors, table
constexpr UInt32 kJpegBlockSide = 8;
constexpr Int64 kJpegBlockBytes = 64 * 2;  // 64 coefficients of 16 bits
constexpr UInt32 kJpegMaxComponents = 4;

// Start of frame markers: 0xC0 to 0xCF but 0xC4 (Huffman tables), 0xC8
// (reserved) and 0xCC (arithmetic conditioning). 0xC2, 0xC6, 0xCA and 0xCE
// are progressive.
bool IsStartOfFrame(UInt8 code) {
  return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}
bool IsProgressive(UInt8 code) { return (code & 0xF3) == 0xC2; }
bool StandsAlone(UInt8 code) {
  return code == kJpegTemporary || code == kJpegStartOfImage ||
         (code >= kJpegFirstRestart && code <= kJpegLastRestart);
}

// The position of the marker that ends the entropy-coded data from `pos`:
// a 0xFF that is neither a stuffed zero nor a restart marker.
std::size_t SkipEntropyCoded(const ByteReader& bytes, std::size_t pos) {
  while (pos < bytes.Size()) {
    const void* found = std::memchr(bytes.Data() + pos, kJpegMarker, bytes.Size() - pos);
    if (found == nullptr || !bytes.Has(static_cast<const UInt8*>(found) - bytes.Data(), 2)) break;
    pos = static_cast<std::size_t>(static_cast<const UInt8*>(found) - bytes.Data());
    const UInt8 next = bytes.At(pos + 1);
    if (next != kJpegStuffedZero && (next < kJpegFirstRestart || next > kJpegLastRestart)) {
      return pos;
    }
    pos += 2;
  }
  return bytes.Size();
}

Int64 CeilDiv(Int64 value, Int64 divisor) { return (value + divisor - 1) / divisor; }
Int64 RoundUp(Int64 value, Int64 multiple) { return CeilDiv(value, multiple) * multiple; }

// The decoder's whole-image coefficient buffer: every component's blocks,
// rounded up to whole units of its sampling factors.
Int64 CoefficientBytes(const ByteReader& bytes, std::size_t frame) {
  const Int64 height = bytes.Be16(frame + 3);
  const Int64 width = bytes.Be16(frame + 5);
  const UInt32 count = std::min<UInt32>(bytes.At(frame + kJpegFrameComponents), kJpegMaxComponents);
  UInt32 sampling[kJpegMaxComponents][2] = {};
  UInt32 maxH = 1, maxV = 1;
  for (UInt32 i = 0; i < count; ++i) {
    const std::size_t at = frame + kJpegFrameFirstComponent + i * kJpegComponentSize + 1;
    if (!bytes.Has(at, 1)) return 0;
    sampling[i][0] = std::clamp<UInt32>(bytes.At(at) >> 4, 1, 4);
    sampling[i][1] = std::clamp<UInt32>(bytes.At(at) & 0xF, 1, 4);
    maxH = std::max(maxH, sampling[i][0]);
    maxV = std::max(maxV, sampling[i][1]);
  }
  Int64 total = 0;
  for (UInt32 i = 0; i < count; ++i) {
    const Int64 blocksWide = CeilDiv(CeilDiv(width * sampling[i][0], maxH), kJpegBlockSide);
    const Int64 blocksHigh = CeilDiv(CeilDiv(height * sampling[i][1], maxV), kJpegBlockSide);
    total +=
        RoundUp(blocksWide, sampling[i][0]) * RoundUp(blocksHigh, sampling[i][1]) * kJpegBlockBytes;
  }
  return total;
}

// GIF blocks.
constexpr std::size_t kGifScreenEnd = 13;  // signature and logical screen descriptor
constexpr std::size_t kGifScreenFlags = 10;
constexpr UInt8 kGifColorTableFlag = 0x80;
constexpr UInt8 kGifExtension = 0x21;
constexpr UInt8 kGifGraphicControl = 0xF9;
constexpr UInt8 kGifImage = 0x2C;
constexpr UInt8 kGifTrailer = 0x3B;
constexpr std::size_t kGifDescriptorSize = 10;  // the separator and nine bytes
constexpr std::size_t kGifImageFlags = 9;

std::size_t GifColorTableSize(UInt8 flags) {
  return (flags & kGifColorTableFlag) ? 3u << ((flags & 7) + 1) : 0;
}

// Skips data sub-blocks (length byte, bytes) up to the zero terminator; the
// position past it, or 0 when the data stops first.
std::size_t SkipGifSubBlocks(const ByteReader& bytes, std::size_t pos) {
  while (bytes.Has(pos, 1)) {
    const UInt8 length = bytes.At(pos);
    pos += 1 + length;
    if (length == 0) return pos;
  }
  return 0;
}

GifFirstImage CorruptGif() {
  GifFirstImage image;
  image.status = kStatusCorruptImage;
  return image;
}

}  // namespace

JpegLayout ReadJpegLayout(const UInt8* data, std::size_t size) {
  const ByteReader bytes(data, size);
  JpegLayout layout;
  std::size_t frame = 0;
  UInt32 scanCap = kMaxJpegScans;
  std::size_t pos = kJpegFirstMarker;
  while (bytes.Has(pos, 2)) {
    if (bytes.At(pos) != kJpegMarker) {  // stray bytes: the decoder skips them too
      pos = SkipEntropyCoded(bytes, pos);
      continue;
    }
    const UInt8 code = bytes.At(pos + 1);
    if (code == kJpegMarker) {  // fill byte
      ++pos;
      continue;
    }
    pos += 2;
    if (code == kJpegEndOfImage) break;
    if (StandsAlone(code)) continue;
    if (!bytes.Has(pos, 2) || bytes.Be16(pos) < 2) break;
    const std::size_t segmentEnd = pos + bytes.Be16(pos);
    if (IsStartOfFrame(code) && frame == 0 && bytes.Has(pos, kJpegFrameFirstComponent)) {
      frame = pos;
      layout.progressive = IsProgressive(code);
      layout.components = bytes.At(pos + kJpegFrameComponents);
      const Int64 pixels = Int64{bytes.Be16(pos + 3)} * bytes.Be16(pos + 5);
      scanCap = static_cast<UInt32>(
          std::clamp<Int64>(pixels > 0 ? kMaxJpegScanPixels / pixels : kMaxJpegScans,
                            kMinJpegScanCap, kMaxJpegScans));
    }
    if (code == kJpegStartOfScan) {
      if (++layout.scans > scanCap) {
        layout.status = kStatusCorruptImage;
        return layout;
      }
      pos = SkipEntropyCoded(bytes, segmentEnd);
      continue;
    }
    pos = segmentEnd;
  }
  if (frame != 0 && (layout.progressive || layout.scans > 1)) {
    layout.coefficientBytes = CoefficientBytes(bytes, frame);
  }
  return layout;
}

GifFirstImage FindGifFirstImage(const UInt8* data, std::size_t size) {
  const ByteReader bytes(data, size);
  if (!bytes.Has(0, kGifScreenEnd)) return CorruptGif();
  GifFirstImage image;
  image.screenEnd = kGifScreenEnd + GifColorTableSize(bytes.At(kGifScreenFlags));
  std::size_t pos = image.screenEnd;
  while (bytes.Has(pos, 2) && bytes.At(pos) == kGifExtension) {
    const std::size_t end = SkipGifSubBlocks(bytes, pos + 2);
    if (end == 0) return CorruptGif();
    if (bytes.At(pos + 1) == kGifGraphicControl) {
      image.controlBegin = pos;
      image.controlEnd = end;
    }
    pos = end;
  }
  if (!bytes.Has(pos, kGifDescriptorSize + 1) || bytes.At(pos) != kGifImage) return CorruptGif();
  image.imageBegin = pos;
  image.width = bytes.Le16(pos + 5);
  image.height = bytes.Le16(pos + 7);
  const std::size_t lzwCodeSize =
      pos + kGifDescriptorSize + GifColorTableSize(bytes.At(pos + kGifImageFlags));
  image.imageEnd = SkipGifSubBlocks(bytes, lzwCodeSize + 1);
  if (image.imageEnd == 0 || image.width == 0 || image.height == 0) return CorruptGif();
  image.readableAsItIs = pos - image.screenEnd <= kGifSmallExtensions &&
                         image.imageEnd + 1 == size && bytes.At(image.imageEnd) == kGifTrailer;
  return image;
}

std::vector<UInt8> GifWithFirstImageOnly(const UInt8* data, std::size_t size) {
  const GifFirstImage image = FindGifFirstImage(data, size);
  std::vector<UInt8> copy;
  if (image.status != kStatusSuccess || image.readableAsItIs) return copy;
  copy.reserve(image.screenEnd + (image.controlEnd - image.controlBegin) +
               (image.imageEnd - image.imageBegin) + 1);
  copy.insert(copy.end(), data, data + image.screenEnd);
  copy.insert(copy.end(), data + image.controlBegin, data + image.controlEnd);
  copy.insert(copy.end(), data + image.imageBegin, data + image.imageEnd);
  copy.push_back(kGifTrailer);
  return copy;
}

}  // namespace vexo::engine
