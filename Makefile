# Tavrix 98: `make run` and `make test` work on a fresh Debian machine (they install what is missing).
.PHONY: all deps build native windows dist check test test-layers test-native test-windows run bench soak fuzz mutants clean

all: build

deps:
	@scripts/install-deps.sh

build: deps native windows

native:
	cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug -DTAVRIX_SANITIZE=ON >/dev/null
	cmake --build build/native -j2

windows:
	cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build/windows -j2

# The installer and the portable zip: build/dist/Tavrix98-Setup.exe and build/dist/Tavrix98.zip.
dist: deps windows
	scripts/dist.sh

# The edit-compile-test loop, about a minute once built: the layer check, then the native tests (the core's
# rules, the fuzzing harnesses' regressions, tvxtool). `make test` is the whole suite and what CI runs.
check: deps native test-layers test-native

test: build dist test-layers test-native test-windows

# No folder cycle, no include of a layer from below it.
test-layers:
	scripts/check-layers.sh

test-native:
	cd build/native && ctest --output-on-failure -j2

test-windows:
	scripts/test-windows.sh

run: build
	scripts/run.sh

bench: deps windows
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DTAVRIX_SANITIZE=OFF >/dev/null
	cmake --build build/bench --target core_bench -j2
	scripts/bench.sh

# Four instances on four Wine prefixes editing one shared mapping file for ten minutes.
soak: deps windows
	scripts/soak.sh

# Every fuzzing harness for a million executions with libFuzzer; the figures per harness.
fuzz: deps
	scripts/fuzz.sh

# Deliberate faults, one at a time, and which test catches each (long: not part of make test); FAULTS=TEXT
# runs only the faults whose line holds TEXT.
mutants: deps
	nice scripts/mutants.sh "$(FAULTS)"

clean:
	rm -rf build
