#!/usr/bin/env bash
# Makes the Debian package from a built tree, has lintian judge it, unpacks
# it into a temporary folder (no root install) and checks that it holds
# every file the programs need, that the unpacked programs start and find
# their data, and that their manual pages read.
#
#   check_deb.sh CPACK BUILD_DIR SOURCE_DATA_DIR VERSION
set -euo pipefail

cpack=$1
build=$2
source_data=$3
version=$4

work=$(mktemp -d "${TMPDIR:-/tmp}/korvex-deb.XXXXXX")
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

echo "== cpack -G DEB"
if ! (cd "$build" && "$cpack" -G DEB -B "$work/out") >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack -G DEB failed" >&2
  exit 1
fi
debs=("$work/out"/korvex_"${version}"-*_"$(dpkg --print-architecture)".deb)
deb=${debs[0]}
if [ ${#debs[@]} -ne 1 ] || [ ! -f "$deb" ]; then
  ls -l "$work/out" >&2
  echo "FAIL: no package korvex_${version}-<revision>" >&2
  exit 1
fi

echo "== lintian"
# Every error and warning fails; the overrides, each with its reason, are
# in the package's own overrides file (packaging/debian/lintian-overrides).
if ! lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1; then
  cat "$work/lintian.log" >&2
  fail "lintian finds errors or warnings"
fi

echo "== control fields"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = korvex ] || fail "Package is '$(field Package)'"
[[ "$(field Version)" =~ ^"$version"-[0-9]+$ ]] || fail "Version is '$(field Version)', not $version-N"
[ "$(field Section)" = electronics ] || fail "Section is '$(field Section)'"
[ "$(field Priority)" = optional ] || fail "Priority is '$(field Priority)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
# Each library the window and the tool link must be named, not only one.
depends=$(field Depends | tr ',|' '\n\n' | awk '{ print $1 }')
for library in libqt6widgets6 libqt6charts6 libqt6core6 libstdc++6 libc6; do
  grep -qxF "$library" <<<"$depends" || fail "Depends does not name $library: $(field Depends)"
done

echo "== layout"
root="$work/root"
dpkg-deb -x "$deb" "$root"
data_dir="$root/usr/share/korvex"
# The linker drops libcrypto from a program that hashes nothing, so its
# package is owed only by a program that links it.
for program in korvex korvex-cli korvex-sim; do
  if readelf -d "$root/usr/bin/$program" 2>/dev/null | grep -qF '[libcrypto.so.3]'; then
    grep -qE '^libssl3(t64)?$' <<<"$depends" ||
      fail "$program links libcrypto but Depends does not name libssl3: $(field Depends)"
  fi
done
for program in korvex korvex-cli korvex-sim; do
  [ -f "$root/usr/bin/$program" ] && [ -x "$root/usr/bin/$program" ] ||
    fail "usr/bin/$program missing or not executable"
  [ -f "$root/usr/share/man/man1/$program.1.gz" ] || fail "no manual page of $program"
done
# Every shipped data file, byte for byte, in the data folder.
while IFS= read -r -d '' file; do
  relative=${file#"$source_data"/}
  cmp -s "$file" "$data_dir/$relative" || fail "usr/share/korvex/$relative missing or differs"
done < <(find "$source_data" -type f -print0)
[ -z "$(find "$root/usr/bin" -mindepth 1 -not -type f -o -not -perm -u+x)" ] ||
  fail "usr/bin holds more than the programs: $(ls -A "$root/usr/bin")"
for file in copyright changelog.Debian.gz; do
  [ -f "$root/usr/share/doc/korvex/$file" ] || fail "usr/share/doc/korvex/$file missing"
done
[ -f "$root/usr/share/bash-completion/completions/korvex-cli" ] || fail "no bash completion"

app_id=org.korvex.Korvex
desktop="$root/usr/share/applications/$app_id.desktop"
[ -f "$desktop" ] || fail "usr/share/applications/$app_id.desktop missing"
[ -f "$root/usr/share/metainfo/$app_id.metainfo.xml" ] || fail "metainfo missing"
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$app_id.svg" ] || fail "scalable icon missing"
for size in 64 128; do
  png="$root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
  if [ ! -f "$png" ]; then
    fail "${size}x${size} icon missing"
    continue
  fi
  # Width and height: the big-endian words at bytes 16 and 20 of the IHDR.
  read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
  [ "$width $height" = "$size $size" ] || fail "${size}x${size} icon is ${width}x${height}"
done
if [ -f "$desktop" ]; then
  exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  icon_name=$(sed -n 's/^Icon=//p' "$desktop")
  [ -e "$root/usr/bin/$exec_name" ] || fail "the desktop file starts '$exec_name', not in usr/bin"
  [ "$icon_name" = "$app_id" ] || fail "the desktop file names the icon '$icon_name'"
fi

echo "== the unpacked programs start"
# A user with nothing of their own, away from the build tree, so the data can
# only come from the unpacked program folder.
export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"
cd "$work"
run() {
  local name=$1
  shift
  local status=0
  # A program that does not end by itself (a window opened instead of an
  # answer) fails here rather than at the test's timeout.
  timeout 60 "$@" >"$work/$name.out" 2>"$work/$name.err" || status=$?
  if [ "$status" -ne 0 ]; then
    fail "$* exited with $status"
    cat "$work/$name.out" "$work/$name.err" >&2
    return 1
  fi
}
if run cards "$root/usr/bin/korvex-cli" cards; then
  grep -q '^PIC16F84-24C16[[:space:]]' "$work/cards.out" ||
    fail "korvex-cli cards does not list PIC16F84-24C16: $(cat "$work/cards.out")"
fi
run state "$root/usr/bin/korvex-cli" --port sim --card PIC16F84-24C16 --yes state || true
run sim-help "$root/usr/bin/korvex-sim" --help || true
# The window's answers need no display.
for program in korvex korvex-cli korvex-sim; do
  if run "$program-version" env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    "$root/usr/bin/$program" --version; then
    grep -qF "$version" "$work/$program-version.out" ||
      fail "$program --version does not say $version: $(cat "$work/$program-version.out")"
  fi
  # man -l reads the page as a reader would; its warnings are faults of the page.
  if run "$program-man" env MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$program.1.gz"; then
    [ ! -s "$work/$program-man.err" ] || fail "man -l $program.1.gz: $(cat "$work/$program-man.err")"
    grep -q "^NAME" "$work/$program-man.out" || fail "the manual page of $program has no NAME"
    grep -q -- "--help" "$work/$program-man.out" || fail "the manual page of $program has no options"
  fi
done
[ -z "$(ls -A "$XDG_DATA_HOME")" ] || fail "the programs wrote into the user's data folder"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "The package is complete and its programs start."
