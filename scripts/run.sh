#!/usr/bin/env bash
# Sets up what is missing, builds Korvex and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target korvex-cli korvex-sim korvex_data
build/default/bin/korvex-cli cards
# The built-in simulated programmer stands in until a real one is attached.
build/default/bin/korvex-cli --port sim state
build/default/bin/korvex-cli --port sim firmware
