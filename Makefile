# Thin wrapper: installs what is missing, configures, builds, runs.
BUILD      ?= build
SAN_BUILD  ?= build-sanitize
JOBS       ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_ARGS ?=
ifeq ($(CI),true)
CMAKE_ARGS += -DVELTRANO_WERROR=ON
endif

export QT_QPA_PLATFORM ?= offscreen

.PHONY: all deps configure build run test test-sanitize bench browser-report clean

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run "$(BUILD)"

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVELTRANO_SANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS) -LE browser

# Runs the browser tests and writes their table to docs/browser-report.md.
browser-report: build
	cmake --build $(BUILD) --target browser-report

bench: build
	$(BUILD)/bin/bench_engine
	$(BUILD)/bin/bench_run
	$(BUILD)/bin/bench_scan

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
