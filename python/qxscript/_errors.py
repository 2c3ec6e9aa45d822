class FormulaError(ValueError):
    """The library refused a formula: its error code, where, and why.

    `line` counts from 1; `column` and `position` are the library's own numbers.
    """

    def __init__(self, message, code, line, column, position):
        super().__init__(f"error {code} at line {line}, column {column}: {message}")
        self.message = message
        self.code = code
        self.line = line
        self.column = column
        self.position = position
