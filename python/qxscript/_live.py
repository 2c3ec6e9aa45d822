import math
from collections.abc import Mapping

import numpy as np
import pandas as pd

from . import _core
from ._bars import PRICE_COLUMNS, TIME_KEYS, wall_clock_nanoseconds
from ._calc import frame_of
from ._formula import formula_text, param_list


class Calculator:
    """A formula kept calculated while live bars arrive.

    append(bar) adds a new bar, update_last(bar) replaces the newest one while it
    is still forming; each calculates only that bar on top of what is calculated.
    A bar is a mapping (a dict, or a pandas Series such as a frame's row) with
    open, high, low, close, volume and optionally amount, in any case, and
    optionally its time under "time", "date" or "datetime" (or as a Series' name).
    Both return the newest bar's values as a dict; values() gives every bar's.
    """

    def __init__(self, formula, params=None):
        self._live = _core.LiveFormula(formula_text(formula), param_list(params))
        self._times = []
        self._has_times = None

    def __len__(self):
        return self._live.count()

    def append(self, bar):
        values, time = self._read(bar)
        if self._has_times is None:
            self._has_times = time is not None
        self._check_time(time, appending=True)
        self._live.append(values, time=None if time is None else self._nanoseconds(time))
        if time is not None:
            self._times.append(time)
        return self.last()

    def update_last(self, bar):
        if len(self) == 0:
            raise ValueError("update_last() needs a bar to update: append() one first")
        values, time = self._read(bar)
        self._check_time(time, appending=False)
        last = self._times[-1] if self._has_times else None
        self._live.update_last(values, time=None if last is None else self._nanoseconds(last))
        return self.last()

    def last(self):
        """The newest bar's values, {line: value}, NaN where there is none."""
        names = self._live.names()
        if len(self) == 0:
            return {name: math.nan for name in names}
        values = self._live.values(len(self) - 1, len(self) - 1)
        return {name: float(values[i, 0]) for i, name in enumerate(names)}

    def values(self):
        """Every bar's values as calc() gives them."""
        count = len(self)
        names = self._live.names()
        values = self._live.values(0, count - 1) if count else np.empty((len(names), 0))
        index = pd.DatetimeIndex(self._times) if self._has_times else pd.RangeIndex(count)
        return frame_of(names, values, index)

    @staticmethod
    def _nanoseconds(time):
        return int(wall_clock_nanoseconds([time])[0])

    @staticmethod
    def _read(bar):
        if not isinstance(bar, Mapping) and not isinstance(bar, pd.Series):
            raise TypeError(f"a bar is a mapping or a pandas Series, not {type(bar).__name__}")
        names = {str(key).lower(): key for key in bar.keys()}
        missing = [name for name in PRICE_COLUMNS if name not in names]
        if missing:
            raise ValueError(f"the bar has no {', '.join(repr(m) for m in missing)}")
        values = []
        for name in PRICE_COLUMNS + ("amount",):
            value = bar[names[name]] if name in names else math.nan
            try:
                values.append(float(value))
            except (TypeError, ValueError):
                raise TypeError(f"the bar's {name} is {value!r}, not a number") from None
        key = next((names[k] for k in TIME_KEYS if k in names), None)
        time = bar[key] if key is not None else None
        if time is None and isinstance(bar, pd.Series) and isinstance(bar.name, (pd.Timestamp, np.datetime64)):
            time = bar.name
        if time is not None:
            time = pd.Timestamp(time)
            if time is pd.NaT:
                raise ValueError("the bar's time is NaT")
        return values, time

    def _check_time(self, time, appending):
        if (time is not None) != self._has_times:
            raise ValueError("either every bar has a time or none has")
        if time is None or not self._times:
            return
        last = self._times[-1]
        if appending and self._nanoseconds(time) <= self._nanoseconds(last):
            raise ValueError(f"a new bar at {time} is not after the newest bar at {last}")
        if not appending and self._nanoseconds(time) != self._nanoseconds(last):
            raise ValueError(f"update_last() at {time} is not the newest bar at {last}")
