#!/usr/bin/env bash
# Installs the browser tests' npm packages (playwright-core, axe-core, scorm-again, gift-pegjs, ws) exactly as
# package-lock.json pins them, unless they are installed at those versions already.
# playwright-core downloads no browser: the tests drive the system Chromium.
set -euo pipefail
cd "$(dirname "$0")"
current() {
  node -e '
    const lock = require("./package-lock.json").packages;
    for (const name of ["playwright-core", "axe-core", "scorm-again", "gift-pegjs", "pegjs", "ws"]) {
      const want = lock["node_modules/" + name].version;
      let have = null;
      try { have = require("./node_modules/" + name + "/package.json").version; } catch (e) {}
      if (have !== want) process.exit(1);
    }' 2>/dev/null
}
current && exit 0
echo "Installing the browser tests' npm packages (npm ci)"
npm ci --no-audit --no-fund --ignore-scripts --loglevel=error
