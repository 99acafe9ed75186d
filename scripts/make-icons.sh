#!/usr/bin/env bash
# Renders the application icon resources/vireta.svg to the PNG sizes of the hicolor
# icon theme under data/icons, which cmake --install copies. Run it after changing
# the icon. Needs librsvg2-bin (scripts/install-deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
for size in 16 22 24 32 48 64 128 256; do
  dir=data/icons/hicolor/${size}x${size}/apps
  mkdir -p "$dir"
  rsvg-convert -w "$size" -h "$size" -o "$dir/org.vireta.Vireta.png" resources/vireta.svg
done
