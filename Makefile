# Kinpath: `make run` starts the window on the sample questionnaire, `make test`
# runs every test. Both install the Debian packages the build needs first.

# Every Debian package the build, the tests and the tools need: one list.
PACKAGES := cmake make g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
            qt6-base-dev libgl-dev fonts-liberation fonts-dejavu-core \
            desktop-file-utils appstream poppler-utils xvfb xauth hyperfine

JOBS      ?= $(shell nproc 2>/dev/null || echo 2)
BUILD     := build
ASAN      := build-asan
BENCHDIR  := build-bench
SUDO      := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
export XDG_RUNTIME_DIR ?= /tmp/kinpath-runtime-$(shell id -u)

.PHONY: all deps build test test-asan run bench clean

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

test: build test-asan
	@mkdir -p $(XDG_RUNTIME_DIR) && chmod 700 $(XDG_RUNTIME_DIR)
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The core tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DKINPATH_SANITIZE=ON -DKINPATH_BUILD_QT=OFF
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

# The window on the sample questionnaire, in a scratch folder so that the saved
# page does not land among the sources. Without a display: the terminal version.
run: build
	@mkdir -p run && cp -n examples/script.txt run/script.txt 2>/dev/null || true
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ] && [ -x $(BUILD)/kinpath ]; then \
	  cd run && ../$(BUILD)/kinpath; \
	else \
	  echo "No display found: starting the terminal version (kinpath-cli)."; \
	  echo "Type a choice number, 's' to skip, 'q' to quit."; \
	  cd run && ../$(BUILD)/kinpath-cli; \
	fi

bench: deps
	cmake -S . -B $(BENCHDIR) -DCMAKE_BUILD_TYPE=Release -DKINPATH_BUILD_BENCH=ON -DKINPATH_BUILD_TESTS=OFF
	cmake --build $(BENCHDIR) -j $(JOBS)
	@for b in $(BENCHDIR)/bench/kinpath_bench*; do [ -x "$$b" ] && "$$b" || exit 1; done

clean:
	rm -rf $(BUILD) $(ASAN) $(BENCHDIR)
