# The front door: `make run` and `make test`. Both install what is missing first.

.PHONY: run test deps build build-linux build-windows dist bench fuzz soak clean

deps:
	@tools/deps.sh

build-linux: deps
	@cmake --preset linux >/dev/null
	@cmake --build --preset linux -j$$(nproc)

build-windows: deps
	@cmake --preset windows >/dev/null
	@cmake --build --preset windows -j$$(nproc)

build: build-linux build-windows

run: build-windows
	@tools/run.sh

test: build
	@tools/test.sh

# The release zip and SHA256SUMS in build/dist, built in build/release.
dist: deps
	@tools/dist.sh

bench: build-windows
	@tools/bench.sh

fuzz: deps
	@tools/fuzz.sh 600

# The save-while-killed test with two thousand kills instead of two hundred.
soak: build-windows
	@. tools/wine-env.sh && quillet_wine_prefix && QUILLET_KILLS=2000 xvfb-run -a \
	  ctest --preset windows -R reliability_e2e --output-on-failure --timeout 3600

clean:
	rm -rf build
