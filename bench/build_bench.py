#!/usr/bin/env python3
"""Throughput of the Python build functions on one core: build_utilmd with completion to the
55001 column, build_mscons with 96 quarter-hour values, build_interchange around them. Prints
messages per second and times; nothing here is asserted.

Then the growth with the number of Vorgänge: build_answer (55002, and the gas answer 44002, given the
Messlokation it names beside the request's Meldepunkt) to a received UTILMD of k Vorgänge (an IDE+24 and its Lokation), for k up to the most whose answer the reader takes
(720 and 144), and build_utilmd with k Vorgänge, for k = 72 to 580: seconds per call and the
ratio for four times the input, and the peak memory of one call with the most Vorgänge in a fresh
interpreter. Last, what refusing a build_utilmd of k Vorgänge whose last one the column rejects
costs beside the clean build of as many, the same for a build_answer whose last received Vorgang
carries a faulty Marktlokation (bare, and with four optional arguments), refusing build_utilmd 55168
of too many Vorgänge (alike, and each naming its own Messlokation), refusing the gas answer to 9,990
Vorgänge, too large for the reader, and to Vorgänge lacking the Messlokation it must name, and the answers to the
largest requests whose answers it takes.
Then build_answer to requests whose groups build_utilmd's completion filled, which the answer carries, of many
Vorgänge and of one, and to requests whose NAD+Z05 group stands far more often than the reader places it. Last,
build_utilmd naming one Marktlokation per Vorgang, beside which completion writes sample Lokationen that the build
leaves out where the column does without them (55168, 55043, 55169), with twice the Vorgänge;
`python3 bench/build_bench.py sampled` runs these rows alone, `scaling` the growth rows. Last, build_answer to
Vorgänge of two shapes given the Lokationen some of them need, `mixed` alone, to Vorgänge each with its customer's own
names given a Messlokation, and refusing tens of thousands of references, `own_names` alone.

Runs against whatever `quorvane` the interpreter imports (make bench installs the wheel first). With
QUORVANE_PEER naming another build's _native*.so, that build is loaded beside it, and the rows of the
carried answers and of the sample Lokationen time both, alternating, and print their ratio.
"""

import datetime
import importlib.util
import os
import pathlib
import subprocess
import sys
import time

import quorvane._native as q

MS, MR = "9900357000004", "4012345000023"
ON = "2026-04-01"
TARGET_UTILMD_PER_SECOND = 5000
# The most Vorgänge stay within the reader's 10,000 segments: 587 for build_utilmd (17 segments
# each), 768 for the refusals' 55002 (13 each).
REFUSAL_COUNTS = (100, 200, 400, 580)
# The parties of the received interchange: the answer goes from its recipient back to its sender.
RECEIVED_FROM, RECEIVED_BY = "9900000000003", "9900000000010"


def per_second(call, seconds=2.0):
    call()  # the first call builds the catalogue
    count, start = 0, time.perf_counter()
    while (elapsed := time.perf_counter() - start) < seconds:
        for _ in range(50):
            call()
        count += 50
    return count / elapsed


def received_utilmd(vorgaenge, parties=(RECEIVED_FROM, RECEIVED_BY, "293", "500"), lokation="LOC+Z16+51238696781",
                    beginn="DTM+92:202609302200?+00:303"):
    """An interchange with one UTILMD whose Vorgänge are an IDE+24, the Beginn the answer confirms and
    the Lokation it names, as a counterparty might send it."""
    sender, recipient, agency, qualifier = parties
    segments = ["BGM+E01+DOK1", "DTM+137:202510010000?+00:303", f"NAD+MS+{sender}::{agency}",
                f"NAD+MR+{recipient}::{agency}",
                *(part for n in range(vorgaenge) for part in (f"IDE+24+V{n}", beginn, lokation) if part)]
    message = "UNH+M1+UTILMD:D:11A:UN:S2.1'" + "".join(f"{segment}'" for segment in segments)
    message += f"UNT+{len(segments) + 2}+M1'"
    return (f"UNB+UNOC:3+{sender}:{qualifier}+{recipient}:{qualifier}+251101:1200+REF1'{message}"
            f"UNZ+1+REF1'").encode()


# The Messlokation the gas answers name beside the request's Meldepunkt, which no request here gives.
GAS_MESSLOKATION = ("Z19", "DE0032106765712000000000000000037")


def received_gas_utilmd(vorgaenge, lokation="LOC+172+51238696781"):
    """The same between gas market partners: their DVGW codes are all the gas columns take."""
    return received_utilmd(vorgaenge, ("9800000000009", "9800000000016", "332", "502"), lokation,
                           "DTM+92:202610010400?+00:303" if lokation else None)


def utilmd_of(vorgaenge, module=q):
    malo = module.malo_from_base("5123869678")
    transactions = [module.UtilmdTransaction(f"VG-{n}", transaktionsgrund="E01", dates=[("92", "202603312200+00")],
                                             locations=[("malo", malo)]) for n in range(vorgaenge)]
    return module.build_utilmd(55001, MS, MR, on=ON, sparte="STROM", transactions=transactions)


