"""The screen of docs/python.md: which symbols closed above their 20-day average on
their last bar, over a folder of bar files, one qxscript.calc per file."""
import dask
import dask.dataframe as dd
import pandas as pd
import pytest

import qxscript
from conftest import random_walk, write_csv

SCREEN = "MA20:MA(CLOSE,20); ABOVE:CLOSE>MA20;"


def screen_partition(bars):
    """One symbol's bars in, its verdict on the last bar out (an empty frame for an
    empty partition, which Dask also passes to learn the output's form)."""
    symbol = bars["symbol"].iloc[0] if len(bars) else ""
    frame = bars.drop(columns="symbol").set_index("date")
    values = qxscript.calc(SCREEN, frame).tail(1)
    return pd.DataFrame({"symbol": [symbol] * len(values), "close": frame["close"].tail(1).values,
                         "ma20": values["ma20"].values, "above": values["above"].values == 1})


@pytest.fixture(scope="module")
def folder(tmp_path_factory):
    path = tmp_path_factory.mktemp("symbols")
    for k in range(40):
        write_csv(random_walk(150 + k, seed=k), path / f"S{k:03d}.csv")
    return path


def expected_hits(folder):
    hits = set()
    for file in sorted(folder.glob("*.csv")):
        bars = pd.read_csv(file, parse_dates=["date"], index_col="date")
        last = qxscript.calc(SCREEN, bars).iloc[-1]
        if last["above"] == 1:
            hits.add(file.stem)
    return hits


@pytest.mark.parametrize("scheduler", ["synchronous", "threads"])
def test_the_screen_over_a_folder_with_dask(folder, scheduler):
    frames = dd.read_csv(str(folder / "*.csv"), include_path_column="symbol", blocksize=None,
                         parse_dates=["date"])
    frames["symbol"] = frames["symbol"].map(lambda p: p.rsplit("/", 1)[-1][:-4],
                                            meta=("symbol", object))
    meta = pd.DataFrame({"symbol": pd.Series(dtype=object), "close": pd.Series(dtype=float),
                         "ma20": pd.Series(dtype=float), "above": pd.Series(dtype=bool)})
    verdicts = frames.map_partitions(screen_partition, meta=meta)
    with dask.config.set(scheduler=scheduler):
        result = verdicts.compute()
    assert frames.npartitions == 40 and len(result) == 40
    hits = set(result.loc[result["above"], "symbol"])
    assert hits == expected_hits(folder) and 0 < len(hits) < 40
    assert (result["above"] == (result["close"] > result["ma20"])).all()
