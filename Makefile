# Two commands are all a newcomer needs: `make run` and `make test`.
# The rest are for CI and releases: `make package-test`, `make fresh-test` (the two commands
# on a bare Debian 12 root, run by an ordinary user), `make asan-test`, `make fuzz`, `make package`, `make bench`,
# `make install` (DESTDIR, PREFIX), `make dist`, `make update-po` (the catalogs brought up
# to date with the sources' words), and the Windows build of zarneth.exe and
# zarneth-cli.exe: `make windows`, `make windows-test`, `make windows-package`.
# Each installs, with scripts/install-deps, only the packages its purpose needs.
FUZZ_SECONDS ?= 30
PREFIX ?= /usr/local

.PHONY: all deps build test package-test run demo install uninstall dist fresh-test asan-test fuzz \
        package bench windows windows-test windows-package update-po clean

all: build

# The one way a preset is built: the packages its purpose needs (scripts/install-deps
# PURPOSE), its folder configured once, then built. $(call preset_build,PRESET,PURPOSE,FOLDER)
define preset_build
	@scripts/install-deps $(2)
	@test -f $(3)/build.ninja || cmake --preset $(1)
	cmake --build --preset $(1)
endef

deps:
	@scripts/install-deps linux

build:
	$(call preset_build,default,linux,build)

# The developer's quick check: every suite but the package's and the install tree's.
test: build
	ctest --preset default

# The Debian package built as a distribution builds it, its contents and lintian, and the
# `make install` tree: the checks that build everything once more. CI runs it after `make test`.
package-test: build
	ctest --preset package

run: build
	build/bin/zarneth

# Made-up files in build/demo and every step of the README run on them (docs/demo).
demo: build
	sh docs/demo/walkthrough.sh build/demo build/bin/zarneth-cli

# po/zarneth.pot extracted afresh and merged into every po/LANG.po, for a translator.
update-po:
	@scripts/install-deps install
	scripts/update-po

# The programs, manual pages, completion, desktop entry, icons, README and LICENSE under
# $(DESTDIR)$(PREFIX), from an optimised build with the distribution's hardening flags and
# nothing of the tests, in a build folder of its own outside the tree (INSTALL_BUILD), so
# that `sudo make install` leaves no file of root's in it. The Debian-format copyright and
# changelog only go into the package.
# The folder is named for the tree's path, and a build folder configured from another tree
# is configured anew, so each tree installs its own programs.
TREE_KEY := $(shell printf '%s' '$(CURDIR)' | sha256sum | cut -c1-12)
INSTALL_BUILD ?= $(or $(XDG_CACHE_HOME),$(HOME)/.cache)/zarneth/build-install-$(TREE_KEY)
install:
	@scripts/check-install-prefix '$(DESTDIR)$(PREFIX)'
	@scripts/install-deps install
	@scripts/configure-install-build '$(INSTALL_BUILD)'
	cmake --build '$(INSTALL_BUILD)'
	@scripts/note-new-folders before '$(INSTALL_BUILD)' '$(DESTDIR)' '$(PREFIX)'
	DESTDIR='$(DESTDIR)' cmake --install '$(INSTALL_BUILD)' --prefix '$(PREFIX)' --strip
	@scripts/note-new-folders after '$(INSTALL_BUILD)' '$(DESTDIR)' '$(PREFIX)'

# Removes what `make install` put down with the same DESTDIR and PREFIX, from the list the
# install wrote (install_manifest.txt), and the folders it leaves empty under the prefix.
uninstall:
	@test -f '$(INSTALL_BUILD)/install_manifest.txt' || \
	  { echo "make uninstall: nothing installed from this tree by $$(id -un) ($(INSTALL_BUILD));" \
	         "what 'sudo make install' put down, 'sudo make uninstall' takes away" >&2; exit 1; }
	@scripts/uninstall-manifest '$(INSTALL_BUILD)/install_manifest.txt' '$(DESTDIR)' '$(PREFIX)'

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
	$(call preset_build,asan,asan,build-asan)
	ctest --preset asan

# Each libFuzzer target for FUZZ_SECONDS, starting from the seed corpus in tests/fuzz/corpus.
fuzz:
	$(call preset_build,fuzz,fuzz,build-fuzz)
	@for target in hex_address locate run_job; do \
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
	$(call preset_build,windows,windows,build-windows)

windows-test: windows
	ctest --preset windows

# build-windows/zarneth-<version>-win64.zip (the programs, README.txt, LICENSE) and
# build-windows/zarneth-<version>-win64.exe, the installer.
windows-package: windows
	cd build-windows && cpack

clean:
	rm -rf build build-asan build-fuzz build-fresh build-release build-windows