# Each call with k Vorgänge; the input is made outside the time measured. Each answer's largest k
# is about the most whose answer stays within the reader's 10,000 segments.
SCALED_CALLS = {
    "build_answer 55002": (received_utilmd, lambda received, module=q: module.build_answer(received, 55002, on=ON)),
    "build_answer 44002 (gas)": (received_gas_utilmd,
                                 lambda received, module=q: module.build_answer(received, 44002, on=ON,
                                                                                references=[GAS_MESSLOKATION])),
    "build_utilmd, k Vorgänge": (lambda vorgaenge: vorgaenge, utilmd_of),
}
SCALED_COUNTS = {"build_answer 55002": (90, 180, 360, 720), "build_answer 44002 (gas)": (18, 36, 72, 144),
                 "build_utilmd, k Vorgänge": (72, 145, 290, 580)}


def seconds_per_call(call, runs):
    best = float("inf")
    for _ in range(runs):
        start = time.perf_counter()
        call()
        best = min(best, time.perf_counter() - start)
    return best


# The peak is reset after a warm-up (writing 5 to clear_refs resets VmHWM), so that building the
# catalogue does not count.
PEAK = """
import sys
sys.path.insert(0, {here!r})
from build_bench import SCALED_CALLS
def status(key):
    with open("/proc/self/status") as lines:
        return next(int(line.split()[1]) for line in lines if line.startswith(key))
make, call = SCALED_CALLS[{name!r}]
call(make(1))
given = make({vorgaenge})
before = status("VmRSS:")
with open("/proc/self/clear_refs", "w") as clear:
    clear.write("5")
built = call(given)
print(before, status("VmHWM:"), len(built))
"""


def peak_growth(name, vorgaenge):
    """Peak resident memory of one call beyond what the process held, in KiB, and the bytes built."""
    script = PEAK.format(here=str(pathlib.Path(__file__).resolve().parent), name=name, vorgaenge=vorgaenge)
    before, peak, built = map(int, subprocess.run([sys.executable, "-c", script], check=True, capture_output=True,
                                                  text=True).stdout.split())
    return peak - before, built


def scaling(peer=None):
    print("\nGrowth with the Vorgänge (best of several calls; ratio for 4x the input, second to last k"
          f"{'; this build and the peer alternating, ratio this / peer' if peer else ''}):")
    for name, (make, call) in SCALED_CALLS.items():
        times, ratios = {}, {}
        counts = SCALED_COUNTS[name]
        for k in counts:
            given = make(k)
            call(given)
            runs = 3 if k >= 400 else 5
            if peer:
                times[k], theirs = alternating([lambda: call(given), lambda: call(given, peer)], runs)  # noqa: B023
                ratios[k] = times[k] / theirs
            else:
                times[k] = seconds_per_call(lambda: call(given), runs=runs)  # noqa: B023
        figures = " / ".join(f"{times[k]:.3f}" for k in counts)
        versus = f"; against the peer {' / '.join(f'{ratios[k]:.2f}' for k in counts)}" if peer else ""
        print(f"  {name:26} k = {' / '.join(map(str, counts))}: {figures} s;"
              f" {counts[3]}/{counts[1]} = {times[counts[3]] / times[counts[1]]:.1f}x{versus}")
    print("Peak memory of one call with the most Vorgänge, beyond what the process held (fresh interpreter):")
    for name, (make, _) in SCALED_CALLS.items():
        largest = SCALED_COUNTS[name][-1]
        # Only an answer is given bytes; build_utilmd is given a count.
        answer = name.startswith("build_answer")
        received = len(make(largest)) if answer else 0
        growth, built = peak_growth(name, largest)
        given = f"received {received / 1000:.0f} KB, " if answer else ""
        print(f"  {name:26} {growth / 1024:6.1f} MB (k = {largest}, {given}built {built / 1000:.0f} KB;"
              f" bound {max(100 * received, 16 << 20) / (1 << 20):.0f} MB)")


