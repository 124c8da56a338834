# The two commands of the README.
#   make test  - install what is missing, build the checked Debug build, run every test
#   make run   - install what is missing, build the Release program and start it with the virtual instruments

JOBS        ?= 2
DEBUG_DIR   := build/debug
RELEASE_DIR := build/release

.PHONY: test run bootstrap build-debug build-release clean

bootstrap:
	@scripts/bootstrap

build-debug: bootstrap
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

clean:
	rm -rf build
