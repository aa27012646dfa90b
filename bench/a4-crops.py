#!/usr/bin/env python3
"""Single symbols cut from the A4 pages of bench/recall.py (a4page, a4fax,
a4phone), each read by builds of the worker and by ZXingReader: one line per
symbol with its type, module size and who read it.

Usage: bench/a4-crops.py [--sets a4page,a4fax] [--profile 1]
                         [--worker NAME=PATH,NAME=PATH] [--margin 60]
"""

import argparse
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import recall  # noqa: E402

# Pixels per page pixel of each variant, and the room left around a symbol
# (the phone pages move symbols by their perspective).
VARIANTS = {"a4page": (1.0, 0), "a4fax": (200 / 300, 0), "a4phone": (1.0, 150)}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sets", default="a4page,a4fax")
    parser.add_argument("--profile", type=int, default=1)
    parser.add_argument("--worker", default=os.path.join(recall.HERE, "..", "build",
                                                         "velmora-barcode"))
    parser.add_argument("--margin", type=int, default=60)
    parser.add_argument("--dir", default=os.environ.get("RECALL_DIR", "/tmp/velmora-recall"))
    args = parser.parse_args()
    workers = dict(w.split("=", 1) if "=" in w else ("", w) for w in args.worker.split(","))
    names = list(workers) + ["zxing"]
    print(f"{'set':8} {'symbol':12} {'type':10} {'module':>6} " +
          " ".join(f"{n or 'worker':>8}" for n in names))
    totals = {n: 0 for n in names}
    with tempfile.TemporaryDirectory() as tmp:
        for name in args.sets.split(","):
            scale, extra = VARIANTS[name]
            for (page, _), seed in zip(recall.material(args.dir, name), recall.A4_SEEDS):
                for i, (path, x, y, kind, zscale, read) in enumerate(recall.a4_layout(tmp, seed)):
                    w, h = map(int, subprocess.run(["identify", "-format", "%w %h", path],
                                                   check=True, capture_output=True,
                                                   text=True).stdout.split())
                    m = args.margin + extra
                    box = [int((x - m) * scale), int((y - m) * scale),
                           int((w + 2 * m) * scale), int((h + 2 * m) * scale)]
                    crop = os.path.join(tmp, "crop.png")
                    recall.run("convert", page, "-crop",
                               f"{box[2]}x{box[3]}+{max(box[0], 0)}+{max(box[1], 0)}",
                               "+repage", "-depth", "8", crop)
                    cells = []
                    for n in names:
                        if n == "zxing":
                            found, _ = recall.zxing_contents(crop, tmp)
                        else:
                            found, _ = recall.worker_contents(workers[n], crop, args.profile, tmp)
                        ok = read in found
                        wrong = [f for f in found if f != read]
                        totals[n] += ok
                        cells.append(("read" if ok else "-") + ("/WRONG" if wrong else ""))
                    module = 2 * zscale * scale
                    print(f"{name:8} {f'{seed}-{i}':12} {kind:10} {module:6.2f} " +
                          " ".join(f"{c:>8}" for c in cells), flush=True)
    print("total" + " " * 37 + " ".join(f"{totals[n]:>8}" for n in names))


if __name__ == "__main__":
    main()
