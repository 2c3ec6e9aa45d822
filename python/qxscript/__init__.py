"""Indicator formulas over pandas and NumPy bars.

check() parses a formula, calc() calculates it over a frame of bars, Calculator
keeps it calculated while live bars arrive, draw_records() and svg() give its
drawing records and the chart that `qxindex draw` paints.
"""

from ._calc import calc
from ._draw import draw_records, svg
from ._errors import FormulaError
from ._formula import FormulaInfo, Output, check
from ._live import Calculator

__all__ = ["Calculator", "FormulaError", "FormulaInfo", "Output", "calc", "check",
           "draw_records", "svg"]
