import json

import pytest

import qxscript
from conftest import EXAMPLES

FORMULAS = [
    "A:MA(C,5),COLORRED,LINETHICK3; B:=C; DRAWTEXT(C>O,L,'UP'); N:C,NODRAW;",
    "{params: N=12, M=26}\nX:EMA(C,N)-EMA(C,M),COLORSTICK; Y:MA(X,3),DOTLINE;",
] + [path.read_text() for path in sorted(EXAMPLES.glob("*.txt"))]


@pytest.mark.parametrize("formula", FORMULAS)
def test_what_check_says_is_what_qxindex_check_says(formula, tool):
    printed = json.loads(tool("check", "--json", "-e", formula).stdout)
    info = qxscript.check(formula)
    assert [o.__dict__ for o in info.outputs] == [
        {"index": o["index"], "name": o["name"], "colour": o["colour"], "width": o["width"],
         "draw_type": o["drawType"], "draw_function": o["drawFunction"], "hidden": o["hidden"]}
        for o in printed["outputs"]]
    assert info.params == {p["name"]: p["value"] for p in printed["params"]}
    assert info.script == printed["script"]


def test_params_of_a_file_header_are_overridden_in_any_case():
    info = qxscript.check(EXAMPLES / "macd.txt", params={"MID": 5})
    assert info.params == {"short": 12.0, "long": 26.0, "mid": 5.0}
    assert qxscript.check("A:MA(C,N);", params=[("N", 3)]).params == {"n": 3.0}
    assert qxscript.check("指标:MA(C,5);").outputs[0].name == "指标"


@pytest.mark.parametrize("formula", [
    "A:MA CLOSE,5;",
    "A:C;\nB:O;\nX:Q;",
    "A:=A+1;",    # the library's own text for this one is Chinese in GBK
    "A:MA(C,5;",
    "",
])
def test_errors_carry_code_line_column_and_the_message_in_utf8(formula, tool):
    printed = json.loads(tool("check", "--json", "-e", formula).stdout)
    with pytest.raises(qxscript.FormulaError) as raised:
        qxscript.check(formula)
    error = raised.value
    assert (error.code, error.line, error.column, error.position, error.message) == (
        printed["code"], printed["line"] + 1, printed["column"], printed["position"],
        printed["text"])
    assert isinstance(error, ValueError) and f"error {error.code} at line {error.line}" in str(error)
    if formula == "A:=A+1;":
        assert error.message == "非法的指标自引用"


def test_bad_parameters_and_formula_types():
    with pytest.raises(TypeError):
        qxscript.check(42)
    with pytest.raises(TypeError):
        qxscript.check("A:C;", params={1: 2})
    with pytest.raises(ValueError):
        qxscript.check("A:C;", params={"N": "many"})
