# The developer's entry points. Each target installs what is missing first.
.PHONY: run test bench fuzz package deps format clean

ARGS ?=

deps:
	@scripts/install-deps

run: deps
	cmake --preset release >/dev/null
	cmake --build --preset release --target soundboard
	./build/release/soundboard --bundle Resources $(ARGS)

test: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

bench: deps
	cmake --preset release >/dev/null
	cmake --build --preset release
	scripts/run-benchmarks build/release

fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz
	scripts/run-fuzzers build/fuzz 60

package: deps
	cmake --preset package >/dev/null
	cmake --build --preset package
	cd build/package && cpack

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
