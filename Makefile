# Thin wrapper: configures, builds, runs. Packages are installed when a configure finds one missing
# and once per build folder (again when scripts/install-deps changes), never on every build.
BUILD      ?= build
SAN_BUILD  ?= build-sanitize
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 180
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=
ifeq ($(CI),true)
CMAKE_ARGS += -DVELTRANO_WERROR=ON
endif

export QT_QPA_PLATFORM ?= offscreen

.PHONY: all deps configure build run test test-sanitize test-tsan check-window-move bench \
	bench-visitor browser-report clean fuzz fuzz-build fuzz-smoke reliability-report package \
	format format-check test-ratio

all: build

deps:
	@scripts/install-deps

DEPS_STAMP = $(BUILD)/.deps-installed
$(DEPS_STAMP): scripts/install-deps
	@scripts/install-deps
	@mkdir -p $(BUILD) && touch $@

# $(call configure_in,FOLDER,SETTINGS): configures FOLDER; when CMake finds something missing, the
# packages are installed and the configure runs once more.
configure_in = cmake -S . -B $(1) $(2) $(CMAKE_ARGS) || \
	{ scripts/install-deps && cmake -S . -B $(1) $(2) $(CMAKE_ARGS); }

# A build folder is configured when it is new, and again whenever flags are given (CI's -Werror).
configure: $(DEPS_STAMP)
	@if [ ! -f $(BUILD)/CMakeCache.txt ] || [ -n "$(strip $(CMAKE_ARGS))" ]; then \
		$(call configure_in,$(BUILD),-DCMAKE_BUILD_TYPE=RelWithDebInfo); fi

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only what the window needs: the program and its help.pdf; tests and benchmarks are built by
# make test and make bench.
run: configure
	cmake --build $(BUILD) -j $(JOBS) --target veltrano help_pdf
	@scripts/run "$(BUILD)"

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: $(DEPS_STAMP)
	$(call configure_in,$(SAN_BUILD),-DCMAKE_BUILD_TYPE=Debug -DVELTRANO_SANITIZE=ON)
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS) -LE 'browser|package'

# The engine's and the batch tool's tests under ThreadSanitizer, in a build folder of their own;
# a report fails the test. tests/tsan.supp keeps out what it cannot see through (Qt's libraries);
# a test may start the batch tool as a process of its own after its threads have started.
test-tsan: $(DEPS_STAMP)
	$(call configure_in,$(TSAN_BUILD),-DCMAKE_BUILD_TYPE=Debug -DVELTRANO_TSAN=ON)
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target tests-core tests-batch
	cd $(TSAN_BUILD) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 die_after_fork=0 \
		suppressions=$(CURDIR)/tests/tsan.supp" ctest --output-on-failure -j $(JOBS) -L 'core|batch'

# The window's mouse actions under a real window manager (openbox on Xvfb).
check-window-move: build
	scripts/check-window-move $(BUILD)

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
fuzz-build: $(DEPS_STAMP)
	export CC=clang CXX=clang++ && $(call configure_in,$(FUZZ_BUILD),-DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DVELTRANO_FUZZ=ON -DVELTRANO_BUILD_TESTS=OFF)
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
	rm -rf $(BUILD) $(SAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)

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
