#!/usr/bin/env python3
"""Linear symbols as people photograph and scan them, read by the worker,
ZXingReader and zbarimg image by image.

Draws its material once (zint symbols, ImageMagick degradations, fixed seeds)
into a folder kept between runs: every linear symbology of the retail and
industrial kinds (EAN-13, EAN-8, UPC-A, UPC-E, with and without add-ons, Code
128, Code 39, Interleaved 2 of 5, Codabar, Code 93, DataBar) under every kind
of damage (curved product, perspective and glare, blur, motion blur, short
quiet zones with text and frames touching the bars, scratches and spots, a
torn corner and fading, modules of 1 to 1.5 pixels, thermal-printer bars,
heavy JPEG), each pair once, and images without symbols (set `damaged`,
1280 x 960 pixels). Set `products` holds phone photos of products of 2 to 12
megapixels: the symbol small in a large frame, defocus, strong perspective,
wrapped round a can or bottle with its shine, low light and its noise, ink
spread, every kind under each once, and large photos without a symbol.
Prints per damage the symbols read and the wrong contents reported by each
reader, and with --images every image where the readers differ.

Usage: bench/linear-photos.py [--profiles 1,3] [--sets damaged,products] [--dir DIR]
                              [--worker PATH|NAME=PATH,...] [--images] [--no-zbar] [--no-zxing]
                              [--only DAMAGE,...]
"""

import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time
import json
import math

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import recall  # noqa: E402  (drawing helpers and the worker run)

HERE = os.path.dirname(os.path.abspath(__file__))
MATERIAL_VERSION = "1"
PRODUCTS_VERSION = "1"
SIZE = (1280, 960)


def check_digit(digits):
    """The mod-10 check digit of EAN, UPC and the DataBar GTIN."""
    total = sum(int(c) * (3 if i % 2 == 0 else 1) for i, c in enumerate(reversed(digits)))
    return str((10 - total % 10) % 10)


def upce_expanded(six):
    """UPC-E's six digits (number system 0) as the UPC-A body they stand for."""
    d = six
    if d[5] in "012":
        return "0" + d[0:2] + d[5] + "0000" + d[2:5]
    if d[5] == "3":
        return "0" + d[0:3] + "00000" + d[3:5]
    if d[5] == "4":
        return "0" + d[0:4] + "00000" + d[4]
    return "0" + d[0:5] + "0000" + d[5]


def symbol(kind, rnd):
    """(zint type, zint data, accepted contents, zint options) for one symbol;
    the contents are normalised (see norm)."""
    digits = lambda n: "".join(rnd.choice("0123456789") for _ in range(n))
    if kind in ("EAN13", "EAN13+2"):
        body = rnd.choice("123456789") + digits(11)
        full = body + check_digit(body)
        if kind == "EAN13":
            return "EANX", body, {full}, []
        addon = digits(2)
        return "EANX", body + "+" + addon, {full + addon, full}, []
    if kind == "EAN8":
        body = digits(7)
        return "EANX", body, {body + check_digit(body)}, []
    if kind in ("UPCA", "UPCA+5"):
        body = rnd.choice("123456789") + digits(10)
        full = body + check_digit(body)
        accepted = {full, "0" + full}
        if kind == "UPCA":
            return "UPCA", body, accepted, []
        addon = digits(5)
        return "UPCA", body + "+" + addon, accepted | {a + addon for a in accepted}, []
    if kind == "UPCE":
        six = digits(4) + rnd.choice("123456789") + rnd.choice("56789")
        full = "0" + six + check_digit(upce_expanded(six))
        return "UPCE", six, {full, upce_expanded(six) + full[-1]}, []
    if kind == "CODE128":
        data = f"LOT{digits(4)}-{rnd.choice('ABCDEFGH')}{digits(5)}"
        return "CODE128", data, {norm(data)}, ["--height", "40"]
    if kind == "CODE39":
        data = f"PN{digits(6)}"
        return "CODE39", data, {norm(data)}, ["--height", "40"]
    if kind == "I25":
        data = digits(14)
        return "C25INTER", data, {data}, ["--height", "40"]
    if kind == "CODABAR":
        data = "A" + digits(10) + "B"
        return "CODABAR", data, {norm(data), data[1:-1]}, ["--height", "40"]
    if kind == "CODE93":
        data = f"C93{digits(6)}"
        return "CODE93", data, {norm(data)}, ["--height", "40"]
    if kind == "DATABAR":
        body = "0" + digits(12)
        gtin = body + check_digit(body)
        return "DBAR_OMN", body, {"01" + gtin, gtin}, []
    raise ValueError(kind)


