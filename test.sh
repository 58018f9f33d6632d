#!/bin/sh
# Builds Tavrel and its tests in build/ (installing what is missing) and runs every test
# headless, inside a throw-away virtual desktop with a tray, a session bus and paced sound;
# then does it again with the sanitizers (scripts/test-sanitize.sh, in build-asan/), unless
# TAVREL_SKIP_SANITIZE=1.
set -eu
cd "$(dirname "$0")"
scripts/install-deps.sh --test
# A compiler cache, where one is installed, turns the build of sources compiled before into a copy.
# Its paths are taken relative to this checkout, so every clone of the same sources shares them.
if command -v ccache >/dev/null 2>&1; then
    TAVREL_CMAKE_ARGS="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
    CCACHE_BASEDIR=$(pwd)
    CCACHE_NOHASHDIR=1
    export TAVREL_CMAKE_ARGS CCACHE_BASEDIR CCACHE_NOHASHDIR
fi
# shellcheck disable=SC2086 # the arguments, one or none, split as written
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON ${TAVREL_CMAKE_ARGS:-}
cmake --build build --parallel "$(nproc)"
status=0
# The sanitizer build goes on at the lowest priority while the tests below, which mostly wait on
# clocks and sounds, run; its output is shown only when it fails.
sanitize=0
if [ "${TAVREL_SKIP_SANITIZE:-0}" != 1 ]; then
    sanitize=1
    nice -n 19 scripts/test-sanitize.sh --build-only >build/sanitize-build.log 2>&1 &
    sanitize_build=$!
fi
# Tests run side by side; one that fails runs once more and the run names it (a test that needs a
# second try is a fault to find); a test that fails twice fails the run.
(cd build && ../scripts/test-session.sh ../scripts/run-ctest.sh --timeout 600 "$@") || status=$?
if [ "$sanitize" = 1 ]; then
    if wait "$sanitize_build"; then
        scripts/test-sanitize.sh --run-only "$@" || status=$?
    else
        cat build/sanitize-build.log
        echo "test.sh: the sanitizer build failed" >&2
        status=1
    fi
fi
exit "$status"
