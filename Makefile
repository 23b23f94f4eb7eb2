# The two set-up commands: `make run` and `make test`. Both install what is
# missing first (Debian packages, through scripts/install-deps): `make run`
# only what building and running the program need, `make test` everything.
BUILD      ?= build
WINDOWS    ?= build-windows
DEBIAN13   ?= build-debian13
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
WERROR     := $(if $(CI),-DORLAVO_WERROR=ON,)
# Package groups of install-deps, and whether the tests and benchmarks are
# built; `make run` narrows both.
DEPS       := run build test
TESTS      := ON
# make's own "Entering directory" lines, from cmake --build's make below
# this one, would come between the program's and the demo's.
MAKEFLAGS  += --no-print-directory

.PHONY: all deps build run demo windows test test-plain test-asan test-tsan test-windows bench tidy \
  clean

all: build

deps:
	@./scripts/install-deps $(DEPS)

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=$(TESTS) \
	  -DORLAVO_BUILD_BENCH=$(TESTS) $(WERROR) $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: DEPS := run build
run: TESTS := OFF
run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "make run: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)."; \
	  echo "Run it from a desktop session, or try 'make demo', which uses a virtual display."; \
	  exit 1; fi
	./$(BUILD)/app/orlavo

# The program against a simulated router and mail server (needs root or sudo).
demo: build
	./scripts/demo ./$(BUILD)/app/orlavo

# Every test of this machine's own build: the plain build (GUI tests under
# Xvfb), then the core again under AddressSanitizer +
# UndefinedBehaviorSanitizer, and the tests whose threads share state (the scan
# worker, the mail's name lookup) under ThreadSanitizer. The Windows build has
# its own target, test-windows; CI runs both.
test: test-plain test-asan test-tsan

test-plain: build
	cd $(BUILD) && $(CURDIR)/scripts/ctest-summary --output-on-failure -j $(JOBS)

# The core built again under a sanitizer, in build-asan and build-tsan.
# $(1): the folder's suffix, $(2): -fsanitize= values, $(3): ctest's own
# arguments.
define sanitized_test
	@cmake -S . -B $(BUILD)-$(1) -DCMAKE_BUILD_TYPE=Debug -DORLAVO_BUILD_GUI=OFF \
	  -DORLAVO_BUILD_BENCH=OFF "-DORLAVO_SANITIZE=$(2)" $(WERROR) >/dev/null
	@cmake --build $(BUILD)-$(1) -j $(JOBS)
	cd $(BUILD)-$(1) && $(CURDIR)/scripts/ctest-summary --output-on-failure -j $(JOBS) $(3)
endef

test-asan: deps
	$(call sanitized_test,asan,address;undefined,)

test-tsan: deps
	$(call sanitized_test,tsan,thread,-L 'worker|lookup')

# The Windows program, Orlavo.exe (statically linked, its help book beside
# it) and its installer, cross-built for 64-bit Windows from the same sources.
# The libraries it links come from scripts/windows-deps, built once per
# machine.
windows: deps
	@prefix=$$(./scripts/windows-deps) && \
	  cmake -S . -B $(WINDOWS) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-posix.cmake \
	  -DORLAVO_WINDOWS_DEPS=$$prefix -DCMAKE_BUILD_TYPE=Release -DORLAVO_BUILD_GUI=ON \
	  -DORLAVO_BUILD_BENCH=OFF \
	  $(WERROR) >/dev/null
	@cmake --build $(WINDOWS) -j $(JOBS)

# The core's tests, the program end to end and its installer, under Wine.
test-windows: windows
	cd $(WINDOWS) && $(CURDIR)/scripts/ctest-summary --output-on-failure -j $(JOBS)

# The host suites (test-plain, test-asan, test-tsan) once more in a Debian 13
# system of the project's own (scripts/debian13: debootstrap from this
# machine's apt source, made again once a week), with this tree bound into it
# and its builds in $(DEBIAN13)/. There the package test installs the .deb
# for real. Making and entering that system needs root.
.PHONY: test-debian13
test-debian13:
	@if [ "$$(id -u)" -ne 0 ]; then \
	  echo "make test-debian13: skipped: making and entering a Debian 13 system needs root"; \
	  exit 0; fi; \
	./scripts/debian13 run . make BUILD=$(DEBIAN13)/build JOBS=$(JOBS) test

bench: build
	./$(BUILD)/bench/parse_bench
	./$(BUILD)/bench/mail_bench
	./$(BUILD)/bench/settings_bench

# clang-tidy over the program's own sources with the checks in .clang-tidy
# (bench/ aside: Google Benchmark's `for (auto _ : state)` reads as a dead
# store). Not part of `make test`: it takes minutes. Any finding fails it
# (.clang-tidy makes every warning an error, and run-clang-tidy exits 1 when
# a file has one); a clean tree exits 0.
tidy: DEPS := run build tidy
tidy: TESTS := OFF
tidy: build
	run-clang-tidy -quiet -p $(BUILD) -j $(JOBS) \
	  '$(CURDIR)/(app|live|mail|monitor|settings|tools|ui)/'

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-tsan $(WINDOWS) $(DEBIAN13)
