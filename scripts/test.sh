#!/usr/bin/env bash
# Installs what the tests need, builds with warnings as errors and runs the whole suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
# The tests run the real program too: it keeps config.ini in the build's own directory.
scripts/build.sh build-test -DCW_WERROR=ON -DCW_BUILD_TESTS=ON -DCW_BUILD_BENCH=ON \
    -DCHATTERWICK_SYSTEM_DIR="$PWD/build-test/system"
cd build-test
ctest --output-on-failure --timeout 600 "$@"
