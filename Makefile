# Set-up and everyday commands. `make run` and `make test` install what a fresh Debian 12
# machine lacks (as root, or through sudo), build, and run.
BUILD   ?= build
JOBS    ?= $(shell nproc)
SUDO    := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
PACKAGES := cmake ninja-build g++ make libgtest-dev googletest qt6-base-dev \
            xvfb xauth g++-mingw-w64-x86-64-posix wine wine64

.PHONY: all deps configure build test test-win run bench tsan format clean

all: build

deps:
	@missing=$$(for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600
	$(MAKE) test-win

# The Windows build (mingw-w64) of every layer but the window, its tests run under Wine, and
# the Windows isp89-cli against this build's Linux isp89-sim.
test-win: build
	cmake -S . -B $(BUILD)-win -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake -DISP89_BUILD_GUI=OFF \
	  -DISP89_HOST_TOOLS=$(abspath $(BUILD))
	cmake --build $(BUILD)-win -j $(JOBS)
	cd $(BUILD)-win && ctest --output-on-failure -j $(JOBS) --timeout 600

bench: build
	$(BUILD)/bench/isp89-bench

# The worker and the threads under ThreadSanitizer, in a build folder of their own.
tsan: deps
	cmake -S . -B $(BUILD)-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DISP89_TSAN=ON
	cmake --build $(BUILD)-tsan -j $(JOBS)
	cd $(BUILD)-tsan && ctest --output-on-failure -j $(JOBS) -L threads

# The window on the simulated chip where there is a display; else the command-line demo.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  ISP89_COM1=sim $(BUILD)/src/ui/isp89; \
	else \
	  ISP89_COM1=sim $(BUILD)/src/cli/isp89-demo.sh; \
	fi

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(BUILD)-tsan $(BUILD)-win
