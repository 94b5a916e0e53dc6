# Thin wrapper over CMake. Every target first installs what is missing (scripts/install-deps.sh).
JOBS ?= $(shell nproc)
BUILD ?= build
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=

.PHONY: deps build run test sanitize bench fuzz package clean

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

# Starts the program (the calendar window once it is built, the command-line month until then).
run: build
	@if [ -x $(BUILD)/app/tavemo-calendar ]; then $(BUILD)/app/tavemo-calendar; \
	 else $(BUILD)/app/tavemo-cal; fi

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# Every test again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTAVEMO_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build build-sanitize -j $(JOBS)
	ctest --test-dir build-sanitize --output-on-failure -j $(JOBS)

bench: deps
	@bash scripts/install-deps.sh --bench
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTAVEMO_TESTS=OFF -DTAVEMO_BENCH=ON $(CMAKE_FLAGS)
	cmake --build build-bench -j $(JOBS)
	@for b in build-bench/bench/*; do [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b" && "$$b" || exit 1; done

# Builds the libFuzzer targets and runs each for FUZZ_SECONDS on its corpus (fuzz/<subsystem>/corpus/<target>).
fuzz: deps
	cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
	  -DCMAKE_CXX_COMPILER=clang++ -DTAVEMO_TESTS=OFF -DTAVEMO_FUZZ=ON $(CMAKE_FLAGS)
	cmake --build build-fuzz -j $(JOBS)
	@for f in build-fuzz/fuzz/*; do [ -f "$$f" ] && [ -x "$$f" ] || continue; n=$$(basename $$f); \
	  corpus=$$(ls -d fuzz/*/corpus/$$n 2>/dev/null | head -n 1); mkdir -p build-fuzz/corpus/$$n; \
	  echo "== $$n ($(FUZZ_SECONDS) s)"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 build-fuzz/corpus/$$n $$corpus || exit 1; done

# The Debian package build-package/tavemo-calendar_<version>_amd64.deb, built with Debian's
# hardening flags and installing below /usr.
package: deps
	@bash scripts/install-deps.sh --package
	CFLAGS="$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CFLAGS) $$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS)" \
	CXXFLAGS="$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS) $$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS)" \
	LDFLAGS="$$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)" \
	cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DTAVEMO_TESTS=OFF $(CMAKE_FLAGS)
	cmake --build build-package -j $(JOBS)
	cd build-package && cpack -G DEB
	@ls -l build-package/*.deb

clean:
	rm -rf build build-sanitize build-bench build-fuzz build-package
