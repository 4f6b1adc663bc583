#!/usr/bin/env bash
# The bash completion of korvex-cli, as bash calls it, over a copy of the
# shipped card types with one whose name has a blank.
#
#   completion_test.sh COMPLETION_SCRIPT KORVEX_CLI PROGRAM_DIR
set -uo pipefail
source "$1"
cli=$2
data=$(mktemp -d "${TMPDIR:-/tmp}/korvex-completion.XXXXXX")
trap 'rm -rf "$data"' EXIT
cp -r "$3/cards" "$data/cards"
printf '[CardType]\r\nCardName=Two Words\r\nCardDescription=x\r\nPicName=PIC 16F84\r\nEepromName=None\r\n' \
  >"$data/cards/Two Words.ini"

failures=0
# The words after "korvex-cli --data DIR", the last one being completed |
# the completions, one blank apart.
while IFS='|' read -r typed expected; do
  read -ra words <<<"$typed"
  [[ $typed == *' ' ]] && words+=('')
  COMP_WORDS=("$cli" --data "$data" "${words[@]}")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  _korvex_cli
  got="${COMPREPLY[*]}"
  if [[ $got != "${expected# }" ]]; then
    echo "FAIL: korvex-cli $typed: got '$got', expected '${expected# }'"
    failures=$((failures + 1))
  fi
done <<'CASES'
wr| write
--port sim ver| verify
--ver| --version
--help-| --help-all
read | pic flash eeprom
rec| records
records --| --data --port --speed --log --card --yes --quiet --json --help --record --db --station --since --until --sync --audit --format --db-wait
records --audit --format | text csv
auto --watch --d| --data --db --db-wait
card edit X --se| --serial
options --set Line/| Line/StepRetries=
--card PIC16F84-2| PIC16F84-24C16
--card Two| Two\ Words
card edit T| Two\ Words
card a| add
--port s| sim
--speed 1| 19200 115200
cards --f| --format
cards --format | text tsv
fuses --oscillator H| HS
auto --w| --watch
CASES
echo "$failures failed"
[ "$failures" -eq 0 ]
