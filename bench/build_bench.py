#!/usr/bin/env python3
"""Throughput of the Python build functions on one core: build_utilmd with completion to the
55001 column, build_mscons with 96 quarter-hour values, build_interchange around them, and what
the refusal of a long UTILMD costs beside its clean build. Prints messages per second and times;
nothing here is asserted.

Runs against whatever `quorvane` the interpreter imports (make bench installs the wheel first).
"""

import datetime
import time

import quorvane._native as q

MS, MR = "9900357000004", "4012345000023"
ON = "2026-04-01"
TARGET_UTILMD_PER_SECOND = 5000
REFUSAL_SIZES = (100, 200, 400, 800)


def per_second(call, seconds=2.0):
    call()  # the first call builds the catalogue
    count, start = 0, time.perf_counter()
    while (elapsed := time.perf_counter() - start) < seconds:
        for _ in range(50):
            call()
        count += 50
    return count / elapsed


def main():
    malo = q.malo_from_base("5123869678")
    # A Vorgang that completes to a message without findings.
    vorgang = q.UtilmdTransaction("VG-1", transaktionsgrund="E01", dates=[("92", "202603312200+00")],
                                  locations=[("malo", malo)])
    utilmd = lambda: q.build_utilmd(55001, MS, MR, on=ON, sparte="STROM", transactions=[vorgang])  # noqa: E731
    uncompleted = lambda: q.build_utilmd(55001, MS, MR, release="S9.9", document_date="20260401",  # noqa: E731
                                         transactions=[vorgang])
    start = datetime.datetime(2026, 4, 1)
    bounds = [(start + datetime.timedelta(minutes=15 * n)).strftime("%Y%m%d%H%M+00") for n in range(97)]
    intervals = [("220", f"{n}.125", "", bounds[n], bounds[n + 1]) for n in range(96)]
    mscons = lambda: q.build_mscons(13025, MS, MR, "DE00056266802AO6G56M11SN51G21M24S",  # noqa: E731
                                    intervals=intervals, on=ON, obis="1-1:1.29.0")
    built = [utilmd() for _ in range(10)]
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

    refusal_cost()


def refusal_cost():
    """A build with many Vorgänge whose last one carries a Bilanzkreis that the S2.1 column of 55002
    has no place for, against the clean build of as many Vorgänge: the search for the value at
    fault halves the list, so the refusal costs a few builds more, not one per Vorgang."""
    sender, receiver, on = "9900000000003", "9900000000010", "2025-10-01"
    q.build_utilmd(55002, sender, receiver, on=on, transactions=[q.UtilmdTransaction("VG0")])
    for size in REFUSAL_SIZES:
        clean = [q.UtilmdTransaction(f"VG{n}") for n in range(size)]
        faulty = clean[:-1] + [q.UtilmdTransaction(f"VG{size - 1}", bilanzkreis="11XDE-BKTEST-X")]
        start = time.perf_counter()
        q.build_utilmd(55002, sender, receiver, on=on, transactions=clean)
        built = time.perf_counter() - start
        start = time.perf_counter()
        try:
            q.build_utilmd(55002, sender, receiver, on=on, transactions=faulty)
            refused = "built"
        except ValueError as error:
            refused = str(error)
        if not refused.startswith(f"transactions[{size - 1}].bilanzkreis:"):
            raise SystemExit(f"expected the last Bilanzkreis to be refused, got: {refused}")
        refusing = time.perf_counter() - start
        print(f"build_utilmd, {size:3} Vorgänge, the last refused: {refusing:7.2f} s  "
              f"(clean build {built:6.2f} s, {refusing / built:4.1f} times)")


if __name__ == "__main__":
    main()
