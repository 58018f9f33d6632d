#!/bin/sh
# Runs ctest in the current build directory, several tests at once, then runs the tests that
# failed once more, one at a time, and names them:
#   scripts/run-ctest.sh [ctest args...]
# A test that passes only at its second try is flaky, which is a fault to find, so the run says
# which it was instead of hiding it; a test that fails twice fails the run. The names are also
# kept in Testing/needed-second-try.txt, one a line.
# TAVREL_TEST_JOBS: tests at once (default twice the cores: most tests wait on a clock or a sound).
set -u
me=run-ctest
jobs=${TAVREL_TEST_JOBS:-$(($(nproc) * 2))}
failed_log=Testing/Temporary/LastTestsFailed.log
retried=Testing/needed-second-try.txt
out=$(mktemp "${TMPDIR:-/tmp}/run-ctest.XXXXXX") || exit 2
trap 'rm -f "$out" "$out.status"' EXIT
mkdir -p Testing
rm -f "$failed_log"
: >"$retried"

# Names of the tests in ctest's list of failures ("3:tst_rows.C" per line).
failed_names() { [ -s "$failed_log" ] && sed 's/^[0-9]*://' "$failed_log" | sort; }
# One line of names.
joined() { tr '\n' ' ' | sed 's/ $//'; }

# Shown as it runs, and kept to read the count from.
{
    ctest --output-on-failure -j "$jobs" "$@" 2>&1
    echo $? >"$out.status"
} | tee "$out"
status=$(cat "$out.status")
total=$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$out" | tail -n 1)
if [ "$status" -eq 0 ]; then
    echo "$me: no test needed a second try"
    echo "$me: ${total:-0} passed, 0 failed"
    exit 0
fi
first=$(failed_names)
# No list of failures: ctest itself failed (bad arguments, no tests, a broken build tree).
[ -n "$first" ] || exit "$status"
echo "$me: failed at the first try, run again one at a time: $(echo "$first" | joined)"

status=0
ctest --output-on-failure --rerun-failed "$@" || status=$?
again=""
[ "$status" -eq 0 ] || again=$(failed_names)
for name in $first; do
    echo "$again" | grep -qxF "$name" || echo "$name" >>"$retried"
done
if [ -s "$retried" ]; then
    echo "$me: FLAKY, passed only at the second try: $(joined <"$retried")"
else
    echo "$me: no test passed at its second try"
fi
[ -z "$again" ] || echo "$me: failed twice: $(echo "$again" | joined)"
failures=$(echo "$again" | grep -c .)
echo "$me: $((${total:-0} - failures)) passed, $failures failed"
[ "$failures" -eq 0 ] && [ "$status" -eq 0 ] && exit 0
exit 1
