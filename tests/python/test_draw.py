import json

import pytest

import qxscript
from conftest import AAPL, EXAMPLES

CHARTS = [
    # formula, extra options of qxindex draw, keywords of qxscript.svg
    ("macd.txt", [], {}),
    ("ma_cross.txt", ["--overlay", "--from", 1000, "--to", 1250, "--size", "900x600"],
     {"overlay": True, "start": 1000, "end": 1250, "size": (900, 600)}),
    ("boll.txt", ["--overlay", "--shapes", EXAMPLES / "shapes-fib.json", "--from", 1000,
                  "--to", 1250], {"overlay": True, "start": 1000, "end": 1250,
                                  "shapes": json.loads((EXAMPLES / "shapes-fib.json").read_text())}),
    ("drawing.txt", [], {}),
]


@pytest.mark.parametrize("name, options, keywords", CHARTS, ids=[c[0] for c in CHARTS])
def test_svg_and_records_are_those_of_qxindex_draw(name, options, keywords, aapl, tool, tmp_path):
    formula = EXAMPLES / name
    drawn, records = tmp_path / "tool.svg", tmp_path / "tool.json"
    message = tool("draw", formula, "--bars", AAPL, "-o", drawn, "--records", records,
                   *options).stderr
    first, last = (int(n) for n in message.split("(bars ")[1].split(",")[0].split(".."))
    dates = f"{aapl.index[first]:%Y-%m-%d} .. {aapl.index[last]:%Y-%m-%d}"
    title = f"{formula}  |  {AAPL}  {dates}"
    ours = tmp_path / "ours.svg"
    text = qxscript.svg(formula, aapl, title=title, path=ours, **keywords)
    assert text == drawn.read_text() == ours.read_text()
    assert qxscript.draw_records(formula, aapl, **keywords) == json.loads(records.read_text())


def test_records_are_plain_python_values(aapl):
    records = qxscript.draw_records("A:MA(C,5),COLORRED; DRAWTEXT(C>O,L,'UP');", aapl,
                                    start=-20)
    assert len(records) == 2
    json.dumps(records)  # nothing but dicts, lists, text and numbers
    assert "UP" in json.dumps(records)


def test_shapes_alone_and_bad_shapes(aapl):
    shapes = [{"kind": "QX_GRAPH_LINE_SEGMENT",
               "points": [{"bar": 1300, "price": 150}, {"bar": 1350, "price": 170}]}]
    assert "<svg" in qxscript.svg(None, aapl, shapes=shapes)
    with pytest.raises(ValueError, match="kind"):
        qxscript.svg(None, aapl, shapes=[{"kind": "NO_SUCH_TOOL", "points": []}])
    with pytest.raises(ValueError, match="nothing to draw"):
        qxscript.svg(None, aapl)
