#pragma once
// Image files built byte by byte: headers that claim any size, with little or
// no pixel data behind them, and a small gray TIFF laid out header-first.

#include "ImageTestSupport.h"

namespace vexo::engine::test {

// PNG colour types: 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA.
Bytes PngClaiming(UInt32 width, UInt32 height, UInt8 bitDepth = 8, UInt8 colorType = 0);
Bytes BmpClaiming(Int32 width, Int32 height);  // negative height: rows top-down
Bytes TiffClaiming(UInt32 width, UInt32 height, UInt16 samples = 1, UInt16 bits = 8);
Bytes PnmClaiming(UInt32 width, UInt32 height);
Bytes Jpeg2000Claiming(UInt32 width, UInt32 height, UInt16 components = 1);
// One image descriptor of width x height per frame, each with empty data.
Bytes GifClaiming(UInt16 width, UInt16 height, int frames);
// A real small JPEG or lossless WebP from convert with its size fields
// rewritten; empty when convert failed or the layout is not the one expected.
Bytes JpegClaiming(UInt16 width, UInt16 height);
// The same from a progressive colour JPEG without subsampling.
Bytes ProgressiveJpegClaiming(UInt16 width, UInt16 height);
// A small progressive gray JPEG whose last scan is repeated until the file
// has `scans` scans; `side`, when not 0, is the size its frame claims.
Bytes JpegOfScans(int scans, UInt16 side = 0);
// A GIF of `frames` frames of 1 x 1 pixel, `extensionBytes` of comment
// blocks before the first one.
Bytes GifOfFrames(int frames, std::size_t extensionBytes);
Bytes WebPClaiming(UInt16 width, UInt16 height);

// An 8-bit gray TIFF, directory first, whose pixel (x, y) is (x * 16 + y) & 255;
// `keptBytes` cuts the pixel data short.
Bytes GrayTiff(UInt32 width, UInt32 height, std::size_t keptBytes);

}  // namespace vexo::engine::test
