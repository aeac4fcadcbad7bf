#!/usr/bin/env bash
# Builds everything and runs every test. Extra arguments go to cmake
# (CI passes -DWOODTICK_WERROR=ON).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build build
ctest --test-dir build --output-on-failure
