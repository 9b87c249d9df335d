# make test:  set up, build x64 and x86, run every test of both builds under Wine, x64 under
#             64-bit Wine and x86 under 32-bit Wine, the two suites at once.
# make bench: the benchmarks of both builds, the x86 figures beside the x64 ones.
# make fuzz:  the long passes of the fuzzers and the soak (ARCH=x86 for the 32-bit build).
# make dist:  the release from both builds: build/dist/norv-<version>.zip and its installer
#             build/dist/norv-<version>-setup.exe.
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

# $(call runs,ARCH,COMMAND): refuses COMMAND in one line where ARCH is x86 and the machine
# runs no 32-bit programs.
runs = [ "$(1)" != x86 ] || not_run=$$(scripts/runs-x86.sh) || { echo "$(2): not run: $$not_run"; exit 1; }

.PHONY: all setup build build-x64 build-x86 test bench fuzz demo dist clean

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

# Both suites at once; the x86 one only where the machine runs 32-bit programs (its tree is
# built in any case, so that x86-only code must compile).
test: build
	@scripts/run-suites.sh

# The long passes of the fuzzers and the soak, with their figures; freed memory is filled, as in
# the short passes, so that a use of it faults. SEED=n replays a pass, STEPS=n sets its length.
FUZZ_PASS = --long $(if $(SEED),--seed $(SEED)) $(if $(STEPS),--steps $(STEPS))
fuzz: build-$(ARCH)
	@$(call runs,$(ARCH),make fuzz ARCH=$(ARCH))
	cd $(BUILD)/$(ARCH) && status=0; for f in tests/fuzz/*.exe; do \
		NORV_WINEDEBUG=warn+heap ../../scripts/wine-run.sh $$f $(FUZZ_PASS) || status=1; done; \
	../../scripts/wine-run.sh tests/fuzz/host_fuzz.exe --soak --long || status=1; exit $$status

# One benchmark at a time, x64 then x86, their lines interleaved: each x64 line is followed by
# the same line of the x86 run.
bench: build
	@archs="$(ARCHS)"; failed=""; if ! not_run=$$(scripts/runs-x86.sh); then \
		archs=x64; echo "x86 benchmarks NOT RUN: $$not_run"; fi; \
	for b in $(BUILD)/x64/bench/bench_*.exe; do \
		name=$$(basename $$b .exe); echo "===== $$name"; \
		for arch in $$archs; do \
			(cd $(BUILD)/$$arch && ../../scripts/wine-run.sh bench/$$name.exe) 2>&1 | \
				sed "/^X connection to/d; s/^/$$arch  /" >$(BUILD)/$$arch/$$name.txt; \
			[ $${PIPESTATUS[0]} -eq 0 ] || failed+=" $$arch/$$name"; \
		done; \
		paste -d '\n' $$(printf '$(BUILD)/%s/'"$$name"'.txt ' $$archs) | sed '/^$$/d'; \
	done; \
	[ -z "$$failed" ] || { echo "FAILED:$$failed"; exit 1; }

# The module of each build, then the package of both.
dist: setup $(BUILD)/x64/build.ninja $(BUILD)/x86/build.ninja
	for arch in x64 x86; do cmake --build $(BUILD)/$$arch -j $(JOBS) --target norv || exit 1; done
	scripts/dist.sh $(BUILD)/dist $(BUILD)/x64 $(BUILD)/x86

DEMO_PICTURE := $(BUILD)/demo.png
# The file name as one word of the shell, whatever it holds (spaces, quotes, dollars).
DEMO_CSV = $(if $(CSV),'$(subst ','\'',$(CSV))')
DEMO_RUN = NORV_WINEPREFIX=$(CURDIR)/$(BUILD)/$(ARCH)/wineprefix $(if $(DPI),NORV_DPI=$(DPI)) \
	scripts/wine-run.sh \
	$(BUILD)/$(ARCH)/demo/norv_demo.exe

demo: setup $(BUILD)/$(ARCH)/build.ninja
	@$(call runs,$(ARCH),make demo ARCH=$(ARCH))
	cmake --build $(BUILD)/$(ARCH) -j $(JOBS) --target norv_demo
	@if [ -n "$${DISPLAY:-}" ] && [ -z "$(SNAPSHOT)" ]; then \
		$(DEMO_RUN) $(DEMO_CSV); \
	else \
		$(DEMO_RUN) --snapshot $(DEMO_PICTURE) $(DEMO_CSV) && \
		echo "picture: $(CURDIR)/$(DEMO_PICTURE)"; \
	fi

clean:
	rm -rf $(BUILD)