KINDS = ["EAN13", "EAN13+2", "EAN8", "UPCA", "UPCA+5", "UPCE", "CODE128", "CODE39", "I25",
         "CODABAR", "CODE93", "DATABAR"]
DAMAGES = ["curved", "glare", "blur", "motion", "quiet", "scratched", "torn", "lowres",
           "thermal", "jpeg"]


def norm(text):
    return re.sub(r"[^0-9A-Z]", "", text.upper())


def background(seed, size=SIZE):
    """Plasma drawn at a quarter of the size and enlarged: uneven packaging
    print at a fraction of the cost of a full-size plasma."""
    w, h = size
    return lambda size: ["-size", f"{w // 4}x{h // 4}", "-seed", str(seed),
                         "plasma:grey60-grey90", "-blur", "0x1.5", "-resize", f"{w}x{h}!",
                         "-colorspace", "Gray"]


def draw(tmp, out, seed, kind, damage):
    """One symbol on a product-like background under one damage."""
    rnd = random.Random(seed)
    w, h = SIZE
    ztype, data, accepted, extra = symbol(kind, rnd)
    if os.path.exists(out):  # drawn by an interrupted run
        return sorted(accepted)
    raw = os.path.join(tmp, "raw.png")
    recall.zint(raw, ztype, data, 1, *extra)
    lab = os.path.join(tmp, "label.png")
    module = {"lowres": rnd.uniform(1.0, 1.5), "thermal": 2.0}.get(damage, rnd.uniform(2.0, 3.2))
    # zint's scale 1 draws 2-pixel modules.
    resize = [f"{module / 2 * 100:.1f}%"]
    pre = ["-colorspace", "Gray", "-filter", "Triangle", "-resize"] + resize
    if damage == "quiet":
        # No quiet zone: a frame and a line of text touching the bars.
        run = ["convert", raw] + pre + ["-bordercolor", "white", "-border", "2",
                                        "-bordercolor", "black", "-border", "2",
                                        "-gravity", "West", "-splice", "60x0",
                                        "-font", "DejaVu-Sans-Bold", "-pointsize", "22",
                                        "-annotate", "+2+0", "NET", lab]
    else:
        run = ["convert", raw] + pre + ["-bordercolor", "white", "-border", "10%", lab]
    subprocess.run(run, check=True)
    finish_label = []
    if damage == "curved":
        finish_label = ["-virtual-pixel", "white", "-distort", "Barrel",
                        f"0 0 {rnd.uniform(0.12, 0.25):.3f} 1", "-distort", "Arc",
                        f"{rnd.uniform(15, 35):.0f}"] if rnd.random() < 0.5 else \
            ["-virtual-pixel", "white", "-distort", "Barrel", f"0 0 {rnd.uniform(0.15, 0.3):.3f} 1"]
    elif damage == "scratched":
        draws = []
        for _ in range(rnd.randint(3, 6)):
            colour = rnd.choice(["white", "grey30"])
            x0, y0, x1, y1 = (rnd.randint(0, 600) for _ in range(4))
            draws += ["-stroke", colour, "-strokewidth", str(rnd.randint(1, 3)),
                      "-draw", f"line {x0},{y0} {x1},{y1 + 100}"]
        for _ in range(rnd.randint(2, 5)):
            x, y, r = rnd.randint(20, 500), rnd.randint(20, 200), rnd.randint(3, 8)
            draws += ["-stroke", "none", "-fill", rnd.choice(["white", "grey20"]),
                      "-draw", f"circle {x},{y} {x + r},{y}"]
        finish_label = draws
    elif damage == "torn":
        finish_label = ["-fill", "white", "-stroke", "none", "-draw",
                        f"polygon 0,0 {rnd.randint(40, 90)},0 0,{rnd.randint(40, 90)}",
                        "+level", f"{rnd.randint(25, 40)}%,{rnd.randint(80, 95)}%"]
    elif damage == "thermal":
        # Burnt bars grow, dead heating dots leave white streaks across them.
        finish_label = ["-morphology", "Erode", "Rectangle:2x1"]
        for _ in range(rnd.randint(2, 4)):
            y = rnd.randint(10, 150)
            finish_label += ["-stroke", "white", "-strokewidth", "1", "-draw",
                             f"line 0,{y} 2000,{y}"]
        finish_label += ["+level", "8%,85%"]
    if finish_label:
        subprocess.run(["convert", lab] + finish_label + [lab], check=True)
    angle = rnd.uniform(-12, 12) if damage != "lowres" else rnd.uniform(-3, 3)
    x, y = rnd.randint(80, 500), rnd.randint(80, 450)
    blur, noise, quality = rnd.uniform(0.4, 0.9), rnd.uniform(0.2, 0.5), 85
    finish = []
    if damage == "blur":
        blur = rnd.uniform(1.4, 2.2)
    if damage == "motion":
        finish = ["-motion-blur", f"0x{rnd.uniform(3, 6):.1f}+{rnd.uniform(0, 180):.0f}"]
    if damage == "jpeg":
        quality, noise = rnd.randint(15, 30), rnd.uniform(0.5, 0.9)
    if damage == "lowres":
        blur = 0.4
    glare = []
    if damage == "glare":
        gx, gy = x + rnd.randint(50, 250), y + rnd.randint(0, 80)
        glare = ["(", "-size", f"{w}x{h}", "xc:black", "-fill", "white", "-draw",
                 f"circle {gx},{gy} {gx + rnd.randint(40, 90)},{gy}", "-blur", "0x25", ")",
                 "-compose", "Screen", "-composite", "-compose", "Over"]
    paper = background(seed)
    box = ["-fill", f"grey{rnd.randint(30, 80)}", "-draw",
           f"rectangle {rnd.randint(0, 300)},{rnd.randint(600, 800)} "
           f"{rnd.randint(700, 1200)},{rnd.randint(850, 950)}"]
    lens = recall.light_and_lens(w, h, seed, blur, noise, quality)
    recall.compose(out, f"{w}x{h}", lambda size: paper(size) + box, [(lab, x, y, angle, [])],
                   glare + finish + lens)
    return sorted(accepted)


