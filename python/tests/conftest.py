import json
import os
import pathlib
import subprocess

import numpy as np
import pytest

import oc

SAMPLES = pathlib.Path(__file__).resolve().parents[2] / "samples"
FONT = SAMPLES / "fonts" / "dejavu-sans-bold"


def read_pgm(path):
    """A binary (P5) 8-bit PGM as a 2-D uint8 array."""
    data = pathlib.Path(path).read_bytes()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    assert fields[0] == b"P5" and fields[3] == b"255"
    w, h = int(fields[1]), int(fields[2])
    return np.frombuffer(data, np.uint8, w * h, pos + 1).reshape(h, w).copy()


@pytest.fixture(scope="session")
def alphabet():
    return oc.Alphabet.from_folder(FONT)


@pytest.fixture(scope="session")
def cases():
    out = json.loads((SAMPLES / "cases.json").read_text())
    for c in out:
        c["pels"] = read_pgm(SAMPLES / c["image"])
    return out


@pytest.fixture(scope="session")
def cli():
    """Runs the command-line tool (the same library through C++) and returns its results."""
    exe = os.environ.get("OC_CLI")
    if not exe:
        pytest.skip("OC_CLI names no command-line tool")

    def run(*args, json_path=None):
        subprocess.run([exe, *map(str, args)], check=True, capture_output=True)
        return json.loads(pathlib.Path(json_path).read_text()) if json_path else None

    return run


def summary(result):
    """Statuses, scores and poses of a result, for exact comparisons."""
    return [(c.status, c.score, None if c.pose is None else c.pose.tolist()) for c in result]
