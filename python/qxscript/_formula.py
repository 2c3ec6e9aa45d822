import os
from dataclasses import dataclass
from typing import Dict, List, Optional

from . import _core


@dataclass(frozen=True)
class Output:
    """One drawing statement of a formula: an output line or a drawing call."""
    index: int
    name: str            # empty for statements without a name
    colour: Optional[str]  # "#rrggbb", or None when the formula gives none
    width: int
    draw_type: int
    draw_function: bool
    hidden: bool


@dataclass(frozen=True)
class FormulaInfo:
    outputs: List[Output]
    params: Dict[str, float]
    script: str          # the internal script the library compiles


def formula_text(formula):
    """The text of a formula given as text or as the path of a file."""
    if isinstance(formula, os.PathLike):
        with open(formula, encoding="utf-8") as f:
            return f.read()
    if not isinstance(formula, str):
        raise TypeError(f"a formula is text or a path, not {type(formula).__name__}")
    return formula


def param_list(params):
    """[(name, value)] of a dict or of a sequence of pairs."""
    if params is None:
        return []
    items = params.items() if hasattr(params, "items") else params
    pairs = []
    for item in items:
        name, value = item
        if not isinstance(name, str):
            raise TypeError(f"a parameter's name is text, not {type(name).__name__}")
        pairs.append((name, float(value)))
    return pairs


def check(formula, params=None):
    """Parses a formula (text or path) and tells what the library understood.

    Parameters come from a "{params: N=12}" header of the formula, overridden by
    `params` (a dict or pairs). A refused formula raises FormulaError.
    """
    info = _core.check(formula_text(formula), param_list(params))
    return FormulaInfo(outputs=[Output(**o) for o in info["outputs"]],
                       params=dict(info["params"]), script=info["script"])
