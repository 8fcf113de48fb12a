# Set-up, build and test in one step on a fresh Debian 12 machine.
#   make demo   build, then run the filter on the bundled sample
#   make test   build, then run the whole test suite (plain, ASan+UBSan, TSan)
#   make deb    build the Debian package printer-driver-marvik into $(BUILD)/
#   make deb-test  build it, install it, print through it, purge it (as root)

SHELL := /bin/bash
BUILD ?= build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

# Exactly what the build, the tests and the demo need from Debian.
PACKAGES := g++ make cmake ninja-build pkg-config \
            libgtest-dev libgmock-dev libbenchmark-dev \
            libcups2-dev libcupsimage2-dev libpng-dev libjpeg-dev \
            cups cups-client cups-filters cups-ppdc ghostscript poppler-utils \
            libpappl-dev libpam0g-dev cups-ipp-utils python3 iproute2 unifont \
            clang-format time
FUZZ_PACKAGES := clang libclang-rt-14-dev
# The Debian packaging tools and debian/control's Build-Depends (which
# dpkg-buildpackage checks); no GoogleTest or Google Benchmark.
DEB_PACKAGES := dpkg-dev debhelper fakeroot lintian g++ cmake ninja-build pkg-config \
                libcups2-dev libcupsimage2-dev libpng-dev libjpeg-dev cups-ppdc libpappl-dev libpam0g-dev
# What printing through the installed package needs besides the package.
DEB_TEST_PACKAGES := cups cups-client ghostscript
DEB_WORK ?= $(BUILD)-deb
DEB_NAME = printer-driver-marvik_$$(dpkg-parsechangelog -S Version)_$$(dpkg --print-architecture).deb
APP_DEB_NAME = marvik-printer-app_$$(dpkg-parsechangelog -S Version)_$$(dpkg --print-architecture).deb

.PHONY: stats all deps build test test-plain test-asan test-tsan demo install format-check fuzz fuzz-deps clean \
        deb deb-test

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

# ThreadSanitizer covers the code that has threads: logging, the filter, and
# the printer application printing on two printers at once.
test-tsan: deps
	cmake -S . -B $(BUILD)-tsan -G Ninja -DSANITIZE=thread -DMARVIK_BENCH=OFF '-DMARVIK_TEST_DIRS=logging;filter;printer-app'
	cmake --build $(BUILD)-tsan -j $(JOBS)
	cd $(BUILD)-tsan && setarch $$(uname -m) -R ctest --output-on-failure -j $(JOBS) -L 'logging|filter|threads'

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

# The package is built by dpkg-buildpackage from a copy of the tree in
# $(DEB_WORK), so that build/ and the tree itself are left as they are.
deb:
	@./tools/ensure-packages.sh $(DEB_PACKAGES)
	rm -rf $(DEB_WORK) && mkdir -p $(DEB_WORK)/src $(BUILD)
	tar -cf - --exclude-vcs --exclude='./build*' --exclude='./$(BUILD)' --exclude='./$(DEB_WORK)' . \
	  | tar -xf - -C $(DEB_WORK)/src
	cd $(DEB_WORK)/src && DEB_BUILD_OPTIONS="parallel=$(JOBS) $$DEB_BUILD_OPTIONS" dpkg-buildpackage -b -us -uc
	cp $(DEB_WORK)/$(DEB_NAME) $(DEB_WORK)/$(APP_DEB_NAME) $(BUILD)/
	lintian --fail-on error $(BUILD)/$(DEB_NAME) $(BUILD)/$(APP_DEB_NAME)
	@echo "make deb: $(BUILD)/$(DEB_NAME) $(BUILD)/$(APP_DEB_NAME)"

deb-test: deb
	@./tools/ensure-packages.sh $(DEB_TEST_PACKAGES)
	tests/package/deb-test.sh $(BUILD)/$(DEB_NAME) $(DEB_WORK)/test

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-tsan $(BUILD)-fuzz $(DEB_WORK)

# Test weight: lines of tests and test support against lines of code.
stats:
	@tools/line-stats.sh
