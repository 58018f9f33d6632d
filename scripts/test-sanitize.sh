#!/bin/sh
# Builds Tavrel and its tests with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/
# and runs every test, journeys included, in the same headless session as test.sh:
#   scripts/test-sanitize.sh [--build-only | --run-only] [ctest args...]
# (test.sh builds while the normal tests run, which mostly wait, and runs these tests after them.)
# Any sanitizer report fails the run, also one from a program a test started and did not check.
# To stay within the suite's time, it runs each test in one locale only (the zh_CN runs take the
# same paths through memory), and of the journeys only those that ring through the real program's
# players (timer, stall, badsound): the others step the wall clock or drive dialogs whose code the
# window tests run here. The soak's days take the ring paths tst_schedule_run takes here.
# TAVREL_SANITIZE_ALL=1 runs every test in both locales.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
step=${1:-}
case "$step" in --build-only | --run-only) shift ;; *) step="" ;; esac
if [ "$step" != --run-only ]; then
    # shellcheck disable=SC2086 # the arguments test.sh passes, split as written
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DTAVREL_SANITIZE=ON \
        ${TAVREL_CMAKE_ARGS:-}
    cmake --build build-asan --parallel "$(nproc)"
fi
[ "$step" != --build-only ] || exit 0

# Every report lands here, one file per process, so none is lost in a child's output.
reports="$root/build-asan/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:log_path=$reports/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan"
export LSAN_OPTIONS="suppressions=$root/tests/sanitize/lsan.supp:print_suppressions=0"
# The normal run shoots each writer six times; here a few kills per writer show the writers run
# clean under the sanitizers without doubling the suite's length.
export TAVREL_KILL_TRIALS="${TAVREL_KILL_TRIALS:-3}"

cd build-asan
status=0
skip=""
[ "${TAVREL_SANITIZE_ALL:-0}" = 1 ] ||
    skip='\.zh_CN$|^journey\.(alarm|clocksteps|reminder|edit|restart|window|access|second|settings)$|^tst_soak$'

# Side by side, as in test.sh; a test that fails is run once more and named. A sanitizer report
# is never retried away: it stays in $reports and fails the run below.
../scripts/test-session.sh ../scripts/run-ctest.sh --timeout 600 ${skip:+-E "$skip"} "$@" || status=$?

found=$(find "$reports" -type f | sort)
if [ -n "$found" ]; then
    for f in $found; do
        echo "=== sanitizer report ${f##*/}"
        cat "$f"
    done
    echo "test-sanitize: $(echo "$found" | wc -l) sanitizer report(s), kept in $reports" >&2
    [ "$status" -ne 0 ] || status=1
fi
exit "$status"
