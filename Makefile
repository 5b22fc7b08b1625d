# Entry points: `make test` (build and run every test), `make demo`, `make bench`.
# Each target installs what it needs first, so a fresh machine only needs make.
PYTHON ?= python3
BUILD ?= build/release
SAN_BUILD ?= build/sanitize
JOBS ?= $(shell nproc)
APT_PACKAGES = g++ make libfmt-dev libsimdjson-dev libgtest-dev libgmock-dev libbenchmark-dev tzdata
PIP_PACKAGES = scikit-build-core cmake ninja pytest hypothesis

.PHONY: deps test cpp-test py-test sanitize demo bench fuzz clean

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

py-test: deps
	$(PYTHON) -m pip install -q .
	$(PYTHON) -m pytest -q tests/python

test: cpp-test py-test

sanitize: deps
	cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVANE_PYTHON=OFF -DQUORVANE_SANITIZE=ON
	cmake --build $(SAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir $(SAN_BUILD) -j $(JOBS) --output-on-failure

demo: deps
	$(PYTHON) -m pip install -q .
	$(PYTHON) examples/demo.py

bench: deps
	cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORVANE_PYTHON=OFF -DQUORVANE_TESTS=OFF -DQUORVANE_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	$(MAKE) -C . bench-run

clean:
	rm -rf build
