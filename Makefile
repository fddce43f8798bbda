# Front door: `make demo`, `make test`, `make`, `make install PREFIX=...`, `make bench`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
PREFIX     ?= /usr/local
JOBS       ?= 2
CMAKE_ARGS ?=

.PHONY: all build deps test test-release test-asan demo install bench fuzz clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)

test: test-release test-asan

test-release: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DCONSCRIPT_SANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

demo: build
	@scripts/demo $(BUILD)/conscript

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

bench: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCONSCRIPT_BENCH=ON $(CMAKE_ARGS)
	cmake --build $(BUILD) -j $(JOBS)
	@scripts/bench $(BUILD)

FUZZ_SECONDS ?= 60
fuzz: deps
	@command -v clang++ >/dev/null || { echo "make fuzz needs clang: apt-get install clang"; exit 1; }
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCONSCRIPT_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS)
	mkdir -p build-fuzz/corpus
	build-fuzz/fuzz/stream_fuzz -max_total_time=$(FUZZ_SECONDS) build-fuzz/corpus

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-fuzz
