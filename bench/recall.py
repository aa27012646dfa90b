#!/usr/bin/env python3
"""Recall on photograph- and scan-like material, per set and per profile.

Draws the material once (zint symbols, ImageMagick degradations, fixed seeds)
into a folder kept between runs, then runs the worker on every image with each
profile asked for, and ZXingReader beside it, and prints per set: symbols
drawn, found, wrong contents reported and the summed wall time.

Usage: bench/recall.py [--profiles 1,3] [--sets photo,qr,...] [--dir DIR]
                       [--worker PATH] [--no-zxing]
Sets: photo, qr, inverted, mirrored, small, skew, maxi, maxiturn, fax, negative, qrphoto,
the A4 pages a4page, a4fax, a4phone (the same pages three ways), a4faxretail
(faxed EAN/UPC of 2-pixel modules), and the QR photo kinds qrhigh, qrcurved,
qrlots, qrmonitor, qrdamaged, qrshadow, qrglare, qrbright, qrclose, qrnominal,
qrodd, qrturned, qrpatho.
"""

import argparse
import base64
import json
import math
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
# Bump when the drawing changes, so that a kept folder is drawn again.
MATERIAL_VERSION = "3"


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def zint(path, kind, data, scale, *extra):
    run("zint", "-b", kind, "-d", data, "--scale", str(scale), *extra, "-o", path)


# A symbol on its own label: (zint type, content, zint scale, extra options).
MATRIX_KINDS = ["QRCODE", "DATAMATRIX", "AZTEC"]


def label(tmp, name, kind, data, scale, extra=(), border=True):
    """A zint symbol with a white margin, as printed on a label."""
    raw = os.path.join(tmp, name + "-raw.png")
    out = os.path.join(tmp, name + ".png")
    zint(raw, kind, data, scale, *extra)
    run("convert", raw, "-colorspace", "Gray", "-bordercolor", "white",
        "-border", "12%" if border else "0", out)
    return out


def compose(out, size, background, placed, finish):
    """Places (path, x, y, angle, pre-options) on a background and applies
    the finishing options (perspective, light, blur, noise, format)."""
    args = ["convert"] + background(size)
    for path, x, y, angle, pre in placed:
        args += ["(", path] + list(pre) + ["-alpha", "set", "-background", "none", "-rotate",
                                           str(angle), ")",
                 "-geometry", f"+{x}+{y}", "-composite"]
    args += finish + [out]
    run(*args)


def plasma(seed):
    return lambda size: ["-size", size, "-seed", str(seed), "plasma:grey60-grey90",
                         "-blur", "0x6", "-colorspace", "Gray"]


def paper(grey):
    return lambda size: ["-size", size, f"xc:{grey}"]


def light_and_lens(w, h, seed, blur, noise, quality, sampling=(), grey=True):
    """Perspective of a hand-held phone, light falling off across the frame,
    optics blur, sensor noise and JPEG (in colour unless `grey`)."""
    rnd = random.Random(seed)
    d = lambda s: int(s * rnd.uniform(0.02, 0.07))
    persp = (f"0,0 {d(w)},{d(h)} {w},0 {w - d(w)},{d(h)} "
             f"{w},{h} {w - d(w)},{h - d(h)} 0,{h} {d(w)},{h - d(h)}")
    return ["-virtual-pixel", "edge", *sampling, "-distort", "Perspective", persp,
            "(", "-size", f"{h}x{w}", "gradient:grey100-grey55", "-rotate",
            str(rnd.choice([90, -90, 45, 200])), "-resize", f"{w}x{h}!", ")",
            "-compose", "Multiply", "-composite", "-compose", "Over",
            "-blur", f"0x{blur}", "-seed", str(seed), "-attenuate", str(noise),
            "+noise", "Gaussian", *(["-colorspace", "Gray"] if grey else []),
            "-quality", str(quality)]


PHOTO_SIZES = [(1632, 1224), (2592, 1944), (3264, 2448), (4000, 3000), (2448, 3264), (3000, 4000)]


def draw_photo(tmp, out, seed, kinds):
    """A phone photo of 2 to 12 megapixels holding three or four symbols at
    angles, large and small modules."""
    rnd = random.Random(seed)
    w, h = PHOTO_SIZES[seed % len(PHOTO_SIZES)]
    contents, placed = [], []
    count = rnd.choice([3, 4])
    cells = [(0, 0), (1, 0), (0, 1), (1, 1)]
    for i in range(count):
        kind = kinds[(seed + i) % len(kinds)]
        data = f"PHOTO {seed}-{i} {rnd.randrange(10**6):06d}"
        # The symbol spans 1/8 to 1/3 of the shorter side: modules of 2 to 20
        # pixels, as a phone sees them from near or far.
        extra = ["--height", "30"] if kind == "CODE128" else []
        path = label(tmp, f"p{i}", kind, data, 2, extra)
        side = int(min(w, h) * rnd.uniform(0.12, 0.33) * (1.6 if kind == "CODE128" else 1))
        run("convert", path, "-resize", f"{side}x", path)
        cx, cy = cells[i]
        x = int(cx * w / 2 + rnd.uniform(0.05, 0.2) * w / 2)
        y = int(cy * h / 2 + rnd.uniform(0.05, 0.2) * h / 2)
        placed.append((path, x, y, rnd.uniform(-40, 40), []))
        contents.append(data)
    compose(out, f"{w}x{h}", plasma(seed), placed,
            light_and_lens(w, h, seed, rnd.uniform(0.8, 1.6), rnd.uniform(0.3, 0.8), 80))
    return contents


