#!/bin/bash
# Builds the Debian package from a build directory and checks it as a distribution would:
#   scripts/check-package.sh [build-dir]      (default build/; the build must be up to date)
# It must hold exactly the program, its launcher, icon, AppStream metadata, manual page and
# Debian's copyright and change log; its dependencies come from dpkg-shlibdeps; the metadata and
# the launcher validate; lintian reports no error; apt can install it here (simulated) and finds
# every dependency in an archive, as on a fresh system.
# Prints the package's size, its dependencies and lintian's full output. Exit 77: tools missing.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd) || exit 2
me=check-package
status=0
fail() {
    echo "$me: FAIL: $*" >&2
    status=1
}

for tool in cpack dpkg-deb dpkg-shlibdeps lintian appstreamcli desktop-file-validate apt-get; do
    command -v "$tool" >/dev/null || { echo "$me: $tool is missing; run scripts/install-deps.sh --test" >&2; exit 77; }
done

out=$build/package
rm -rf "$out"
mkdir -p "$out"
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log" >&2; echo "$me: cpack failed" >&2; exit 1; }
debs=("$out"/tavrel_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "$me: no single .deb in $out" >&2; exit 1; }
deb=${debs[0]}
echo "$me: ${deb##*/}, $(stat -c %s "$deb") bytes, installed size $(dpkg-deb -f "$deb" Installed-Size) KiB"

# --- contents: these files and nothing else -------------------------------------------------
app_id=org.tavrel.Tavrel
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -dumpmachine)
expected="./usr/bin/tavrel
./usr/lib/$multiarch/tavrel/libtavrel-media.so
./usr/share/applications/tavrel.desktop
./usr/share/doc/tavrel/changelog.gz
./usr/share/doc/tavrel/copyright
./usr/share/icons/hicolor/128x128/apps/tavrel.png
./usr/share/man/man1/tavrel.1.gz
./usr/share/metainfo/$app_id.metainfo.xml"
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
if [ "$files" != "$expected" ]; then
    fail "the package holds other files than expected:"
    diff <(echo "$expected") <(echo "$files") >&2
fi
dpkg-deb -c "$deb" | awk '$1 ~ /^-/ && $2 != "root/root" {print}' | grep -q . && fail "files not owned by root"
dpkg-deb -c "$deb" | awk '$6 == "./usr/bin/tavrel" && $1 != "-rwxr-xr-x" {print}' | grep -q . &&
    fail "the program is not mode 755"

# --- dependencies ------------------------------------------------------------------------------
depends=$(dpkg-deb -f "$deb" Depends)
echo "$me: Depends: $depends"
echo "$me: Recommends: $(dpkg-deb -f "$deb" Recommends)"
# From dpkg-shlibdeps (the libraries the program links) and by hand (what Qt loads at run time).
names=$(tr ',|' '\n\n' <<<"$depends" | awk '{print $1}')
for lib in libc6 libstdc++6 libqt5core5a libqt5gui5 libqt5widgets5 libqt5multimedia5 libqt5dbus5 libqt5xdg3 \
    libqt5multimedia5-plugins gstreamer1.0-plugins-good; do
    grep -qxF "$lib" <<<"$names" || fail "Depends lacks $lib"
done

# On a fresh system apt takes each dependency from the archive: every one (its first choice) must be
# there in a version that satisfies it, not only installed here.
while read -r name op version; do
    found=""
    for candidate in $(apt-cache madison "$name" 2>/dev/null | awk -F'|' '{gsub(/ /, "", $2); print $2}'); do
        if [ -z "$op" ] || dpkg --compare-versions "$candidate" "$op" "$version"; then
            found=$candidate
            break
        fi
    done
    [ -n "$found" ] || fail "no archive known to apt has $name ${op:+($op $version)} (apt-get update?)"
done < <(tr ',' '\n' <<<"$depends" | sed 's/|.*//; s/[()]//g' | awk 'NF {print $1, $2, $3}')

# --- what it installs validates ------------------------------------------------------------------
root=$out/root
dpkg-deb -x "$deb" "$root"
meta=$root/usr/share/metainfo/$app_id.metainfo.xml
echo "$me: appstreamcli validate --no-net:"
appstreamcli validate --no-net "$meta" || fail "appstreamcli validate"
version=$(dpkg-deb -f "$deb" Version)
grep -q "<release version=\"$version\" date=\"[0-9-]*\"" "$meta" || fail "the metadata has no release $version"
shots=$(ls "$here"/docs/screenshot-*.png | wc -l)
captions=$(grep -c "<caption>" "$meta")
[ "$captions" -eq "$shots" ] || fail "$captions screenshot captions in the metadata, $shots screenshots in docs/"
for shot in "$here"/docs/screenshot-*.png; do
    grep -q "/${shot##*/}</image>" "$meta" || fail "the metadata does not show ${shot##*/}"
done
desktop-file-validate "$root/usr/share/applications/tavrel.desktop" || fail "desktop-file-validate"
cmp -s "$root/usr/share/icons/hicolor/128x128/apps/tavrel.png" "$here/res/tavrel.png" || fail "the icon differs from res/tavrel.png"

# --- lintian ---------------------------------------------------------------------------------------
echo "$me: lintian -I --pedantic:"
lintian -I --pedantic "$deb" 2>&1 | grep -v "running with root privileges" | tee "$out/lintian.log"
lintian --fail-on error "$deb" >/dev/null 2>&1 || fail "lintian reports errors"

# --- apt can install it with this system's packages ------------------------------------------------
apt-get install --simulate "$deb" >"$out/apt-simulate.log" 2>&1 || {
    cat "$out/apt-simulate.log" >&2
    fail "apt-get cannot install the package"
}
grep -q "^Inst tavrel " "$out/apt-simulate.log" || fail "apt-get would not install tavrel"

[ "$status" = 0 ] && echo "$me: passed" || echo "$me: FAILED"
exit "$status"
