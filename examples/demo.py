"""A short tour of quorvane: market identifiers, Fristen in Berlin time, releases and answer codes."""

import quorvane._native as q

malo = q.malo_from_base("5123869678")
print(f"MaLo-ID {malo}: valid={q.malo_is_valid(malo)}, {malo[:-1]}0 valid={q.malo_is_valid(malo[:-1] + '0')}")
print(f"Marktpartner-ID 9900357000004: authority={q.mp_id_authority('9900357000004')}")

print(f"2026-12-23 plus one Werktag: {q.add_werktage('2026-12-23', 1)}")
received = "2026-12-24T16:30:00+01:00"
print(f"CONTRL for a message received {received} is due {q.contrl_due_at(received)}")
print(f"APERAK (Strom) is due {q.aperak_strom_due_at(received)}")

for sparte in ("STROM", "GAS"):
    print(f"UTILMD {sparte} in force on 2026-10-01: {q.release_for('UTILMD', '2026-10-01', sparte)}")
print(f"Format versions: {', '.join(q.format_versions())}")
print(f"Answers to 55001: {q.answer_pids(55001)}")
for code in q.antwort_codes_for_pid(55001)[:3]:
    print(f"  {code!r}")

# Validation is always for a date: the date picks the format version in force. This MSCONS
# gives its value a unit, for which the 13002 column has no place (the AHB finding; "KWH" would
# draw it too), and writes it in lower case, which neither the MIG's codes nor the approved unit
# list admit (the MIG and semantic findings).
interchange = (
    b"UNB+UNOC:3+9900000000003:500+9900000000010:500+260501:1200+DEMO1'"
    b"UNH+1+MSCONS:D:04B:UN:2.4c'BGM+7+DOC1+9'DTM+137:202605011200?+00:303'RFF+Z13:13002'"
    b"NAD+MS+9900000000003::9'NAD+MR+9900000000010::9'UNS+D'NAD+DP'"
    b"LOC+172+DE00056266802AO6G56M11SN51G21M24S'RFF+MG:METER1'LIN+1'PIA+5+1-1?:1.8.0:SRW'"
    b"QTY+220:12.5:kwh'UNT+14+1'"
    b"UNZ+1+DEMO1'"
)
report = q.validate_edifact(interchange, "2026-05-01")
print(f"\n{report!r}\n  {report.envelope!r}")
for message in report.messages:
    print(f"  {message!r}")
    for finding in message.findings:
        print(f"    [{finding.rule_origin or '-'}] {finding.position or '-'}: {finding.rule_id} — {finding.message}")

# Building: a Lieferbeginn Anmeldung (55001) completed to its column, wrapped in an interchange
# and validated again for the same day.
sender, receiver = "9900357000004", "4012345000023"
# Beginn zum is the start of the German day: 22:00 UTC under summer time.
anmeldung = q.UtilmdTransaction(
    "VG-0001", transaktionsgrund="E01", dates=[("92", "202603312200+00")], locations=[("malo", malo)])
message = q.build_utilmd(55001, sender, receiver, on="2026-04-01", sparte="STROM", transactions=[anmeldung])
built = q.build_interchange(sender, receiver, "DEMO2", [message], on="2026-04-01", time="0800")
print(f"\nBuilt {len(built)} bytes: {built[:60].decode('latin-1')}…")
report = q.validate_edifact(built, "2026-04-01")
print(f"{report!r}")
for message in report.messages:
    print(f"  {message!r}")
    for vorgang in message.vorgaenge:
        print(f"    {vorgang!r}: Marktlokation {vorgang.location('malo')}")
    for finding in message.findings:
        print(f"    [{finding.rule_origin or '-'}] {finding.rule_id} — {finding.message}")
