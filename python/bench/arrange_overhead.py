#!/usr/bin/env python3
"""What a Python oc.arrange call costs over the C++ call on the same image (goal: under 0.2 ms).

    PYTHONPATH=build/default/python python3 python/bench/arrange_overhead.py [repeats]

Both sides run the arranger on the circular sample with the same alphabet: the C++ figure is a
loop inside the module around the library call alone, the Python one oc.arrange as a caller
times it. The overhead (array checks, keys, GIL release and result objects) is taken per call as
the caller's time less the library call's own time inside it (ArrangeResult.seconds), so the
arranger's run-to-run jitter of a few milliseconds does not drown it.
"""
import pathlib
import statistics
import sys
import time

import oc

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "python" / "tests"))
from conftest import read_pgm  # noqa: E402


def main():
    repeats = int(sys.argv[1]) if len(sys.argv) > 1 else 30
    image = read_pgm(ROOT / "samples/cases/circular.pgm")
    alphabet = oc.Alphabet.from_folder(ROOT / "samples/fonts/dejavu-sans-bold")
    text = "BATCH 0815:A"
    oc.arrange(image, alphabet, text)  # warm caches
    cpp, py, over = [], [], []
    for _ in range(repeats):
        cpp += oc._time_arrange_cpp(image, alphabet, text, repeats=1)
        start = time.perf_counter()
        result = oc.arrange(image, alphabet, text)
        py.append(time.perf_counter() - start)
        over.append(py[-1] - result.seconds)
    cpp_ms, py_ms = statistics.median(cpp) * 1e3, statistics.median(py) * 1e3
    over_ms = statistics.median(over) * 1e3
    print(f"C++ xfOCArrange:   {cpp_ms:9.3f} ms per call (median of {repeats})")
    print(f"Python oc.arrange: {py_ms:9.3f} ms per call")
    print(f"overhead:          {over_ms:9.3f} ms per call (goal < 0.2 ms, max "
          f"{max(over) * 1e3:.3f} ms); Python / C++ = {py_ms / cpp_ms:.4f}")


if __name__ == "__main__":
    main()
