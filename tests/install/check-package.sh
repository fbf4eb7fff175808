#!/usr/bin/env bash
# Builds the Debian package with CPack into a temporary folder and checks it
# with dpkg-deb: its control fields (name, version, architecture, computed
# dependencies) and that it installs the programs and the desktop files into
# /usr. Then the unpacked programs run from the package's tree.
# Usage: check-package.sh BUILD_DIR CPACK VERSION
set -euo pipefail
build=$1 cpack=$2 version=$3

fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in dpkg-deb dpkg-shlibdeps dpkg; do
  command -v "$tool" >/dev/null || fail "the tool $tool is missing (scripts/packages.sh lists its package)"
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log"; fail "cpack -G DEB"; }
debs=("$tmp"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack wrote no single .deb: $(ls "$tmp/out")"
deb=${debs[0]}

dpkg-deb --info "$deb" >"$tmp/info" || fail "dpkg-deb --info"
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = veska ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] && [ -n "$(field Section)" ] || fail "a control field is empty"
depends=$(field Depends)
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6; do
  tr ',' '\n' <<<"$depends" | awk '{print $1}' | grep -qxF "$lib" || fail "Depends lacks $lib: $depends"
done

dpkg-deb --contents "$deb" | awk '{print $NF}' >"$tmp/contents" || fail "dpkg-deb --contents"
for path in ./usr/bin/veska ./usr/bin/veska-cli ./usr/share/veska/VESKA.INI ./usr/share/veska/help/index.html \
            ./usr/share/applications/veska.desktop ./usr/share/mime/packages/veska.xml \
            ./usr/share/icons/hicolor/48x48/apps/veska.png ./usr/share/icons/hicolor/scalable/apps/veska.svg \
            ./usr/share/doc/veska/LICENSE; do
  grep -qxF "$path" "$tmp/contents" || fail "the package lacks $path"
done
grep -v '^\./usr/' "$tmp/contents" | grep -vxF './' && fail "the package installs outside /usr"

# The programs of the unpacked package run and find their data folder.
dpkg-deb -x "$deb" "$tmp/tree"
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=no-such-platform "$tmp/tree/usr/bin/veska" --help >/dev/null \
  || fail "the packaged veska --help failed"

echo "PASS: $(basename "$deb"): Depends: $depends"
