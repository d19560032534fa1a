# Front door over CMake. `make` builds both Windows executables, `make test`
# builds everything and runs every test, `make demo` shows a toggle run on a
# sandbox desktop under Wine.
PRESETS := win32 win64

.PHONY: all test demo deps-build deps-test clean $(addprefix build-,host $(PRESETS))

all: build-win32 build-win64
	@sha256sum build/win32/Vantric.exe

deps-build:
	@tools/install-deps.sh build

deps-test:
	@tools/install-deps.sh build test

# Phony targets never match pattern rules, so each build gets its own rule.
define build_preset
build-$(1): deps-build
	@cmake --preset $(1) >/dev/null
	@cmake --build --preset $(1)
endef
$(foreach preset,host $(PRESETS),$(eval $(call build_preset,$(preset))))

# In CI the fuzzing comes first, so that ctest's summary closes the output.
test: deps-test build-win32 build-win64 build-host
	@if [ "$$CI" = "true" ]; then $(MAKE) --no-print-directory fuzz; fi
	ctest --preset host

demo: deps-test build-win64
	@tests/wine/demo.sh

# Fuzzes WideText for FUZZ_SECONDS seconds from fuzz/corpus. CI (CI=true)
# runs it as part of `make test`; elsewhere `make test` only replays the
# corpus (the ctest test hardening.fuzz_corpus).
FUZZ_SECONDS ?= 60
.PHONY: fuzz
fuzz:
	@tools/install-deps.sh fuzz
	@FUZZ_SECONDS=$(FUZZ_SECONDS) fuzz/run.sh

# Host micro-benchmarks of the sweep and a timed hiding run under Wine
# against a bare loop and attrib (bench/run.sh; not part of make test).
.PHONY: bench
bench: deps-test build-win64
	@tools/install-deps.sh bench
	@bench/run.sh

clean:
	rm -rf build
