# Set-up, build and test in one step on a fresh Debian 12 machine.
#   make demo   build, then run the filter on the bundled sample
#   make test   build, then run the whole test suite (plain, ASan+UBSan, TSan)

SHELL := /bin/bash
BUILD ?= build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

# Exactly what the build, the tests and the demo need from Debian.
PACKAGES := g++ make cmake ninja-build pkg-config \
            libgtest-dev libgmock-dev libbenchmark-dev \
            libcups2-dev libcupsimage2-dev libpng-dev \
            cups cups-client cups-filters cups-ppdc ghostscript poppler-utils \
            clang-format time
FUZZ_PACKAGES := clang libclang-rt-14-dev

.PHONY: all deps build test test-plain test-asan test-tsan demo install format-check fuzz fuzz-deps clean

all: build

# Installs what is missing (as root), or says what to run and stops.
deps:
	@./tools/ensure-packages.sh $(PACKAGES)

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test: test-plain test-asan test-tsan

test-plain: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(BUILD)-asan -G Ninja -DSANITIZE=address,undefined -DMARVIK_BENCH=OFF
	cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS)

# ThreadSanitizer covers the code that has threads: logging and the filter.
test-tsan: deps
	cmake -S . -B $(BUILD)-tsan -G Ninja -DSANITIZE=thread -DMARVIK_BENCH=OFF
	cmake --build $(BUILD)-tsan -j $(JOBS)
	cd $(BUILD)-tsan && setarch $$(uname -m) -R ctest --output-on-failure -j $(JOBS) -L 'logging|filter'

demo: build
	@if [ -x tools/demo.sh ]; then tools/demo.sh $(BUILD); \
	else echo "make demo: the filter is not built yet; nothing to run"; exit 1; fi

install: build
	cmake --install $(BUILD)

format-check: deps
	@files=$$(git ls-files '*.cpp' '*.h'); \
	clang-format --dry-run --Werror $$files && echo "format-check: $$(echo $$files | wc -w) files clean"

fuzz-deps:
	@./tools/ensure-packages.sh $(FUZZ_PACKAGES)

fuzz: deps fuzz-deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD)-fuzz -G Ninja -DFUZZ=ON -DMARVIK_BENCH=OFF \
	  -DSANITIZE=address,undefined
	cmake --build $(BUILD)-fuzz -j $(JOBS)
	@./tools/run-fuzzers.sh $(BUILD)-fuzz $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-tsan $(BUILD)-fuzz
