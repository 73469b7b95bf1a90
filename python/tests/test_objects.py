import json

import numpy as np
import pytest

import oc
from conftest import FONT, SAMPLES, read_pgm

GREY = np.full((40, 60), 128, np.uint8)


@pytest.mark.parametrize("call, error, text, number", [
    (lambda a: oc.arrange(GREY.astype(np.float32), a, "A"), TypeError, "dtype uint8, not float32", None),
    (lambda a: oc.arrange(np.zeros((40, 60, 3), np.uint8), a, "A"), ValueError, "shape (40, 60, 3)", None),
    (lambda a: oc.arrange(np.zeros((0, 60), np.uint8), a, "A"), ValueError, "image is empty", None),
    (lambda a: oc.arrange(GREY.tolist(), a, "A"), TypeError, "numpy.ndarray of dtype uint8, not list", None),
    (lambda a: oc.arrange(GREY, a, "A", mask=GREY[:, :7]), oc.BadMask, "", 0x10007401),
    (lambda a: oc.arrange(GREY, a, "A", client_from_image=np.eye(2)), ValueError, "2 x 3", None),
    (lambda a: oc.arrange(GREY, a, "A", client_from_image=[[0, 0, 1], [0, 0, 1]]), oc.Singular, "", 0x10000101),
    (lambda a: oc.arrange(GREY, a, "a"), oc.BadKey, "", 0x10005E04),
    (lambda a: oc.arrange(GREY, a, [65, "B"]), TypeError, "sequence of int keys", None),
    (lambda a: oc.arrange(GREY, "font", "A"), TypeError, "oc.Alphabet", None),
    (lambda a: oc.arrange(GREY, a, "A", params={}), TypeError, "oc.ArrangeParams", None),
    (lambda a: oc.ArrangeParams(min_match_score=1.5), oc.ArrangeBadParams, "", 0x10007400),
    (lambda a: oc.ArrangeParams(scale_range=(0, 2)), ValueError, "", 0x10007400),
    (lambda a: oc.ArrangeParams(max_lines=0), oc.BadParams, "", 0x10007400),
    (lambda a: oc.ArrangeParams(min_match_score="high"), TypeError, "min_match_score", None),
    (lambda a: oc.ArrangeParams(min_score=0.5), TypeError, "unexpected keyword argument 'min_score'", None),
    (lambda a: a.confusion_matrix(), oc.NotCompiled, "", 0x10005E06),
    (lambda a: oc.Alphabet.load(SAMPLES / "cases.json"), oc.ArchiveError, "", None),
    (lambda a: oc.Alphabet.from_folder(SAMPLES / "cases"), ValueError, "alphabet.json", None),
    (lambda a: oc.Alphabet([oc.Model("A", GREY), oc.Model("A", GREY)]), oc.SameKey, "", 0x10005E03),
])
def test_refusals(alphabet, call, error, text, number):
    with pytest.raises(error) as caught:
        call(alphabet)
    assert text in str(caught.value)
    if number is not None:
        assert isinstance(caught.value, oc.Error) and caught.value.number == number
        assert caught.value.message in str(caught.value) and str(caught.value)


def test_params_setters_check_and_keep_the_old_value():
    p = oc.ArrangeParams(max_lines=3, line_type=oc.LineType.CIRCULAR, straight_text_direction=0.5)
    with pytest.raises(oc.ArrangeBadParams):
        p.max_lines = -1
    assert (p.max_lines, p.line_type, p.straight_text_direction) == (3, oc.LineType.CIRCULAR, 0.5)
    p.max_lines = None
    assert p.max_lines is None and p != oc.ArrangeParams(line_type=oc.LineType.CIRCULAR)
    assert p == oc.ArrangeParams(line_type=oc.LineType.CIRCULAR, straight_text_direction=0.5)


def test_models_from_numpy_make_the_folder_alphabet(alphabet):
    models = []
    for c in json.loads((FONT / "alphabet.json").read_text()):
        if c["type"] == "blank":
            models.append(oc.Model.blank(c["key"], c["area"], name=c["name"]))
        else:
            models.append(oc.Model(c["key"], read_pgm(FONT / c["file"]), c["area"], name=c["name"]))
    assert oc.Alphabet(models, 0.5, "dejavu-sans-bold") == alphabet
    a = alphabet.model("A")
    x, y, w, h = a.area
    assert a.client_from_image.tolist() == [[1, 0, -(x + w / 2)], [0, 1, -(y + h / 2)]]
    assert (a.image == read_pgm(FONT / "A.pgm")[y:y + h, x:x + w]).all() and "A" in alphabet and "a" not in alphabet


def test_archives_round_trip_between_cpp_and_python(alphabet, cases, cli, tmp_path):
    cli("train", FONT, "-o", tmp_path / "cpp.oca")
    assert oc.Alphabet.load(tmp_path / "cpp.oca") == alphabet
    alphabet.save(tmp_path / "py.oca")
    out = tmp_path / "r.json"
    c = cases[1]
    cpp = cli("arrange", "--alphabet", tmp_path / "py.oca", "--text", c["text"],
              SAMPLES / c["image"], "--json", out, json_path=out)["cases"][0]["chars"]
    mine = oc.arrange(c["pels"], alphabet, c["text"])
    assert [r["score"] for r in cpp] == pytest.approx(mine.scores, abs=1e-12)
    damaged = (tmp_path / "py.oca").read_bytes()
    (tmp_path / "cut.oca").write_bytes(damaged[:len(damaged) // 2])
    with pytest.raises(oc.ArchiveError):
        oc.Alphabet.load(tmp_path / "cut.oca")


def test_compiled_confusions_follow_the_matrix(tmp_path):
    digits = oc.Alphabet([oc.Alphabet.from_folder(FONT).model(k) for k in "0O8B"], 0.5, "d")
    digits.compile()
    matrix = digits.confusion_matrix()
    assert matrix.shape == (4, 4) and np.diag(matrix) == pytest.approx(1.0, abs=0.02)
    for i, a in enumerate("0O8B"):
        for j, b in enumerate("0O8B"):
            assert digits.confusable(a, b) == (matrix[i, j] > 0.5)
    assert digits.confusable("0", "O")
    digits.save(tmp_path / "d.oca")
    assert (oc.Alphabet.load(tmp_path / "d.oca").confusion_matrix() == matrix).all()
