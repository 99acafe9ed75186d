#!/usr/bin/env bash
# Runs one of the browser tests' node scripts: exits 77 (skipped) when no Chromium is
# installed (unless the first argument is --no-browser, for a script that needs none);
# otherwise installs the pinned npm packages when needed and runs
# `node SCRIPT ARGS...` (the script uses node:test).
set -euo pipefail
here=$(dirname "$0")
if [[ ${1:-} == --no-browser ]]; then
  shift
elif [[ -z ${VIRETA_CHROMIUM:-} ]] && ! [[ -x /usr/bin/chromium || -x /usr/bin/chromium-browser ]]; then
  echo "no Chromium installed: skipped"
  exit 77
fi
"$here/npm-deps.sh"
script=$1
shift
exec node "$here/$script" "$@"
