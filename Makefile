# make test:  set up, build x64 and x86, run every test of both builds under Wine, x64 under
#             64-bit Wine and x86 under 32-bit Wine, the two suites at once.
# make bench: the benchmarks of both builds, the x86 figures beside the x64 ones.
# make fuzz:  the long passes of the fuzzers and the soak (ARCH=x86 for the 32-bit build).
# make demo:  the control in a host window; without a display (or with SNAPSHOT=1) a scripted
#             session under Xvfb that writes build/demo.png. CSV=file shows that file instead,
#             ARCH=x86 runs the 32-bit demo, DPI=144 (or another) runs it on a display of that
#             DPI, in a prefix of its own.
SHELL := /bin/bash
BUILD := build
ARCHS := x64 x86
ARCH ?= x64
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=Release
XVFB := xvfb-run -a -s "-screen 0 1280x1024x24"

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

# Each suite runs under a display of its own (started a moment apart, so that the two do not
# pick the same free display number); the logs are printed once both have ended.
test: build
	@echo "running the x64 and x86 suites (logs in $(BUILD)/<arch>/ctest.log)"; \
	pids=(); for arch in $(ARCHS); do \
		(cd $(BUILD)/$$arch && $(XVFB) ctest --output-on-failure -j $(JOBS) >ctest.log 2>&1) & \
		pids+=($$!); sleep 2; \
	done; \
	status=0; for pid in $${pids[@]}; do wait $$pid || status=1; done; \
	for arch in $(ARCHS); do echo "===== $$arch"; cat $(BUILD)/$$arch/ctest.log; done; \
	for arch in $(ARCHS); do \
		echo "$$arch: $$(grep -h 'tests passed' $(BUILD)/$$arch/ctest.log || echo 'no summary')"; \
	done; exit $$status

# The long passes of the fuzzers and the soak, with their figures.
fuzz: build-$(ARCH)
	cd $(BUILD)/$(ARCH) && status=0; for f in tests/fuzz/*.exe; do \
		../../scripts/wine-run.sh $$f --long || status=1; done; \
	../../scripts/wine-run.sh tests/fuzz/host_fuzz.exe --soak --long || status=1; exit $$status

# One benchmark at a time, x64 then x86, their lines interleaved: each x64 line is followed by
# the same line of the x86 run.
bench: build
	@for b in $(BUILD)/x64/bench/bench_*.exe; do \
		name=$$(basename $$b .exe); echo "===== $$name"; \
		for arch in $(ARCHS); do \
			(cd $(BUILD)/$$arch && ../../scripts/wine-run.sh bench/$$name.exe) 2>&1 | \
				sed "/^X connection to/d; s/^/$$arch  /" >$(BUILD)/$$arch/$$name.txt; \
		done; \
		paste -d '\n' $(patsubst %,$(BUILD)/%/$$name.txt,$(ARCHS)) | sed '/^$$/d'; \
	done

DEMO_PICTURE := $(BUILD)/demo.png
DEMO_RUN = NORV_WINEPREFIX=$(CURDIR)/$(BUILD)/$(ARCH)/wineprefix $(if $(DPI),NORV_DPI=$(DPI)) \
	scripts/wine-run.sh \
	$(BUILD)/$(ARCH)/demo/norv_demo.exe

demo: setup $(BUILD)/$(ARCH)/build.ninja
	cmake --build $(BUILD)/$(ARCH) -j $(JOBS) --target norv_demo
	@if [ -n "$${DISPLAY:-}" ] && [ -z "$(SNAPSHOT)" ]; then \
		$(DEMO_RUN) $(CSV); \
	else \
		$(DEMO_RUN) --snapshot $(DEMO_PICTURE) $(CSV) && \
		echo "picture: $(CURDIR)/$(DEMO_PICTURE)"; \
	fi

clean:
	rm -rf $(BUILD)
