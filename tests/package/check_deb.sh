#!/usr/bin/env bash
# Makes the Debian package from a built tree, unpacks it into a temporary
# folder (no root install) and checks that it holds every file the programs
# need and that the unpacked programs start and find their data.
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
deb="$work/out/korvex_${version}_$(dpkg --print-architecture).deb"
if [ ! -f "$deb" ]; then
  ls -l "$work/out" >&2
  echo "FAIL: no package $(basename "$deb")" >&2
  exit 1
fi

echo "== control fields"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = korvex ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Section)" = electronics ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
# Each library the window and the tool link must be named, not only one.
depends=$(field Depends | tr ',|' '\n\n' | awk '{ print $1 }')
for library in libqt6widgets6 libqt6core6 libstdc++6 libc6; do
  grep -qxF "$library" <<<"$depends" || fail "Depends does not name $library: $(field Depends)"
done

echo "== layout"
root="$work/root"
dpkg-deb -x "$deb" "$root"
program_dir="$root/usr/lib/korvex"
# The linker drops libcrypto from a program that hashes nothing, so its
# package is owed only by a program that links it.
for program in korvex korvex-cli korvex-sim; do
  if readelf -d "$program_dir/$program" 2>/dev/null | grep -qF '[libcrypto.so.3]'; then
    grep -qE '^libssl3(t64)?$' <<<"$depends" ||
      fail "$program links libcrypto but Depends does not name libssl3: $(field Depends)"
  fi
done
for program in korvex korvex-cli korvex-sim; do
  launcher="$root/usr/bin/$program"
  if [ ! -L "$launcher" ] && [ ! -x "$launcher" ]; then
    fail "usr/bin/$program missing"
    continue
  fi
  # An absolute link would point into the build machine's /usr, not the package.
  if [ -L "$launcher" ] && [[ "$(readlink "$launcher")" = /* ]]; then
    fail "usr/bin/$program links to an absolute path"
  fi
  [ "$(readlink -f "$launcher")" = "$(readlink -f "$program_dir/$program")" ] ||
    fail "usr/bin/$program does not lead to usr/lib/korvex/$program"
  [ -f "$program_dir/$program" ] && [ -x "$program_dir/$program" ] ||
    fail "usr/lib/korvex/$program missing or not executable"
done
for folder in cards lang options defaults; do
  [ -d "$program_dir/$folder" ] || fail "usr/lib/korvex/$folder missing"
done
# Every shipped data file, byte for byte, beside the programs.
while IFS= read -r -d '' file; do
  relative=${file#"$source_data"/}
  cmp -s "$file" "$program_dir/$relative" || fail "usr/lib/korvex/$relative missing or differs"
done < <(find "$source_data" -type f -print0)

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
if run version env QT_QPA_PLATFORM=offscreen "$root/usr/bin/korvex" --version; then
  grep -qF "$version" "$work/version.out" ||
    fail "korvex --version does not say $version: $(cat "$work/version.out")"
fi
[ -z "$(ls -A "$XDG_DATA_HOME")" ] || fail "the programs wrote into the user's data folder"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "The package is complete and its programs start."
