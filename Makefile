# Front door: `make demo` and `make test` install what they need, build and run.
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: deps configure build demo test package asan bench clean

deps:
	bash scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	bash scripts/demo $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The .deb (build/mediatools_*.deb): sudo apt install ./build/mediatools_*.deb
package: build
	cd $(BUILD) && cpack -G DEB

asan:
	$(MAKE) test BUILD=build-asan CMAKE_FLAGS="-DSANITIZE=address,undefined"

bench: build
	bash bench/run $(BUILD)

clean:
	rm -rf $(BUILD) build-asan
