# Pictrix: every target calls CMake. `make run` and `make test` do the whole set-up on a fresh machine.
BUILD        ?= build
SAN_BUILD    ?= build-san
FUZZ_BUILD   ?= build-fuzz
BENCH_BUILD  ?= build-bench
JOBS         ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 60
CMAKE_FLAGS  ?=
PREFIX       ?= /usr/local
DESTDIR      ?=
ifeq ($(CI),true)
CMAKE_FLAGS += -DPICTRIX_WERROR=ON
endif

.PHONY: all deps deps-test build run test test-san fuzz bench screenshots install install-strip uninstall deb clean

all: build

deps:
	@scripts/install-deps.sh

# The tools of the tests, the sanitizer and fuzzing builds, the benchmarks and the package.
deps-test:
	@scripts/install-deps.sh --test

CONFIGURE = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)

$(BUILD)/CMakeCache.txt: | deps
	$(CONFIGURE)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-sample.sh $(BUILD)

# Configured again: a build folder that make run made has no tests until their tools are there.
test: deps-test
	$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The whole test suite once under AddressSanitizer and UndefinedBehaviorSanitizer.
test-san: deps-test
	cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DPICTRIX_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(SAN_BUILD) -j $(JOBS)
	cd $(SAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# Every libFuzzer target for FUZZ_SECONDS seconds, seeded from the test fixtures.
fuzz: deps-test
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPICTRIX_FUZZ=ON \
	  -DPICTRIX_UI=OFF $(CMAKE_FLAGS)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	scripts/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: deps-test
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DPICTRIX_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	scripts/run-benchmarks.sh $(BENCH_BUILD)

# The main window on the sample module in each of its four views, the small-icon view of long
# names, the window at twice the scale and the images of an icon shown beside the list, as PNG files under $(BUILD)/screenshots, taken under a
# virtual X server with settings of their own; then the dialogs (the properties of a long path
# among them), the grid and the search window (also during and after an extraction), which
# pictrix-screenshots draws.
screenshots: deps-test
	$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS)
	rm -rf $(BUILD)/screenshots $(BUILD)/screenshots-home
	mkdir -p $(BUILD)/screenshots-home/config $(BUILD)/screenshots-home/state
	XDG_CONFIG_HOME=$(abspath $(BUILD))/screenshots-home/config XDG_STATE_HOME=$(abspath $(BUILD))/screenshots-home/state \
	  PICTRIX_NO_SPLASH=1 PICTRIX_SCREENSHOTS=$(abspath $(BUILD))/screenshots \
	  tests/ui/xvfb.sh 1024x768 $(BUILD)/pictrix $(BUILD)/fixtures/modules/sample.dll
	# The small-icon view of names longer than their cells, and the window on a screen scaled by two.
	XDG_CONFIG_HOME=$(abspath $(BUILD))/screenshots-home/config XDG_STATE_HOME=$(abspath $(BUILD))/screenshots-home/state \
	  PICTRIX_NO_SPLASH=1 PICTRIX_SCREENSHOTS=$(abspath $(BUILD))/screenshots-home/long-names \
	  tests/ui/xvfb.sh 1024x768 $(BUILD)/pictrix $(BUILD)/fixtures/modules/longnames.dll
	cp $(BUILD)/screenshots-home/long-names/main-small.png $(BUILD)/screenshots/main-small-long-names.png
	XDG_CONFIG_HOME=$(abspath $(BUILD))/screenshots-home/config XDG_STATE_HOME=$(abspath $(BUILD))/screenshots-home/state \
	  PICTRIX_NO_SPLASH=1 PICTRIX_SCREENSHOTS=$(abspath $(BUILD))/screenshots-home/scaled QT_SCALE_FACTOR=2 \
	  tests/ui/xvfb.sh 2048x1536 $(BUILD)/pictrix $(BUILD)/fixtures/modules/sample.dll
	cp $(BUILD)/screenshots-home/scaled/main-large.png $(BUILD)/screenshots/main-large-2x.png
	# The images of an icon of ten images beside the list, two of them selected.
	XDG_CONFIG_HOME=$(abspath $(BUILD))/screenshots-home/config XDG_STATE_HOME=$(abspath $(BUILD))/screenshots-home/state \
	  PICTRIX_NO_SPLASH=1 PICTRIX_SCREENSHOTS=$(abspath $(BUILD))/screenshots-home/images \
	  tests/ui/xvfb.sh 1024x768 $(BUILD)/pictrix $(BUILD)/fixtures/modules/ten.dll
	cp $(BUILD)/screenshots-home/images/main-images.png $(BUILD)/screenshots/main-images.png
	# The dialogs, the icon grid and the search window (after a search, busy, each menu open, during
	# and after an extraction), drawn by a program of their own.
	XDG_CONFIG_HOME=$(abspath $(BUILD))/screenshots-home/config XDG_STATE_HOME=$(abspath $(BUILD))/screenshots-home/state \
	  QT_QPA_PLATFORM=offscreen $(BUILD)/pictrix-screenshots $(BUILD)/screenshots
	@ls -1 $(BUILD)/screenshots/*.png

# The programs, their help, the desktop entry, the list files' MIME type and the icon under
# $(PREFIX) (default /usr/local), staged below $(DESTDIR) when it is set (for a package).
# install-strip does the same with the programs' debugging symbols left out.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

install-strip: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)" --strip

# Removes every file the last make install put there (the build folder's install_manifest.txt),
# and the folders and cache entries that installation made (install_created.txt beside it), each
# folder only when it is empty; what was there before stays. Refreshes the desktop's caches.
uninstall:
	@test -f $(BUILD)/install_manifest.txt || { echo "uninstall: $(BUILD)/install_manifest.txt is missing: nothing was installed from $(BUILD)"; exit 1; }
	@scripts/uninstall.sh $(BUILD)/install_manifest.txt "$(DESTDIR)" "$(PREFIX)"

# A Debian package of the build in $(BUILD) (make build made it, with Debian's hardening flags),
# under $(BUILD)/: CPack's DEB generator with the shared libraries' packages as dependencies;
# lintian checks it. Installs only what packaging needs (scripts/install-deps.sh --package).
deb:
	@scripts/install-deps.sh --package
	@test -f $(BUILD)/CMakeCache.txt || { echo "deb: build first (make build, or BUILD=DIR)"; exit 1; }
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && cpack -G DEB
	lintian --fail-on error --pedantic --display-info $(BUILD)/pictrix_*.deb

clean:
	rm -rf $(BUILD) $(SAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
