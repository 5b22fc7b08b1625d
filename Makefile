# Entry points: `make test` (build and run every test), `make demo`, `make bench`.
# Each target installs what it needs first, so a fresh machine only needs make.
PYTHON ?= python3
BUILD ?= build/release
SAN_BUILD ?= build/sanitize
JOBS ?= $(shell nproc)
APT_PACKAGES = g++ make libfmt-dev libsimdjson-dev libgtest-dev libgmock-dev libbenchmark-dev tzdata
PIP_PACKAGES = scikit-build-core cmake ninja pytest hypothesis

.PHONY: deps wheel test cpp-test py-test sanitize py-sanitize demo bench fuzz fuzz-smoke tools clean

deps:
	@missing=$$(for p in $(APT_PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	fi
	@$(PYTHON) -m pip install -q $(PIP_PACKAGES)

cpp-test: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVANE_PYTHON=OFF
	cmake --build $(BUILD) -j $(JOBS)
	ctest --test-dir $(BUILD) -j $(JOBS) --output-on-failure

# The wheel is built once for the stable ABI and tested under every Python found here.
PYTHON_312 ?= $(firstword $(wildcard /root/.pyenv/versions/3.12*/bin/python3.12) $(shell command -v python3.12))

wheel: deps
	rm -rf build/dist
	$(PYTHON) -m pip wheel -q --no-deps -w build/dist .

py-test: wheel
	$(PYTHON) -m pip install -q --force-reinstall build/dist/*.whl
	$(PYTHON) -m pytest -q tests/python
	@if [ -n "$(PYTHON_312)" ]; then \
	  echo "abi3 wheel under $$($(PYTHON_312) --version)"; \
	  $(PYTHON_312) -m pip install -q --force-reinstall build/dist/*.whl pytest hypothesis && \
	  $(PYTHON_312) -m pytest -q -p no:cacheprovider tests/python; \
	fi

test: cpp-test py-test

sanitize: deps
	cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVANE_PYTHON=OFF -DQUORVANE_SANITIZE=ON
	cmake --build $(SAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir $(SAN_BUILD) -j $(JOBS) --output-on-failure
	$(MAKE) py-sanitize

# The Python suite against the extension built with AddressSanitizer and UBSan, installed apart
# from any other copy. The interpreter is not instrumented, so the ASan runtime is preloaded into
# it, and libstdc++ with it: without, ASan finds no __cxa_throw to wrap and aborts at the first C++
# exception. Leaks are not reported, as the interpreter keeps much of its memory until exit. A
# sanitizer report ends the run; pytest captures only Python's streams so that the report is seen.
# Property tests are not timed here (hypothesis profile "sanitize", tests/python/conftest.py).
PY_SAN_BUILD ?= build/py-sanitize
py-sanitize: deps
	rm -rf $(PY_SAN_BUILD)/dist $(PY_SAN_BUILD)/site
	CMAKE_BUILD_PARALLEL_LEVEL=$(JOBS) $(PYTHON) -m pip wheel -q --no-deps -w $(PY_SAN_BUILD)/dist \
	  -C build-dir=$(PY_SAN_BUILD)/wheel -C cmake.build-type=Debug -C cmake.define.QUORVANE_SANITIZE=ON .
	$(PYTHON) -m pip install -q --no-deps --target $(PY_SAN_BUILD)/site $(PY_SAN_BUILD)/dist/*.whl
	LD_PRELOAD="$$(g++ -print-file-name=libasan.so) $$(g++ -print-file-name=libstdc++.so)" \
	  ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 QUORVANE_SANITIZE=1 \
	  HYPOTHESIS_PROFILE=sanitize PYTHONPATH=$(abspath $(PY_SAN_BUILD)/site) \
	  $(PYTHON) -m pytest -q -p no:cacheprovider --capture=sys tests/python

demo: deps
	$(PYTHON) -m pip install -q .
	$(PYTHON) examples/demo.py

# The Python benchmarks run against the wheel of this tree, never an older one installed before.
bench: wheel
	cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVANE_PYTHON=OFF -DQUORVANE_TESTS=OFF -DQUORVANE_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	for mode in slice stream message; do build/bench/bench/edifact_first_parse $$mode || exit 1; done
	for b in build/bench/bench/*_bench; do $$b --benchmark_min_time=1 --benchmark_counters_tabular=true || exit 1; done
	$(PYTHON) -m pip install -q --force-reinstall build/dist/*.whl
	@for s in bench/*_bench.py; do $(PYTHON) $$s || exit 1; done

# Runs every fuzz target for FUZZ_SECONDS on a scratch copy of its seed corpus; a crash stops
# the run and leaves its input under build/fuzz/artifacts/. FUZZ_FLAGS adds libFuzzer options.
FUZZ_SECONDS ?= 60
FUZZ_FLAGS ?=
FUZZ_TARGETS = $(notdir $(basename $(wildcard fuzz/*_fuzz.cpp)))
fuzz: deps
	@dpkg -s clang-19 libclang-rt-19-dev >/dev/null 2>&1 || \
	  (apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang-19 libclang-rt-19-dev)
	CXX=clang++-19 cmake -S . -B build/fuzz -G Ninja -DQUORVANE_PYTHON=OFF -DQUORVANE_TESTS=OFF -DQUORVANE_FUZZ=ON
	cmake --build build/fuzz -j $(JOBS) --target $(FUZZ_TARGETS)
	@mkdir -p build/fuzz/artifacts
	@for name in $(FUZZ_TARGETS); do \
	  rm -rf build/fuzz/corpus/$$name; mkdir -p build/fuzz/corpus/$$name; \
	  cp fuzz/corpus/$$name/* build/fuzz/corpus/$$name/ 2>/dev/null; \
	  build/fuzz/fuzz/$$name build/fuzz/corpus/$$name -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=build/fuzz/artifacts/$$name- $(FUZZ_FLAGS) || exit 1; \
	done

# What CI runs: a few seconds per target, with a fixed seed so that a red run can be replayed.
fuzz-smoke:
	$(MAKE) fuzz FUZZ_SECONDS=5 FUZZ_FLAGS=-seed=1

# Builds the developer tools beside the release build and runs each once on a small input.
TOOLS_BIN = $(BUILD)/tools
tools: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVANE_PYTHON=OFF -DQUORVANE_TOOLS=ON
	cmake --build $(BUILD) -j $(JOBS) --target conditions_probe convergence_survey gen_validation_fixtures
	printf 'Wenn SG8 SEQ+Z01 vorhanden\0' | $(TOOLS_BIN)/conditions_probe/conditions_probe | grep -q '"precondition": true'
	$(TOOLS_BIN)/validation_fixtures/gen_validation_fixtures UTILMD S2.1 55001 2025-11-01 >/dev/null
	$(TOOLS_BIN)/convergence_survey/convergence_survey >/dev/null

clean:
	rm -rf build
