#!/usr/bin/env bash
# Takes screenshots of the editor's pages under Xvfb, for the README and for review.
# usage: scripts/screenshot.sh BUILD_DIR OUT_DIR [PAGE...]
#   PAGE is the name of a section button to press before the shot (btinicio, btpreg, ...);
#   "about" takes the window as it opens; "btexportar:1" also selects tab 1 of the save
#   page (file btexportar-1.png); "clase" presses "En clase" and takes the "Xogo en clase"
#   window (its server listens only for the moment of the shot). VIRETA_SCREENSHOT_IMAGE
#   names a picture for the question page's preview; VIRETA_SCREENSHOT_SIZE=WIDTHxHEIGHT
#   the window's size (its client area: 684x490 is the design size of 700 x 529 with its
#   frame).
set -euo pipefail
build=${1:?build dir}; out=${2:?output dir}; shift 2
pages=("$@"); (( ${#pages[@]} )) || pages=(about btinicio btpreg btfinal btexportar)
mkdir -p "$out"
for page in "${pages[@]}"; do
  xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tests/gui/screenshot_tool" "$page" "$out/${page//:/-}.png" ${VIRETA_SCREENSHOT_IMAGE:-}
done
