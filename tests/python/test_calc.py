import io
import os
import time

import numpy as np
import pandas as pd
import pytest

import qxscript
from conftest import AAPL, EXAMPLES

EXAMPLE_FORMULAS = sorted(EXAMPLES.glob("*.txt"))


@pytest.fixture(scope="module")
def aapl_exact():
    # Round-trip parsing, so that the frame holds the very doubles qxindex reads.
    return pd.read_csv(AAPL, parse_dates=["date"], index_col="date", float_precision="round_trip")


@pytest.mark.parametrize("path", EXAMPLE_FORMULAS, ids=lambda p: p.stem)
def test_every_example_gives_what_qxindex_calc_prints(path, aapl_exact, tool):
    printed = pd.read_csv(io.StringIO(tool("calc", path, "--bars", AAPL).stdout),
                          float_precision="round_trip")
    result = qxscript.calc(path, aapl_exact)
    assert list(result.columns) == list(printed.columns[2:])
    assert (result.index == aapl_exact.index).all()
    for name in result.columns:
        np.testing.assert_array_equal(result[name].to_numpy(), printed[name].to_numpy(), err_msg=name)
        assert result[name].dtype == np.float64


def test_rows_chosen_by_position_or_label_are_those_of_the_whole_series(walk):
    bars = walk(300)
    whole = qxscript.calc("A:EMA(C,20); B:MA(C,50);", bars)
    cases = [
        ({"start": 100, "end": 199}, whole.iloc[100:200]),
        ({"start": -10}, whole.iloc[-10:]),
        ({"start": "2020-03-01", "end": "2020-03-31"}, whole.loc["2020-03-01":"2020-03-31"]),
        ({"end": bars.index[5]}, whole.iloc[:6]),
        ({"start": "2030-01-01"}, whole.iloc[:0]),
    ]
    for selection, expected in cases:
        pd.testing.assert_frame_equal(qxscript.calc("A:EMA(C,20); B:MA(C,50);", bars, **selection),
                                      expected, check_freq=False, obj=str(selection))
    with pytest.raises(IndexError):
        qxscript.calc("A:C;", bars, start=300)


def test_dict_of_arrays_and_any_column_case_give_the_same_values(walk):
    bars = walk(120)
    expected = qxscript.calc("A:MA(C,10); W:VOL;", bars)
    shouted = bars.rename(columns=str.upper)
    pd.testing.assert_frame_equal(qxscript.calc("A:MA(C,10); W:VOL;", shouted), expected)
    arrays = {name: bars[name].to_numpy().astype(np.float32 if name == "volume" else float)
              for name in bars.columns}
    plain = qxscript.calc("A:MA(C,10); W:VOL;", arrays)
    assert isinstance(plain.index, pd.RangeIndex)
    np.testing.assert_array_equal(plain.to_numpy(), expected.to_numpy())
    dated = qxscript.calc("A:MA(C,10); W:VOL;", {**arrays, "Date": bars.index.to_numpy()})
    assert (dated.index == bars.index).all()
    # Dates in a column rather than the index: the dates count, the index stays.
    in_column = qxscript.calc("D:DATE;", bars.reset_index())
    assert isinstance(in_column.index, pd.RangeIndex)
    np.testing.assert_array_equal(in_column["d"], qxscript.calc("D:DATE;", bars)["d"])
    assert not in_column["d"].isna().any()


def test_params_override_header_defaults(walk):
    bars = walk(100)
    ten = qxscript.calc("{params: N=5}\nA:MA(C,N);", bars, params={"N": 10})
    np.testing.assert_array_equal(ten["a"], qxscript.calc("A:MA(C,10);", bars)["a"])


@pytest.mark.parametrize("zone", ["UTC", "CST-8", "EST+5EDT,M3.2.0,M11.1.0"])
def test_dates_are_the_wall_clock_of_the_index_in_any_zone(zone, walk):
    bars = walk(400, start="2021-03-01 09:30", freq="6h")
    old = os.environ.get("TZ")
    os.environ["TZ"] = zone
    time.tzset()
    try:
        result = qxscript.calc("D:DATE; T:TIME; Y:YEAR; K:REFDATE(C,1210401);", bars)
    finally:
        if old is None:
            del os.environ["TZ"]
        else:
            os.environ["TZ"] = old
        time.tzset()
    index = bars.index
    expected_date = (index.year - 1900) * 10000 + index.month * 100 + index.day
    np.testing.assert_array_equal(result["d"], expected_date)
    np.testing.assert_array_equal(result["t"], index.hour * 100 + index.minute)
    np.testing.assert_array_equal(result["y"], index.year)
    # The bar of a date is the last one at or before its midnight.
    found = np.searchsorted(index, pd.Timestamp("2021-04-01"), "right") - 1
    assert result["k"].iloc[-1] == bars["close"].iloc[found]


def test_the_gil_is_released_while_the_library_calculates(walk):
    import threading
    bars = walk(200_000, freq="min")
    ticks = []
    done = threading.Event()

    def tick():
        while not done.is_set():
            ticks.append(1)
            time.sleep(0.001)

    ticker = threading.Thread(target=tick)
    ticker.start()
    try:
        qxscript.calc("A:MA(C,20); B:STD(C,20); D:EMA(C,50);", bars)
    finally:
        done.set()
        ticker.join()
    assert len(ticks) > 5
