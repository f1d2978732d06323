# Kinpath: `make run` starts the window on the sample questionnaire, `make test`
# runs every test. Both install the Debian packages the build needs first.

# The Debian packages: what building and starting the programs needs, and
# what the tests, the Windows cross-build and the tools need on top.
RUN_PACKAGES  := cmake make g++ pkg-config libgtest-dev qt6-base-dev libgl-dev libcli11-dev \
                 nlohmann-json3-dev fonts-liberation fonts-dejavu-core python3
TEST_PACKAGES := libgmock-dev libbenchmark-dev desktop-file-utils appstream poppler-utils \
                 xvfb xauth hyperfine clang-14 libclang-rt-14-dev time clang-format cloc \
                 g++-mingw-w64-x86-64-posix googletest wine wine64 nsis zip fonts-wine procps \
                 ghostscript emscripten node-acorn node-terser chromium chromium-driver \
                 python3-selenium at-spi2-core dbus-daemon python3-pyatspi
PACKAGES      := $(RUN_PACKAGES) $(TEST_PACKAGES)

JOBS      ?= $(shell nproc 2>/dev/null || echo 2)
BUILD     := build
ASAN      := build-asan
BENCHDIR  := build-bench
RELEASE   := build-release
WINDOWS   := build-windows
WEB       := build-web
# The page without a script and the studio, made by the web build; the Linux
# and Windows builds ship them beside kinpath-cli when told where they are.
WEB_PAGE  := $(CURDIR)/$(WEB)/kinpath-page.html
STUDIO    := $(CURDIR)/$(WEB)/kinpath-studio.html
WITH_WEB  ?=
# Warnings stop the build only in `make test` and `make test-asan`, so that a
# newer compiler's new warning never keeps anyone from `make run`.
WERROR    ?= OFF
SUDO      := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
export XDG_RUNTIME_DIR ?= /tmp/kinpath-runtime-$(shell id -u)

.PHONY: all deps run-deps build test test-linux test-windows test-asan windows windows-build \
        format format-check package run bench clean fuzz web web-page studio

all: build

# Installs only what is missing: with every package present, nothing runs
# apt-get and nothing asks for sudo.
deps: WANTED = $(PACKAGES)
run-deps: WANTED = $(RUN_PACKAGES)
deps run-deps:
	@missing=""; \
	for p in $(WANTED); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

# Configured every time: WERROR differs between `make run` and `make test`, and
# only `make test` has the Linux build run the command-line tests against the
# Windows program too (test cli-windows).
WINDOWS_CLI_TESTS ?=
# `make test` compiles the benchmarks too, so that none rots unseen; running
# them is `make bench`'s.
BENCH ?= OFF
CONFIGURE = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKINPATH_WERROR=$(WERROR) \
	  -DKINPATH_WINDOWS_BUILD_DIR=$(WINDOWS_CLI_TESTS) -DKINPATH_WEB_PAGE=$(WITH_WEB) \
	  -DKINPATH_BUILD_BENCH=$(BENCH)
build: deps
	$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS)

# The formatting check first: it takes a second, the builds take minutes. Then
# the Linux suite, the Windows one under Wine, and the sanitizers last.
test test-linux test-windows test-asan: WERROR = ON
test test-linux test-windows: BENCH = ON
test test-linux test-windows: WINDOWS_CLI_TESTS = $(CURDIR)/$(WINDOWS)
# The Linux build gets the page, so the browser tests run with its tests.
test test-linux test-windows web: WITH_WEB = $(WEB_PAGE)
test: format-check test-linux test-windows test-asan

test-linux: web-page build
	@mkdir -p $(XDG_RUNTIME_DIR) && chmod 700 $(XDG_RUNTIME_DIR)
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) -E '^cli-windows'

# The Windows programs and tests, each test under Wine (the build folder's own
# Wine prefix, made on first use), then the Linux command-line tests against
# kinpath-cli.exe.
test-windows: windows-build web-page build
	@# The prefix and its server made before CTest lists the tests in it: a
	@# first start that fails (rarely, on a fresh machine) is tried again.
	@for i in 1 2 3; do sh tools/wine-run.sh $(CURDIR)/$(WINDOWS)/wineprefix cmd /c exit 0 && break; \
	  echo "Wine did not start in $(WINDOWS)/wineprefix; trying again."; sleep 5; done
	cd $(WINDOWS) && ctest --output-on-failure -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -R '^cli-windows'

# Every test again under AddressSanitizer (with leak detection) and
# UndefinedBehaviorSanitizer, the window's tests included.
test-asan: deps
	@mkdir -p $(XDG_RUNTIME_DIR) && chmod 700 $(XDG_RUNTIME_DIR)
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DKINPATH_SANITIZE=ON -DKINPATH_WERROR=$(WERROR)
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Every C++ source formatted with .clang-format: in place, or only checked.
format: deps
	tools/format.sh

format-check: deps
	tools/format.sh --check

