#!/usr/bin/env bash
# Sets up what is missing, builds Korvex and runs it: a simulated card is
# programmed with the sample images and read back.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target korvex-cli korvex-sim korvex_data

cli=build/default/bin/korvex-cli
samples=build/default/bin/samples
out=$(mktemp -d "${TMPDIR:-/tmp}/korvex-run.XXXXXX")
card=PIC16F84-24C16

echo "== Card types"
"$cli" cards
echo
echo "== The built-in simulated programmer (--port sim) with a $card card"
"$cli" --port sim --card "$card" state
"$cli" --port sim --card "$card" firmware
echo
echo "== Auto program: external EEPROM, then processor, then configuration word"
"$cli" --port sim --card "$card" --yes auto \
  --pic "$samples/sample84.hex" --eeprom "$samples/sample24c16.hex"
echo
echo "== Read the card back"
"$cli" --port sim --card "$card" --yes verify pic "$samples/sample84.hex"
"$cli" --port sim --card "$card" --yes read pic -o "$out/card-pic.hex"
"$cli" --port sim --card "$card" --yes read eeprom -o "$out/card-eeprom.hex"
echo
echo "== What the processor holds (first lines)"
"$cli" view "$out/card-pic.hex" --card "$card" | sed -n 1,4p
echo
echo "The read-back files are in $out"
