#!/usr/bin/env bash
# Sets up a Debian machine, then builds and runs the whole test suite twice:
# a release build and an AddressSanitizer + UndefinedBehaviorSanitizer build;
# the web page's build and tests after the release build; then runs every fuzz
# target for a minute.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup-debian.sh

echo "== layout (clang-format)"
git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

echo "== release build"
cmake --preset release >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j2

echo "== web page (WebAssembly under node, the page in headless Chromium)"
scripts/test-web.sh

echo "== sanitizer build"
cmake --preset sanitize >/dev/null
cmake --build build-sanitize
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-sanitize --output-on-failure -j2

echo "== fuzzing (libFuzzer, AddressSanitizer + UndefinedBehaviorSanitizer)"
scripts/fuzz.sh 60
