# Two commands are all a newcomer needs: `make run` and `make test`.
PRESET ?= default
BUILD_DIR := build

.PHONY: all deps configure build test run asan-test package clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@if [ ! -f $(BUILD_DIR)/build.ninja ]; then cmake --preset $(PRESET); fi

build: configure
	cmake --build --preset $(PRESET)

test: build
	ctest --preset $(PRESET)

run: build
	$(BUILD_DIR)/bin/zarneth

clean:
	rm -rf build build-asan build-release
