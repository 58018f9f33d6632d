#!/bin/sh
# The long soak, run by hand: the real main window through simulated days around each
# daylight-saving change in Europe/Berlin (a week around each by default), with twenty entries,
# real players and a tray. Prints every ring at a changed hour, the ring counts, the wall time and
# the memory along the way. Needs a build with tests (./test.sh or cmake -DBUILD_TESTING=ON).
#   scripts/soak.sh [days around each change]
set -eu
cd "$(dirname "$0")/.."
days=${1:-7}
cmake --build build --target tst_soak
cd build
export TAVREL_SOAK_DAYS="$days" TZ=Europe/Berlin LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export QTEST_FUNCTION_TIMEOUT=$((days * 1800000)) # QtTest's own watchdog stops a run at 5 minutes
exec ../scripts/test-session.sh tests/tst_soak soak -maxwarnings 0 # the sink without a server warns at every ring