def main():
    malo = q.malo_from_base("5123869678")
    # A Vorgang that completes to a message without findings.
    vorgang = q.UtilmdTransaction("VG-1", transaktionsgrund="E01", dates=[("92", "202603312200+00")],
                                  locations=[("malo", malo)])
    utilmd = lambda ref="1": q.build_utilmd(55001, MS, MR, on=ON, sparte="STROM", message_ref=ref,  # noqa: E731
                                            transactions=[vorgang])
    uncompleted = lambda: q.build_utilmd(55001, MS, MR, release="S9.9", document_date="20260401",  # noqa: E731
                                         transactions=[vorgang])
    start = datetime.datetime(2026, 4, 1)
    bounds = [(start + datetime.timedelta(minutes=15 * n)).strftime("%Y%m%d%H%M+00") for n in range(97)]
    intervals = [("220", f"{n}.125", "", bounds[n], bounds[n + 1]) for n in range(96)]
    mscons = lambda: q.build_mscons(13025, MS, MR, "51238696781",  # noqa: E731
                                    intervals=intervals, on=ON, obis="1-1:1.29.0")
    # An interchange holds each message reference once.
    built = [utilmd(f"M{n}") for n in range(10)]
    interchange = lambda: q.build_interchange(MS, MR, "DAR1", built, on=ON)  # noqa: E731

    rate = per_second(utilmd)
    verdict = "meets" if rate >= TARGET_UTILMD_PER_SECOND else "misses"
    print(f"build_utilmd, completed to 55001:      {rate:9,.0f} messages/s  "
          f"({1e6 / rate:6.1f} µs each; {verdict} the target of {TARGET_UTILMD_PER_SECOND:,}/s)")
    rate = per_second(uncompleted)
    print(f"build_utilmd, no column (no completion): {rate:7,.0f} messages/s  ({1e6 / rate:6.1f} µs each)")
    rate = per_second(mscons)
    print(f"build_mscons, 96 quarter-hour values:  {rate:9,.0f} messages/s  ({1e6 / rate:6.1f} µs each)")
    rate = per_second(interchange)
    print(f"build_interchange around 10 UTILMD:    {rate:9,.0f} interchanges/s ({1e6 / rate:6.1f} µs each)")
    peer = peer_native()
    scaling(peer)
    refusal_cost()
    size_refusal_cost()
    answer_refusal_cost(peer)
    carried_answers(peer)
    repeated_groups(peer)
    sampled_builds(peer)
    mixed_given(peer)
    own_names(peer)
    many_references(peer)


def refusal_cost():
    """A build with many Vorgänge whose last one the S2.1 column of 55002 rejects, against the clean
    build of as many Vorgänge: a Bilanzkreis it has no place for (completion fails), or a
    Marktlokation with a wrong check digit beside the optional arguments of every Vorgang (its
    validation finds it). The value at fault is named from the one build that found it."""
    sender, receiver, on = "9900000000003", "9900000000010", "2025-10-01"

    def build(transactions):
        return q.build_utilmd(55002, sender, receiver, on=on, transactions=transactions)

    def refuse(transactions, named):
        try:
            build(transactions)
            refused = "built"
        except ValueError as error:
            refused = str(error)
        if not refused.startswith(f"transactions[{len(transactions) - 1}].{named}:"):
            raise SystemExit(f"expected the last {named} to be refused, got: {refused}")

    # Optional arguments in every Vorgang that the column takes.
    optional = {"references": [("Z13", "55002")], "locations": [("malo", "51238696781")]}
    cases = (("bare, a Bilanzkreis", {}, {"bilanzkreis": "11XDE-BKTEST-X"}, "bilanzkreis"),
             ("with optional arguments, a MaLo", optional, {"locations": [("malo", "51238696782")]}, "locations[0]"))
    print("\nA refusal among k Vorgänge, the last at fault, against the clean build (best of several calls):")
    build([q.UtilmdTransaction("VG0")])
    for label, fields, fault, named in cases:
        for size in REFUSAL_COUNTS:
            clean = [q.UtilmdTransaction(f"VG{n}", **fields) for n in range(size)]
            faulty = clean[:-1] + [q.UtilmdTransaction(f"VG{size - 1}", **(fields | fault))]
            built = seconds_per_call(lambda: build(clean), runs=5)  # noqa: B023
            refusing = seconds_per_call(lambda: refuse(faulty, named), runs=3)  # noqa: B023
            print(f"  build_utilmd, {size:3} Vorgänge {label} refused in the last: {refusing:7.3f} s  "
                  f"(clean build {built:6.3f} s, {refusing / built:4.1f} times)")


def size_refusal_cost():
    """build_utilmd 55168 with more Vorgänge than the reader takes, refused for its size before completion:
    each naming the same two Messlokationen, and, in the same run, alike against each naming its own."""
    pair = ("9900000000003", "9900000000010")
    melos = [("melo", "DE0032106765712000000000000000037"), ("melo", "DE0032106765712000000000000000045")]

    def refuse(transactions):
        try:
            q.build_utilmd(55168, *pair, on="2025-10-01", transactions=transactions)
        except ValueError as error:
            if "validate_edifact reads" in str(error):
                return
            raise
        raise SystemExit(f"expected {len(transactions)} Vorgänge of 55168 to be refused for their size")

    print("\nbuild_utilmd 55168, k Vorgänge of two Messlokationen each, refused for its size:")
    for size in (700, 1000):
        transactions = [q.UtilmdTransaction(f"VG{n}", locations=melos) for n in range(size)]
        print(f"  {size:5} Vorgänge: {seconds_per_call(lambda: refuse(transactions), runs=3):.3f} s")  # noqa: B023
    alike = [q.UtilmdTransaction(f"VG{n}", locations=melos[:1]) for n in range(1000)]
    differing = [q.UtilmdTransaction(f"VG{n}", locations=[("melo", f"DE00321067657120000000000{n:08d}")])
                 for n in range(1000)]
    alike_seconds = seconds_per_call(lambda: refuse(alike), runs=3)
    differing_seconds = seconds_per_call(lambda: refuse(differing), runs=3)
    print(f"  1,000 Vorgänge of one Messlokation each, refused: {alike_seconds:.3f} s the same in each, "
          f"{differing_seconds:.3f} s each its own ({differing_seconds / alike_seconds:.1f} times)")


