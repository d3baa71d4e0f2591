# A thin layer over CMake: `make run` and `make test` are the whole set-up.
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: run build test test-sanitize test-thread bench demo fuzz install clean

build/release/Makefile:
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DHALVIK_TESTS=OFF $(CMAKE_FLAGS)

build: build/release/Makefile
	cmake --build build/release -j $(JOBS) --target halvik

run: build
	./build/release/halvik

test:
	cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Release -DHALVIK_TESTS=ON $(CMAKE_FLAGS)
	cmake --build build/test -j $(JOBS)
	cd build/test && ctest --output-on-failure -j $(JOBS)

test-sanitize:
	cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVIK_TESTS=ON -DHALVIK_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build build/sanitize -j $(JOBS)
	cd build/sanitize && ctest --output-on-failure -j $(JOBS)

# The threads of the permutation engine, its ordered sums and the scan under
# ThreadSanitizer.
test-thread:
	cmake -S . -B build/thread -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVIK_TESTS=ON -DHALVIK_TSAN=ON $(CMAKE_FLAGS)
	cmake --build build/thread -j $(JOBS) --target halvik_tests
	TSAN_OPTIONS=halt_on_error=1 ./build/thread/tests/halvik_tests --gtest_filter='Engine.*:Draws.*:Runlineups.*:Missing.*:Scan.AnswersDependNeitherOnThreadsNorOnTheReading'

bench:
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DHALVIK_TESTS=OFF -DHALVIK_BENCH=ON $(CMAKE_FLAGS)
	cmake --build build/bench -j $(JOBS)
	bash bench/run build/bench

demo: build
	bash examples/demo build/release/halvik

fuzz:
	bash tests/fuzz/run

PREFIX ?= /usr/local
install: build
	cmake --install build/release --prefix $(PREFIX)

clean:
	rm -rf build
