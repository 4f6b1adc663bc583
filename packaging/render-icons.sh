#!/usr/bin/env bash
# Renders the PNG icons from the SVG. The PNGs are committed, so a build needs
# no SVG renderer; run this after changing the SVG (needs librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/icons"
for size in 64 128; do
  mkdir -p "${size}x${size}"
  rsvg-convert --width "$size" --height "$size" --keep-aspect-ratio \
    --output "${size}x${size}/org.korvex.Korvex.png" org.korvex.Korvex.svg
done
