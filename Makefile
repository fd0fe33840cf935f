# Set-up and everyday commands. `make run` and `make test` install what a fresh Debian 12
# machine lacks (as root, or through sudo), build, and run.
BUILD   ?= build
JOBS    ?= $(shell nproc)
SUDO    := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
PACKAGES := cmake ninja-build g++ make libgtest-dev googletest qt6-base-dev \
            qt6-serialport-dev xvfb xauth g++-mingw-w64-x86-64-posix wine wine64 clang \
            libclang-rt-14-dev
# The serial port list (libserialport), and making and checking the Debian package.
PACKAGES += pkg-config libserialport-dev dpkg-dev lintian man-db bash-completion unzip
# Qt's translation tools (lupdate, lrelease, and their CMake package) for the window's
# languages.
PACKAGES += qt6-tools-dev qt6-l10n-tools
# FTDI chips driven directly in synchronous bit-bang (libftdi1, over libusb).
PACKAGES += libftdi1-dev
# Seconds each fuzz target runs in `make fuzz`.
FUZZ_SECONDS ?= 180

.PHONY: all deps configure build test test-win run bench asan tsan fuzz format clean
.PHONY: package test-package

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

# Every part, each in a build folder of its own: the plain build, the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, the threads under ThreadSanitizer, the
# Windows build under Wine, and the Debian package installed into a scratch root.
test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600
	$(MAKE) asan
	$(MAKE) tsan
	$(MAKE) test-win
	$(MAKE) test-package

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

# The whole tree and every Linux test (the window's on the offscreen platform, the fuzz
# corpora) under AddressSanitizer and UndefinedBehaviorSanitizer; any report fails the test.
# The `line` tests, which take real minutes at the line's speed and run no code the others
# do not, run in the plain build only.
asan: deps
	cmake -S . -B $(BUILD)-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DISP89_SANITIZE=ON
	cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS) --timeout 600 -LE line

# The worker and the threads under ThreadSanitizer, in a build folder of their own.
tsan: deps
	cmake -S . -B $(BUILD)-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DISP89_TSAN=ON
	cmake --build $(BUILD)-tsan -j $(JOBS)
	cd $(BUILD)-tsan && ctest --output-on-failure -j $(JOBS) -L threads

# The fuzz targets under libFuzzer (clang), FUZZ_SECONDS each. New inputs that reach new
# code go to $(BUILD)-fuzz/corpus, a crashing input to $(BUILD)-fuzz/found: copy it into
# tests/fuzz/corpus/<target>/ so that every test run replays it.
fuzz: deps
	CXX=clang++ cmake -S . -B $(BUILD)-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DISP89_FUZZ=ON -DISP89_BUILD_GUI=OFF
	cmake --build $(BUILD)-fuzz -j $(JOBS) --target hex_round_trip_fuzzer image_load_fuzzer
	for target in hex_round_trip image_load; do \
	  mkdir -p $(BUILD)-fuzz/corpus/$$target $(BUILD)-fuzz/found && \
	  $(BUILD)-fuzz/tests/fuzz/$${target}_fuzzer -max_total_time=$(FUZZ_SECONDS) -max_len=32768 \
	    -artifact_prefix=$(BUILD)-fuzz/found/$$target- \
	    $(BUILD)-fuzz/corpus/$$target tests/fuzz/corpus/$$target || exit 1; \
	done

# Packages: the Debian package of the Linux build (CPack), and a zip of the Windows
# isp89-cli.exe from the mingw-w64 build.
VERSION = $$(sed -n 's/^project(isp89 VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

package: build
	cd $(BUILD) && cpack -G DEB
	cmake -S . -B $(BUILD)-win -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake -DISP89_BUILD_GUI=OFF \
	  -DISP89_HOST_TOOLS=$(abspath $(BUILD))
	cmake --build $(BUILD)-win -j $(JOBS) --target isp89-cli
	cd $(BUILD)-win && cpack -G ZIP
	@ls -l $(BUILD)/isp89_*.deb $(BUILD)-win/isp89-cli-*.zip

# The Debian package unpacked into a scratch root: lintian, the installed programs, man
# pages and completion (tests/package/check-package.sh); the Windows zip when it is built.
test-package: build
	cd $(BUILD) && cpack -G DEB
	@zip=""; if [ -f $(BUILD)-win/CPackConfig.cmake ]; then \
	  (cd $(BUILD)-win && cpack -G ZIP) && zip=$$(ls $(BUILD)-win/isp89-cli-*.zip); fi; \
	tests/package/check-package.sh $(BUILD)/isp89_$(VERSION)_$$(dpkg --print-architecture).deb \
	  $(BUILD)/package-root $(VERSION) $$zip

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
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-tsan $(BUILD)-fuzz $(BUILD)-win
