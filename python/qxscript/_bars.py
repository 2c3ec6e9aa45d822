"""Bars from a pandas frame or a dict of arrays, as the columns the library reads.

Every step here is one NumPy operation over a whole column; no Python code runs
per bar. Columns already float64 and contiguous are handed over without a copy.
"""
from collections.abc import Mapping

import numpy as np
import pandas as pd

PRICE_COLUMNS = ("open", "high", "low", "close", "volume")
OPTIONAL_COLUMNS = ("amount",)
TIME_KEYS = ("time", "date", "datetime")


class Bars:
    """Columns for the library (`columns`, with int64 wall-clock nanoseconds under
    "time" when the bars have times) and the index results are labelled with."""

    def __init__(self, columns, index):
        self.columns = columns
        self.index = index

    def __len__(self):
        return len(self.index)


def _numeric(name, values):
    if isinstance(values, pd.Series) and pd.api.types.is_extension_array_dtype(values.dtype):
        if not pd.api.types.is_numeric_dtype(values.dtype) or pd.api.types.is_bool_dtype(values.dtype):
            raise TypeError(f"column '{name}' holds {values.dtype}, not numbers")
        return values.to_numpy(dtype=np.float64, na_value=np.nan)
    array = np.asarray(values)
    if array.ndim != 1:
        raise ValueError(f"column '{name}' must be one-dimensional, not of shape {array.shape}")
    if array.dtype.kind not in "iuf":
        raise TypeError(f"column '{name}' holds {array.dtype}, not numbers")
    return np.ascontiguousarray(array, dtype=np.float64)


def wall_clock_nanoseconds(times):
    """int64 nanoseconds of the wall-clock times a DatetimeIndex shows (an aware
    index keeps the wall clock of its own zone), without a copy for an index
    without a zone. NaT stays the smallest int64, which the compiled part refuses
    along with times out of order."""
    index = pd.DatetimeIndex(times)
    if index.tz is not None:
        index = index.tz_localize(None)
    return np.ascontiguousarray(index.asi8, dtype=np.int64)


def _by_lower_name(keys):
    names = {}
    for key in keys:
        lower = str(key).lower()
        if lower in names:
            raise ValueError(f"columns '{names[lower]}' and '{key}' differ only in case")
        names[lower] = key
    return names


def read_bars(bars):
    """Bars from a DataFrame (columns in any case; the times from a DatetimeIndex,
    else from a column "time", "date" or "datetime") or a mapping of arrays (the
    times, if any, under one of those names; they then index the results)."""
    if isinstance(bars, pd.DataFrame):
        source, index = bars, bars.index
        times = index if isinstance(index, pd.DatetimeIndex) else None
    elif isinstance(bars, Mapping):
        source = bars
        index, times = None, None
    else:
        raise TypeError(f"bars are a pandas DataFrame or a dict of arrays, "
                        f"not {type(bars).__name__}")
    names = _by_lower_name(source.keys())
    missing = [name for name in PRICE_COLUMNS if name not in names]
    if missing:
        raise ValueError(f"the bars have no column {', '.join(repr(m) for m in missing)}"
                         f" (they have {', '.join(repr(str(k)) for k in source.keys()) or 'none'})")
    columns = {name: _numeric(name, source[names[name]])
               for name in PRICE_COLUMNS + OPTIONAL_COLUMNS if name in names}
    count = len(columns["close"])
    for name, array in columns.items():
        if len(array) != count:
            raise ValueError(f"column '{name}' has {len(array)} bars, 'close' has {count}")
    if times is None:
        # A frame read without its dates as the index still has them in a column.
        key = next((names[k] for k in TIME_KEYS if k in names), None)
        if key is not None:
            times = np.asarray(source[key])
            if len(times) != count:
                raise ValueError(f"'{key}' has {len(times)} times for {count} bars")
            if times.dtype.kind != "M" and times.dtype != object:
                raise TypeError(f"'{key}' holds {times.dtype}, not times")
            times = pd.DatetimeIndex(times)
            if index is None:
                index = times
    if index is None:
        index = pd.RangeIndex(count)
    if times is not None:
        columns["time"] = wall_clock_nanoseconds(times)
    return Bars(columns, index)


def positions(index, start, end):
    """Positions first..last of the bars from start to end, both included: whole
    numbers are positions (negative ones count from the end), anything else a
    label of the index, as in `frame.loc[start:end]`."""
    count = len(index)

    def is_position(value):
        return value is None or (isinstance(value, (int, np.integer)) and not isinstance(value, bool))

    if is_position(start) and is_position(end):
        first = 0 if start is None else int(start)
        last = count - 1 if end is None else int(end)
        if first < 0:
            first += count
        if last < 0:
            last += count
        if count and not (0 <= first < count and 0 <= last < count):
            raise IndexError(f"bars {start}..{end} are not within the {count} bars")
        return first, last
    span = index.slice_indexer(start, end)
    first, stop, _ = span.indices(count)
    return first, stop - 1
