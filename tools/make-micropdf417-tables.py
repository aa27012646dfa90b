#!/usr/bin/env python3
"""Writes engine/stacked/MicroPdf417Tables.cpp: the codeword bar-space
patterns of the three clusters, the row address patterns in their order, and
where each of the 34 symbol sizes starts them.

The patterns are learned from symbols that zint makes (zint --dump, used as a
black box) whose codewords we know: byte compaction of chosen bytes gives the
data codewords, our own Reed-Solomon encoder over GF(929) gives the error
correction codewords. A symbol row is its left row address pattern (10
modules), its data columns (17 modules each, a centre row address pattern
after the second column of a 4-column symbol and after the first of a
3-column one), the right row address pattern and a one-module stop bar. Every
learned entry is checked against every other sighting; any conflict stops the
tool. The row address patterns are numbered 1 to 52 along the order in which
rows follow each other, from the pattern that opens the smallest 3-column
symbol.

Usage: tools/make-micropdf417-tables.py > engine/stacked/MicroPdf417Tables.cpp
"""
import random
import subprocess
import sys
import tempfile

# (data columns, rows, error-correction codewords) of every symbol size.
SIZES = [(1, 11, 7), (1, 14, 7), (1, 17, 7), (1, 20, 8), (1, 24, 8), (1, 28, 8),
         (2, 8, 8), (2, 11, 9), (2, 14, 9), (2, 17, 10), (2, 20, 11), (2, 23, 13), (2, 26, 15),
         (3, 6, 12), (3, 8, 14), (3, 10, 16), (3, 12, 18), (3, 15, 21), (3, 20, 26), (3, 26, 32),
         (3, 32, 38), (3, 38, 44), (3, 44, 50),
         (4, 4, 8), (4, 6, 12), (4, 8, 14), (4, 10, 16), (4, 12, 18), (4, 15, 21), (4, 20, 26),
         (4, 26, 32), (4, 32, 38), (4, 38, 44), (4, 44, 50)]
CODEWORD_AT = {1: [10], 2: [10, 27], 3: [10, 37, 54], 4: [10, 27, 54, 71]}
CENTRE_AT = {3: 27, 4: 44}
PRIME = 929


def ec_codewords(data, count):
    """Error-correction codewords: the negated remainder of data(x) x^count
    divided by the product of (x - 3^i), i = 1..count."""
    g = [1]
    root = 3
    for _ in range(count):
        g = [(a - root * b) % PRIME for a, b in zip(g + [0], [0] + g)]
        root = root * 3 % PRIME
    rem = [0] * count
    for d in data:
        t = (d + rem[0]) % PRIME
        rem = [(r - t * c) % PRIME for r, c in zip(rem[1:] + [0], g[1:])]
    return [(-r) % PRIME for r in rem]


def byte_codewords(data):
    out = [924 if len(data) % 6 == 0 else 901]
    full = len(data) // 6 * 6
    for i in range(0, full, 6):
        v = int.from_bytes(bytes(data[i:i + 6]), 'big')
        group = []
        for _ in range(5):
            group.append(v % 900)
            v //= 900
        out += group[::-1]
    return out + list(data[full:])


def zint_rows(messages, cols):
    """Module rows of each message's symbol; bytes 0x80-0xFF only, so that
    zint stays in byte compaction and the batch's line breaks stay apart."""
    with tempfile.NamedTemporaryFile() as f:
        f.write(b''.join(bytes(m) + b'\n' for m in messages))
        f.flush()
        out = subprocess.run(['zint', '-b', 'MICROPDF417', '--binary', '--batch', '-i', f.name,
                              '--cols=%d' % cols, '--dump'],
                             capture_output=True, text=True, check=True).stdout
    return [''.join(format(int(h, 16), '0%db' % (4 * len(h))) for h in line.split())
            for line in out.split('\n') if line.strip()]


def widths(bits):
    return [len(run) for run in bits.replace('10', '1 0').replace('01', '0 1').split()]


def cluster_of(bits):
    w = widths(bits)
    return (w[0] - w[2] + w[4] - w[6] + 9) % 9