PRODUCT_DAMAGES = ["product", "defocus", "perspective", "cylinder", "lowlight", "inkspread"]
FRAMES = [(1600, 1200), (2048, 1536), (2592, 1944)]
LARGE_FRAMES = [(3264, 2448), (4000, 3000), (3000, 4000)]


def cylinder(rnd, lab):
    """A label wrapped round a can or bottle seen from the side: the bars
    crowd towards its edges, the light falls off with the surface's turn,
    and a band of shine runs along its axis. Each is a one-row image made
    with -fx and stretched over the label (-fx over the label is slow)."""
    lw, lh = size_of(lab)
    turn = rnd.uniform(0.55, 0.8) * math.pi / 2  # half the arc seen
    shine, width, strength = rnd.uniform(0.25, 0.7), rnd.uniform(8, 14), rnd.uniform(0.4, 0.7)
    a = f"qq=(i/w-0.5)*2*sin({turn:.4f});"
    row = lambda fx: ["(", "-size", f"{lw}x1", "xc:", "-fx", fx, "-scale", f"{lw}x{lh}!", ")"]
    # The displacement map moves each column by (value - 0.5) * lw.
    subprocess.run(["convert", lab, "-virtual-pixel", "white",
                    *row(a + f"0.5+(w/2+w/2*asin(qq)/{turn:.4f}-i)/w"),
                    "-compose", "Displace", "-define", f"compose:args={lw / 2:.0f}x0", "-composite",
                    *row(a + "0.55+0.45*sqrt(1-qq*qq)"), "-compose", "Multiply", "-composite",
                    *row(f"{strength:.2f}*exp(-pow((i/w-{shine:.2f})*{width:.1f},2))"),
                    "-compose", "Plus", "-composite", "-colorspace", "Gray", lab], check=True)


