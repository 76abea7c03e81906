# Two entry points: `make demo` builds and starts the viewer, `make test` builds and runs every test.
BUILD ?= build
JOBS ?= 2
# dpkg-dev and desktop-file-utils: the package and its menu entry are built and checked by the tests.
# qt6-translations-l10n: Qt's own dialogs in the interface's language.
DEBS := qt6-base-dev qt6-base-dev-tools libgif-dev libcurl4-openssl-dev openssl cmake ninja-build g++ libgl-dev fonts-dejavu-core xvfb xauth curl \
  dpkg-dev desktop-file-utils qt6-translations-l10n

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps configure build demo test bench clean test-sanitize fuzz fuzz-smoke fuzz-build install uninstall package

# $(call install_missing,PACKAGES): installs those of the Debian packages not installed yet.
install_missing = @missing=""; for p in $(1); do dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; fi

deps:
	$(call install_missing,$(DEBS))

configure: deps
	@[ -f $(BUILD)/build.ninja ] || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD) -j$(JOBS)

demo: build
	@./scripts/demo.sh $(BUILD)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

bench: build
	@./scripts/bench.sh $(BUILD)

# The program, its data, menu entry and icon under PREFIX; sudo only where the user may not write.
# The list of what was installed is kept for uninstall, under a name the tests' installs leave alone.
PREFIX ?= /usr/local
INSTALLED := $(BUILD)/installed-files.txt
PREFIX_SUDO = $(shell p="$(PREFIX)"; while [ ! -e "$$p" ]; do p=$$(dirname "$$p"); done; \
  [ "$$(id -u)" = 0 ] || [ -w "$$p" ] || echo sudo)

install: build
	$(PREFIX_SUDO) cmake --install $(BUILD) --prefix $(PREFIX) --strip
	$(PREFIX_SUDO) mv $(BUILD)/install_manifest.txt $(INSTALLED)

uninstall:
	@[ -f $(INSTALLED) ] || { echo "Nothing installed from $(BUILD)"; exit 1; }
	$(PREFIX_SUDO) xargs -d '\n' rm -f -- < $(INSTALLED)
	$(PREFIX_SUDO) find $(PREFIX)/share/cartavent -depth -type d -empty -delete 2>/dev/null || true
	rm -f $(INSTALLED)

# A Debian package in $(BUILD): install with sudo apt install ./$(BUILD)/cartavent_*.deb
package: build
	cd $(BUILD) && cpack -G DEB

# The whole project and its tests under AddressSanitizer and UndefinedBehaviorSanitizer.
# Any report fails the run; the only suppressions are leaks inside Qt or system libraries.
ASAN_BUILD ?= build-asan
SANITIZE := -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
SAN_ENV := ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=0:strict_string_checks=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitize/lsan.supp:print_suppressions=0

test-sanitize: deps
	@[ -f $(ASAN_BUILD)/build.ninja ] || cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DCMAKE_CXX_FLAGS="$(SANITIZE)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE)" -DCARTAVENT_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && $(SAN_ENV) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# Fuzz targets (tests/fuzz) under libFuzzer with clang: make fuzz runs each for FUZZ_SECONDS,
# make fuzz-smoke runs each over its corpus plus 10 s (CI).
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_DEBS := clang libclang-rt-14-dev

fuzz-build: deps
	$(call install_missing,$(FUZZ_DEBS))
	@[ -f $(FUZZ_BUILD)/build.ninja ] || CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DCARTAVENT_FUZZ=ON -DCARTAVENT_BENCH=OFF \
	  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined" \
	  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzzers

fuzz: fuzz-build
	$(SAN_ENV) ./scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-smoke: fuzz-build
	$(SAN_ENV) ./scripts/fuzz.sh $(FUZZ_BUILD) 10

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
