#!/usr/bin/env bash
# Renders the application icon's PNG sizes for the hicolor theme from
# tzc3.svg. The PNGs are kept in the repository, so neither the build nor the
# package needs a renderer; run this after changing the SVG
# (rsvg-convert: Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for n in 16 22 24 32 48 64 128 256; do
  mkdir -p "hicolor/${n}x${n}"
  rsvg-convert -w "$n" -h "$n" tzc3.svg -o "hicolor/${n}x${n}/tzc3.png"
done
