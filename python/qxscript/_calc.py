import numpy as np
import pandas as pd

from . import _core
from ._bars import positions, read_bars
from ._formula import formula_text, param_list


def frame_of(names, values, index):
    """A frame of one float64 column per line over `values` (lines x bars), which
    pandas keeps as its block without copying."""
    return pd.DataFrame(values.T, index=index, columns=pd.Index(names, dtype=object), copy=False)


def calc(formula, bars, params=None, start=None, end=None):
    """Calculates a formula over bars; one float64 column per value line, NaN
    where the library has no value, indexed like the bars.

    `bars` is a DataFrame with columns open, high, low, close, volume and
    optionally amount (any case), or a dict of such arrays. The whole series is
    calculated; `start` and `end` (positions or index labels, both included)
    choose the rows returned.
    """
    text = formula_text(formula)
    read = read_bars(bars)
    first, last = positions(read.index, start, end)
    if len(read) == 0:
        first, last = 0, -1
    names, values, _, _ = _core.calc(text, param_list(params), read.columns, first, last)
    return frame_of(names, values, read.index[first:last + 1])
