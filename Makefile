# The two set-up commands: `make run` builds and starts the program, `make test` builds and runs
# every test. Both install missing packages first (as root, with apt-get).
BUILD ?= build
JOBS ?= 2

.PHONY: all setup configure build run test bench clean windows windows-test

all: build

setup:
	@bash scripts/setup.sh

configure: setup
	@cmake -S . -B $(BUILD) -G Ninja >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/app/quorvex ]; then $(BUILD)/app/quorvex; else $(BUILD)/cli/quorvex-cli --help; fi

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	@$(BUILD)/bench/quorvex-bench

clean:
	rm -rf $(BUILD)

# The Debian package (programs, desktop entry, icons, MIME types, manual, manual page), written
# to $(BUILD)/quorvex_VERSION_ARCH.deb by CPack.
.PHONY: package
package: build
	@cd $(BUILD) && cpack -G DEB

# quorvex-cli for Windows, cross-compiled with MinGW-w64: build-win/quorvex-cli-VERSION-win64.zip.
windows:
	@bash scripts/windows.sh

# The Windows build's tests under Wine, and its outputs beside the Linux build's.
windows-test: build
	@bash scripts/windows-test.sh
