#!/usr/bin/env python3
"""Per-call cost of the deadline functions of quorvane._native against pure-Python versions of the
same rules, and against bdew-datetimes on the dates where its calendar and ours agree.

The peers live only in the benchmark's own virtual environment (build/bench-venv): the script
creates it, installs the newest wheel from build/dist (or the project itself) and bdew-datetimes
into it, and runs itself again there. Nothing here is asserted as a test; it prints times and
ratios.
"""

import datetime
import functools
import os
import pathlib
import random
import subprocess
import sys
import time
import venv

ROOT = pathlib.Path(__file__).resolve().parent.parent
BENCH_VENV = ROOT / "build" / "bench-venv"
PEERS = ["bdew-datetimes"]
TARGET_RATIO = 20


def run_inside_bench_venv():
    if pathlib.Path(sys.prefix).resolve() == BENCH_VENV.resolve():
        return
    python = BENCH_VENV / "bin" / "python"
    if not python.exists():
        venv.create(BENCH_VENV, with_pip=True)
    wheels = sorted((ROOT / "build" / "dist").glob("quorvane-*.whl"), key=lambda path: path.stat().st_mtime)
    project = str(wheels[-1]) if wheels else str(ROOT)
    subprocess.run([python, "-m", "pip", "install", "-q", "--force-reinstall", "--no-deps", project], check=True)
    subprocess.run([python, "-m", "pip", "install", "-q", *PEERS], check=True)
    os.execv(python, [str(python), __file__, *sys.argv[1:]])


# --- the same rules in pure Python ------------------------------------------------------------------

FIXED_HOLIDAYS = {(1, 1), (1, 6), (3, 8), (5, 1), (8, 15), (9, 20), (10, 3), (10, 31), (11, 1), (12, 24), (12, 25),
                  (12, 26), (12, 31)}
EASTER_OFFSETS = (-2, 1, 39, 49, 50, 60)


def easter_sunday(year):
    a, b, c = year % 19, year // 100, year % 100
    d, e = b // 4, b % 4
    f = (b + 8) // 25
    g = (b - f + 1) // 3
    h = (19 * a + b - d - g + 15) % 30
    i, k = c // 4, c % 4
    l = (32 + 2 * e + 2 * i - h - k) % 7
    m = (a + 11 * h + 22 * l) // 451
    month, day = divmod(h + l - 7 * m + 114, 31)
    return datetime.date(year, month, day + 1)


def holidays_of(year):
    easter = easter_sunday(year)
    days = {easter + datetime.timedelta(offset) for offset in EASTER_OFFSETS}
    november_22 = datetime.date(year, 11, 22)
    days.add(november_22 - datetime.timedelta((november_22.weekday() - 2) % 7))
    return days


def is_werktag_of(day, holidays=holidays_of):
    if day.weekday() >= 5 or (day.month, day.day) in FIXED_HOLIDAYS:
        return False
    return day not in holidays(day.year)


cached_holidays_of = functools.lru_cache(maxsize=None)(holidays_of)


def py_is_werktag(text):
    return is_werktag_of(datetime.date.fromisoformat(text))


def py_is_werktag_cached(text):
    return is_werktag_of(datetime.date.fromisoformat(text), cached_holidays_of)


def py_add_werktage(text, n, holidays=holidays_of):
    day = datetime.date.fromisoformat(text)
    while n:
        day += datetime.timedelta(1)
        n -= is_werktag_of(day, holidays)
    return day.isoformat()


def py_add_werktage_cached(text, n):
    return py_add_werktage(text, n, cached_holidays_of)


def py_malo_is_valid(text):
    if len(text) != 11 or not text.isascii() or not text.isdigit() or text[0] == "0":
        return False
    digits = [ord(c) - 48 for c in text]
    total = sum(digits[0:10:2]) + 2 * sum(digits[1:10:2])
    return (10 - total % 10) % 10 == digits[10]


CONTRL_WINDOWS = {"regelfall": 360, "strom_utilmd_orders": 15, "gas_alocat": 45}


def py_contrl_due_at(text, anlass="regelfall"):
    from zoneinfo import ZoneInfo

    berlin = ZoneInfo("Europe/Berlin")
    received = datetime.datetime.fromisoformat(text)
    minutes = CONTRL_WINDOWS[anlass]
    if anlass == "strom_utilmd_orders" and received.astimezone(berlin).weekday() == 5:
        minutes = 360
    due = received + datetime.timedelta(minutes=minutes)
    local = due.astimezone(berlin)
    for start, end in (((3, 31), (4, 2)), ((9, 30), (10, 2))):
        window_start = datetime.datetime(local.year, *start, 18, tzinfo=berlin)
        window_end = datetime.datetime(local.year, *end, tzinfo=berlin)
        if window_start <= local < window_end:
            return rfc3339(window_end)
    return rfc3339(due)


