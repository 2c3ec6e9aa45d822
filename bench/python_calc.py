"""qxscript.calc of MACD on a million bars against the library's own time.

Run with the module importable (bench/python-calc.sh builds it in Release). The
figures are medians over several calls in wall time on the same bars, and the
module's share is read per call, so that a busy machine slows both alike:

  library   the library's Calculate and publishing, and with GetValues, the
            reading of the values out, timed inside each call
  module    the whole qxscript.calc call: reading the frame, parsing,
            calculating, copying the values out, building the result frame
  qxindex   the same formula through `qxindex calc` on the same bars as CSV,
            reading and printing included (given its path as the first argument)
"""
import statistics
import subprocess
import sys
import tempfile
import time
import types
from pathlib import Path

import numpy as np
import pandas as pd

import qxscript
from qxscript import _core
from qxscript._bars import read_bars

MACD = "DIF:EMA(C,12)-EMA(C,26); DEA:EMA(DIF,9); MACD:(DIF-DEA)*2;"
BARS = 1_000_000
RUNS = 15


def random_walk(count, seed=20261206):
    rng = np.random.default_rng(seed)
    close = np.maximum(1.0, 100 * np.exp(np.cumsum(rng.normal(0, 0.01, count))))
    open_ = np.concatenate([[100.0], close[:-1]])
    spread = rng.uniform(0, 0.005, (2, count))
    index = pd.date_range("1990-01-01", periods=count, freq="min", name="date")
    return pd.DataFrame({"open": open_, "high": np.maximum(open_, close) * (1 + spread[0]),
                         "low": np.minimum(open_, close) * (1 - spread[1]), "close": close,
                         "volume": np.floor(rng.uniform(1e5, 1e6, count))}, index=index)


def median_seconds(call, runs=RUNS):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        call()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def split_calls(bars, runs=RUNS):
    """(library, module) seconds of each qxscript.calc call, the library's share
    read from the same call, so that a busy machine slows both alike."""
    real = _core.calc
    shares = []

    def recording(*args):
        result = real(*args)
        shares.append((result[2], result[3]))
        return result

    qxscript._calc._core = types.SimpleNamespace(calc=recording)
    try:
        totals = [median_seconds(lambda: qxscript.calc(MACD, bars), 1) for _ in range(runs)]
    finally:
        qxscript._calc._core = _core
    return list(zip(shares, totals))


def main():
    bars = random_walk(BARS)
    calls = split_calls(bars)
    library = [calc for (calc, _), _ in calls]
    rows = [("library: Calculate + UpdateDisplayData", library),
            ("library: the same + GetValues of the three lines",
             [calc + read for (calc, read), _ in calls]),
            ("qxscript.calc (DataFrame in, DataFrame out)", [total for _, total in calls])]
    if len(sys.argv) > 1:
        with tempfile.TemporaryDirectory() as folder:
            csv = Path(folder) / "bars.csv"
            formula = Path(folder) / "macd.txt"
            formula.write_text(MACD)
            frame = bars.copy()
            frame.index = frame.index.strftime("%Y-%m-%d %H:%M")
            frame.to_csv(csv, float_format="%.17g")
            tool = lambda: subprocess.run([sys.argv[1], "calc", formula, "--bars", csv],
                                          check=True, stdout=subprocess.DEVNULL)
            rows.append(("qxindex calc (CSV in, CSV out)", [median_seconds(tool, 3)] * len(calls)))
    print(f"MACD on {BARS:,} bars, {len(calls)} calls, wall time; medians over the calls, the "
          f"last column of each call against the library's calculation in that call")
    print()
    print("| Path | ms | ns/bar | over the calculation |")
    print("|---|---|---|---|")
    for name, seconds in rows:
        median = statistics.median(seconds)
        over = statistics.median(s / c - 1 for s, c in zip(seconds, library))
        print(f"| {name} | {median * 1e3:.1f} | {median * 1e9 / BARS:.0f} | {over * 100:+.1f}% |")


if __name__ == "__main__":
    main()
