#!/usr/bin/env bash
# The desktop program's command line: --help and --version need no display;
# an unknown option or an argument is refused with status 2 before any window
# opens; Qt's own options are left to Qt.
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

# expect NAME STATUS STDOUT-PATTERN STDERR-PATTERN -- COMMAND... (a pattern
# "" wants nothing at all)
expect() {
  local name=$1 status=$2 out=$3 err=$4
  shift 5
  "$@" >"$scratch/out" 2>"$scratch/err"
  local got=$? ok=1
  for stream in "out:$out" "err:$err"; do
    local file=$scratch/${stream%%:*} pattern=${stream#*:}
    if [ -z "$pattern" ]; then [ ! -s "$file" ] || ok=; else grep -Eq "$pattern" "$file" || ok=; fi
  done
  if [ "$got" -ne "$status" ] || [ -z "$ok" ]; then
    echo "FAIL: $name: status $got (expected $status)"
    echo "--- stdout"; cat "$scratch/out"; echo "--- stderr"; cat "$scratch/err"
    failures=$((failures + 1))
  fi
}

headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program")
offscreen=(env QT_QPA_PLATFORM=offscreen "$program")
expect "--help" 0 '^usage: sanskrit-font-converter' '' -- "${headless[@]}" --help
expect "-h" 0 '^  -v, --version' '' -- "${headless[@]}" -h
expect "--version" 0 "^sanskrit-font-converter $version\$" '' -- "${headless[@]}" --version
expect "misspelt option" 2 '' 'unknown option "--hepl"' -- "${offscreen[@]}" --hepl
expect "argument" 2 '' 'unexpected argument "file.txt"' -- "${offscreen[@]}" file.txt
# Qt takes its own options (and their values) first: only the rest is refused.
expect "Qt option" 2 '' 'unknown option "--bogus"' -- \
  env -u QT_QPA_PLATFORM "$program" -platform offscreen -style fusion --bogus

[ "$failures" -eq 0 ] || { echo "program_options_test: $failures failed"; exit 1; }
echo "program_options_test: PASS"