def rfc3339(moment):
    text = moment.isoformat()
    return text[:-6] + "Z" if text.endswith("+00:00") else text


# --- measuring ---------------------------------------------------------------------------------------

def per_call_ns(function, cases, repeats=5):
    best = float("inf")
    for _ in range(repeats):
        start = time.perf_counter_ns()
        for args in cases:
            function(*args)
        best = min(best, time.perf_counter_ns() - start)
    return best / len(cases)


def same_results(left, right, cases):
    return [args for args in cases if left(*args) == right(*args)]


def bdew_peers():
    try:
        import bdew_datetimes
        from bdew_datetimes.periods import DayType, EndDateType
    except ImportError:
        return None

    def is_werktag(text):
        return bdew_datetimes.is_bdew_working_day(datetime.date.fromisoformat(text))

    def add_werktage(text, n):
        period = bdew_datetimes.Period(n, DayType.WORKING_DAY, EndDateType.INCLUSIVE)
        return bdew_datetimes.add_frist(datetime.date.fromisoformat(text), period).isoformat()

    return {"is_werktag": is_werktag, "add_werktage": add_werktage}


def main():
    run_inside_bench_venv()
    import quorvane._native as native

    rng = random.Random(20260329)
    first = datetime.date(2020, 1, 1).toordinal()
    dates = [datetime.date.fromordinal(first + rng.randrange(3650)).isoformat() for _ in range(2000)]
    instants = [f"{day}T{rng.randrange(24):02}:{rng.randrange(60):02}:00+0{rng.choice('12')}:00" for day in dates]
    anlaesse = list(CONTRL_WINDOWS)
    rows = [
        ("is_werktag", native.is_werktag, [(day,) for day in dates],
         {"pure Python": py_is_werktag, "pure Python, cached holidays": py_is_werktag_cached}),
        ("add_werktage", native.add_werktage, [(day, rng.randrange(1, 20)) for day in dates],
         {"pure Python": py_add_werktage, "pure Python, cached holidays": py_add_werktage_cached}),
        ("contrl_due_at", native.contrl_due_at, [(instant, rng.choice(anlaesse)) for instant in instants],
         {"pure Python": py_contrl_due_at}),
    ]
    if hasattr(native, "malo_is_valid"):
        bases = [f"{rng.randrange(1, 10)}{rng.randrange(10**9):09}" for _ in range(1000)]
        malos = [native.malo_from_base(base) for base in bases] if hasattr(native, "malo_from_base") else bases
        cases = [(malo,) for malo in malos] + [(malo[:-1] + str((int(malo[-1]) + 1) % 10),) for malo in malos]
        rows.insert(2, ("malo_is_valid", native.malo_is_valid, cases, {"pure Python": py_malo_is_valid}))
    else:
        print("malo_is_valid is not registered: skipped")

    peers = bdew_peers()
    if peers is None:
        print("bdew-datetimes is not installed: its columns are skipped")
    for name, function, cases, python_versions in rows:
        for label, version in python_versions.items():
            disagreeing = len(cases) - len(same_results(function, version, cases))
            if disagreeing:
                raise SystemExit(f"{label} {name} disagrees with quorvane on {disagreeing} of {len(cases)} cases")
        native_ns = per_call_ns(function, cases)
        print(f"\n{name}: {len(cases)} cases, quorvane {native_ns:8.0f} ns/call")
        for label, version in python_versions.items():
            python_ns = per_call_ns(version, cases)
            verdict = "meets" if python_ns / native_ns >= TARGET_RATIO else "misses"
            print(f"  {label:32} {python_ns:8.0f} ns/call   ratio {python_ns / native_ns:6.1f}x"
                  f"  ({verdict} the {TARGET_RATIO}x target)")
        if peers and name in peers:
            agreeing = same_results(function, peers[name], cases)
            if agreeing:
                agreeing_native_ns = per_call_ns(function, agreeing)
                peer_ns = per_call_ns(peers[name], agreeing)
                print(f"  {'bdew-datetimes':32} {peer_ns:8.0f} ns/call   ratio {peer_ns / agreeing_native_ns:6.1f}x"
                      f"  (on the {len(agreeing)} cases where the calendars agree)")


if __name__ == "__main__":
    main()
