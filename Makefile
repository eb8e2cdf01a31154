# Thin wrapper: installs what is missing, configures, builds, runs.
BUILD      ?= build
SAN_BUILD  ?= build-sanitize
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 180
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=
ifeq ($(CI),true)
CMAKE_ARGS += -DVELTRANO_WERROR=ON
endif

export QT_QPA_PLATFORM ?= offscreen

.PHONY: all deps configure build run test test-sanitize bench browser-report clean fuzz \
	fuzz-build fuzz-smoke reliability-report package format format-check test-ratio bench-visitor

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only what the window needs: the program and its help.pdf; tests and benchmarks are built by
# make test and make bench.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target veltrano help_pdf
	@scripts/run "$(BUILD)"

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVELTRANO_SANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS) -LE 'browser|package'

# The Debian package (veltrano_VERSION_ARCH.deb in the build folder), built with CPack.
package: build
	cd $(BUILD) && cpack -G DEB

# Runs the browser tests and writes their table to docs/browser-report.md.
browser-report: build
	cmake --build $(BUILD) --target browser-report

# Bytes, gzip, load event and first paint of the converted pages against their originals.
bench-visitor: build
	cmake --build $(BUILD) --target bench-visitor

bench: build
	$(BUILD)/bin/bench_engine
	$(BUILD)/bin/bench_run
	$(BUILD)/bin/bench_scan
	$(BUILD)/bin/bench_jobs

# The fuzz targets need clang with libFuzzer; they get a build folder of their own, so the gcc
# builds above are not touched.
fuzz-build: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DVELTRANO_FUZZ=ON -DVELTRANO_BUILD_TESTS=OFF $(CMAKE_ARGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzzers

fuzz: fuzz-build
	scripts/fuzz $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-smoke: fuzz-build
	scripts/fuzz $(FUZZ_BUILD) 60

# Fuzzes, runs the reliability and window tests and writes their results to docs/reliability.md
# (from the fuzz logs and ctest's log of that run).
reliability-report: fuzz build
	cd $(BUILD) && ctest --output-on-failure -L 'reliability|ui'
	scripts/reliability-report $(BUILD) $(FUZZ_BUILD) > docs/reliability.md

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD)

# Every C++ file of the repository laid out as .clang-format says; format-check only reports.
FORMAT_FILES = $(shell git ls-files '*.cpp' '*.h')
format:
	clang-format -i $(FORMAT_FILES)

format-check:
	@bad=$$(for f in $(FORMAT_FILES); do clang-format --dry-run --Werror "$$f" >/dev/null 2>&1 || echo "$$f"; done); \
	if [ -n "$$bad" ]; then echo "not laid out as .clang-format says (make format):"; echo "$$bad"; exit 1; fi

# The share of test code against product code; fails above the house limit of 40 %.
test-ratio:
	@scripts/test-ratio
