import numpy as np
import pandas as pd
import pytest

import qxscript

FORMULAS = [
    "DIF:EMA(C,12)-EMA(C,26); DEA:EMA(DIF,9); MACD:(DIF-DEA)*2;",
    "A:MA(C,20); B:HHV(H,10); S:SUM(VOL,5); X:CROSS(C,A);",
    # Values of a zig-zag change as bars arrive: the whole history is calculated
    # again, not only the library's margin before the newest bar.
    "Z:ZIG(3,5);",
]


@pytest.mark.parametrize("formula", FORMULAS)
def test_bars_appended_one_at_a_time_equal_one_whole_calculation(formula, walk):
    # More bars than the first capacity, so the arrays grow on the way.
    bars = walk(700)
    live = qxscript.Calculator(formula)
    for when, row in bars.iterrows():
        newest = live.append(row)
    whole = qxscript.calc(formula, bars)
    pd.testing.assert_frame_equal(live.values(), whole, check_freq=False, check_names=False)
    assert newest == pytest.approx(whole.iloc[-1].to_dict(), nan_ok=True)


@pytest.mark.parametrize("formula", FORMULAS)
def test_a_forming_bar_updated_equals_the_bars_with_its_final_values(formula, walk):
    bars = walk(300)
    live = qxscript.Calculator(formula)
    for _, row in bars.iloc[:-1].iterrows():
        live.append(row)
    last = bars.iloc[-1]
    live.append(last * np.array([1, 1, 1, 0.97, 0.2]))
    for share in (0.99, 1.02, 1.0):
        forming = last.copy()
        forming["close"] = last["close"] * share
        forming["high"] = max(last["high"], forming["close"])
        live.update_last(forming)
    final = bars.copy()
    final.iloc[-1] = forming
    pd.testing.assert_frame_equal(live.values(), qxscript.calc(formula, final), check_freq=False,
                                  check_names=False)


def test_bars_without_times_and_the_order_of_times(walk):
    live = qxscript.Calculator("A:MA(C,2);")
    assert list(live.values().columns) == ["a"] and np.isnan(live.last()["a"])
    bar = {"OPEN": 1, "High": 2, "low": 0.5, "close": 1.5, "volume": 10}
    live.append(bar)
    assert live.append({**bar, "close": 2.5}) == {"a": 2.0}
    assert isinstance(live.values().index, pd.RangeIndex)
    with pytest.raises(ValueError, match="every bar"):
        live.append({**bar, "time": "2024-01-01"})

    timed = qxscript.Calculator("A:C;")
    timed.append({**bar, "time": "2024-01-02"})
    for wrong in ("2024-01-02", "2024-01-01"):
        with pytest.raises(ValueError, match="not after"):
            timed.append({**bar, "time": wrong})
    with pytest.raises(ValueError, match="not the newest"):
        timed.update_last({**bar, "time": "2024-01-03"})
    assert list(timed.values().index) == [pd.Timestamp("2024-01-02")]
