#!/usr/bin/env bash
# Sets up, builds and runs all tests.
set -euo pipefail
cd "$(dirname "$0")"
. tools/ensure-packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${UI_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
build=${BUILD_DIR:-build-tests}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELLUMO_WERROR="${VELLUMO_WERROR:-OFF}" ${CMAKE_EXTRA_ARGS:-} > /dev/null
ninja -C "$build"
ctest --test-dir "$build" --output-on-failure -j2
