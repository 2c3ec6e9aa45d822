import json

from . import _core
from ._bars import positions, read_bars
from ._formula import formula_text, param_list

# The visible bars when none are named, as `qxindex draw` shows them.
DEFAULT_VISIBLE_BARS = 250


def _visible(read, start, end):
    if start is None:
        _, last = positions(read.index, None, end)
        return max(0, last - DEFAULT_VISIBLE_BARS + 1), last
    return positions(read.index, start, end)


def _draw(formula, bars, params, start, end, overlay, size, shapes, magnet, title, render):
    read = read_bars(bars)
    if len(read) == 0:
        raise ValueError("there are no bars to draw")
    first, last = _visible(read, start, end)
    text = None if formula is None else formula_text(formula)
    if text is None and not shapes:
        raise ValueError("nothing to draw: give a formula or shapes")
    if title is None:
        title = _default_title(read, first, last)
    width, height = size
    shapes_json = json.dumps(list(shapes)) if shapes else ""
    return _core.draw(text, param_list(params), read.columns, first, last, bool(overlay),
                      int(width), int(height), title, shapes_json, bool(magnet), render)


def _default_title(read, first, last):
    if "time" not in read.columns:
        return f"formula  |  bars {first} .. {last}"
    index = read.index
    intraday = bool((read.columns["time"] % 86_400_000_000_000).any())
    pattern = "%Y-%m-%d %H:%M" if intraday else "%Y-%m-%d"
    return f"formula  |  {index[first].strftime(pattern)} .. {index[last].strftime(pattern)}"


def draw_records(formula, bars, params=None, start=None, end=None, overlay=False,
                 size=(1200, 800), shapes=None, magnet=False):
    """The drawing records of the visible bars (by default the newest 250), as the
    library returns them, each a dict of plain values: the formula's records, then
    those of the drawing tools in `shapes` (the JSON form of `qxindex draw
    --shapes`, as Python lists and dicts). The tools are placed over the price
    panel of the chart svg() paints with the same keywords, so their records
    depend on its size and on `overlay`."""
    records, _ = _draw(formula, bars, params, start, end, overlay, size, shapes, magnet, "",
                       False)
    return json.loads(records)


def svg(formula, bars, params=None, start=None, end=None, overlay=False, size=(1200, 800),
        shapes=None, magnet=False, title=None, path=None):
    """The SVG chart that `qxindex draw` paints: candlesticks of the visible bars
    (by default the newest 250), the formula's records in a panel of their own or,
    with `overlay`, over the prices, and the drawing tools of `shapes`. Returns the
    SVG text and writes it to `path` when given."""
    _, text = _draw(formula, bars, params, start, end, overlay, size, shapes, magnet, title, True)
    if path is not None:
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
    return text
