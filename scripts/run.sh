#!/usr/bin/env bash
# Sets up what is missing, builds Korvex and runs it. With a display the
# window opens on the built-in simulated programmer with the sample card type
# and files; without one a simulated card is programmed with the sample
# images from the command line and read back, and a picture of the window is
# saved.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target korvex korvex-cli korvex-sim korvex_data

cli=build/default/bin/korvex-cli
samples=build/default/bin/samples
card=PIC16F84-24C16
window=(build/default/bin/korvex --port sim --card "$card"
  --pic "$samples/sample84.hex" --eeprom "$samples/sample24c16.hex")

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "Starting the window on the built-in simulated programmer with a $card card."
  exec "${window[@]}"
fi

out=$(mktemp -d "${TMPDIR:-/tmp}/korvex-run.XXXXXX")

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
echo
echo "== The window (no display here: drawn off screen)"
QT_QPA_PLATFORM=offscreen "${window[@]}" --screenshot "$out/korvex-window.png"
