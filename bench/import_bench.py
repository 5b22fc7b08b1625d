#!/usr/bin/env python3
"""What importing quorvane._native costs, and what the first catalogue call costs.

Importing must stay cheap because it builds nothing; the first call that needs the profiles (here
`releases("UTILMD")`) compiles all 32 built-in profiles and the release registry. Every figure is
taken in fresh interpreters and reported as a median; nothing is asserted.
"""

import pathlib
import statistics
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
RUNS = 21

# The wall-clock difference is at the edge of the noise; timing inside the interpreter is not.
IMPORT_INSIDE = """
import time
started = time.perf_counter()
import quorvane._native
print(time.perf_counter() - started)
"""

FIRST_CALL = """
import os, time
def resident():
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")
import quorvane._native as native
before, started = resident(), time.perf_counter()
native.releases("UTILMD")
elapsed, grown = time.perf_counter() - started, resident() - before
started = time.perf_counter()
native.releases("UTILMD")
print(elapsed, grown, time.perf_counter() - started)
"""


def wall_time(code):
    started = time.perf_counter()
    subprocess.run([sys.executable, "-c", code], check=True)
    return time.perf_counter() - started


def median_wall_time(code):
    wall_time(code)  # warm the file cache
    return statistics.median(wall_time(code) for _ in range(RUNS))


def median_figures(code):
    runs = [subprocess.run([sys.executable, "-c", code], check=True, capture_output=True, text=True)
            for _ in range(RUNS)]
    figures = [tuple(float(value) for value in run.stdout.split()) for run in runs]
    return tuple(statistics.median(column) for column in zip(*figures))


def main():
    bare = median_wall_time("pass")
    with_import = median_wall_time("import quorvane._native")
    import_cost = with_import - bare
    (import_inside,) = median_figures(IMPORT_INSIDE)
    build_seconds, grown_bytes, second_call_seconds = median_figures(FIRST_CALL)
    documents = sum(path.stat().st_size for path in (ROOT / "profiles").glob("*.json"))

    print(f"import quorvane._native (median of {RUNS} fresh interpreters)")
    print(f"  interpreter start            {bare * 1e3:8.2f} ms")
    print(f"  start and import             {with_import * 1e3:8.2f} ms")
    print(f"  import alone                 {import_cost * 1e3:8.2f} ms")
    print(f"  import timed inside          {import_inside * 1e3:8.2f} ms")
    print(f"first releases(\"UTILMD\"): builds the catalogue (median of {RUNS} fresh interpreters)")
    print(f"  profile documents            {documents / 1e6:8.2f} MB in {len(list((ROOT / 'profiles').glob('*.json')))} files")
    print(f"  time                         {build_seconds * 1e3:8.2f} ms "
          f"({documents / 1e6 / build_seconds:.1f} MB of documents per second)")
    print(f"  resident memory growth       {grown_bytes / 1e6:8.2f} MB "
          f"({grown_bytes / documents:.2f} x the documents)")
    print(f"  second call                  {second_call_seconds * 1e6:8.2f} us")
    print(f"  first call / import          {build_seconds / import_inside:8.1f} x")


if __name__ == "__main__":
    main()
