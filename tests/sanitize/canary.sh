#!/bin/sh
# Runs the canary for one sanitizer and passes only if the sanitizer stopped it with its report,
# naming each of the given functions:  canary.sh <canary> <leaks|undefined|address> <name>...
canary=$1 what=$2
shift 2
out=$(mktemp) || exit 1
trap 'rm -f "$out"' EXIT
"$canary" "$what" >"$out" 2>&1
status=$?
cat "$out"
if [ "$status" -eq 0 ]; then
    echo "canary: '$what' ended normally; the sanitizer did not fire" >&2
    exit 1
fi
for name in "$@"; do
    grep -q -- "$name" "$out" || { echo "canary: the report does not name $name" >&2; exit 1; }
done
echo "canary: '$what' stopped with status $status, naming: $*"
