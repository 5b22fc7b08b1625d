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
