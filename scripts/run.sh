#!/usr/bin/env bash
# Sets up what is missing, builds Korvex and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target korvex-cli korvex_data
exec build/default/bin/korvex-cli cards "$@"