def received_with_locations(vorgaenge, last_malo):
    """A received UTILMD whose Vorgänge each carry a Marktlokation, the last one `last_malo`."""
    malos = ["51238696781"] * (vorgaenge - 1) + [last_malo]
    segments = ["BGM+E01+DOK1", "DTM+137:202510010000?+00:303", f"NAD+MS+{RECEIVED_FROM}::293",
                f"NAD+MR+{RECEIVED_BY}::293",
                *(f"IDE+24+V{n}'DTM+92:202609302200?+00:303'LOC+Z16+{malo}" for n, malo in enumerate(malos))]
    message = "UNH+M1+UTILMD:D:11A:UN:S2.1'" + "".join(f"{segment}'" for segment in segments)
    message += f"UNT+{len(segments) + 2 * vorgaenge + 2}+M1'"
    return (f"UNB+UNOC:3+{RECEIVED_FROM}:500+{RECEIVED_BY}:500+251101:1200+REF1'{message}UNZ+1+REF1'").encode()


def answer_refusal_cost(peer):
    """build_answer refuses a faulty value it must carry over from the request by the column's findings
    on its one build, so the optional arguments add no build; an answer too large for the reader is
    refused after completing its first Vorgang alone."""
    optional = {"message_ref": "M7", "document_date": "20260401", "document_code": "E01", "antwort_ebd": "E_0624"}

    def refuse(received, **arguments):
        try:
            q.build_answer(received, 55002, on=ON, **arguments)
            refused = "built"
        except ValueError as error:
            refused = str(error)
        if not refused.startswith("received: message 0, Vorgang"):
            raise SystemExit(f"expected the received Marktlokation to be refused, got: {refused}")

    print("\nbuild_answer 55002 to k Vorgänge, the last received MaLo faulty, against the clean build:")
    for size in (100, 400):
        clean = received_with_locations(size, "51238696781")
        faulty = received_with_locations(size, "51238696782")
        built = seconds_per_call(lambda: q.build_answer(clean, 55002, on=ON), runs=3)  # noqa: B023
        bare = seconds_per_call(lambda: refuse(faulty), runs=3)  # noqa: B023
        given = seconds_per_call(lambda: refuse(faulty, **optional), runs=3)  # noqa: B023
        print(f"  {size:3} Vorgänge: refused {bare:6.3f} s bare, {given:6.3f} s with four optional arguments "
              f"(clean build {built:6.3f} s)")
    # Bare, so that the request itself stays within what the reader takes.
    too_large = received_gas_utilmd(9990, lokation=None)

    def refuse_size():
        try:
            q.build_answer(too_large, 44002, on=ON, references=[GAS_MESSLOKATION])
        except ValueError as error:
            if not str(error).startswith("received: an answer to 9990 Vorgänge would hold"):
                raise
            return
        raise SystemExit("expected the answer to 9,990 Vorgänge to be refused")

    print(f"build_answer 44002 to 9,990 bare Vorgänge ({len(too_large) / 1000:.0f} KB received), refused: "
          f"{seconds_per_call(refuse_size, runs=3):.3f} s")
    lokation_refusal_cost(peer)
    largest_answers()


def lokation_refusal_cost(peer):
    """The gas answer 44002 to k Vorgänge that name their Meldepunkt but not the Messlokation it must name:
    refused naming each Vorgang, its advised build_utilmd call built once before it is given."""

    def refuse(received, module=q):
        try:
            module.build_answer(received, 44002, on=ON)
        except ValueError as error:
            if "the answer must carry a Lokation the request does not name" not in str(error):
                raise
            return
        raise SystemExit("expected the answer to be refused for the Messlokation it lacks")

    print("build_answer 44002 to k Vorgänge lacking the Messlokation, refused with advice for each"
          f"{'; this build and the peer alternating' if peer else ''}:")
    for size in (18, 144):
        received = received_gas_utilmd(size)
        if peer:
            mine, theirs = alternating([lambda: refuse(received), lambda: refuse(received, peer)], 5)  # noqa: B023
            print(f"  {size:3} Vorgänge: {mine:6.3f} s; peer {theirs:6.3f} s, ratio {mine / theirs:4.2f}")
        else:
            print(f"  {size:3} Vorgänge: {seconds_per_call(lambda: refuse(received), runs=3):6.3f} s")  # noqa: B023


def written_segments(message):
    """Unreleased segment terminators: the segments as the reader counts them."""
    return len(message.replace(b"??", b"").replace(b"?'", b"").split(b"'")) - 1


