# Two commands are all a newcomer needs: `make run` and `make test`.
# The rest are for CI and releases: `make fresh-test` (the two commands on a bare Debian 12
# root), `make asan-test`, `make fuzz`, `make package`, `make bench`,
# `make install` (DESTDIR, PREFIX), `make dist`, and the Windows build of zarneth.exe and
# zarneth-cli.exe: `make windows`, `make windows-test`, `make windows-package`.
# Each installs, with scripts/install-deps, only the packages its purpose needs.
FUZZ_SECONDS ?= 30
PREFIX ?= /usr/local

.PHONY: all deps build test run install dist fresh-test asan-test fuzz package bench windows \
        windows-test windows-package clean

all: build

deps:
	@scripts/install-deps linux

build: deps
	@test -f build/build.ninja || cmake --preset default
	cmake --build --preset default

test: build
	ctest --preset default

run: build
	build/bin/zarneth

# The programs, manual pages, completion, desktop entry, icons, README and LICENSE under
# $(DESTDIR)$(PREFIX), from an optimised build with the distribution's hardening flags and
# nothing of the tests, in a build folder of its own outside the tree (INSTALL_BUILD), so
# that `sudo make install` leaves no file of root's in it. The Debian-format copyright and
# changelog only go into the package.
INSTALL_BUILD ?= $(or $(XDG_CACHE_HOME),$(HOME)/.cache)/zarneth/build-install
install:
	@scripts/install-deps install
	@test -f $(INSTALL_BUILD)/build.ninja || ZARNETH_INSTALL_BUILD=$(INSTALL_BUILD) cmake --preset install
	cmake --build $(INSTALL_BUILD)
	DESTDIR=$(DESTDIR) cmake --install $(INSTALL_BUILD) --prefix $(PREFIX)

# $(DIST_DIR)/zarneth-<version>.tar.gz (build/ by default): the committed tree without its
# debian/ folder, which builds with `make run` and `make test`, and is the orig tarball of the
# Debian source package (zarneth_<version>.orig.tar.gz).
VERSION := $(shell sed -n 's/^project.zarneth VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
DIST_DIR ?= build
dist:
	@mkdir -p $(DIST_DIR)
	git archive --format=tar.gz --prefix=zarneth-$(VERSION)/ \
	  -o $(DIST_DIR)/zarneth-$(VERSION).tar.gz HEAD -- . ':(exclude)debian'
	@echo "$(DIST_DIR)/zarneth-$(VERSION).tar.gz"

# `make test`, then `make run`'s build, as root in a bare Debian 12 root made with mmdebstrap
# from this machine's apt sources, on a clone of the committed tree: what a newcomer meets.
fresh-test:
	scripts/fresh-test

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
asan-test:
	@scripts/install-deps asan
	@test -f build-asan/build.ninja || cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

# Each libFuzzer target for FUZZ_SECONDS, starting from the seed corpus in tests/fuzz/corpus.
fuzz:
	@scripts/install-deps fuzz
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

# The Debian package, built as a distribution builds it (dpkg-buildpackage on debian/, the
# distribution's flags), in build-deb/.
package:
	@scripts/install-deps linux
	scripts/build-deb build-deb

bench:
	@scripts/install-deps bench
	cmake --preset release -DZARNETH_BUILD_BENCH=ON
	cmake --build --preset release
	build-release/bin/engine_bench

# zarneth.exe, zarneth-cli.exe and the tests for 64-bit Windows, cross-built with MinGW-w64 into
# build-windows/bin; the tests run under Wine.
windows:
	@scripts/install-deps windows
	@test -f build-windows/build.ninja || cmake --preset windows
	cmake --build --preset windows

windows-test: windows
	ctest --preset windows

# build-windows/zarneth-<version>-win64.zip (the programs, README.txt, LICENSE) and
# build-windows/zarneth-<version>-win64.exe, the installer.
windows-package: windows
	cd build-windows && cpack

clean:
	rm -rf build build-asan build-fuzz build-fresh build-release build-windows
