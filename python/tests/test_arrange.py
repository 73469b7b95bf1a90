import concurrent.futures
import gc
import weakref

import numpy as np
import pytest

import oc
from conftest import FONT, SAMPLES, summary

STATUS = {"matched": oc.CharStatus.MATCHED, "inferred": oc.CharStatus.INFERRED,
          "unknown": oc.CharStatus.UNKNOWN}


def model_image_pose(char, alphabet):
    """The pose that maps the model image's pels, as the results file gives it."""
    x, y, w, h = alphabet.model(char.key).area
    m, t = char.pose[:, :2], char.pose[:, 2]
    return [*m.ravel(), *(t - m @ [x + w / 2, y + h / 2])]


def test_results_equal_the_cpp_call_on_every_sample(alphabet, cases, cli, tmp_path):
    for c in cases:
        out = tmp_path / (c["id"] + ".json")
        cpp = cli("arrange", "--alphabet", FONT, "--text", c["text"], SAMPLES / c["image"],
                  "--json", out, json_path=out)["cases"][0]["chars"]
        result = oc.arrange(c["pels"], alphabet, c["text"])
        assert result.is_found and not result.is_search_truncated
        assert [r.status for r in result] == [STATUS[r["status"]] for r in cpp]
        assert result.scores == pytest.approx([r["score"] for r in cpp], abs=1e-12)
        for mine, theirs in zip(result, cpp):
            if mine.status != oc.CharStatus.UNKNOWN:
                assert model_image_pose(mine, alphabet) == pytest.approx(theirs["pose"], abs=1e-9)
        assert sum(l.count for l in result.lines) == len(c["keys"])
    assert [l.count for l in result.lines] == [12] and {r.line for r in result} == {0}


def test_views_copies_and_client_transform_give_the_same_poses(alphabet, cases):
    pels = cases[0]["pels"]
    h, w = pels.shape
    found = oc.arrange(pels, alphabet, cases[0]["text"])
    base = summary(found)
    # A window of a larger array (shared) and a column-major copy (copied) read the same pels.
    big = np.zeros((h + 10, w + 20), np.uint8)
    big[5:5 + h, 7:7 + w] = pels
    assert summary(oc.arrange(big[5:5 + h, 7:7 + w], alphabet, cases[0]["text"])) == base
    assert summary(oc.arrange(np.asfortranarray(pels), alphabet, cases[0]["text"])) == base
    # A client frame turned by 90 degrees and shifted by (100, -50) moves every pose with it (the
    # search's angle steps start from the client frame, so sub-pel fits may differ by millipels).
    turned = oc.arrange(pels, alphabet, cases[0]["text"],
                        client_from_image=[[0, -1, 100], [1, 0, -50]])
    assert turned.statuses == found.statuses
    for a, b in zip(found, turned):
        if a.status != oc.CharStatus.UNKNOWN:
            assert b.position == pytest.approx((100 - a.position[1], a.position[0] - 50), abs=0.01)
            assert (b.scale, b.angle_deg) == pytest.approx((a.scale, a.angle_deg + 90), abs=0.01)


def test_four_threads_give_the_results_of_one(alphabet, cases):
    jobs = [(c["pels"], c["text"]) for c in cases] + [(cases[0]["pels"][:, ::-1], "LOT 42/7")]
    one = [summary(oc.arrange(p, alphabet, t)) for p, t in jobs]
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        four = list(pool.map(lambda j: summary(oc.arrange(j[0], alphabet, j[1])), jobs))
    assert four == one


def test_a_result_keeps_its_alphabet_and_image_alive(cases):
    alphabet = oc.Alphabet.from_folder(FONT)
    watch = weakref.ref(alphabet)
    pels = cases[2]["pels"].copy()
    result = oc.arrange(pels, alphabet, cases[2]["text"])
    del alphabet, pels
    gc.collect()
    assert watch() is not None and result.alphabet.name == "dejavu-sans-bold"
    del result
    gc.collect()
    assert watch() is None


def test_params_mask_and_report_reach_the_arranger(alphabet, cases, tmp_path):
    pels, text = cases[2]["pels"], cases[2]["text"]
    strict = oc.arrange(pels, alphabet, text, oc.ArrangeParams(min_match_score=1.0))
    assert oc.CharStatus.MATCHED not in strict.statuses
    blind = oc.arrange(pels, alphabet, text, mask=np.zeros_like(pels))
    assert oc.CharStatus.MATCHED not in blind.statuses
    report = tmp_path / "r.html"
    oc.arrange(pels, alphabet, text, report=report)
    assert "<svg" in report.read_text()