def largest_answers():
    """The answers to requests as build_utilmd builds them with the most Vorgänge whose answer the reader
    takes, each Vorgang repeating its request's groups, and the refusal of one Vorgang more."""
    print("\nbuild_answer to the requests with the most Vorgänge whose answers the reader takes, and one more:")
    for request_pid, vorgaenge, on in ((55168, 111, "2025-10-01"), (44168, 227, "2026-10-01"),
                                       (44013, 169, "2026-10-01")):
        parties = (RECEIVED_FROM, RECEIVED_BY) if request_pid > 50000 else ("9800000000008", "9812345000007")

        def received(count):
            request = q.build_utilmd(request_pid, *parties, on=on,  # noqa: B023
                                     transactions=[q.UtilmdTransaction(f"V{n}") for n in range(count)])
            return q.build_interchange(*parties, "REF1", [request], on=on)  # noqa: B023

        fitting, too_many = received(vorgaenge), received(vorgaenge + 1)
        answer = q.build_answer(fitting, request_pid + 1, on=on)
        seconds = seconds_per_call(lambda: q.build_answer(fitting, request_pid + 1, on=on), runs=3)  # noqa: B023

        def refuse():
            try:
                q.build_answer(too_many, request_pid + 1, on=on)  # noqa: B023
            except ValueError:
                return
            raise AssertionError("an answer past the reader's limits was built")

        refused = seconds_per_call(refuse, runs=3)
        print(f"  {request_pid} x {vorgaenge} -> {request_pid + 1}: {written_segments(answer):,} segments "
              f"({len(answer):,} bytes) in {seconds:.3f} s; {vorgaenge + 1} refused in {refused:.3f} s")


def peer_native():
    """The build QUORVANE_PEER names, loaded under a name of its own; None without it."""
    path = os.environ.get("QUORVANE_PEER")
    if not path:
        return None
    # The module's last name part must stay _native: the loader looks for PyInit__native.
    spec = importlib.util.spec_from_file_location("quorvane_peer._native", path)
    peer = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(peer)
    return peer


GAS_PARTIES = ("9800000000008", "9812345000007")
# (request, answer, Vorgänge, day, arguments)
CARRIED_ANSWERS = ((55001, 55002, 75, "2025-10-01", {}), (55001, 55002, 150, "2025-10-01", {}),
                   (55001, 55002, 300, "2025-10-01", {}), (55001, 55003, 150, "2025-10-01", {}),
                   (44013, 44014, 150, "2026-10-01", {}), (55001, 55003, 40, "2025-10-01", {"antwort_code": "A07"}))
SINGLE_ANSWERS = ((55001, 55002, 1, "2025-10-01", {}), (55001, 55003, 1, "2025-10-01", {}),
                  (55001, 55003, 1, "2025-10-01", {"antwort_code": "A07"}))


def request_with_groups(request_pid, vorgaenge, on):
    """The request as build_utilmd builds it, completion filling its groups; each electricity Vorgang names its
    own Marktlokation, the gas ones name nothing, as a user gives them."""
    if request_pid > 50000:
        parties = (RECEIVED_FROM, RECEIVED_BY)
        transactions = [q.UtilmdTransaction(f"V{n}", locations=[("malo", q.malo_from_base(f"51238{n:05d}"))])
                        for n in range(vorgaenge)]
    else:
        parties = GAS_PARTIES
        transactions = [q.UtilmdTransaction(f"V{n}") for n in range(vorgaenge)]
    request = q.build_utilmd(request_pid, *parties, on=on, transactions=transactions)
    return q.build_interchange(*parties, "REF1", [request], on=on), parties


def alternating(calls, rounds):
    """The best seconds of each call, the calls taking turns in each round, each round's first another."""
    best = [float("inf")] * len(calls)
    for round_ in range(rounds):
        for at in range(len(calls)):
            turn = (at + round_) % len(calls)
            start = time.perf_counter()
            calls[turn]()
            best[turn] = min(best[turn], time.perf_counter() - start)
    return best


def timed_answer(peer, row, rounds, unit=("s", 1, 4)):
    """Prints one row, the answer to the request `row` names timed against the peer's (alternating) in `unit`
    (name, per second, digits); its best seconds and the peer's, and the answer with what made it."""
    request_pid, answer_pid, vorgaenge, on, arguments = row
    name, scale, digits = unit
    received, parties = request_with_groups(request_pid, vorgaenge, on)

    def call(module):
        return module.build_answer(received, answer_pid, on=on, **arguments)

    answer = call(q)
    code = f", antwort_code {arguments['antwort_code']}" if arguments else ""
    label = f"{request_pid} x {vorgaenge:3} -> {answer_pid}{code}"
    try:
        theirs = call(peer) if peer else None
    except ValueError as refused:
        theirs = f"refuses it: {refused}"
    if isinstance(theirs, bytes):
        ours_seconds, peer_seconds = alternating([lambda: call(q), lambda: call(peer)], rounds)
        same = "the same answer" if theirs == answer else f"another answer of {written_segments(theirs):,} segments"
        versus = f"; peer {peer_seconds * scale:.{digits}f} {name}, ratio {ours_seconds / peer_seconds:.2f}, {same}"
    else:
        (ours_seconds,), peer_seconds = alternating([lambda: call(q)], rounds), None
        versus = f"; the peer {theirs[:160]}" if theirs else ""
    print(f"  {label:40} {ours_seconds * scale:.{digits}f} {name}, {written_segments(answer):,} segments{versus}")
    return (ours_seconds, peer_seconds), (answer, parties, on, label)


