import os
import subprocess
from pathlib import Path

import numpy as np
import pandas as pd
import pytest

SOURCE_DIR = Path(os.environ.get("QX_SOURCE_DIR", Path(__file__).resolve().parents[2]))
AAPL = SOURCE_DIR / "data" / "aapl_2013_2018.csv"
EXAMPLES = SOURCE_DIR / "examples"


@pytest.fixture(scope="session")
def aapl():
    return pd.read_csv(AAPL, parse_dates=["date"], index_col="date")


def random_walk(count, seed=7, start="2020-01-01", freq="D"):
    """Consistent OHLCV bars of a random walk, with a DatetimeIndex."""
    rng = np.random.default_rng(seed)
    close = 100 * np.exp(np.cumsum(rng.normal(0, 0.01, count)))
    open_ = np.concatenate([[100.0], close[:-1]])
    spread = rng.uniform(0, 0.005, (2, count))
    return pd.DataFrame({
        "open": open_,
        "high": np.maximum(open_, close) * (1 + spread[0]),
        "low": np.minimum(open_, close) * (1 - spread[1]),
        "close": close,
        "volume": np.floor(rng.uniform(1e5, 1e6, count)),
    }, index=pd.date_range(start, periods=count, freq=freq, name="date"))


@pytest.fixture
def walk():
    return random_walk


def write_csv(frame, path):
    """Bars in the CSV form `qxindex` reads."""
    out = frame.copy()
    out.index = out.index.strftime("%Y-%m-%d")
    out.index.name = "date"
    out.to_csv(path, float_format="%.17g")


def qxindex(*args):
    tool = os.environ.get("QX_QXINDEX")
    if not tool:
        pytest.skip("QX_QXINDEX names no qxindex binary")
    # Bytes, so that line ends stay as the tool wrote them.
    done = subprocess.run([tool, *map(str, args)], capture_output=True)
    done.stdout, done.stderr = done.stdout.decode(), done.stderr.decode()
    return done


@pytest.fixture
def tool():
    return qxindex


@pytest.fixture
def csv_of(tmp_path):
    def write(frame, name="bars.csv"):
        path = tmp_path / name
        write_csv(frame, path)
        return path
    return write
