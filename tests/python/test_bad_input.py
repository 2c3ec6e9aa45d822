import numpy as np
import pandas as pd
import pytest

import qxscript


def _bars(walk):
    return walk(50)


def _with(frame, **changes):
    out = frame.copy()
    for name, value in changes.items():
        out[name] = value
    return out


BAD_BARS = [
    ("text prices", lambda b: _with(b, close=b["close"].astype(str)), TypeError, "close"),
    ("object prices", lambda b: _with(b, open=b["open"].astype(object)), TypeError, "open"),
    ("boolean volume", lambda b: _with(b, volume=b["volume"] > 5e5), TypeError, "volume"),
    ("no volume", lambda b: b.drop(columns="volume"), ValueError, "volume"),
    ("no columns", lambda b: b[[]], ValueError, "open"),
    ("columns equal but for case", lambda b: b.assign(Close=b["close"]), ValueError, "case"),
    ("unsorted", lambda b: b.iloc[::-1], ValueError, "earlier"),
    ("duplicate time", lambda b: b.set_axis(b.index[:1].append(b.index[:-1])), ValueError,
     "same time"),
    ("no time", lambda b: b.set_axis(b.index.where(np.arange(len(b)) != 7)), ValueError, "NaT"),
    ("a list", lambda b: b.to_numpy().tolist(), TypeError, "DataFrame"),
    ("arrays of two lengths", lambda b: {**{k: b[k].to_numpy() for k in b}, "close": np.ones(3)},
     ValueError, "close"),
    ("two-dimensional column", lambda b: {**{k: b[k].to_numpy() for k in b},
                                          "high": np.ones((50, 2))}, ValueError, "high"),
]


@pytest.mark.parametrize("make, error, word", [c[1:] for c in BAD_BARS], ids=[c[0] for c in BAD_BARS])
def test_bad_bars_raise_a_clear_exception(make, error, word, walk):
    bars = make(_bars(walk))
    for call in (lambda: qxscript.calc("A:C;", bars), lambda: qxscript.svg("A:C;", bars),
                 lambda: qxscript.draw_records("A:C;", bars)):
        with pytest.raises(error, match=word):
            call()


def test_nan_prices_are_bars_without_a_value(walk):
    bars = walk(60)
    bars.iloc[[10, 30], bars.columns.get_loc("close")] = np.nan
    result = qxscript.calc("A:C; M:MA(C,3); X:H;", bars)
    assert result["a"].isna().sum() == 2
    assert result["m"].iloc[10:13].isna().all() and not np.isnan(result["m"].iloc[13])
    assert not result["x"].isna().any()
    assert not np.isinf(result.to_numpy()).any()
    # The nullable dtype of pandas: NA is a missing price too.
    nullable = walk(20).astype({"close": "Float64"})
    nullable.iloc[4, nullable.columns.get_loc("close")] = pd.NA
    assert qxscript.calc("A:C;", nullable)["a"].isna().sum() == 1


def test_empty_bars_give_an_empty_frame_with_the_formula_columns(walk):
    empty = walk(10).iloc[:0]
    result = qxscript.calc("A:MA(C,5); B:EMA(C,3); DRAWTEXT(C>O,L,'X');", empty)
    assert list(result.columns) == ["a", "b"] and len(result) == 0
    assert (result.dtypes == np.float64).all()
    with pytest.raises(ValueError, match="no bars"):
        qxscript.svg("A:C;", empty)


def test_a_formula_error_wins_over_the_bars_and_a_calculator_refuses_bad_bars(walk):
    with pytest.raises(qxscript.FormulaError):
        qxscript.calc("A:MA(C;", walk(5))
    with pytest.raises(qxscript.FormulaError):
        qxscript.Calculator("A:MA(C;")
    live = qxscript.Calculator("A:C;")
    for bar, error in [({"open": 1, "high": 1, "low": 1}, ValueError),
                       ({"open": 1, "high": 1, "low": 1, "close": "x", "volume": 1}, TypeError),
                       ([1, 2, 3, 4, 5], TypeError)]:
        with pytest.raises(error):
            live.append(bar)
    with pytest.raises(ValueError, match="append"):
        live.update_last({"open": 1, "high": 1, "low": 1, "close": 1, "volume": 1})
    assert len(live) == 0