def size_of(image):
    return tuple(int(v) for v in subprocess.run(
        ["identify", "-format", "%w %h", image], check=True, capture_output=True,
        text=True).stdout.split())


def draw_product(tmp, out, seed, kind, damage):
    """One symbol on a product photographed with a phone, under one damage."""
    rnd = random.Random(seed)
    frames = LARGE_FRAMES if damage == "product" else FRAMES
    w, h = frames[seed % len(frames)]
    ztype, data, accepted, extra = symbol(kind, rnd)
    if os.path.exists(out):
        return sorted(accepted)
    raw = os.path.join(tmp, "raw.png")
    recall.zint(raw, ztype, data, 1, *extra)
    lab = os.path.join(tmp, "label.png")
    module = rnd.uniform(2.2, 3.4) if damage == "product" else rnd.uniform(2.8, 4.5)
    label = ["convert", raw, "-colorspace", "Gray", "-filter", "Triangle", "-resize",
             f"{module / 2 * 100:.1f}%", "-bordercolor", "white", "-border", "10%"]
    if damage == "inkspread":
        # Dark grows by a pixel on one side, or on both.
        label += ["-morphology", "Erode", rnd.choice(["Rectangle:2x1", "Disk:1"])]
    subprocess.run(label + [lab], check=True)
    if damage == "cylinder":
        cylinder(rnd, lab)
    if damage == "perspective":
        # Seen at a slant: one end of the bars much shorter than the other.
        lw, lh = size_of(lab)
        a, b = rnd.uniform(0.0, 0.05) * lh, rnd.uniform(0.28, 0.42) * lh
        if rnd.random() < 0.5:
            a, b = b, a
        subprocess.run(["convert", lab, "-virtual-pixel", "white", "-distort", "Perspective",
                        f"0,0 0,{a:.0f} {lw},0 {lw},{b:.0f} {lw},{lh} {lw},{lh - b:.0f} "
                        f"0,{lh} 0,{lh - a:.0f}", lab], check=True)
    angle = rnd.uniform(-15, 15) if damage != "perspective" else rnd.uniform(-6, 6)
    x, y = rnd.randint(w // 10, w // 2), rnd.randint(h // 10, h // 2)
    blur, noise, quality = rnd.uniform(0.6, 1.2), rnd.uniform(0.3, 0.6), rnd.randint(78, 92)
    finish, after = [], []
    if damage == "defocus":
        finish = ["-define", "convolve:scale=!", "-morphology", "Convolve",
                  f"Disk:{module * rnd.uniform(0.6, 0.9):.1f}"]
    if damage == "lowlight":
        # Little light, then the phone's gain lifts the picture and its noise.
        gain = rnd.randint(25, 40)
        finish = ["+level", f"0%,{gain}%"]
        noise, after = rnd.uniform(1.5, 2.5), ["-level", f"0%,{gain + 5}%"]
    k = w / SIZE[0]
    clutter = ["-font", "DejaVu-Sans-Bold", "-fill", f"grey{rnd.randint(10, 40)}"]
    for word in rnd.sample(["NET WT 400 g", "ORGANIC", "Best before 12/27", "LOT 2026 A",
                            "INGREDIENTS: water, sugar", "recycle", "Made in EU"], 4):
        clutter += ["-pointsize", str(int(rnd.randint(16, 36) * k)), "-annotate",
                    f"+{rnd.randint(0, w * 3 // 4)}+{rnd.randint(h // 12, h - 20)}", word]
    paper = background(seed, (w, h))
    lens = recall.light_and_lens(w, h, seed, blur, noise, quality)
    recall.compose(out, f"{w}x{h}", lambda size: paper(size) + clutter,
                   [(lab, x, y, angle, [])], finish + lens + after)
    return sorted(accepted)


def draw_negative(tmp, out, seed, size=SIZE):
    """Text and packaging without a symbol: lines of words, stripes, boxes."""
    rnd = random.Random(seed)
    w, h = size
    words = ["NET WT", "500 g", "INGREDIENTS", "best before", "LOT 2026", "Made in EU",
             "|||| |||", "0 12345 67890", "keep dry", "recycle"]
    draws = ["-font", "DejaVu-Sans", "-fill", "black"]
    k = w / SIZE[0]
    for i in range(rnd.randint(6, 12)):
        draws += ["-pointsize", str(int(rnd.randint(14, 40) * k)), "-annotate",
                  f"+{rnd.randint(20, w - 380)}+{rnd.randint(40, h - 60)}", rnd.choice(words)]
    for _ in range(rnd.randint(3, 8)):
        x = rnd.randint(0, w - 180)
        draws += ["-fill", f"grey{rnd.randint(10, 60)}", "-draw",
                  f"rectangle {x},{rnd.randint(0, h * 5 // 6)} {x + int(rnd.randint(2, 12) * k)},"
                  f"{rnd.randint(h * 5 // 6 + 20, h - 10)}"]
    recall.run("convert", *background(seed, size)(f"{w}x{h}"), *draws,
               *recall.light_and_lens(w, h, seed, 0.7, 0.4, 80), out)


def material(root, name="damaged"):
    if name == "damaged":
        d = os.path.join(root, f"v{MATERIAL_VERSION}")
        damages, drawer, negatives, seed = DAMAGES, draw, [SIZE] * 12, 1000
    else:
        d = os.path.join(root, f"{name}-v{PRODUCTS_VERSION}")
        damages, drawer, negatives, seed = PRODUCT_DAMAGES, draw_product, LARGE_FRAMES * 2, 5000
    manifest = os.path.join(d, "manifest.json")
    if not os.path.exists(manifest):
        os.makedirs(d, exist_ok=True)
        items = []
        with tempfile.TemporaryDirectory() as tmp:
            # Every kind under every damage once.
            for n in range(len(KINDS) * len(damages)):
                a, b = divmod(n, len(KINDS))
                kind, damage = KINDS[b], damages[(a + b) % len(damages)]
                name = f"{n:03d}-{kind.replace('+', 'p')}-{damage}.jpg"
                items.append((name, damage, [drawer(tmp, f"{d}/{name}", seed + n, kind, damage)]))
            for s, size in enumerate(negatives):
                name = f"neg{s:02d}.jpg"
                draw_negative(tmp, f"{d}/{name}", seed + 2000 + s, size)
                items.append((name, "negative", []))
        with open(manifest, "w") as f:
            json.dump(items, f)
    with open(manifest) as f:
        return [(os.path.join(d, n), dmg, c) for n, dmg, c in json.load(f)]


def zbar_contents(image):
    start = time.monotonic()
    out = subprocess.run(["zbarimg", "-q", "--nodbus", image], capture_output=True, text=True)
    elapsed = time.monotonic() - start
    return [line.split(":", 1)[1] for line in out.stdout.splitlines() if ":" in line], elapsed


def addons(accepted):
    """The add-on digits of a symbol: what one accepted form adds to another."""
    return {x[len(y):] for x in accepted for y in accepted if x != y and x.startswith(y)}


def tally(found, drawn):
    """Symbols read and wrong contents: a content is wrong when it is none
    of the accepted forms of any symbol drawn, nor its add-on (the worker
    reports an add-on as a record of its own; a missed add-on is no error)."""
    left = [set(a) for a in drawn]
    read = wrong = 0
    def same(f, accepted):  # zbarimg gives UPC symbols as EAN-13 with a leading 0
        return f in accepted or (f.isdigit() and f.lstrip("0") in {a.lstrip("0") for a in accepted})

    for f in map(norm, found):
        hit = next((a for a in left if same(f, a)), None)
        if hit is not None:
            left.remove(hit)
            read += 1
        elif not any(same(f, a) or f in addons(a) for a in drawn):
            wrong += 1
    return read, wrong


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--profiles", default="1,3")
    parser.add_argument("--sets", default="damaged,products")
    parser.add_argument("--dir", default=os.environ.get("LINEAR_DIR", "/tmp/velmora-linear"))
    parser.add_argument("--worker", default=os.path.join(HERE, "..", "build", "velmora-barcode"))
    parser.add_argument("--images", action="store_true")
    parser.add_argument("--misses", action="store_true",
                        help="list every image where the first reader missed a symbol")
    parser.add_argument("--only", default="",
                        help="read only the images of these damages (comma-separated)")
    parser.add_argument("--no-zbar", action="store_true")
    parser.add_argument("--no-zxing", action="store_true")
    args = parser.parse_args()
    workers = dict(w.split("=", 1) if "=" in w else ("", w) for w in args.worker.split(","))
    readers = [f"{n}p{p}" for n in workers for p in args.profiles.split(",")]
    if not args.no_zxing and shutil.which("ZXingReader"):
        readers.append("zxing")
    if not args.no_zbar and shutil.which("zbarimg"):
        readers.append("zbarimg")
    sets = args.sets.split(",")
    items = [(i, s) for s in sets for i in material(args.dir, s)]
    if args.only:
        only = args.only.split(",")
        items = [(i, s) for i, s in items
                 if i[1] in only or (i[1] == "negative" and f"neg-{s}" in only)]
    rows = {}
    with tempfile.TemporaryDirectory() as tmp:
        for (image, damage, drawn), set_name in items:
            if damage == "negative":
                damage = f"neg-{set_name}"
            results = {}
            for r in readers:
                if r == "zxing":
                    found, t = recall.zxing_contents(image, tmp)
                elif r == "zbarimg":
                    found, t = zbar_contents(image)
                else:
                    n, p = r.rsplit("p", 1)
                    found, t = recall.worker_contents(workers[n], image, int(p), tmp)
                read, wrong = tally(found, drawn)
                results[r] = (read, wrong)
                kind = os.path.basename(image).split("-")[1] if drawn else None
                if args.misses and r == readers[0] and read < len(drawn):
                    print(f"  missed {image} {found}", flush=True)
                for key in (damage, "all", kind):
                    acc = rows.setdefault(key, {"drawn": 0}).setdefault(r, [0, 0, 0.0])
                    acc[0] += read
                    acc[1] += wrong
                    acc[2] += t
                if wrong and args.images:
                    print(f"  {os.path.basename(image)} {r} wrong: {found}", flush=True)
            for key in (damage, "all", kind):
                rows[key]["drawn"] += len(drawn)
            if args.images and len(set(results.values())) > 1:
                print(f"  {os.path.basename(image)}: " +
                      " ".join(f"{r} {v[0]}/{v[1]}" for r, v in results.items()), flush=True)
    print(f"{'damage':10} {'drawn':>5} " + " ".join(f"{r + ' read/wrong/s':>20}" for r in readers))
    keys = [f"neg-{s}" for s in sets] + ["all"]
    kinds = [k.replace("+", "p") for k in KINDS]
    for key in (DAMAGES * ("damaged" in sets) + PRODUCT_DAMAGES * ("products" in sets) + keys +
                kinds * args.misses):
        row = rows.get(key)
        if row:
            print(f"{key:10} {row['drawn']:5} " +
                  " ".join(f"{row[r][0]:>8}/{row[r][1]}/{row[r][2]:7.2f}" for r in readers))


if __name__ == "__main__":
    sys.exit(main())
