"""Reads built EDIFACT back into segments for the build tests: default service characters, no UNA."""


def split(data, encoding="utf-8"):
    """[[tag, [component, ...], ...], ...]: each segment as its tag and its data elements."""
    text = data.decode(encoding) if isinstance(data, (bytes, bytearray)) else data
    segments, elements, components, current = [], [], [], []
    index = 0
    while index < len(text):
        char = text[index]
        if char == "?" and index + 1 < len(text):
            current.append(text[index + 1])
            index += 2
            continue
        if char in "+:'":
            components.append("".join(current))
            current = []
            if char != ":":
                elements.append(components)
                components = []
            if char == "'":
                segments.append([elements[0][0]] + elements[1:])
                elements = []
        else:
            current.append(char)
        index += 1
    assert not current and not elements, f"unterminated segment at the end of {text!r}"
    return segments


def tagged(segments, tag, qualifier=None):
    """The segments with this tag (and this first component of the first element)."""
    return [s for s in segments if s[0] == tag and (qualifier is None or (len(s) > 1 and s[1][0] == qualifier))]
