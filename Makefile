# Entry points; CMake with Ninja does the work.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_RUNS ?= 2000
WERROR     ?= OFF
JOBS       ?= 2
CMAKE_ARGS ?=

.PHONY: deps build test test-asan fuzz-build fuzz fuzz-check bench demo install package clean

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLANE_WERROR=$(WERROR) $(CMAKE_ARGS) >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVORLANE_SANITIZE=ON -DVORLANE_BENCH=OFF $(CMAKE_ARGS) >/dev/null
	@cmake --build $(ASAN_BUILD) -j$(JOBS)
	@cd $(ASAN_BUILD) && ctest --output-on-failure -j$(JOBS)

# The fuzz targets (fuzz/), built by clang with libFuzzer and the
# sanitizers: `make fuzz` runs each for FUZZ_SECONDS and keeps what it finds
# in $(FUZZ_BUILD)/fuzz; `make fuzz-check` runs each FUZZ_RUNS times from a
# fixed seed over the seed corpus, as CI does.
fuzz-build: deps
	@cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DVORLANE_FUZZ=ON -DVORLANE_BENCH=OFF -DVORLANE_PYTHON=OFF $(CMAKE_ARGS) >/dev/null
	@cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzz_targets

fuzz: fuzz-build
	@scripts/fuzz.sh $(FUZZ_BUILD) --seconds $(FUZZ_SECONDS)

fuzz-check: fuzz-build
	@scripts/fuzz.sh $(FUZZ_BUILD) --runs $(FUZZ_RUNS)

# The allocator keeps the memory it got instead of giving it back after
# every large free: otherwise each iteration of a benchmark that builds and
# drops a large card pays the machine's page faults again, and the figures
# follow the heap's history rather than the code.
BENCH_ENV ?= GLIBC_TUNABLES=glibc.malloc.trim_threshold=2147483647:glibc.malloc.mmap_threshold=33554432:glibc.malloc.top_pad=67108864

# After the runs, the ratios the project tracks (each operation against its
# floor, measured in the same run) from the runs' JSON files; then the peak
# memory of the tool importing and exporting a process of 100,000 functions,
# each in a process of its own, against the size of its file.
bench: deps
	@cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_ARGS) >/dev/null
	@cmake --build build-bench -j$(JOBS)
	@for b in build-bench/bench/*_bench; do echo "== $$b"; \
	  $(BENCH_ENV) $$b --benchmark_min_time=0.2 --benchmark_out=$$b.json --benchmark_out_format=json || exit 1; done
	@python3 scripts/bench-ratios.py build-bench/bench
	@echo; python3 scripts/import-memory.py build-bench/bin/vorlane

demo: build
	@demo/run-demo.sh $(BUILD)

# The tool, the libraries, headers, CMake and pkg-config files, the Python
# module, the man page and the completion script under PREFIX.
PREFIX ?= /usr/local
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

# A Debian package of the same (CPack), in $(BUILD).
package: build
	@cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) build-bench
