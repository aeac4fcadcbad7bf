#!/usr/bin/env bash
# Builds Woodtick and starts it on a fresh copy of the bundled example tally,
# so the original example is never changed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target woodtick
mkdir -p out
cp -f examples/forest.tal out/forest.tal
cd out
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a ../build/app/woodtick forest.tal
fi
exec ../build/app/woodtick forest.tal
