"""The 32 built-in profiles: header values and the corrections to the
Prüfidentifikator list that the published AHBs need."""

# static, message type, release, AHB version, valid from, valid until,
# track, PID source, number of Anwendungsfälle, MIG publication date
PROFILES = [
    ("APERAK_FV20251001", "APERAK", "2.1i", "1.0", "2025-10-01", "2026-09-30", None, "bgm_de1004", 2, "2025-04-01"),
    ("APERAK_FV20261001", "APERAK", "2.2", "1.1", "2026-10-01", None, None, "bgm_de1004", 2, "2026-04-01"),
    ("COMDIS_FV20260401", "COMDIS", "1.0g", "1.0h", "2026-04-01", None, None, "rff_z13", 2, "2025-10-01"),
    ("CONTRL_FV20260101", "CONTRL", "2.0b", "1.0", "2026-01-01", None, None, "bgm_de1004", 3, None),
    ("IFTSTA_FV20251001", "IFTSTA", "2.0g", "2.0h", "2025-10-01", "2026-09-30", None, "rff_z13", 35, "2025-04-01"),
    ("IFTSTA_FV20261001", "IFTSTA", "2.1", "2.1", "2026-10-01", None, None, "rff_z13", 32, "2026-04-01"),
    ("INSRPT_FV20260101", "INSRPT", "1.1a", "1.1g", "2026-01-01", None, None, "rff_z13", 8, None),
    ("INVOIC_FV20260401", "INVOIC", "2.8e", "1.0a", "2026-04-01", "2026-09-30", None, "rff_z13", 11, "2025-10-01"),
    ("INVOIC_FV20261001", "INVOIC", "2.8e", "1.0b", "2026-10-01", None, None, "rff_z13", 11, "2026-04-01"),
    ("MSCONS_FV20260401", "MSCONS", "2.4c", "3.1g", "2026-04-01", "2026-09-30", None, "rff_z13", 25, "2025-10-01"),
    ("MSCONS_FV20261001", "MSCONS", "2.5", "3.2", "2026-10-01", None, None, "rff_z13", 25, "2026-04-01"),
    ("ORDCHG_FV20250401", "ORDCHG", "1.1", "1.0a", "2025-04-01", "2026-09-30", None, "rff_z13", 3, "2024-10-01"),
    ("ORDCHG_FV20261001", "ORDCHG", "1.2", "1.1", "2026-10-01", None, None, "rff_z13", 3, "2026-04-01"),
    ("ORDERS_FV20260401", "ORDERS", "1.4b", "1.1a", "2026-04-01", "2026-09-30", None, "rff_z13", 50, "2025-10-01"),
    ("ORDERS_FV20261001", "ORDERS", "1.4c", "1.1b", "2026-10-01", None, None, "rff_z13", 44, "2026-04-01"),
    ("ORDRSP_FV20260401", "ORDRSP", "1.4b", "1.1a", "2026-04-01", "2026-09-30", None, "rff_z13", 40, "2025-10-01"),
    ("ORDRSP_FV20261001", "ORDRSP", "1.4c", "1.1b", "2026-10-01", None, None, "rff_z13", 39, "2026-04-01"),
    ("PARTIN_FV20260401", "PARTIN", "1.0f", "1.0f", "2026-04-01", "2026-09-30", None, "rff_z13", 14, "2025-10-01"),
    ("PARTIN_FV20261001", "PARTIN", "1.1", "1.1", "2026-10-01", None, None, "rff_z13", 14, "2026-04-01"),
    ("PRICAT_FV20251001", "PRICAT", "2.0e", "2.0f", "2025-10-01", "2026-09-30", None, "rff_z13", 3, "2025-04-01"),
    ("PRICAT_FV20261001", "PRICAT", "2.1", "2.1", "2026-10-01", None, None, "rff_z13", 3, "2026-04-01"),
    ("QUOTES_FV20251001", "QUOTES", "1.3b", "1.1", "2025-10-01", "2026-09-30", None, "rff_z13", 5, "2025-04-01"),
    ("QUOTES_FV20261001", "QUOTES", "1.3c", "1.1a", "2026-10-01", None, None, "rff_z13", 5, "2026-04-01"),
    ("REMADV_FV20260401", "REMADV", "2.9e", "1.0a", "2026-04-01", None, None, "rff_z13", 4, "2025-10-01"),
    ("REQOTE_FV20251001", "REQOTE", "1.3c", "1.1", "2025-10-01", "2026-09-30", None, "rff_z13", 5, "2025-04-01"),
    ("REQOTE_FV20261001", "REQOTE", "1.3c", "1.2", "2026-10-01", None, None, "rff_z13", 5, "2026-04-01"),
    ("UTILMD_FV20251001", "UTILMD", "S2.1", "2.1", "2025-10-01", "2026-09-30", "Strom", "rff_z13", 187, "2025-04-01"),
    ("UTILMD_FV20260401_GAS", "UTILMD", "G1.1", "1.1", "2026-04-01", "2026-09-30", "Gas", "rff_z13", 94, "2025-10-01"),
    ("UTILMD_FV20261001", "UTILMD", "S2.2", "2.2", "2026-10-01", None, "Strom", "rff_z13", 189, "2026-04-01"),
    ("UTILMD_FV20261001_GAS", "UTILMD", "G1.2", "1.2", "2026-10-01", None, "Gas", "rff_z13", 89, "2026-04-01"),
    ("UTILTS_FV20250401", "UTILTS", "1.1e", "1.0", "2025-04-01", "2026-09-30", None, "rff_z13", 8, "2024-10-01"),
    ("UTILTS_FV20261001", "UTILTS", "1.1e", "1.1", "2026-10-01", None, None, "rff_z13", 8, "2026-04-01"),
]

# Prüfidentifikator bands of the message types.
BANDS = {
    "UTILMD": [(44000, 44999), (55000, 55999)],
    "MSCONS": [(13000, 13999)], "APERAK": [(29000, 29999)],
    "INVOIC": [(31000, 31999)], "REMADV": [(33000, 33999)],
    "ORDERS": [(17000, 17999)], "IFTSTA": [(21000, 21999)],
    "INSRPT": [(23000, 23999)], "REQOTE": [(35000, 35999)],
    "PARTIN": [(37000, 37999)], "ORDCHG": [(39000, 39999)],
    "ORDRSP": [(19000, 19999)], "QUOTES": [(15000, 15999)],
    "COMDIS": [(29000, 29999)], "PRICAT": [(27000, 27999)],
    "UTILTS": [(25000, 25999)], "CONTRL": [],
}

# APERAK's two Anwendungsfälle come without PID in the extract.
APERAK_PIDS = {"Fehlermeldung": 29001, "Anerkennungsmeldung": 29002}

# Rows of the extract that the AHB of the profile does not carry.
_GAS_DEFECTIVE = [44022, 44023, 44024, 44110, 44111, 44172]
DROP = {
    "IFTSTA_FV20261001": [21015, 21028, 21036],
    "ORDERS_FV20261001": [17103, 17104, 17207, 17208, 17209, 17210],
    "ORDRSP_FV20261001": [19104],
    "UTILMD_FV20261001_GAS": _GAS_DEFECTIVE,
}

# Anwendungsfälle of the AHB that the extract lacks: (pid, name, Kommunikation von).
ADD = {
    "UTILMD_FV20261001_GAS": [(44021, "Bestätigung Änderungsmeldung zur Bestandsliste", "NB an LF")],
    "UTILMD_FV20261001": [(55693, "Änderung Daten der TR", "LF an NB"),
                          (55694, "Rückmeldung/Anfrage Daten der TR", "NB an LF")],
}
