#!/bin/sh
# Builds Tavrel and its tests in build/ (installing what is missing) and runs every test
# headless, inside a throw-away virtual desktop with a tray, a session bus and paced sound.
set -eu
cd "$(dirname "$0")"
scripts/install-deps.sh --test
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
cmake --build build --parallel "$(nproc)"
cd build
exec ../scripts/test-session.sh ctest --output-on-failure --timeout 600 "$@"