def learn(rnd, patterns, raps):
    for size in SIZES:
        cols, rows, ec = size
        capacity = cols * rows - ec
        groups, rest = divmod(capacity - 1, 5)
        messages = [[rnd.randrange(128, 256) for _ in range(6 * groups + rest)]
                    for _ in range(40)]
        grid = zint_rows(messages, cols)
        if len(grid) != rows * len(messages):
            sys.exit('size %s: zint made %d rows' % (size, len(grid)))
        for k, message in enumerate(messages):
            data = byte_codewords(message)
            data += [900] * (capacity - len(data))
            codewords = data + ec_codewords(data, ec)
            rows_of = grid[k * rows:(k + 1) * rows]
            symbol_raps = []
            for r, bits in enumerate(rows_of):
                for c, at in enumerate(CODEWORD_AT[cols]):
                    pat = bits[at:at + 17]
                    key = (cluster_of(pat), codewords[r * cols + c])
                    if patterns.setdefault(key, pat) != pat:
                        sys.exit('codeword %s seen with two patterns' % (key,))
                right = CODEWORD_AT[cols][-1] + 17
                centre = CENTRE_AT.get(cols)
                symbol_raps.append((bits[0:10], bits[centre:centre + 10] if centre else None,
                                    bits[right:right + 10]))
            if raps.setdefault(size, symbol_raps) != symbol_raps:
                sys.exit('size %s: row address patterns differ between symbols' % (size,))
    seen = {}
    for key, pat in patterns.items():
        if seen.setdefault(pat, key) != key:
            sys.exit('pattern %s stands for two codewords' % pat)


def cycle(raps, kinds, first):
    follows = {}
    for rows in raps.values():
        for a, b in zip(rows, rows[1:]):
            for kind in kinds:
                if a[kind] is not None and follows.setdefault(a[kind], b[kind]) != b[kind]:
                    sys.exit('row address pattern %s has two successors' % a[kind])
    order = [first]
    while follows[order[-1]] != first:
        order.append(follows[order[-1]])
    if len(order) != 52:
        sys.exit('row address cycle of %d patterns' % len(order))
    return order


def main():
    rnd = random.Random(929)
    patterns, raps = {}, {}
    rounds = 0
    while len(patterns) < 3 * PRIME:
        learn(rnd, patterns, raps)
        rounds += 1
        if rounds > 20:
            sys.exit('only %d codeword patterns learned' % len(patterns))
    side = cycle(raps, (0, 2), raps[(3, 6, 12)][0][0])
    centre = cycle(raps, (1,), raps[(3, 6, 12)][0][1])

    def hex_rows(values, per_line, digits):
        items = ['0x%0*x' % (digits, v) for v in values]
        return '\n'.join('    ' + ', '.join(items[i:i + per_line]) + ','
                         for i in range(0, len(items), per_line))

    print('// Generated by tools/make-micropdf417-tables.py from zint-made symbols whose')
    print('// codewords are known (byte compaction of chosen bytes, error correction')
    print('// computed by our own encoder); do not edit. Every entry is proven by')
    print('// tests/engine/stacked/MicroPdf417Tables_test.cpp.')
    print('#include "engine/stacked/MicroPdf417Tables.h"')
    print()
    print('namespace vexo::engine::micropdf {')
    print()
    print('// clang-format off')
    print('// Modules of each codeword, first module in bit 16, a 1 for a bar; one')
    print('// block of 929 per cluster (0, 3, 6).')
    print('const std::array<std::array<UInt32, kCodewordCount>, kClusterCount> kCodewordPatterns{{')
    for cluster in (0, 3, 6):
        print('  {{  // cluster %d' % cluster)
        print(hex_rows([int(patterns[(cluster, v)], 2) for v in range(PRIME)], 8, 5))
        print('  }},')
    print('}};')
    print()
    print('// Row address patterns 1 to 52, first module in bit 9, a 1 for a bar: the')
    print('// left and right ones, then the centre ones.')
    print('const std::array<UInt16, kRowAddressCount> kSideRowAddress{{')
    print(hex_rows([int(p, 2) for p in side], 8, 3))
    print('}};')
    print('const std::array<UInt16, kRowAddressCount> kCentreRowAddress{{')
    print(hex_rows([int(p, 2) for p in centre], 8, 3))
    print('}};')
    print()
    print('// Data columns, rows, error-correction codewords, and the row address')
    print('// patterns of the top row: left, centre (0: none), right.')
    print('const std::array<SymbolSize, kSymbolSizeCount> kSymbolSizes{{')
    for size in SIZES:
        cols, rows, ec = size
        top = raps[size][0]
        left = side.index(top[0]) + 1
        mid = centre.index(top[1]) + 1 if top[1] else 0
        right = side.index(top[2]) + 1
        print('    {%d, %d, %d, %d, %d, %d},' % (cols, rows, ec, left, mid, right))
    print('}};')
    print('// clang-format on')
    print()
    print('}  // namespace vexo::engine::micropdf')


if __name__ == '__main__':
    main()