def carried_answers(peer=None, rounds=9):
    """build_answer to requests carrying the groups completion filled, against the peer build where given."""
    print("\nbuild_answer to requests as build_utilmd builds them, their groups carried (best of "
          f"{rounds} rounds{'; this build and the peer alternating, ratio this / peer' if peer else ''}):")
    times, largest = {}, None
    for row in CARRIED_ANSWERS:
        _, answer_pid, vorgaenge, _, arguments = row
        seconds, answered = timed_answer(peer, row, rounds)
        times[(answer_pid, vorgaenge, arguments.get("antwort_code", ""))] = seconds
        if vorgaenge == 300:
            largest = answered
    (ours_300, peer_300), (ours_150, peer_150) = times[(55002, 300, "")], times[(55002, 150, "")]
    peer_growth = f" (peer {peer_300 / peer_150:.2f}x)" if peer_300 and peer_150 else ""
    print(f"  55001 -> 55002, x 300 / x 150: {ours_300 / ours_150:.2f}x{peer_growth}")
    answer, parties, on, label = largest
    answered = q.build_interchange(*reversed(parties), "ANS1", [answer], on=on)
    if not q.validate_edifact(answered, on).is_valid:
        raise SystemExit(f"expected the answer to {label} to validate")
    seconds = seconds_per_call(lambda: q.validate_edifact(answered, on), runs=rounds)
    print(f"  validate_edifact on the answer to {label.split(' ->')[0]}: {seconds:.4f} s")
    single_answers(peer)


def single_answers(peer=None, rounds=300):
    """The same to a request of one Vorgang, the common case: each call is short, so many more rounds."""
    print(f"\nbuild_answer to a request of one Vorgang, its groups carried (best of {rounds} rounds"
          f"{'; this build and the peer alternating, ratio this / peer' if peer else ''}):")
    for row in SINGLE_ANSWERS:
        timed_answer(peer, row, rounds, unit=("ms", 1e3, 3))


# (Vorgänge, copies of the group in each): the reader places 99 NAD+Z05 groups in a Vorgang, so the answer holds no
# more. One clean Vorgang beside one whose group stands thousands of times, and 14 Vorgänge each standing it often
# enough that their answer's draft, the copies past the count carried, holds more faults than a verdict keeps.
REPEATED_GROUPS = ((2, (1, 2400)), (2, (1, 4500)), (14, (312,) * 14))


def with_repeated_group(message, copies, head="NAD+Z05"):
    """The message with the group `head` opens (its head up to the next group's) standing copies[n] times in its
    n-th Vorgang, and its UNT counting the segments."""
    found = message.decode("latin-1").split("'")[:-1]
    ides = [at for at, segment in enumerate(found) if segment.startswith("IDE+")] + [len(found) - 1]
    edited = found[:ides[0]]
    for n, (ide, end) in enumerate(zip(ides, ides[1:])):
        first = next(at for at in range(ide, end) if found[at].startswith(f"{head}+"))
        last = next((at for at in range(first + 1, end) if found[at].startswith(("NAD+", "SEQ+"))), end)
        edited += found[ide:first] + found[first:last] * copies[n] + found[last:end]
    reference = found[-1].split("+")[2]
    edited.append(f"UNT+{len(edited)}+{reference}")
    return "".join(f"{segment}'" for segment in edited).encode("latin-1")


def repeated_groups(peer=None, rounds=5):
    """build_answer 55169 to a 55168 whose NAD+Z05 group stands far past the count the reader places."""
    on, parties = "2025-10-01", (RECEIVED_FROM, RECEIVED_BY)
    print(f"\nbuild_answer 55168 -> 55169, the NAD+Z05 group repeated (best of {rounds} rounds"
          f"{'; this build and the peer alternating, ratio this / peer' if peer else ''}):")
    for vorgaenge, copies in REPEATED_GROUPS:
        request = q.build_utilmd(55168, *parties, on=on,
                                 transactions=[q.UtilmdTransaction(f"V{n}") for n in range(vorgaenge)])
        received = q.build_interchange(*parties, "REF1", [with_repeated_group(request, copies)], on=on)

        def call(module):
            return module.build_answer(received, 55169, on=on)  # noqa: B023

        answer = call(q)
        label = f"{vorgaenge} Vorgänge, copies {' / '.join(map(str, sorted(set(copies))))}"
        versus = ""
        if peer:
            theirs = call(peer)
            ours_seconds, peer_seconds = alternating([lambda: call(q), lambda: call(peer)], rounds)
            same = "the same answer" if theirs == answer else "another answer"
            versus = f"; peer {peer_seconds:.4f} s, ratio {ours_seconds / peer_seconds:.2f}, {same}"
        else:
            (ours_seconds,) = alternating([lambda: call(q)], rounds)
        print(f"  {label:40} {written_segments(received):,} segments received: {ours_seconds:.4f} s, "
              f"{written_segments(answer):,} segments{versus}")