def draw_page(tmp, out, seed, symbols, pre, finish, size="1700x2200", bg=paper("white")):
    """A page of symbols in a grid, each given the same pre-options."""
    rnd = random.Random(seed)
    w, h = map(int, size.split("x"))
    contents, placed = [], []
    for i, (kind, scale, extra, *resize) in enumerate(symbols):
        data = f"{kind[:3]} {seed}-{i} {rnd.randrange(10**5):05d}"
        path = label(tmp, f"s{i}", kind, data, scale, extra)
        if resize:
            run("convert", path, "-resize", resize[0], path)
        x = 80 + (i % 2) * (w // 2)
        y = 80 + (i // 2) * (h // ((len(symbols) + 1) // 2))
        placed.append((path, x, y, pre[i % len(pre)], []))
        contents.append(data)
    compose(out, size, bg, placed, finish)
    return contents


SCAN = lambda seed, blur, noise: ["-blur", f"0x{blur}", "-seed", str(seed), "-attenuate",
                                  str(noise), "+noise", "Gaussian", "-colorspace", "Gray"]


def set_photo(tmp, d):
    return [(f"photo{s}.jpg", draw_photo(tmp, f"{d}/photo{s}.jpg", s,
                                         MATRIX_KINDS + ["CODE128"])) for s in range(6)]


def set_qr(tmp, d):
    return [(f"qr{s}.jpg", draw_photo(tmp, f"{d}/qr{s}.jpg", 100 + s, ["QRCODE"]))
            for s in range(6)]


QR_PHOTO_SIZES = [(1632, 1224), (2048, 1536), (2592, 1944), (3264, 2448), (4000, 3000),
                  (1536, 2048), (2448, 3264), (3000, 4000)]
QR_ALPHABET = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-./:"


def qr_symbol(tmp, name, rnd, data, modules_px):
    """One QR Code as a phone sees it: drawn at 10 pixels a module, reduced to
    modules_px, keystoned, on paper or on a screen, at full or low contrast.
    Returns (path, pre-options for compose)."""
    raw = os.path.join(tmp, name + "-raw.png")
    out = os.path.join(tmp, name + ".png")
    zint(raw, "QRCODE", data, 5, f"--secure={rnd.randint(1, 4)}")
    modules = int(subprocess.run(["identify", "-format", "%w", raw], check=True,
                                 capture_output=True, text=True).stdout) // 10
    side = max(int(modules * modules_px), 16)
    quiet = max(int(4 * modules_px), 4)
    args = ["convert", raw, "-colorspace", "Gray", "-resize", f"{side}x{side}!",
            "-bordercolor", "white", "-border", str(quiet)]
    look = rnd.random()
    if look < 0.2:
        # A screen: dark glyphs on a lit, not quite white panel in a black bezel.
        args += ["+level", "12%,88%", "-bordercolor", "grey8", "-border", str(quiet * 2)]
    elif look < 0.35:
        args += ["+level", f"{rnd.randint(30, 45)}%,{rnd.randint(70, 85)}%"]
    full = side + 2 * quiet + (4 * quiet if look < 0.2 else 0)
    return keystoned(args, full, 0.12, rnd, out)


def keystoned(args, full, share, rnd, out):
    """Runs the convert `args` of a symbol `full` pixels wide, each corner
    pulled in by up to `share` of it, into `out`: (out, its diagonal)."""
    k = lambda: int(full * rnd.uniform(0.0, share))
    persp = (f"0,0 {k()},{k()} {full},0 {full - k()},{k()} "
             f"{full},{full} {full - k()},{full - k()} 0,{full} {k()},{full - k()}")
    # PNG32: zint's two-colour palette would otherwise drop the alpha channel.
    args += ["-alpha", "set", "-virtual-pixel", "transparent", "-distort", "Perspective", persp,
             f"PNG32:{out}"]
    run(*args)
    return out, full * 1.42


def in_cell(path, extent, angle, i, cols, cw, ch, rnd):
    """Shrinks a symbol to fit cell i of a grid of cw x ch cells, and places
    it anywhere in it: (path, x, y, angle, pre-options) for compose."""
    fit = min(cw, ch) * 0.95 / extent
    if fit < 1:
        run("convert", path, "-resize", f"{int(100 * fit)}%", path)
        extent *= fit
    x = int((i % cols) * cw + rnd.uniform(0, max(cw - extent, 0)))
    y = int((i // cols) * ch + rnd.uniform(0, max(ch - extent, 0)))
    return (path, x, y, angle, [])


def draw_qr_photo(tmp, out, seed):
    """A phone photo of 2 to 12 megapixels holding 1 to 6 QR Codes of
    versions 1 to about 12, modules of 1.5 to 60 pixels, at any angle, each
    keystoned, some on a screen or at low contrast, some among print, under
    the photo's own perspective, light, blur, noise and JPEG."""
    rnd = random.Random(seed)
    w, h = QR_PHOTO_SIZES[seed % len(QR_PHOTO_SIZES)]
    count = rnd.choice([1, 2, 2, 3, 3, 4, 5, 6])
    cols = 1 if count == 1 else 2 if count <= 4 else 3
    rows = (count + cols - 1) // cols
    cw, ch = w // cols, h // rows
    contents, placed = [], []
    for i in range(count):
        body = "".join(rnd.choice(QR_ALPHABET) for _ in range(rnd.choice([4, 10, 25, 60, 120])))
        data = f"QR{seed}-{i} {body}"
        # Small (1.5 to 3 pixels), middle, large and close-up modules (a
        # close-up is shrunk to fit its cell, so its size follows the cell's).
        band = rnd.random()
        modules_px = (rnd.uniform(1.5, 3) if band < 0.25 else rnd.uniform(3, 6) if band < 0.55
                      else rnd.uniform(6, 12) if band < 0.75 else rnd.uniform(12, 60))
        angle = rnd.uniform(-45, 45) if rnd.random() < 0.7 else rnd.uniform(-180, 180)
        path, extent = qr_symbol(tmp, f"q{i}", rnd, data, modules_px)
        placed.append(in_cell(path, extent, angle, i, cols, cw, ch, rnd))
        contents.append(data)
    # The background's clouds drawn small and enlarged, the photo's slight
    # perspective sampled point-wise (the blur follows): an eighth of the time.
    marks = []
    if rnd.random() < 0.4:
        # Print around the codes: words, and square marks (icons, bullets).
        for _ in range(rnd.randint(60, 200)):
            mw = rnd.randint(10, 60)
            mh = mw if rnd.random() < 0.35 else rnd.randint(8, 20)
            mx, my = rnd.randrange(w - mw), rnd.randrange(h - mh)
            marks += ["-fill", f"grey{rnd.randint(10, 40)}", "-draw",
                      f"rectangle {mx},{my} {mx + mw},{my + mh}"]
    background = lambda size: ["-size", f"{w // 8}x{h // 8}", "-seed", str(seed),
                               "plasma:grey60-grey90", "-blur", "0x1", "-resize", f"{size}!",
                               "-colorspace", "Gray"] + marks
    # The placing's geometry and transparent background would otherwise carry
    # over to the light's overlay.
    compose(out, f"{w}x{h}", background, placed, ["+geometry", "-background", "white"] +
            light_and_lens(w, h, seed, rnd.uniform(0.5, 1.5), rnd.uniform(0.2, 0.8),
                           rnd.randint(60, 90), ["-filter", "point"]))
    return contents


def set_qrphoto(tmp, d):
    return [(f"qrphoto{s}.jpg", draw_qr_photo(tmp, f"{d}/qrphoto{s}.jpg", 1000 + s))
            for s in range(64)]


# The kinds of QR photo the qrphoto set draws too rarely, one set each:
# (set name, what it holds).
QR_KINDS = {
    "qrhigh": "versions 15 to 40 at 2 to 4 pixels a module, keystoned",
    "qrcurved": "on a bottle or bent paper: wrapped round a cylinder",
    "qrlots": "20 to 50 small codes in one photo",
    "qrmonitor": "on a monitor: its pixel grid, moire",
    "qrdamaged": "stains, scratches and a torn edge over the data",
    "qrshadow": "a hard shadow across the code",
}


def qr_kind_symbol(tmp, name, rnd, data, kind, modules_px, version=None):
    """One QR Code drawn for `kind` at about modules_px pixels a module,
    keystoned. Returns (path, extent)."""
    raw = os.path.join(tmp, name + "-raw.png")
    out = os.path.join(tmp, name + ".png")
    extra = [f"--vers={version}"] if version else []
    zint(raw, "QRCODE", data, 5, f"--secure={rnd.randint(2, 4) if kind == 'qrdamaged' else rnd.randint(1, 4)}", *extra)
    modules = int(subprocess.run(["identify", "-format", "%w", raw], check=True,
                                 capture_output=True, text=True).stdout) // 10
    side = max(int(modules * modules_px), 16)
    quiet = max(int(4 * modules_px), 4)
    args = ["convert", raw, "-colorspace", "Gray"]
    if kind == "qrdamaged":
        # Marks over the data area, clear of the three finder patterns.
        s = modules * 10
        for _ in range(rnd.randint(2, 5)):
            x, y = rnd.randint(s // 4, s - s // 6), rnd.randint(s // 4, s - s // 6)
            r = rnd.randint(s // 40, s // 14)
            shade = rnd.choice(["grey20", "grey70", "white"])
            args += ["-fill", shade, "-draw", f"circle {x},{y} {x + r},{y}"]
        x0, x1 = rnd.randint(0, s // 3), rnd.randint(2 * s // 3, s)
        args += ["-stroke", "white", "-strokewidth", str(max(s // 60, 2)), "-draw",
                 f"line {x0},{s // 3 + rnd.randint(0, s // 2)} {x1},{s // 3 + rnd.randint(0, s // 2)}",
                 "+stroke"]
    args += ["-resize", f"{side}x{side}!", "-bordercolor", "white", "-border", str(quiet)]
    full = side + 2 * quiet
    if kind == "qrcurved":
        # Wrapped round a cylinder seen from the front: a point at arc length
        # u from the axis shows at R sin(u / R); the top and bottom edges bow.
        radius = full * rnd.uniform(0.55, 0.9)
        bow = full * rnd.uniform(0.0, 0.06)
        args += ["-virtual-pixel", "white", "-fx",
                 f"xs=(i-w/2)/{radius:.1f}; aa={radius:.1f}*asin(max(-0.999,min(0.999,xs)));"
                 f"p{{aa+w/2, j-{bow:.1f}*(1-cos(aa/{radius:.1f}))*(2*j/h-1)}}"]
    elif kind == "qrmonitor":
        # A lit panel in a bezel, seen through its pixel grid: dark gaps
        # between pixels of about a fifth of a module.
        cell = max(modules_px / rnd.uniform(1.2, 2.5), 2.0)
        args += ["+level", "10%,90%", "(", "+clone", "-fx",
                 f"(i%{cell:.2f}<{cell:.2f}*0.7)*(j%{cell:.2f}<{cell:.2f}*0.75)*0.75+0.25", ")",
                 "-compose", "Multiply", "-composite", "-compose", "Over",
                 "-bordercolor", "grey8", "-border", str(quiet * 2)]
        full += 4 * quiet
    elif kind == "qrshadow":
        # A hard shadow, as of a hand or a phone, over part of the code.
        a, b = rnd.uniform(0.2, 0.8) * full, rnd.uniform(0.2, 0.8) * full
        level = rnd.randint(25, 45)
        args += ["(", "+clone", "-fill", "white", "-colorize", "100", "-fill", f"grey{level}",
                 "-draw", f"polygon 0,0 {a:.0f},0 {b:.0f},{full} 0,{full}", "-blur", "0x2",
                 "-rotate", str(rnd.choice([0, 90, 180, 270])), ")",
                 "-compose", "Multiply", "-composite", "-compose", "Over"]
    return keystoned(args, full, 0.15, rnd, out)


def draw_qr_kind(tmp, out, seed, kind):
    """A phone photo of `kind` (QR_KINDS) under the qrphoto set's light, blur,
    noise and JPEG."""
    rnd = random.Random(seed)
    w, h = [(2592, 1944), (3264, 2448), (2448, 3264), (4000, 3000)][seed % 4]
    count = rnd.randint(20, 50) if kind == "qrlots" else rnd.choice([1, 2, 2, 3])
    cols = max(1, round((count * w / h) ** 0.5)) if count > 1 else 1
    cols = min(cols, count)
    rows = (count + cols - 1) // cols
    cw, ch = w // cols, h // rows
    contents, placed = [], []
    for i in range(count):
        version = None
        if kind == "qrhigh":
            version = rnd.randint(15, 40)
            body = "".join(rnd.choice(QR_ALPHABET) for _ in range(8 * version))
            modules_px = rnd.uniform(2, 4)
        elif kind == "qrlots":
            body = "".join(rnd.choice(QR_ALPHABET) for _ in range(rnd.choice([4, 10, 25])))
            modules_px = rnd.uniform(2.5, 5)
        else:
            body = "".join(rnd.choice(QR_ALPHABET) for _ in range(rnd.choice([10, 25, 60, 120, 250])))
            modules_px = rnd.uniform(3, 9)
        data = f"QK{seed}-{i} {body}"
        angle = rnd.uniform(-30, 30) if rnd.random() < 0.7 else rnd.uniform(-180, 180)
        path, extent = qr_kind_symbol(tmp, f"k{i}", rnd, data, kind, modules_px, version)
        placed.append(in_cell(path, extent, angle, i, cols, cw, ch, rnd))
        contents.append(data)
    background = lambda size: ["-size", f"{w // 8}x{h // 8}", "-seed", str(seed),
                               "plasma:grey60-grey90", "-blur", "0x1", "-resize", f"{size}!",
                               "-colorspace", "Gray"]
    compose(out, f"{w}x{h}", background, placed, ["+geometry", "-background", "white"] +
            light_and_lens(w, h, seed, rnd.uniform(0.4, 1.0), rnd.uniform(0.2, 0.6),
                           rnd.randint(70, 90), ["-filter", "point"]))
    return contents


def set_qr_kind(kind, kinds=QR_KINDS, first=2000, draw=None):
    """Ten photos of `kind`, seeded from `first` and the kind's place in `kinds`."""
    first += 100 * list(kinds).index(kind)
    draw = draw or draw_qr_kind
    return lambda tmp, d: [(f"{kind}{s}.jpg", draw(tmp, f"{d}/{kind}{s}.jpg", first + s, kind))
                           for s in range(10)]


# The kinds a phone QR benchmark holds besides: (set name, what it holds).
QR_LOOKS = {
    "qrglare": "a bright spot of reflected light over part of the code",
    "qrbright": "over- and under-exposed photos",
    "qrclose": "one code filling most of a 12 MP frame, 20 to 120 pixel modules, out of focus",
    "qrnominal": "one ordinary code seen from 1 to 3 m: 2 to 4 pixel modules",
    "qrodd": "logos, round and dot modules, colours, light on dark, thin quiet zones",
    "qrturned": "at any angle, on a plane tilted up to 40 degrees away",
    "qrpatho": "moire of a halftone print, low resolution, squashed by a steep view",
}
# Per look: codes per photo, pixels a module, blur, JPEG quality.
QR_LOOK_PHOTO = {
    "qrglare": ([1, 2, 2, 3], (3, 9), (0.4, 1.0), (70, 90)),
    "qrbright": ([1, 2, 2, 3], (3, 9), (0.4, 1.0), (70, 90)),
    "qrclose": ([1], (20, 120), (2.0, 5.0), (75, 92)),
    "qrnominal": ([1], (2, 4), (0.5, 1.0), (60, 85)),
    "qrodd": ([1, 2, 2, 3], (3, 9), (0.4, 1.0), (70, 90)),
    "qrturned": ([1, 2, 2, 3], (3, 9), (0.4, 1.0), (70, 90)),
    "qrpatho": ([1, 2, 2, 3], (3, 7), (0.4, 1.0), (70, 90)),
}
# Printed colours of coloured codes (ink, paper); some lose most of their
# contrast in luminance.
QR_COLOURS = [("#1a3c8c", "white"), ("#8b1a1a", "#f5e6c8"), ("#0b6e4f", "#e8f4e0"),
              ("#d04010", "#fff2a0"), ("#e0301e", "#2040a0"), ("#ffcc00", "#202020"),
              ("#6a0dad", "#ffd700"), ("#c03060", "#a0e0e0")]


def tilted(args, full, rnd, out):
    """Runs the convert `args` of a symbol `full` pixels wide, seen on a
    plane tilted 15 to 40 degrees away about one of its edges, into `out`."""
    tilt = rnd.uniform(15, 40)
    near = full * (1 - (1 - math.cos(math.radians(tilt))) / 2)
    far = full * rnd.uniform(0.55, 0.85)
    a, b = (full - far) / 2, (full - near) / 2
    # The far edge first: top, then the plane turned by quarter turns.
    corners = [(a, b), (full - a, b), (full, full - b), (0, full - b)]
    turn = rnd.randrange(4)
    src = [(0, 0), (full, 0), (full, full), (0, full)]
    dst = corners[turn:] + corners[:turn]
    persp = " ".join(f"{sx},{sy} {dx:.0f},{dy:.0f}" for (sx, sy), (dx, dy) in zip(src, dst))
    args += ["-alpha", "set", "-virtual-pixel", "transparent", "-distort", "Perspective", persp,
             f"PNG32:{out}"]
    run(*args)
    return out, full * 1.42


def qr_look_symbol(tmp, name, rnd, data, kind, modules_px):
    """One QR Code of `kind` (QR_LOOKS) at about modules_px pixels a module:
    (path, extent)."""
    raw = os.path.join(tmp, name + "-raw.png")
    out = os.path.join(tmp, name + ".png")
    variant = rnd.choice(["logo", "round", "dots", "colour", "colour", "light", "thin"]
                         if kind == "qrodd" else ["halftone", "lowres", "squashed"]
                         if kind == "qrpatho" else [""])
    secure = rnd.randint(3, 4) if variant == "logo" else rnd.randint(1, 4)
    zint(raw, "QRCODE", data, 5, f"--secure={secure}")
    modules = int(subprocess.run(["identify", "-format", "%w", raw], check=True,
                                 capture_output=True, text=True).stdout) // 10
    s = modules * 10
    if variant == "lowres":
        modules_px = rnd.uniform(1.6, 2.4)
    side = max(int(modules * modules_px), 16)
    quiet = max(int((rnd.uniform(0.5, 1.5) if variant == "thin" else 4) * modules_px), 2)
    args = ["convert", raw, "-colorspace", "Gray"]
    if variant == "logo":
        r, c = int(s * rnd.uniform(0.1, 0.14)), s // 2
        args += ["-fill", "white", "-draw", f"roundrectangle {c - r},{c - r} {c + r},{c + r} 12,12",
                 "-fill", "grey15", "-draw", f"circle {c},{c} {c + int(r * 0.7)},{c}"]
    elif variant == "round":
        args += ["-blur", "0x3", "-threshold", "50%"]
    elif variant == "dots":
        # Dot modules, the three finders kept square.
        dots = os.path.join(tmp, name + "-dots.png")
        zint(dots, "QRCODE", data, 5, f"--secure={secure}", "--dotty")
        args = ["convert", dots, "-colorspace", "Gray", "-resize", f"{s}x{s}!"]
        for x, y in [(0, 0), (s - 70, 0), (0, s - 70)]:
            args += ["(", raw, "-colorspace", "Gray", "-crop", f"70x70+{x}+{y}", "+repage", ")",
                     "-geometry", f"+{x}+{y}", "-composite"]
    elif variant == "halftone":
        # A grey print screened into dots, photographed: moire.
        args += ["+level", f"{rnd.randint(20, 40)}%,100%", "-resize", f"{side * 2}x{side * 2}!",
                 "-ordered-dither", "h6x6a"]
    height = int(side * rnd.uniform(0.3, 0.5)) if variant == "squashed" else side
    args += ["-resize", f"{side}x{height}!", "-bordercolor", "white", "-border", str(quiet)]
    full = side + 2 * quiet
    if variant == "squashed":
        args += ["-gravity", "center", "-extent", f"{full}x{full}", "+gravity"]
    if variant == "light":
        args += ["-negate"]
    elif variant == "thin":
        args += ["-bordercolor", "grey25", "-border", str(quiet * 2)]
        full += 4 * quiet
    elif variant == "colour":
        ink, ground = rnd.choice(QR_COLOURS)
        args += ["+level-colors", f"{ink},{ground}"]
    if kind == "qrglare":
        # Reflected light: a soft spot that washes part of the code out.
        cx, cy = rnd.uniform(0.25, 0.75) * full, rnd.uniform(0.25, 0.75) * full
        rx, ry = rnd.uniform(0.1, 0.3) * full, rnd.uniform(0.06, 0.2) * full
        args += ["(", "+clone", "-fill", "black", "-colorize", "100", "-fill",
                 f"gray({rnd.randint(70, 100)}%)", "-draw",
                 f"ellipse {cx:.0f},{cy:.0f} {rx:.0f},{ry:.0f} 0,360",
                 "-blur", f"0x{max(rx / 3, 1):.1f}", ")", "-compose", "Screen", "-composite",
                 "-compose", "Over"]
    if kind == "qrturned":
        return tilted(args, full, rnd, out)
    return keystoned(args, full, 0.12, rnd, out)


def exposed(finish, over, rnd):
    """The photo over- or under-exposed: applied before the lens blur."""
    at = finish.index("-blur")
    look = (["-evaluate", "Multiply", f"{rnd.uniform(1.5, 2.3):.2f}", "+level",
             f"{rnd.randint(10, 30)}%,100%"] if over else
            ["-evaluate", "Multiply", f"{rnd.uniform(0.12, 0.3):.2f}"])
    return finish[:at] + look + finish[at:]


def draw_qr_look(tmp, out, seed, kind):
    """A phone photo of `kind` (QR_LOOKS) under the qrphoto set's light, blur,
    noise and JPEG."""
    rnd = random.Random(seed)
    counts, (mlo, mhi), (blo, bhi), (qlo, qhi) = QR_LOOK_PHOTO[kind]
    sizes = ([(4000, 3000), (3000, 4000)] if kind == "qrclose" else QR_PHOTO_SIZES)
    w, h = sizes[seed % len(sizes)]
    count = rnd.choice(counts)
    cols = 1 if count == 1 else 2
    rows = (count + cols - 1) // cols
    cw, ch = w // cols, h // rows
    contents, placed = [], []
    for i in range(count):
        length = rnd.choice([5, 15, 30]) if kind == "qrclose" else rnd.choice([10, 25, 60, 120])
        data = f"QL{seed}-{i} " + "".join(rnd.choice(QR_ALPHABET) for _ in range(length))
        angle = (rnd.uniform(-180, 180) if kind == "qrturned" or rnd.random() < 0.3 else
                 rnd.uniform(-30, 30))
        path, extent = qr_look_symbol(tmp, f"l{i}", rnd, data, kind, rnd.uniform(mlo, mhi))
        if kind == "qrclose":
            # Held nearly square to the frame, filling it: turned by up to 15
            # degrees, the corners of its quiet zone may leave the frame.
            angle = rnd.uniform(-15, 15)
            extent /= 1.42
        placed.append(in_cell(path, extent, angle, i, cols, cw, ch, rnd))
        contents.append(data)
    colour = kind == "qrodd"
    background = lambda size: ["-size", f"{w // 8}x{h // 8}", "-seed", str(seed),
                               "plasma:" if colour else "plasma:grey60-grey90", "-blur", "0x1",
                               "-resize", f"{size}!", *([] if colour else ["-colorspace", "Gray"])]
    finish = light_and_lens(w, h, seed, rnd.uniform(blo, bhi), rnd.uniform(0.2, 0.6),
                            rnd.randint(qlo, qhi), ["-filter", "point"], grey=not colour)
    if kind == "qrbright":
        finish = exposed(finish, seed % 2 == 0, rnd)
    compose(out, f"{w}x{h}", background, placed, ["+geometry", "-background", "white"] + finish)
    return contents



def flipped_pages(tmp, d, name, seed, syms, turns, flip):
    """Three pages of symbols, the whole page then negated or mirrored."""
    items = []
    for s in range(3):
        page = f"{name}{s}.png"
        contents = draw_page(tmp, f"{d}/{page}", seed + s, syms(s), turns,
                             [flip] + SCAN(s, 0.8, 0.4))
        items.append((page, contents))
    return items


def set_inverted(tmp, d):
    return flipped_pages(tmp, d, "inverted", 200, lambda s: [(k, 3 + s, []) for k in MATRIX_KINDS]
                         + [("CODE128", 1, ["--height", "40"])], [0, 8, -15, 180], "-negate")


def set_mirrored(tmp, d):
    return flipped_pages(tmp, d, "mirrored", 300, lambda s: [(k, 3 + s, []) for k in MATRIX_KINDS],
                         [0, 90, 12], "-flop")


def set_small(tmp, d):
    items = []
    for s in range(3):
        syms = [("QRCODE", 0.75 + 0.25 * (s % 2), []), ("DATAMATRIX", 1, []),
                ("AZTEC", 1, []), ("CODE128", 0.75, ["--height", "40"]),
                ("PDF417", 0.75, []), ("QRCODE", 1, [])]
        name = f"small{s}.png"
        finish = ["(", "-size", "1700x2200", "xc:gray78", ")", "-compose", "Multiply",
                  "-composite", "-compose", "Over"] + SCAN(400 + s, 1.2, 0.6)
        items.append((name, draw_page(tmp, f"{d}/{name}", 400 + s, syms, [0], finish)))
    return items


def set_skew(tmp, d):
    items = []
    for s in range(3):
        syms = [("AZTEC", 1.5, []), ("DATAMATRIX", 1.5, []), ("AZTEC", 2, []),
                ("DATAMATRIX", 2, [])]
        name = f"skew{s}.png"
        angle = [3, -3, 3.5][s]
        items.append((name, draw_page(tmp, f"{d}/{name}", 500 + s, syms, [angle],
                                      SCAN(500 + s, 1.0, 0.6))))
    return items


def set_maxi(tmp, d):
    items = []
    for s in range(4):
        # zint's Maxi Code at scale 0.5 has hexagons about 5 pixels apart:
        # reduced to 2 to 3 pixels.
        syms = [("MAXICODE", 0.5, [], f"{45 + 5 * s}%"), ("MAXICODE", 0.5, [], "60%")]
        name = f"maxi{s}.png"
        turns = [[90, 183], [180, -88], [270, 2], [93, 177]][s]
        items.append((name, draw_page(tmp, f"{d}/{name}", 600 + s, syms, turns,
                                      SCAN(600 + s, 0.7, 0.4), size="1200x900")))
    return items


def set_maxiturn(tmp, d):
    """Maxi Codes drawn by zint to scale (its scale 4: hexagons about 39
    pixels apart), shrunk to 2 to 4 pixels per cell, turned anywhere in the
    full turn, slanted by a few degrees of perspective, blurred 0.5 to 1.2,
    noisy, some as JPEG; one per page, seeds fixed."""
    items = []
    for s in range(12):
        rnd = random.Random(800 + s)
        data = f"MAXI {800 + s} {rnd.randrange(10**6):06d}"
        raw = os.path.join(tmp, f"mt{s}.png")
        zint(raw, "MAXICODE", data, 4)
        cell = 2 + 2 * rnd.random()
        angle = rnd.uniform(0, 360)
        slant = rnd.uniform(-0.03, 0.03)
        name = f"maxiturn{s}." + ("jpg" if s % 3 == 2 else "png")
        run("convert", raw, "-colorspace", "Gray", "-bordercolor", "white", "-border", "300",
            "-background", "white", "-rotate", f"{angle:.1f}",
            "-resize", f"{100 * cell / 39.2:.2f}%",
            "-virtual-pixel", "white", "-distort", "Perspective",
            f"0,0 0,0  100,0 100,{100 * slant:.1f}  0,100 {100 * slant:.1f},100  100,100 100,100",
            *SCAN(800 + s, rnd.uniform(0.5, 1.2), 0.3), "-quality", "85",
            os.path.join(d, name))
        items.append((name, [data]))
    return items


def set_fax(tmp, d):
    """A page drawn at 300 dpi, sent at 200 dpi: resized, thresholded (no
    dithering) and G4-compressed; the narrowest bars come out 1 or 2 pixels."""
    items = []
    for s in range(2):
        syms = [("CODE128", 1, ["--height", "30"]), ("CODE39", 1, ["--height", "30"]),
                ("QRCODE", 1.5, []), ("DATAMATRIX", 1.5, []), ("PDF417", 1, []),
                ("AZTEC", 1.5, [])]
        name = f"fax{s}.tif"
        finish = SCAN(700 + s, 0.6, 0.3) + ["-resize", "1700x2338!", "-threshold", "55%",
                                             "-monochrome", "-density", "200", "-units",
                                             "PixelsPerInch", "-compress", "Group4"]
        items.append((name, draw_page(tmp, f"{d}/{name}", 700 + s, syms, [0, 0.7], finish,
                                      size="2480x3508")))
    return items


def set_negative(tmp, d):
    items = []
    for s, (w, h) in enumerate([(4000, 3000), (2448, 3264)]):
        name = f"negative{s}.jpg"
        run("convert", *plasma(800 + s)(f"{w}x{h}"),
            *light_and_lens(w, h, 800 + s, 1.5, 1.0, 80), f"{d}/{name}")
        items.append((name, []))
    return items



# Screens in dark mode: light codes on a dark interface, as a screenshot and
# as a phone photo of the screen; and dark images holding no code.
DARK_KINDS = [("QRCODE", 4, []), ("AZTEC", 4, []), ("DATAMATRIX", 5, []),
              ("CODE128", 2, ["--height", "40"]), ("PDF417", 2, []), ("QRCODE", 2, [])]


def dark_interface(seed, w, h, lines):
    """A dark screen: panels, light lines of text and small icons."""
    rnd = random.Random(seed)
    args = ["-size", f"{w}x{h}", "xc:grey10", "-font", "DejaVu-Sans", "-pointsize", "28"]
    for _ in range(4):
        x, y = rnd.randrange(w // 2), rnd.randrange(h - 200)
        args += ["-fill", "grey18", "-draw", f"roundrectangle {x},{y} {x + w // 2},{y + 160} 20,20"]
    for i in range(lines):
        args += ["-fill", f"grey{rnd.randint(70, 95)}", "-draw",
                 f"text {rnd.randint(30, 200)},{60 + i * h // (lines + 1)} "
                 f"'Order {rnd.randrange(10**6)} ready at gate {rnd.randint(1, 40)}'"]
        x, y = rnd.randint(w - 160, w - 60), 40 + i * h // (lines + 1)
        args += ["-fill", "grey85", "-draw", f"circle {x},{y} {x + 14},{y}"]
    return args


def set_dark(tmp, d):
    items = []
    for s in range(6):
        rnd = random.Random(900 + s)
        w, h = (1080, 2340) if s % 2 == 0 else (1920, 1080)
        kind, scale, extra = DARK_KINDS[s]
        data = f"DARK {s}-{rnd.randrange(10**5):05d}"
        path = label(tmp, f"d{s}", kind, data, scale, extra)
        run("convert", path, "-negate", "-fill", "grey10", "-opaque", "black", path)
        shot = f"{tmp}/shot{s}.png"
        compose(shot, f"{w}x{h}", lambda size: dark_interface(900 + s, w, h, 12),
                [(path, w // 4, h // 3, 0, [])], ["-colorspace", "Gray"])
        items.append((f"darkshot{s}.png", [data]))
        run("cp", shot, f"{d}/darkshot{s}.png")
        # The same screen photographed: glare, perspective, blur, noise, JPEG.
        pw, ph = 3264, 2448
        run("convert", shot, "-resize", f"{int(pw * 0.7)}x{int(ph * 0.7)}", "-bordercolor",
            "grey30", "-border", "8%", "-resize", f"{pw}x{ph}!",
            *light_and_lens(pw, ph, 900 + s, 1.0, 0.5, 80), f"{d}/darkphoto{s}.jpg")
        items.append((f"darkphoto{s}.jpg", [data]))
    return items


def set_darkneg(tmp, d):
    items = []
    for s in range(4):
        w, h = (1080, 2340) if s % 2 == 0 else (1920, 1080)
        name = f"darkneg{s}.png"
        run("convert", *dark_interface(950 + s, w, h, 30), "-colorspace", "Gray", f"{d}/{name}")
        items.append((name, []))
        photo = f"darknegphoto{s}.jpg"
        run("convert", *plasma(960 + s)("3264x2448"), "-negate", "-level", "0%,250%",
            *light_and_lens(3264, 2448, 960 + s, 1.2, 0.8, 80), f"{d}/{photo}")
        items.append((photo, []))
    return items

# The A4 pages: symbols of 1.5 and 2 pixel modules (zint scale 0.75 and 1) in
# a mix that changes with the seed, ten to a page.
A4_KINDS = ["CODE128", "EANX", "CODE39", "C25INTER", "UPCA", "CODE93", "QRCODE",
            "DATAMATRIX", "PDF417", "AZTEC", "CODE128", "QRCODE", "DATAMATRIX"]
A4_SEEDS = [1, 2, 3]
# The scan of each seed's page: (blur, noise), from a fair scan to a poor one.
A4_SCANS = {1: (1.2, 0.6), 2: (1.0, 0.5), 3: (0.8, 0.4)}


def gtin_check(digits):
    """The check digit of an EAN/UPC number, which the readers report."""
    total = sum(int(c) * (3 if i % 2 == 0 else 1) for i, c in enumerate(reversed(digits)))
    return str((10 - total % 10) % 10)


def a4_symbol(rnd, kind, seed, i):
    """(zint content, content read, zint extra options) of one symbol."""
    bars = ["--height", "40"]
    if kind == "EANX":
        d = "".join(rnd.choice("0123456789") for _ in range(12))
        return d, d + gtin_check(d), []
    if kind == "UPCA":
        d = "".join(rnd.choice("0123456789") for _ in range(11))
        return d, d + gtin_check(d), []
    if kind == "C25INTER":
        d = "".join(rnd.choice("0123456789") for _ in range(10))
        return d, d, bars
    if kind in ("CODE39", "CODE93"):
        d = f"A4{seed}{i}{rnd.randrange(10**4):04d}"
        return d, d, bars
    d = f"A4 {kind[:3]} {seed}-{i} {rnd.randrange(10**5):05d}"
    return d, d, bars if kind == "CODE128" else []


def a4_clean(tmp, seed):
    """The page before any degradation (white paper, 2480x3508) and its
    contents; kept in tmp so that the three variants share it."""
    clean = os.path.join(tmp, f"a4clean{seed}.png")
    placed, contents = [], []
    for path, x, y, _, _, read in a4_layout(tmp, seed):
        placed.append((path, x, y, 0, []))
        contents.append(read)
    compose(clean, "2480x3508", paper("white"), placed, ["-colorspace", "Gray"])
    return clean, contents


def a4_layout(tmp, seed):
    """The symbols of a seed's page: (zint image, x, y, zint type, zint
    scale, content read), each zint image drawn into tmp."""
    rnd = random.Random(1000 + seed)
    kinds = rnd.sample(A4_KINDS, 10)
    layout = []
    for i, kind in enumerate(kinds):
        data, read, extra = a4_symbol(rnd, kind, seed, i)
        path = os.path.join(tmp, f"a4s{seed}-{i}.png")
        scale = rnd.choice([0.75, 1])
        zint(path, kind, data, scale, *extra)
        x = 250 + (i % 2) * 1200 + rnd.randrange(0, 100)
        y = 250 + (i // 2) * 650 + rnd.randrange(0, 60)
        layout.append((path, x, y, kind, scale, read))
    return layout


def a4_grey(seed):
    """Ink multiplied into grey paper, a scan's blur and noise."""
    return (["(", "-size", "2480x3508", "xc:gray78", ")", "-compose", "Multiply",
             "-composite", "-compose", "Over"] + SCAN(1100 + seed, *A4_SCANS[seed]))


def a4_set(tmp, d, variant):
    items = []
    for seed in A4_SEEDS:
        clean, contents = a4_clean(tmp, seed)
        if variant == "page":
            name, finish = f"a4page{seed}.png", a4_grey(seed) + ["-depth", "8"]
        elif variant == "fax":
            name = f"a4fax{seed}.tif"
            finish = a4_grey(seed) + ["-density", "300", "-units", "PixelsPerInch", "-resample",
                                      "200", "-monochrome", "-compress", "Group4"]
        else:
            name = f"a4phone{seed}.jpg"
            finish = (["(", "-size", "2480x3508", "xc:gray88", ")", "-compose", "Multiply",
                       "-composite", "-compose", "Over"] +
                      light_and_lens(2480, 3508, 1200 + seed, 0.8, 0.4, 75))
        run("convert", clean, *finish, f"{d}/{name}")
        items.append((name, contents))
    return items


def a4_fax_retail(tmp, d):
    """EAN/UPC of 2-pixel modules (zint scale 1) on grey paper under the A4
    pages' scans, sent as the a4fax pages are (1.33-pixel modules, dithered):
    the material where the enlarged bar view read wrong numbers."""
    items = []
    for seed, scan in [(21, (1.2, 0.6)), (22, (1.0, 0.5)), (23, (1.1, 0.5))]:
        rnd = random.Random(1000 + seed)
        placed, contents = [], []
        for i in range(8):
            kind = rnd.choice(["EANX", "UPCA"])
            data, read, extra = a4_symbol(rnd, kind, seed, i)
            path = os.path.join(tmp, f"a4r{seed}-{i}.png")
            zint(path, kind, data, 1, *extra)
            placed.append((path, 150 + (i % 2) * 1100 + rnd.randrange(0, 100),
                           250 + (i // 2) * 800 + rnd.randrange(0, 60), 0, []))
            contents.append(read)
        name = f"a4faxretail{seed}.tif"
        finish = (["(", "-size", "2480x3508", "xc:gray78", ")", "-compose", "Multiply",
                   "-composite", "-compose", "Over"] + SCAN(1100 + seed, *scan) +
                  ["-density", "300", "-units", "PixelsPerInch", "-resample", "200",
                   "-monochrome", "-compress", "Group4"])
        compose(f"{d}/{name}", "2480x3508", paper("white"), placed, finish)
        items.append((name, contents))
    return items


SETS = {"photo": set_photo, "qr": set_qr, "inverted": set_inverted, "mirrored": set_mirrored,
        "small": set_small, "skew": set_skew, "maxi": set_maxi, "maxiturn": set_maxiturn,
        "fax": set_fax, "negative": set_negative, "qrphoto": set_qrphoto, "dark": set_dark,
        "darkneg": set_darkneg,
        "a4page": lambda tmp, d: a4_set(tmp, d, "page"),
        "a4fax": lambda tmp, d: a4_set(tmp, d, "fax"),
        "a4phone": lambda tmp, d: a4_set(tmp, d, "phone"),
        "a4faxretail": a4_fax_retail,
        **{kind: set_qr_kind(kind) for kind in QR_KINDS},
        **{kind: set_qr_kind(kind, QR_LOOKS, 3000, draw_qr_look) for kind in QR_LOOKS}}


def material(root, name):
    d = os.path.join(root, f"v{MATERIAL_VERSION}", name)
    manifest = os.path.join(d, "manifest.json")
    if not os.path.exists(manifest):
        os.makedirs(d, exist_ok=True)
        with tempfile.TemporaryDirectory() as tmp:
            items = SETS[name](tmp, d)
        with open(manifest, "w") as f:
            json.dump(items, f)
    with open(manifest) as f:
        return [(os.path.join(d, n), c) for n, c in json.load(f)]


def worker_contents(worker, image, profile, tmp):
    size = subprocess.run(["identify", "-format", "%w %h\n", image], check=True,
                          capture_output=True, text=True).stdout.split("\n")[0].split()
    request, result = os.path.join(tmp, "req.json"), os.path.join(tmp, "res.json")
    with open(request, "w") as f:
        json.dump({"profile": profile, "width": int(size[0]), "height": int(size[1]),
                   "stride": int(size[0]), "dpi": 300, "scalarW": "1", "scalarH": "1",
                   "bitmapPath": image, "resultPath": result}, f)
    if os.path.exists(result):
        os.remove(result)
    start = time.monotonic()
    subprocess.run([worker, request], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    elapsed = time.monotonic() - start
    if not os.path.exists(result):
        return [], elapsed
    with open(result) as f:
        doc = json.load(f)
    found = []
    for b in doc.get("page", {}).get("barcodes", []):
        found.append(b["text"] if "text" in b else
                     base64.b64decode(b["data"]).decode("utf-8", "replace"))
    return found, elapsed


def zxing_contents(image, tmp):
    if not image.endswith((".png", ".jpg")):
        png = os.path.join(tmp, "zx.png")
        run("convert", image, png)
        image = png
    start = time.monotonic()
    out = subprocess.run(["ZXingReader", "-1", image], capture_output=True, text=True)
    elapsed = time.monotonic() - start
    found = []
    for line in out.stdout.splitlines():
        # IMAGE FORMAT "CONTENT"
        parts = line.split(" ", 2)
        if len(parts) == 3 and parts[2].startswith('"'):
            found.append(parts[2][1:-1])
    return found, elapsed


def tally(found, drawn):
    left = list(drawn)
    read = wrong = 0
    for f in found:
        if f in left:
            left.remove(f)
            read += 1
        elif f not in drawn:
            wrong += 1
    return read, wrong


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--profiles", default="1,3")
    parser.add_argument("--sets", default=",".join(SETS))
    parser.add_argument("--dir", default=os.environ.get("RECALL_DIR", "/tmp/velmora-recall"))
    parser.add_argument("--worker", default=os.path.join(HERE, "..", "build", "velmora-barcode"),
                        help="PATH, or NAME=PATH,NAME=PATH,... to compare builds in one run")
    parser.add_argument("--no-zxing", action="store_true")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()
    workers = dict(w.split("=", 1) if "=" in w else ("", w) for w in args.worker.split(","))
    readers = [f"{n}p{p}" for n in workers for p in args.profiles.split(",")]
    if not args.no_zxing and shutil.which("ZXingReader"):
        readers.append("zxing")
    totals = {r: [0, 0, 0.0] for r in readers}
    drawn_total = 0
    behind = []  # images where a worker run found fewer than ZXingReader
    print(f"{'set':10} {'drawn':>5} " + " ".join(f"{r + ' found/wrong/s':>22}" for r in readers))
    with tempfile.TemporaryDirectory() as tmp:
        for name in args.sets.split(","):
            items = material(args.dir, name)
            drawn = sum(len(c) for _, c in items)
            drawn_total += drawn
            row = {r: [0, 0, 0.0] for r in readers}
            for image, contents in items:
                counts = {}
                for r in readers:
                    if r == "zxing":
                        found, t = zxing_contents(image, tmp)
                    else:
                        n, p = r.rsplit("p", 1)
                        found, t = worker_contents(workers[n], image, int(p), tmp)
                    read, wrong = tally(found, contents)
                    counts[r] = read
                    if args.verbose:
                        print(f"  {os.path.basename(image)} {r}: {read}/{len(contents)} "
                              f"wrong {wrong} {t:.2f}s missed {[c for c in contents if c not in found]} "
                              f"wrong {[f for f in found if f not in contents]}")
                    for acc in (row[r], totals[r]):
                        acc[0] += read
                        acc[1] += wrong
                        acc[2] += t
                if "zxing" in counts:
                    for r in readers[:-1]:
                        if counts[r] < counts["zxing"]:
                            behind.append(f"{os.path.basename(image)} {r} {counts[r]} "
                                          f"< {counts['zxing']}")
            print(f"{name:10} {drawn:5} " +
                  " ".join(f"{row[r][0]:>8}/{row[r][1]}/{row[r][2]:7.2f}" for r in readers),
                  flush=True)
    print(f"{'all':10} {drawn_total:5} " +
          " ".join(f"{totals[r][0]:>8}/{totals[r][1]}/{totals[r][2]:7.2f}" for r in readers))
    for line in behind:
        print("fewer than ZXingReader:", line)


if __name__ == "__main__":
    sys.exit(main())
