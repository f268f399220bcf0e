# Makefile: the front door.  `make run` and `make test` do all the set-up on a fresh machine.
PRESET ?= release
JOBS ?= 2
BUILD := build/$(PRESET)

.PHONY: all deps configure build test run bench clean

all: build

deps:
	@sh tools/ensure-deps.sh

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET) -j $(JOBS)

test: test-native

test-native: build
	ctest --preset $(PRESET) -j $(JOBS)

run: build
	$(BUILD)/bin/quorvex-sim

# Timings mean something only in an optimised build, so always release.
bench: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	sh bench/run.sh build/release/bin

# Hardening: the whole suite again under ASan + UBSan (no recovery), and the
# fuzz targets for a bounded time; `make fuzz` runs them for longer.
FUZZ_TARGETS := commands host
FUZZ_SECONDS ?= 300
FUZZ_TEST_SECONDS ?= 30

.PHONY: test-asan fuzz-build test-fuzz fuzz
test: test-asan test-fuzz

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

fuzz-build: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)

test-fuzz: fuzz-build
	for t in $(FUZZ_TARGETS); do sh fuzz/run.sh $$t $(FUZZ_TEST_SECONDS) || exit 1; done

fuzz: fuzz-build
	for t in $(FUZZ_TARGETS); do sh fuzz/run.sh $$t $(FUZZ_SECONDS) || exit 1; done

# What servers load: the 32-bit Linux module with the whole suite run against
# it, and the Windows DLLs, each checked as a file; then the release archives.
WINDOWS_PRESETS := mingw32 mingw64

.PHONY: test-native test-i386 test-windows package
test: test-i386 test-windows

test-i386: deps
	cmake --preset i386
	cmake --build --preset i386 -j $(JOBS)
	ctest --preset i386 -j $(JOBS)

test-windows: deps
	for p in $(WINDOWS_PRESETS); do \
		cmake --preset $$p && cmake --build --preset $$p -j $(JOBS) && ctest --preset $$p || exit 1; \
	done

package: deps
	cmake --preset i386
	cmake --build --preset i386 -j $(JOBS) --target release-archive
	cmake --preset mingw32
	cmake --build --preset mingw32 -j $(JOBS) --target release-archive
	@ls -l build/package

clean:
	rm -rf build
