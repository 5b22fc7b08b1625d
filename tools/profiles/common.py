"""Condition texts that several AHBs share."""

FORMATS = {
    "902": "Format: Möglicher Wert: ≥ 0",
    "906": "Format: max. 3 Nachkommastellen",
    "910": "Format: Möglicher Wert: < 0 oder ≥ 0",
    "914": "Format: Möglicher Wert: > 0",
    "922": "Format: TR-ID",
    "930": "Format: max. 2 Nachkommastellen",
    "931": "Format: ZZZ = +00",
    "937": "Format: keine Nachkommastelle",
    "939": "Format: Die Zeichenkette muss die Zeichen @ und . enthalten",
    "940": "Format: Die Zeichenkette muss mit dem Zeichen + beginnen und danach dürfen nur noch Ziffern folgen",
    "950": "Format: Marktlokations-ID",
    "951": "Format: Zählpunktbezeichnung",
    "953": "Format: Marktlokations-ID oder Zählpunktbezeichnung",
    "960": "Format: Netzlokations-ID",
    "961": "Format: SR-ID",
}

HINWEISE = {
    "501": "Hinweis: Es ist die MP-ID des Absenders anzugeben.",
    "502": "Hinweis: Es ist die MP-ID des Empfängers anzugeben.",
    "503": "Hinweis: Verwendung der ID der Marktlokation",
    "504": "Hinweis: Verwendung der ID der Messlokation",
}


def merged(*maps, **extra):
    out = {}
    for m in maps:
        out.update(m)
    out.update(extra)
    return out