# (Prüfidentifikator, Vorgänge): each pair of rows of one Prüfidentifikator doubles the Vorgänge.
SAMPLED_BUILDS = ((55168, 50), (55168, 100), (55043, 50), (55043, 100), (55169, 32), (55169, 64))


def sampled_builds(peer=None, rounds=7):
    """build_utilmd naming one Marktlokation per Vorgang, completion writing sample Lokationen beside it, which the
    build leaves out where the column accepts the message without them: the best seconds per call against the
    peer's, and the growth for twice the Vorgänge."""
    alternated = "; this build and the peer alternating, ratio this / peer" if peer else ""
    print("\nbuild_utilmd naming a Marktlokation per Vorgang, completion's sample Lokationen left out where the column "
          f"does without (best of {rounds} rounds{alternated}):")
    times = {}
    for pid, vorgaenge in SAMPLED_BUILDS:
        # Each build is given its own module's Vorgänge, made outside the time measured.
        def call(module, transactions, pid=pid):
            return lambda: module.build_utilmd(pid, RECEIVED_FROM, RECEIVED_BY, on="2025-10-01",
                                               transactions=transactions)

        modules = (q, peer) if peer else (q,)
        malos = [q.malo_from_base(f"51238{n:05d}") for n in range(vorgaenge)]
        calls = [call(module, [module.UtilmdTransaction(f"V{n}", locations=[("malo", malo)])
                               for n, malo in enumerate(malos)]) for module in modules]
        built = calls[0]()
        times[(pid, vorgaenge)] = seconds = alternating(calls, rounds)
        versus = f"; peer {seconds[1]:.4f} s, ratio {seconds[0] / seconds[1]:.2f}" if peer else ""
        print(f"  {pid} x {vorgaenge:3}: {seconds[0]:.4f} s, {written_segments(built):,} segments{versus}")
    for (pid, fewer), (_, more) in zip(SAMPLED_BUILDS[::2], SAMPLED_BUILDS[1::2]):
        grown = [more_seconds / fewer_seconds for more_seconds, fewer_seconds in zip(times[(pid, more)],
                                                                                      times[(pid, fewer)])]
        peer_growth = f" (peer {grown[1]:.2f}x)" if peer else ""
        print(f"  {pid} x {more} / x {fewer}: {grown[0]:.2f}x{peer_growth}")


def mixed_given(peer=None, rounds=7):
    """build_answer 55002 to 55001s of k Vorgänge, every other one a ruhende Marktlokation (ZAP) that needs a
    Netzlokation and a Messlokation, both given once in `references`: where the Vorgänge differ, which need them is
    told from a trial answer without them first. Beside it the same Lokationen given to k Vorgänge all of ZAP."""
    print(f"\nbuild_answer 55002, a Netzlokation and a Messlokation given, to k Vorgänge (best of {rounds} rounds"
          f"{'; this build and the peer alternating' if peer else ''}):")
    given = [("Z32", q.resource_id_from_base("nelo", "E712345678")), ("Z19", "DE0032106765712000000000000000037")]
    for k in (20, 80):
        rows = {}
        for shape, zap in (("mixed", lambda n: n % 2 == 1), ("all ZAP", lambda n: True)):
            transactions = [q.UtilmdTransaction(f"V{n}", locations=[("malo", q.malo_from_base(f"51238{n:05d}"))],
                                                **({"transaktionsgrund_ergaenzung": "ZAP"} if zap(n) else {}))
                            for n in range(k)]  # noqa: B023
            request = q.build_utilmd(55001, RECEIVED_FROM, RECEIVED_BY, on="2025-10-01", transactions=transactions)
            received = q.build_interchange(RECEIVED_FROM, RECEIVED_BY, "REF1", [request], on="2025-10-01")

            def call(module=q, received=received):
                try:
                    return module.build_answer(received, 55002, on="2025-10-01", references=given)
                except ValueError as refused:
                    return f"refused: {str(refused)[:100]}"

            calls = [call] + ([lambda received=received: call(peer, received)] if peer else [])
            rows[shape] = alternating(calls, rounds), [call()] + ([call(peer)] if peer else [])
        (mixed, *mixed_peer), (answer, *theirs) = rows["mixed"]
        alike = rows["all ZAP"][0][0]
        versus = ""
        if peer:
            versus = (f"; the peer {mixed_peer[0]:.4f} s, {'the same answer' if theirs[0] == answer else 'another'}"
                      if isinstance(theirs[0], bytes) else f"; the peer {theirs[0]}")
        print(f"  k = {k:3}: mixed {mixed:.4f} s, all ZAP {alike:.4f} s (mixed / all ZAP {mixed / alike:.2f})"
              f"{versus}")


