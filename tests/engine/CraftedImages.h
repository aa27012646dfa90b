#pragma once
// Image files built byte by byte: headers that claim any size, with little or
// no pixel data behind them, and a small gray TIFF laid out header-first.

#include "ImageTestSupport.h"

namespace vexo::engine::test {

Bytes PngClaiming(UInt32 width, UInt32 height);
Bytes BmpClaiming(Int32 width, Int32 height);  // negative height: rows top-down
Bytes TiffClaiming(UInt32 width, UInt32 height);
Bytes PnmClaiming(UInt32 width, UInt32 height);
Bytes Jpeg2000Claiming(UInt32 width, UInt32 height);
// One image descriptor of width x height per frame, each with empty data.
Bytes GifClaiming(UInt16 width, UInt16 height, int frames);
// A real small JPEG or lossless WebP from convert with its size fields
// rewritten; empty when convert failed or the layout is not the one expected.
Bytes JpegClaiming(UInt16 width, UInt16 height);
Bytes WebPClaiming(UInt16 width, UInt16 height);

// An 8-bit gray TIFF, directory first, whose pixel (x, y) is (x * 16 + y) & 255;
// `keptBytes` cuts the pixel data short.
Bytes GrayTiff(UInt32 width, UInt32 height, std::size_t keptBytes);

}  // namespace vexo::engine::test
