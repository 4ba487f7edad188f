# Two commands are all a newcomer needs: `make run` and `make test`.
# The rest are for CI and releases: `make asan-test`, `make fuzz`, `make package`, `make bench`,
# and the Windows build: `make windows`, `make windows-test`, `make windows-package`.
FUZZ_SECONDS ?= 30

.PHONY: all deps build test run asan-test fuzz package bench windows windows-test windows-package clean

all: build

deps:
	@scripts/install-deps

build: deps
	@test -f build/build.ninja || cmake --preset default
	cmake --build --preset default

test: build
	ctest --preset default

run: build
	build/bin/zarneth

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
asan-test: deps
	@test -f build-asan/build.ninja || cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# Each libFuzzer target for FUZZ_SECONDS, starting from the seed corpus in tests/fuzz/corpus.
fuzz: deps
	@test -f build-fuzz/build.ninja || cmake --preset fuzz
	cmake --build --preset fuzz
	@for target in hex_address run_job; do \
	  mkdir -p build-fuzz/corpus/$$target; \
	  echo "fuzzing $$target for $(FUZZ_SECONDS) s"; \
	  build-fuzz/bin/fuzz_$$target -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	    -artifact_prefix=build-fuzz/ build-fuzz/corpus/$$target tests/fuzz/corpus/$$target \
	    2>build-fuzz/fuzz_$$target.log || { tail -n 30 build-fuzz/fuzz_$$target.log; exit 1; }; \
	  grep -E "^stat::number_of_executed_units|Done" build-fuzz/fuzz_$$target.log; \
	done

# A Debian package of the optimised build, in build-release/.
package: deps
	@test -f build-release/build.ninja || cmake --preset release
	cmake --build --preset release
	cd build-release && cpack -G DEB

bench: deps
	@test -f build-release/build.ninja || cmake --preset release
	cmake --build --preset release
	build-release/bin/engine_bench

# zarneth-cli.exe and the tests for 64-bit Windows, cross-built with MinGW-w64 into
# build-windows/bin; the tests run under Wine.
windows: deps
	@test -f build-windows/build.ninja || cmake --preset windows
	cmake --build --preset windows

windows-test: windows
	ctest --preset windows

# build-windows/zarneth-<version>-win64.zip (the programs, README, LICENSE) and
# build-windows/zarneth-<version>-win64.exe, the installer.
windows-package: windows
	cd build-windows && cpack

clean:
	rm -rf build build-asan build-fuzz build-release build-windows
