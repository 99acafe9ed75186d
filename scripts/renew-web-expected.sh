#!/usr/bin/env bash
# Renews the web game's expected pages (tests/data/exports/web_*.html) after a change
# to the page (game.css, game.js or its writer): review the diff before committing.
# usage: scripts/renew-web-expected.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
exporter=${1:?build dir}/src/cli/vireta-export
out=tests/data/exports
"$exporter" -f web -o $out/web_xogo.html tests/data/web/xogo.xml
"$exporter" -f web -o $out/web_marcado.html tests/data/web/marcado.xml
"$exporter" -f web --single-file -o $out/web_xogo_single.html tests/data/web/xogo.xml
