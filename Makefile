# Makefile: the front door.  `make run` and `make test` do all the set-up on a fresh machine.
PRESET ?= release
JOBS ?= 2
BUILD := build/$(PRESET)

FUZZ_TARGETS := commands host
FUZZ_SECONDS ?= 300
FUZZ_TEST_SECONDS ?= 30

.PHONY: all help deps deps-cross deps-fuzz deps-bench configure build run test test-native test-asan test-i386 test-windows \
	fuzz-build test-fuzz fuzz bench package clean

all: build

help:
	@echo "make run        build the module and quorvex-sim, play the default scenario"
	@echo "make test       every build and suite: native, ASan+UBSan, fuzz (30 s each), i386, Windows"
	@echo "make build      build the $(PRESET) preset (PRESET=debug|asan|i386 also work)"
	@echo "make bench      benchmarks, instruction counts and simulator throughput"
	@echo "make fuzz       each fuzz target for FUZZ_SECONDS (default 300)"
	@echo "make package    release archives for servers, in build/package"
	@echo "make clean      remove build/"

# Each build asks only for the Debian packages it needs.
deps:
	@sh tools/ensure-deps.sh core

deps-cross deps-fuzz deps-bench: deps-%: deps
	@sh tools/ensure-deps.sh $*

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET) -j $(JOBS)

run: build
	$(BUILD)/bin/quorvex-sim

# Everything, in this order: the native suite; the whole suite again under
# ASan + UBSan (no recovery); each fuzz target for a bounded time; the whole
# suite against the 32-bit module servers load; the Windows DLLs, each
# checked as a file.
test: test-native test-asan test-fuzz test-i386 test-windows

test-native: build
	ctest --preset $(PRESET) -j $(JOBS)

# A whole tree built and tested with one preset.
test-asan test-i386: test-%:
	cmake --preset $*
	cmake --build --preset $* -j $(JOBS)
	ctest --preset $* -j $(JOBS)

test-asan: deps
test-i386: deps-cross

test-windows: deps-cross
	for p in mingw32 mingw64; do \
		cmake --preset $$p && cmake --build --preset $$p -j $(JOBS) && ctest --preset $$p || exit 1; \
	done

fuzz-build: deps-fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)

test-fuzz: fuzz-build
	for t in $(FUZZ_TARGETS); do sh fuzz/run.sh $$t $(FUZZ_TEST_SECONDS) || exit 1; done

fuzz: fuzz-build
	for t in $(FUZZ_TARGETS); do sh fuzz/run.sh $$t $(FUZZ_SECONDS) || exit 1; done

# Timings mean something only in an optimised build, so always release.
bench: deps-bench
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	sh bench/run.sh build/release/bin

# The release archives: the i386 module and the 32-bit DLL, in build/package.
package: deps-cross
	for p in i386 mingw32; do \
		cmake --preset $$p && cmake --build --preset $$p -j $(JOBS) --target release-archive || exit 1; \
	done
	@ls -l build/package

clean:
	rm -rf build
