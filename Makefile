# make test: set up, build x64 and x86, run every test of the x64 build under Wine.
# make fuzz: the long passes of the fuzzers and the soak.
# make demo: the control in a host window; without a display (or with SNAPSHOT=1) a scripted
#            session under Xvfb that writes build/demo.png. CSV=file shows that file instead.
SHELL := /bin/bash
BUILD := build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=Release

.PHONY: all setup build build-x64 build-x86 test bench fuzz demo clean

all: build

setup:
	@scripts/setup.sh

$(BUILD)/%/build.ninja: | setup
	cmake -S . -B $(BUILD)/$* $(CMAKE_FLAGS) -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-$*.cmake

build-x64: setup $(BUILD)/x64/build.ninja
	cmake --build $(BUILD)/x64 -j $(JOBS)

build-x86: setup $(BUILD)/x86/build.ninja
	cmake --build $(BUILD)/x86 -j $(JOBS)

build: build-x64 build-x86

test: build
	cd $(BUILD)/x64 && xvfb-run -a -s "-screen 0 1280x1024x24" \
		ctest --output-on-failure -j $(JOBS)

# The long passes of the fuzzers and the soak, with their figures.
fuzz: build-x64
	cd $(BUILD)/x64 && status=0; for f in tests/fuzz/*.exe; do \
		../../scripts/wine-run.sh $$f --long || status=1; done; exit $$status

bench: build-x64
	cd $(BUILD)/x64 && for b in bench/bench_*.exe; do ../../scripts/wine-run.sh $$b; done

DEMO_PICTURE := $(BUILD)/demo.png
DEMO_RUN = NORV_WINEPREFIX=$(CURDIR)/$(BUILD)/x64/wineprefix scripts/wine-run.sh \
	$(BUILD)/x64/demo/norv_demo.exe

demo: setup $(BUILD)/x64/build.ninja
	cmake --build $(BUILD)/x64 -j $(JOBS) --target norv_demo
	@if [ -n "$${DISPLAY:-}" ] && [ -z "$(SNAPSHOT)" ]; then \
		$(DEMO_RUN) $(CSV); \
	else \
		$(DEMO_RUN) --snapshot $(DEMO_PICTURE) $(CSV) && \
		echo "picture: $(CURDIR)/$(DEMO_PICTURE)"; \
	fi

clean:
	rm -rf $(BUILD)