# Cross-built for Windows with MinGW-w64 (tests included, so that the same
# folder serves `make test`).
windows-build: deps web-page
	cmake -S . -B $(WINDOWS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	  -DCMAKE_BUILD_TYPE=Release -DKINPATH_WERROR=$(WERROR) -DKINPATH_WEB_PAGE=$(WEB_PAGE) \
	  -DKINPATH_STUDIO=$(STUDIO)
	cmake --build $(WINDOWS) -j $(JOBS)

# The Windows downloads (a zip and an installer) in build-windows/.
windows: windows-build
	cd $(WINDOWS) && cpack

# A .deb of an optimised build with stripped programs, in build-release/.
package: deps web-page
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DKINPATH_BUILD_TESTS=OFF \
	  -DKINPATH_WEB_PAGE=$(WEB_PAGE) -DKINPATH_STUDIO=$(STUDIO)
	cmake --build $(RELEASE) -j $(JOBS)
	cd $(RELEASE) && cpack
	@ls -l $(RELEASE)/*.deb

# The questionnaire as a web page (Debian's emscripten, whose tools need
# Debian's node modules): the page without a script, kinpath-page.html, and the
# authors' studio, kinpath-studio.html, then the sample published with the
# page, kinpath-sample.html, all in build-web/.
web-page: deps
	NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B $(WEB) -DCMAKE_BUILD_TYPE=MinSizeRel \
	  -DKINPATH_WERROR=$(WERROR)
	NODE_PATH=/usr/share/nodejs cmake --build $(WEB) -j $(JOBS)

web: web-page
	$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS) --target kinpath-cli kinpath-page-copy
	$(BUILD)/kinpath-cli --publish examples/script.txt -o $(WEB)/kinpath-sample.html

# The studio from a clone: built with the web page, then opened in the default
# browser; without a display (or a browser to open it), where it is.
studio: web-page
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ] && xdg-open $(STUDIO) 2>/dev/null; then \
	  echo "Kinpath Studio: $(STUDIO) (opened in your web browser)"; \
	else \
	  echo "Kinpath Studio: $(STUDIO)"; \
	  echo "No display or browser found here: open that file in a web browser."; \
	fi

# The window on the sample questionnaire, in a scratch folder so that the saved
# page does not land among the sources. Without a display: the terminal version.
# Only the two programs it may start are built: the tests wait for `make test`.
run: run-deps
	$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS) --target kinpath-cli $$(cmake --build $(BUILD) --target help | grep -qx '\.\.\. kinpath' && echo kinpath)
	@mkdir -p run && cp -n examples/script.txt run/script.txt 2>/dev/null || true
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "No display found: starting the terminal version (kinpath-cli) instead of the window."; \
	elif [ ! -x $(BUILD)/kinpath ]; then \
	  echo "The window was not built (Qt 6 missing?): starting the terminal version (kinpath-cli)."; \
	else \
	  cd run && exec ../$(BUILD)/kinpath; \
	fi; \
	echo "Type a choice number, 's' to skip, 'q' to quit."; \
	cd run && exec ../$(BUILD)/kinpath-cli

bench: deps web-page
	cmake -S . -B $(BENCHDIR) -DCMAKE_BUILD_TYPE=Release -DKINPATH_BUILD_BENCH=ON -DKINPATH_BUILD_TESTS=OFF \
	  -DKINPATH_WEB_PAGE=$(WEB_PAGE)
	cmake --build $(BENCHDIR) -j $(JOBS)
	@for b in $(BENCHDIR)/bench/kinpath_bench*; do [ -x "$$b" ] && "$$b" || exit 1; done
	@# Whole processes on generated 0.1, 1 and 10 MB scripts, against wc -l.
	bench/scale/run_scale.sh $(BENCHDIR)/kinpath-cli
	@# The window against a bare dialog: start-up, idle wakeups, memory.
	@mkdir -p $(XDG_RUNTIME_DIR) && chmod 700 $(XDG_RUNTIME_DIR)
	@if [ -x $(BENCHDIR)/bench/window/kinpath_spawn_timer ]; then \
	  if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then export QT_QPA_PLATFORM=offscreen; fi; \
	  bench/window/run.sh $(BENCHDIR); \
	else \
	  echo "No window built: its benchmarks are skipped."; \
	fi
	@# The published sample page: size, start-up against a static page, idle, memory.
	$(BENCHDIR)/kinpath-cli --publish examples/script.txt -o $(WEB)/kinpath-sample.html
	python3 bench/web/run.py $(WEB)/kinpath-sample.html
	@# The studio: checking as one types, the balance in its worker, size, first paint.
	python3 bench/web/studio.py $(STUDIO) examples/script.txt

# Each fuzz target for FUZZ_SECONDS seconds (clang's libFuzzer with ASan and
# UBSan), starting from the seeds and every saved regression input. A crash
# stops with its input in build-fuzz/artifacts: add it to fuzz/regressions/.
FUZZ_SECONDS ?= 300
FUZZDIR      := build-fuzz
fuzz: deps
	cmake -S fuzz -B $(FUZZDIR) -DCMAKE_CXX_COMPILER=clang++-14
	cmake --build $(FUZZDIR) -j $(JOBS)
	@for t in script_fuzz pane_fuzz publish_fuzz balance_fuzz; do \
	  mkdir -p $(FUZZDIR)/corpus/$$t $(FUZZDIR)/artifacts fuzz/regressions/$$t; \
	  echo "== $$t for $(FUZZ_SECONDS) s (log: $(FUZZDIR)/$$t.log)"; \
	  if ! $(FUZZDIR)/$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	      -timeout=10 -rss_limit_mb=2048 -max_len=32768 -dict=$(CURDIR)/fuzz/kinpath.dict \
	      -artifact_prefix=$(CURDIR)/$(FUZZDIR)/artifacts/$$t- \
	      $(CURDIR)/$(FUZZDIR)/corpus/$$t $(CURDIR)/fuzz/corpus/$$t $(CURDIR)/fuzz/regressions/$$t \
	      > $(FUZZDIR)/$$t.log 2>&1; then \
	    tail -n 40 $(FUZZDIR)/$$t.log; exit 1; \
	  fi; \
	  grep -E '^#[0-9]+[[:space:]]+DONE|^stat::(number_of_executed_units|average_exec_per_sec)' $(FUZZDIR)/$$t.log; \
	done

clean:
	rm -rf $(BUILD) $(ASAN) $(BENCHDIR) $(RELEASE) $(WINDOWS) $(WEB) $(FUZZDIR) build-fuzz-cov
