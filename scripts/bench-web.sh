#!/usr/bin/env bash
# The web page's speed and size beside native sfconv (bench/web/bench_web.py):
# builds the release tools and the site first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
cmake --preset release >/dev/null && cmake --build build --target sfconv >/dev/null
scripts/build-web.sh >/dev/null
/usr/bin/python3 bench/web/bench_web.py
