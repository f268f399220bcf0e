# Makefile: the front door.  `make run` and `make test` do all the set-up on a fresh machine.
PRESET ?= release
JOBS ?= 2
BUILD := build/$(PRESET)

.PHONY: all deps configure build test run clean

all: build

deps:
	@sh tools/ensure-deps.sh

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET) -j $(JOBS)

test: build
	ctest --preset $(PRESET) -j $(JOBS)

run: build
	$(BUILD)/bin/quorvex-sim

clean:
	rm -rf build
