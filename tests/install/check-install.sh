#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR with the prefix /usr and checks
# the tree a Linux desktop will see: exactly the expected files, a valid
# desktop entry, a MIME entry that the MIME database takes, icons of the
# sizes their folders claim, and installed programs that find their settings
# in the data folder.
# Usage: check-install.sh BUILD_DIR SOURCE_DIR CMAKE
set -euo pipefail
build=$1 source=$2 cmake=$3

fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in desktop-file-validate xmllint update-mime-database od; do
  command -v "$tool" >/dev/null || fail "the tool $tool is missing (scripts/packages.sh lists its package)"
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
DESTDIR="$tmp/root" "$cmake" --install "$build" --prefix /usr >"$tmp/install.log" || { cat "$tmp/install.log"; fail "cmake --install"; }
usr="$tmp/root/usr"

# Every file expected, and nothing else.
sizes="16 24 32 48 64 128 256"
{
  echo bin/veska
  echo bin/veska-cli
  echo share/veska/VESKA.INI
  for f in "$source"/help/*; do echo "share/veska/help/$(basename "$f")"; done
  [ -f "$build/src/shell/VESKA.LIB" ] && echo share/veska/VESKA.LIB
  echo share/applications/veska.desktop
  echo share/mime/packages/veska.xml
  for s in $sizes; do echo "share/icons/hicolor/${s}x${s}/apps/veska.png"; done
  echo share/icons/hicolor/scalable/apps/veska.svg
  echo share/doc/veska/LICENSE
  echo share/doc/veska/README.md
} | sort >"$tmp/expected"
(cd "$usr" && find . -type f | sed 's|^\./||' | sort) >"$tmp/installed"
diff -u "$tmp/expected" "$tmp/installed" || fail "the installed files differ from the expected ones (- expected, + installed)"
[ -x "$usr/bin/veska" ] && [ -x "$usr/bin/veska-cli" ] || fail "the programs are not executable"
cmp -s "$source/LICENSE" "$usr/share/doc/veska/LICENSE" || fail "LICENSE differs"

# The desktop entry.
entry="$usr/share/applications/veska.desktop"
desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
for line in 'Name=Veska' 'Exec=veska %f' 'Icon=veska' 'MimeType=application/x-veska-diagram;' 'Categories=Development;Database;'; do
  grep -qxF "$line" "$entry" || fail "$entry lacks the line $line"
done

# The MIME entry: valid XML that the MIME database compiles into a glob for
# *.erd and the magic of the four version tags.
mime="$usr/share/mime"
xmllint --noout "$mime/packages/veska.xml" || fail "xmllint rejects veska.xml"
update-mime-database "$mime" 2>"$tmp/mime.log" || { cat "$tmp/mime.log"; fail "update-mime-database"; }
grep -q '^[0-9]*:application/x-veska-diagram:\*\.erd' "$mime/globs2" || fail "no *.erd glob for application/x-veska-diagram"
for tag in V1.00-KX V1.01-KX V1.20-KX V3.00-KX; do
  grep -aqF "$tag" "$mime/magic" || fail "no magic for the version tag $tag"
done
grep -aqF 'application/x-veska-diagram' "$mime/magic" || fail "no magic section of application/x-veska-diagram"

# The icons: PNG files whose size is that of their folder, and an SVG.
for s in $sizes; do
  png="$usr/share/icons/hicolor/${s}x${s}/apps/veska.png"
  [ "$(od -An -tx1 -N8 "$png" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is not a PNG file"
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [ "$w" = "$s" ] && [ "$h" = "$s" ] || fail "$png is ${w}x${h}, not ${s}x${s}"
done
svg="$usr/share/icons/hicolor/scalable/apps/veska.svg"
xmllint --noout "$svg" || fail "xmllint rejects $svg"
grep -q '<svg' "$svg" || fail "$svg holds no SVG"

# The installed programs: the desktop program answers without a display, and
# veska-cli reads the installed settings (without them it knows no server to
# build for and stops with a usage error).
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=no-such-platform "$usr/bin/veska" --version >"$tmp/version" \
  || fail "the installed veska --version failed"
grep -q '^veska ' "$tmp/version" || fail "the installed veska --version printed: $(cat "$tmp/version")"
mkdir "$tmp/tables"
"$usr/bin/veska-cli" build-database --no-create "$source/examples/sales.erd" "$tmp/tables" >"$tmp/build.out" 2>"$tmp/build.err" \
  || { cat "$tmp/build.err"; fail "the installed veska-cli did not find the installed VESKA.INI"; }

echo "PASS: the installation holds $(wc -l <"$tmp/installed") files as a desktop expects them"
