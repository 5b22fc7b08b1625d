"""Status cells from the expressions of the AHB tables, with the tables' known slips mended."""

import re

STATUS_WORDS = ("Muss", "Soll", "Kann", "X", "M", "S", "K")


def _mend(text):
    # 55692 ends one expression in "[2080]]": a doubled bracket.
    text = re.sub(r"\]\]+", "]", text)
    # REMADV 33003 writes "[92 ]": a stray blank inside a condition reference.
    text = re.sub(r"\[\s*([^\]\s]+)\s*\]", r"[\1]", text)
    # PARTIN 37014 and UTILMD 55077 write the status "x" in lower case.
    text = re.sub(r"^x(?=\s|$|\[)", "X", text)
    # a few cells glue the status word to its condition ("X[28]")
    text = re.sub(r"^(Muss|Soll|Kann|X|M|S|K)(?=[\[(])", r"\1 ", text)
    # INVOIC 31011 writes the operator ∨ as the letter "V"
    text = re.sub(r"(?<=[\])])\s+V\s+(?=[\[(])", " ∨ ", text)
    # some cells carry doubled blanks between operands
    return " ".join(text.split())


def cells(expr):
    """The status cells of one expression. CR LF separates two cells, except where the part
    after it starts with an operator or no status word: there it only wraps a long expression."""
    out = []
    # IFTSTA 21038 writes two cells on one line: "Muss [56] ∧ [58] Soll [71]"
    parts = [p for line in expr.split("\r\n") for p in re.split(r"(?<=\])\s+(?=(?:Muss|Soll|Kann)\b)", line)]
    for part in parts:
        part = part.strip()
        if not part:
            continue
        word = re.match(r"[^\s\[(]*", part).group(0)
        if out and (part[0] in "∧∨⊻" or word.lower() not in [w.lower() for w in STATUS_WORDS]):
            out[-1] = out[-1] + " " + part
        else:
            out.append(part)
    return [_mend(c) for c in out]
