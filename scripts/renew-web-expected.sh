#!/usr/bin/env bash
# Renews the web game's expected pages (tests/data/exports/web_*.html) after a change
# to the page (game.css, game.js or its writer): review the diff before committing.
# The pages are written with --seed 26, the seed tests/core/formats/web_game_test.cpp
# gives the writer.
# usage: scripts/renew-web-expected.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
exporter=${1:?build dir}/src/cli/vireta-export
out=tests/data/exports
"$exporter" -f web --seed 26 -o $out/web_xogo.html tests/data/web/xogo.xml
"$exporter" -f web --seed 26 -o $out/web_marcado.html tests/data/web/marcado.xml
"$exporter" -f web --seed 26 --single-file -o $out/web_xogo_single.html tests/data/web/xogo.xml
"$exporter" -f web --seed 26 -o $out/web_kinds.html tests/data/web/kinds.xml
# The style sheet and the script are kept in web_xogo.html only; the other pages
# carry a marker line in their place, which the test fills in.
python3 - "$out" <<'EOF'
import sys
out = sys.argv[1]
for name in ("web_marcado.html", "web_xogo_single.html", "web_kinds.html"):
    path = f"{out}/{name}"
    page = open(path, "rb").read()
    for opening, closing, what in ((b"<style>\r\n", b"</style>", b"style sheet"), (b"<script>\r\n", b"</script>", b"script")):
        start = page.index(opening) + len(opening)
        end = page.index(closing, start)
        page = page[:start] + b"@@ the " + what + b" of web_xogo.html @@\r\n" + page[end:]
    open(path, "wb").write(page)
EOF
