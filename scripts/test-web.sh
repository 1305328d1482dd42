#!/usr/bin/env bash
# Builds the web page (scripts/build-web.sh) and runs its tests: the
# WebAssembly module under node beside the golden files and native sfconv,
# then the page in headless Chromium. Needs the release build (build/) for
# native sfconv and sfc_sfconv_batch.
set -euo pipefail
cd "$(dirname "$0")/.."

for needed in build/bin/sfconv build/bin/sfc_sfconv_batch; do
  [ -x "$needed" ] || { echo "$needed is missing: build the release preset first" >&2; exit 1; }
done

scripts/build-web.sh
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

echo "== web: the module under node"
node --test tests/web/

echo "== web: the page in headless Chromium"
/usr/bin/python3 tests/web/browser_test.py
