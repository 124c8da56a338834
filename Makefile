# The two commands of the README, and the deeper checks.
#   make test   - install what is missing, check the formatting, build the checked Debug build, run every test
#   make run    - install what is missing, build the Release program and start it with the virtual instruments
#   make check  - clang-tidy (bugprone, performance) over src/, the unit and integration tests
#                 under ThreadSanitizer in their own build, and every reader fuzzed (libFuzzer with
#                 ASan and UBSan, clang, its own build) for FUZZ_RUNS inputs each
#   make format - apply .clang-format to every source file

SHELL       := /bin/bash
JOBS        ?= 2
DEBUG_DIR   := build/debug
RELEASE_DIR := build/release
TSAN_DIR    := build/tsan
FUZZ_DIR    := build/fuzz
FUZZ_RUNS   ?= 30000

FORMAT_DIRS := src tests tools bench
SOURCES      = $(shell find $(FORMAT_DIRS) -name '*.cpp' -o -name '*.h' | sort)

TIDY_CHECKS := -*,bugprone-*,performance-*,-bugprone-easily-swappable-parameters

# ThreadSanitizer needs a fixed memory layout; kernels with high address-space randomisation
# ("FATAL: ThreadSanitizer: unexpected memory mapping") refuse it. setarch -R turns the
# randomisation off for the tests and their children, wherever the machine allows it.
NO_ASLR := $(shell setarch $$(uname -m) -R true >/dev/null 2>&1 && echo setarch $$(uname -m) -R)

.PHONY: test run check bootstrap format format-check build-debug build-release build-tsan build-fuzz tidy tsan fuzz clean

bootstrap:
	@scripts/bootstrap

format-check: bootstrap
	@clang-format --dry-run -Werror $(SOURCES) || \
		{ echo "make: the files above break .clang-format; 'make format' applies it"; exit 1; }

format: bootstrap
	@clang-format -i $(SOURCES)

build-debug: format-check
	@cmake -S . -B $(DEBUG_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
		-DMOISTREL_SANITIZE=ON -DMOISTREL_WERROR=ON >/dev/null
	@cmake --build $(DEBUG_DIR) -j $(JOBS)

test: build-debug
	@cd $(DEBUG_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

build-release: bootstrap
	@cmake -S . -B $(RELEASE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DMOISTREL_BUILD_TESTS=OFF -DMOISTREL_BUILD_BENCH=ON >/dev/null
	@cmake --build $(RELEASE_DIR) -j $(JOBS)

run: build-release
	@scripts/run $(RELEASE_DIR)

# clang-tidy reads the compile commands of the Debug build (Qt's generated sources included).
tidy: build-debug
	@echo "check: clang-tidy ($(TIDY_CHECKS)) over src/"
	@find src -name '*.cpp' | sort | xargs -P $(JOBS) -n 4 clang-tidy -p $(DEBUG_DIR) --quiet \
		--checks='$(TIDY_CHECKS)' --warnings-as-errors='*' 2>&1 | \
		grep -v -e '^[0-9]* warnings* generated\.$$' -e '^Suppressed [0-9]* warnings' \
			-e '^Use -header-filter=' -e '^Use -system-headers' ; \
		exit $${PIPESTATUS[2]}

# The window and its tests are left out: ThreadSanitizer is for the core, its threads and the
# virtual instruments.
build-tsan: bootstrap
	@cmake -S . -B $(TSAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMOISTREL_TSAN=ON -DMOISTREL_WERROR=ON \
		-DMOISTREL_BUILD_UI=OFF -DMOISTREL_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(TSAN_DIR) -j $(JOBS)

tsan: build-tsan
	@echo "check: unit and integration tests under ThreadSanitizer"
	@cd $(TSAN_DIR) && TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" $(NO_ASLR) \
		ctest -L 'unit|integration' --output-on-failure -j $(JOBS) --timeout 600

# The fuzz targets and the libraries they read with, built by clang with the fuzzer's coverage;
# nothing of the window.
build-fuzz: bootstrap
	@cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
		-DMOISTREL_FUZZ=ON -DMOISTREL_WERROR=ON -DMOISTREL_BUILD_UI=OFF -DMOISTREL_BUILD_TESTS=OFF \
		-DMOISTREL_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_DIR) -j $(JOBS) --target moistrel_fuzzers

fuzz: build-fuzz
	@echo "check: every reader fuzzed, $(FUZZ_RUNS) inputs each"
	@scripts/fuzz $(FUZZ_DIR) $(FUZZ_RUNS)

check: tidy tsan fuzz

clean:
	rm -rf build
