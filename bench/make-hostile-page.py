#!/usr/bin/env python3
"""Writes a pathological 8-bit gray page for bench/limits.sh.

Usage: make-hostile-page.py KIND WIDTH HEIGHT OUTPUT
KIND is one of:
  noise  independent random pixels
  bars   random vertical bars of 1 to 6 pixels, with random dots on them
  edges  a one-pixel checkerboard: every pixel differs from its neighbours
  finders  QR finder patterns (7 x 7 modules of 3 pixels) side by side,
         the worst case for a detector that pairs up every candidate
  blank  white
The file is a PNG when OUTPUT ends in .png, an uncompressed 24-bit BMP when
it ends in .bmp (noise is then random in each colour), a binary PGM
otherwise. Rows are
made and written one at a time, so pages of any size need little memory.
"""
import os
import random
import struct
import sys
import zlib


def rows(kind, width, height, rng):
    if kind == "noise":
        for _ in range(height):
            yield os.urandom(width)
    elif kind == "bars":
        columns = bytearray()
        while len(columns) < width:
            columns += bytes([rng.choice((0, 255))]) * rng.randint(1, 6)
        columns = bytes(columns[:width])
        for _ in range(height):
            row = bytearray(columns)
            for x in rng.sample(range(width), width // 50):
                row[x] ^= 0xFF
            yield bytes(row)
    elif kind == "edges":
        even = bytes((0, 255)) * (width // 2 + 1)
        for y in range(height):
            yield even[y % 2 : y % 2 + width]
    elif kind == "finders":
        # One finder pattern row per module row; patterns every 30 pixels.
        pattern = ["1111111", "1000001", "1011101", "1011101", "1011101", "1000001", "1111111"]
        tile = 30
        for y in range(height):
            module_row = (y % tile) // 3
            row = bytearray(b"\xff" * width)
            if module_row < 7:
                for x in range(width):
                    module = (x % tile) // 3
                    if module < 7 and pattern[module_row][module] == "1":
                        row[x] = 0
            yield bytes(row)
    elif kind == "blank":
        white = b"\xff" * width
        for _ in range(height):
            yield white
    else:
        raise SystemExit("unknown kind " + kind)


def chunk(out, kind, body):
    out.write(struct.pack(">I", len(body)) + kind + body)
    out.write(struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


def write_png(out, width, height, source):
    out.write(b"\x89PNG\r\n\x1a\n")
    chunk(out, b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0))
    packer = zlib.compressobj(1)
    pending = []
    for row in source:
        pending.append(packer.compress(b"\x00" + row))
        if sum(map(len, pending)) > 1 << 22:
            chunk(out, b"IDAT", b"".join(pending))
            pending = []
    pending.append(packer.flush())
    chunk(out, b"IDAT", b"".join(pending))
    chunk(out, b"IEND", b"")


def write_bmp(out, width, height, kind, source):
    stride = (width * 3 + 3) // 4 * 4
    out.write(b"BM" + struct.pack("<IHHI", 54 + stride * height, 0, 0, 54))
    out.write(struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, stride * height,
                          11811, 11811, 0, 0))
    padding = b"\x00" * (stride - width * 3)
    for row in source:
        pixels = os.urandom(width * 3) if kind == "noise" else bytes(b for v in row for b in (v, v, v))
        out.write(pixels + padding)


def main():
    kind, width, height, output = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    source = rows(kind, width, height, random.Random(1))
    with open(output, "wb") as out:
        if output.endswith(".png"):
            write_png(out, width, height, source)
        elif output.endswith(".bmp"):
            write_bmp(out, width, height, kind, source)
        else:
            out.write(b"P5\n%d %d\n255\n" % (width, height))
            for row in source:
                out.write(row)


if __name__ == "__main__":
    main()
