#!/usr/bin/env bash
# Renders the desktop program's main window offscreen in the states the README
# shows and writes them to docs/screenshots/ as PNG files.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release >/dev/null
cmake --build build --target sfc_screenshots
mkdir -p docs/screenshots
# The instructions name the data directory; show it as a reader's own rather
# than this machine's. Nothing is read from or written to it here.
# shellcheck disable=SC2088
QT_QPA_PLATFORM=offscreen LIPIKARA_DIR='~/lipikara/' build/bin/sfc_screenshots docs/screenshots