# The requests of other systems, each Vorgang with its customer's own names: (request, answer, date, parties with
# their UNB qualifier, the Lokation the request names).
OWN_NAMES = ((44001, 44002, "2026-10-01", ("9800000000008", "9812345000007", "502"), ("172", "50605869880")),
             (55042, 55043, "2025-10-01", ("9900000000003", "9900000000010", "500"), ("malo", "50605869880")))


def zaehlpunkt(k):
    return f"DE00321067657120000000000{k:08d}"


def with_own_names(pid, on, parties, lokation, vorgaenge):
    """A request of `vorgaenge` Vorgänge naming one Lokation, as build_utilmd writes it, each Vorgang's names and
    address its own."""
    sender, receiver, qualifier = parties
    transactions = [q.UtilmdTransaction(f"VG{n}", locations=[lokation]) for n in range(vorgaenge)]
    message = q.build_utilmd(pid, sender, receiver, on=on, transactions=transactions).decode()
    head, *bodies = message.split("IDE+24+")
    message = head + "".join(f"IDE+24+{body.replace('Mustermann:', f'Schmidt{n}:Anna{n}').replace('Musterstr. 1', f'Hauptstr. {n}')}"
                             for n, body in enumerate(bodies))
    received = q.build_interchange(sender, receiver, "REF1", [message.encode()], on=on).decode()
    return received.replace(f"{sender}:500+{receiver}:500", f"{sender}:{qualifier}+{receiver}:{qualifier}").encode()


def own_names(peer=None, rounds=7):
    """build_answer to requests as other systems write them, each Vorgang with its own names, given one Messlokation
    for all Vorgänge and one for each: which Vorgänge need it is told by a trial answer to one Vorgang of each shape,
    and names do not make a shape."""
    print(f"\nbuild_answer to k Vorgänge each with its own names, given a Messlokation (best of {rounds} rounds"
          f"{'; this build and the peer alternating, ratio this / peer' if peer else ''}):")
    for request_pid, answer_pid, on, parties, lokation in OWN_NAMES:
        for k in (2, 20, 150):
            received = with_own_names(request_pid, on, parties, lokation, k)
            for given, references in (("one", [("Z19", zaehlpunkt(0))]),
                                      ("each", [("Z19", zaehlpunkt(n)) for n in range(k)])):
                def call(module=q, received=received, references=references):  # noqa: B023
                    try:
                        return module.build_answer(received, answer_pid, on=on, references=references)
                    except ValueError as refused:
                        return f"refused: {str(refused)[:100]}"

                if peer:
                    mine, theirs = alternating([call, lambda: call(peer)], rounds)  # noqa: B023
                    theirs_said = call(peer)
                    same = ("the same answer" if call() == theirs_said else
                            theirs_said if isinstance(theirs_said, str) else "another answer")
                    versus = f"; peer {theirs * 1e3:7.1f} ms, ratio {mine / theirs:.2f}, {same}"
                else:
                    (mine,), versus = alternating([call], rounds), ""
                print(f"  {request_pid} -> {answer_pid} x {k:3}, one Messlokation {'for all' if given == 'one' else 'each'}: "
                      f"{mine * 1e3:7.1f} ms{versus}")


def many_references(peer=None, rounds=3):
    """build_answer 44002 to one Vorgang given k distinct Zählpunkte, more than the answer has room for: refused, in
    time linear in k."""
    print(f"\nbuild_answer 44002 given k distinct Zählpunkte, refused (best of {rounds} rounds"
          f"{'; this build and the peer alternating, ratio this / peer' if peer else ''}):")
    request_pid, answer_pid, on, parties, lokation = OWN_NAMES[0]
    received = with_own_names(request_pid, on, parties, lokation, 1)
    for k in (20000, 40000, 80000):
        references = [("Z19", zaehlpunkt(n)) for n in range(k)]

        def call(module=q, references=references):  # noqa: B023
            try:
                return str(len(module.build_answer(received, answer_pid, on=on, references=references)))
            except ValueError as refused:
                return str(refused)[:60]

        if peer:
            mine, theirs = alternating([call, lambda: call(peer)], rounds)  # noqa: B023
            versus = f"; peer {theirs:.3f} s, ratio {mine / theirs:.2f}"
        else:
            (mine,), versus = alternating([call], rounds), ""
        print(f"  k = {k:6,}: {mine:.3f} s{versus} ({call()}…)")


if __name__ == "__main__":
    # "sampled" runs the rows of completion's sample Lokationen alone, "scaling" the growth with the Vorgänge.
    if sys.argv[1:] == ["sampled"]:
        sampled_builds(peer_native())
    elif sys.argv[1:] == ["scaling"]:
        scaling(peer_native())
    elif sys.argv[1:] == ["mixed"]:
        mixed_given(peer_native())
    elif sys.argv[1:] == ["own_names"]:
        own_names(peer_native())
        many_references(peer_native())
    else:
        main()
