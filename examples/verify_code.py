#!/usr/bin/env python3
"""Verifies the printed code of a sample image: arranges the expected text and prints a table.

    PYTHONPATH=build/default/python python3 examples/verify_code.py \
        [samples/cases/circular.pgm "BATCH 0815:A"]
"""
import pathlib
import sys

import numpy as np

import oc

ROOT = pathlib.Path(__file__).resolve().parents[1]


def read_pgm(path):
    """A binary 8-bit PGM (no comments) as a 2-D uint8 array."""
    data = pathlib.Path(path).read_bytes()
    magic, width, height, maxval, pels = data.split(maxsplit=4)
    if magic != b"P5" or maxval != b"255":
        sys.exit(f"{path}: not an 8-bit binary PGM")
    return np.frombuffer(pels, np.uint8, int(width) * int(height)).reshape(int(height), int(width))


def main():
    image_path = sys.argv[1] if len(sys.argv) > 1 else ROOT / "samples/cases/circular.pgm"
    text = sys.argv[2] if len(sys.argv) > 2 else "BATCH 0815:A"
    alphabet = oc.Alphabet.from_folder(ROOT / "samples/fonts/dejavu-sans-bold")
    result = oc.arrange(read_pgm(image_path), alphabet, text)
    print(f"{image_path}: {text!r} {'found' if result.is_found else 'not found'}")
    print(f"{'#':>3}  {'char':7} {'status':9} {'score':>6} {'x':>8} {'y':>8} {'angle':>7}")
    for c in result:
        where = (f"{c.position[0]:8.2f} {c.position[1]:8.2f} {c.angle_deg:7.2f}"
                 if c.pose is not None and c.status != oc.CharStatus.UNKNOWN else "")
        print(f"{c.index:3}  {c.name!r:7} {c.status.name.lower():9} {c.score:6.3f} {where}")
    matched = sum(c.status == oc.CharStatus.MATCHED for c in result)
    print(f"{matched} of {len(result)} characters matched")
    return 0 if result.is_found else 1


if __name__ == "__main__":
    sys.exit(main())
