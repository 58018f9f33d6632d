#!/bin/sh
# Installs, with apt-get, whatever Tavrel needs that is missing.
#   scripts/install-deps.sh          build, run and make the Debian package (dpkg-dev, file)
#   scripts/install-deps.sh --test   also the headless desktop session the tests run in, and clang
#                                    with libFuzzer for the storage fuzz target
set -eu

BUILD_PKGS="cmake g++ make pkg-config qtbase5-dev qtmultimedia5-dev libqt5multimedia5-plugins \
libqt5xdg-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good fonts-wqy-microhei \
dpkg-dev file"
TEST_PKGS="xvfb xauth x11-utils xdotool trayer dbus dbus-x11 locales python3-xlib xdg-utils valgrind \
pipewire pipewire-pulse wireplumber pipewire-bin pulseaudio-utils gstreamer1.0-pulseaudio gstreamer1.0-pipewire sox \
python3-dbus python3-gi python3-pyatspi at-spi2-core imagemagick openbox libfaketime tzdata \
appstream lintian desktop-file-utils"
# The storage fuzz targets (scripts/fuzz.sh): clang with libFuzzer and the sanitizer runtimes, and
# GNU time for the CPU time beside the wall time.
FUZZ_PKGS="clang libclang-rt-14-dev time"

# The runtimes of the sanitizer build test.sh also runs (g++ usually brings them already).
SANITIZE_PKGS="libasan8 libubsan1"

pkgs="$BUILD_PKGS"
[ "${1:-}" = "--test" ] && pkgs="$pkgs $TEST_PKGS $FUZZ_PKGS $SANITIZE_PKGS"

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

missing=""
for p in $pkgs; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done

if [ -z "$missing" ]; then
    echo "install-deps: nothing to install"
else
    echo "install-deps: installing$missing"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    # shellcheck disable=SC2086
    $SUDO apt-get install -y --no-install-recommends $missing
fi

# The tests run under zh_CN.UTF-8 as well as C. glibc falls back to C without a word when a locale
# was never generated, so generate it (kept in /etc/locale.gen, so a later locale-gen keeps it).
has_zh_cn() { locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\{0,1\}8'; }
if [ "${1:-}" = "--test" ] && ! has_zh_cn; then
    echo "install-deps: generating the zh_CN.UTF-8 locale"
    if grep -q '^# *zh_CN\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        $SUDO sed -i 's/^# *\(zh_CN\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    elif ! grep -q '^zh_CN\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        echo "zh_CN.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
    $SUDO locale-gen
    has_zh_cn || { echo "install-deps: zh_CN.UTF-8 is still missing after locale-gen" >&2; exit 1; }
fi

# The program needs Qt 5.14 or later (CMake asks for the same), its tests 5.15; Debian 12 has 5.15.
qt=$(dpkg-query -W -f='${Version}' qtbase5-dev)
need=5.14
[ "${1:-}" = "--test" ] && need=5.15
if dpkg --compare-versions "$qt" lt "$need"; then
    echo "install-deps: qtbase5-dev is $qt; Tavrel needs Qt $need or later" >&2
    exit 1
fi
