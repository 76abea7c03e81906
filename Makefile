# Two entry points: `make demo` builds and starts the viewer, `make test` builds and runs every test.
BUILD ?= build
JOBS ?= 2
DEBS := qt6-base-dev qt6-base-dev-tools libgif-dev openssl cmake ninja-build g++ libgl-dev fonts-dejavu-core xvfb xauth curl

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: deps configure build demo test bench clean

deps:
	@missing=""; for p in $(DEBS); do dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; fi

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

clean:
	rm -rf $(BUILD)
