#!/bin/sh
# Builds Tavrel and its tests in build/ (installing what is missing) and runs every test
# headless, inside a throw-away virtual desktop with a tray, a session bus and paced sound;
# then does it again with the sanitizers (scripts/test-sanitize.sh, in build-asan/), unless
# TAVREL_SKIP_SANITIZE=1.
set -eu
cd "$(dirname "$0")"
scripts/install-deps.sh --test
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
cmake --build build --parallel "$(nproc)"
status=0
# Tests run side by side; one that fails runs once more and the run names it (a test that needs a
# second try is a fault to find); a test that fails twice fails the run.
(cd build && ../scripts/test-session.sh ../scripts/run-ctest.sh --timeout 600 "$@") || status=$?
if [ "${TAVREL_SKIP_SANITIZE:-0}" != 1 ]; then
    scripts/test-sanitize.sh "$@" || status=$?
fi
exit "$status"
