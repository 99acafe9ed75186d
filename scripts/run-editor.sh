#!/usr/bin/env bash
# Sets everything up, builds Vireta and starts the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVIRETA_BUILD_TESTS=OFF >/dev/null
cmake --build build/release --target vireta
exec build/release/src/gui/vireta "$@"
