#!/usr/bin/env bash
# The desktop program's command line: --help and --version answer on standard
# output without a display, an unknown option or an argument is refused with
# status 2 before any window opens, and Qt's own options are left to Qt.
#
# usage: program_options_test.sh PROGRAM VERSION
set -uo pipefail

program=$1
version=$2
failures=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

mkdir -m 700 "$scratch/runtime"
export XDG_RUNTIME_DIR="$scratch/runtime"

# Whether file $2 matches pattern $1 ("" for an empty file).
holds() {
  if [ -z "$1" ]; then [ ! -s "$2" ]; else grep -Eq "$1" "$2"; fi
}

# expect NAME STATUS STDOUT-PATTERN STDERR-PATTERN -- COMMAND...
expect() {
  local name=$1 status=$2 out=$3 err=$4
  shift 5
  "$@" >"$scratch/out" 2>"$scratch/err"
  local got=$?
  if [ "$got" -ne "$status" ] || ! holds "$out" "$scratch/out" || ! holds "$err" "$scratch/err"; then
    echo "FAIL: $name: status $got (expected $status)"
    echo "--- stdout"; cat "$scratch/out"; echo "--- stderr"; cat "$scratch/err"
    failures=$((failures + 1))
  fi
}

# No display at all: the answers must not need one.
headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
expect "--help" 0 '^usage: sanskrit-font-converter' '' -- "${headless[@]}" "$program" --help
expect "-h" 0 '^  -v, --version' '' -- "${headless[@]}" "$program" -h
expect "--version" 0 "^sanskrit-font-converter $version\$" '' -- \
  "${headless[@]}" "$program" --version
# Refused without a window (offscreen, so that no display is needed).
expect "misspelt option" 2 '' 'unknown option "--hepl"' -- \
  env QT_QPA_PLATFORM=offscreen "$program" --hepl
expect "argument" 2 '' 'unexpected argument "file.txt"' -- \
  env QT_QPA_PLATFORM=offscreen "$program" file.txt
# Qt takes its own options (and their values) first: only the rest is refused.
expect "Qt option" 2 '' 'unknown option "--bogus"' -- \
  env -u QT_QPA_PLATFORM "$program" -platform offscreen -style fusion --bogus

if [ "$failures" -ne 0 ]; then
  echo "program_options_test: $failures failed"
  exit 1
fi
echo "program_options_test: PASS"
