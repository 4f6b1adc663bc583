#!/usr/bin/env bash
# What korvex-cli prints, in English and in German, for a fixed set of
# commands against the simulators: each command's stdout, stderr and exit
# code, times and durations masked, compared with the recorded golden file.
# A change to the tool's words shows here as a difference to be recorded
# deliberately (--record), never by accident.
#
#   faces_golden.sh KORVEX_CLI KORVEX_SIM PROGRAM_DIR GOLDEN [--record]
set -uo pipefail
cli=$(realpath "$1")
sim=$(realpath "$2")
program=$(realpath "$3")
golden=$(realpath -m "$4")
record=${5:-}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/korvex-golden.XXXXXX")
simpid=""
cleanup() {
  if [ -n "$simpid" ]; then
    kill "$simpid" 2>/dev/null
    wait "$simpid" 2>/dev/null
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT

mkdir -p "$tmp/prog" "$tmp/work" "$tmp/home"
for part in cards lang options defaults help samples; do
  cp -r "$program/$part" "$tmp/prog/$part"
done
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" LC_ALL=C.UTF-8
unset PGPASSFILE PGPASSWORD
cd "$tmp/work" || exit 1

samples="$tmp/prog/samples"
# Two bytes of the EEPROM that a blank card's differ from.
printf ':020000000102FB\r\n:00000001FF\r\n' >differs.hex

out="$tmp/actual"
: >"$out"
run() {
  "$cli" --data "$tmp/prog" "$@" >"$tmp/o" 2>"$tmp/e" </dev/null
  local code=$?
  {
    echo "### $*"
    cat "$tmp/o"
    echo "--- stderr"
    cat "$tmp/e"
    echo "--- exit $code"
  } >>"$out"
}

# A korvex-sim that feeds two fresh cards on a terminal linked at $tmp/port.
feed() {
  rm -f "$tmp/port"
  "$sim" --data "$tmp/prog" --card PIC16F84-24C16 --feed 2 --feed-gap 50 \
    --link "$tmp/port" >/dev/null 2>"$tmp/sim.err" &
  simpid=$!
  for _ in $(seq 100); do
    [ -e "$tmp/port" ] && return
    sleep 0.05
  done
  echo "korvex-sim did not start: $(cat "$tmp/sim.err")" >&2
  exit 1
}

stop_feed() {
  kill "$simpid" 2>/dev/null
  wait "$simpid" 2>/dev/null
  simpid=""
}

card=(--port sim --card PIC16F84-24C16)
for lang in English Deutsch; do
  rm -rf "$tmp/config" "$tmp/data" rec.csv read.hex
  mkdir -p "$tmp/config/korvex"
  printf '[Korvex]\nLang=%s\n' "$lang" >"$tmp/config/korvex/settings.ini"
  echo "##### $lang" >>"$out"
  run cards
  run --card NoSuchCard state
  run "${card[@]}" --yes write pic missing.hex
  run "${card[@]}" --yes --quiet auto --pic "$samples/sample84.hex" --eeprom "$samples/sample24c16.hex"
  run "${card[@]}" --quiet verify pic "$samples/sample84.hex"
  run "${card[@]}" --quiet verify eeprom differs.hex
  run "${card[@]}" --yes --quiet --json verify eeprom differs.hex
  run "${card[@]}" --yes --quiet verify eeprom differs.hex
  run "${card[@]}" state
  run --card PIC16F84 --port sim --yes write eeprom differs.hex
  run "${card[@]}" --json state
  run "${card[@]}" firmware
  run "${card[@]}" --quiet read pic -o read.hex
  run "${card[@]}" --quiet erase pic
  run "${card[@]}" --quiet verify pic "$samples/sample84.hex"
  run --card PIC16F84-24C16 options
  run --card PIC16F84-24C16 fuses
  run --card AT90S8515-24C64 --port sim --quiet lock
  feed
  run --port "$tmp/port" --card PIC16F84-24C16 --yes --quiet auto --pic "$samples/sample84.hex" \
    --eeprom "$samples/sample24c16.hex" --watch --count 2 --record rec.csv
  stop_feed
  run records --record rec.csv
  run records --record rec.csv --json
  run records --record rec.csv --audit
done

# Times and durations change from run to run; the folder and the station
# (the host's name) from machine to machine.
station=$(hostname)
mask() {
  sed -E -e "s#$tmp#TMP#g" -e "s#$station#STATION#g" \
    -e 's/[0-9]{4}-[0-9]{2}-[0-9]{2}[T ][0-9]{2}:[0-9]{2}(:[0-9]{2})?(\.[0-9]+)?(Z|[+-][0-9]{2}:?[0-9]{2})?/DATETIME/g' \
    -e 's/[0-9]{2}:[0-9]{2}:[0-9]{2}/TIME/g' \
    -e 's/[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}/HOUR/g' \
    -e 's/"(duration_ms|elapsed_ms|cards_per_hour|run)":[0-9.]+/"\1":N/g' \
    -e 's/[0-9]+([.,][0-9]+)? ?(ms|s|min)\b/N \2/g' \
    -e 's/[0-9]+([.,][0-9]+)? (cards an hour|cards per hour|Karten pro Stunde|Karten je Stunde)/N \2/g'
}
mask <"$out" >"$tmp/masked"

if [ "$record" = "--record" ]; then
  cp "$tmp/masked" "$golden"
  echo "recorded $golden"
  exit 0
fi
if ! diff -u "$golden" "$tmp/masked"; then
  echo "korvex-cli printed other words than recorded (above: - recorded, + now)"
  exit 1
fi
echo "the output is as recorded"
