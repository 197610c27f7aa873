# Thin wrapper: the real work lives in scripts/ and CMake.
.PHONY: run test build clean

run:
	@scripts/run.sh

test:
	@scripts/test.sh

build:
	@scripts/build.sh build

clean:
	rm -rf build build-test
