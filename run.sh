#!/bin/sh
# Builds Tavrel in build/ (installing what is missing) and starts it.
set -eu
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "$(nproc)" --target tavrel
exec build/tavrel "$@"
