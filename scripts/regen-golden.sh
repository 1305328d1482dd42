#!/usr/bin/env bash
# Builds sfconv and writes the golden output in tests/golden/ anew, case by case
# from tests/golden/cases.txt (the format is described at its top). Run it only
# when the output is meant to change, and review the diff like code: the tests
# compare the program with these files and never write them.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release >/dev/null
cmake --build build -j2 --target sfconv

sfconv=build/bin/sfconv
golden=tests/golden
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A case taken off the list leaves no file behind.
find "$golden" -maxdepth 1 -type f \( -name '*.out' -o -name '*.log' \) -delete

# One run of sfconv for case $name: standard output is appended to the case's
# .out, the exit status and standard error to its .log.
run() {
  local status=0
  "$sfconv" "$@" <"$stdin" >>"$golden/$name.out" 2>"$work/stderr" || status=$?
  printf 'exit %d\n' "$status" >>"$golden/$name.log"
  cat "$work/stderr" >>"$golden/$name.log"
}

cases=0
while IFS=$'\t' read -r -a fields || [[ ${#fields[@]} -gt 0 ]]; do
  [[ ${#fields[@]} -eq 0 || ${fields[0]} == '#'* ]] && continue
  if [[ ${#fields[@]} -lt 3 ]]; then
    echo "regen-golden: a case needs a name, an input and arguments: ${fields[*]}" >&2
    exit 1
  fi
  name=${fields[0]}
  stdin=${fields[1]}
  [[ $stdin == - ]] && stdin=/dev/null
  if [[ ! -f $stdin && $stdin != /dev/null ]]; then
    echo "regen-golden: $name: no input file $stdin" >&2
    exit 1
  fi
  dir=$work/$name
  mkdir "$dir"
  : >"$golden/$name.out"
  : >"$golden/$name.log"
  args=()
  for field in "${fields[@]:2}"; do
    if [[ $field == '|' ]]; then
      run "${args[@]}"
      args=()
    else
      args+=("${field//\{dir\}/$dir}")
    fi
  done
  run "${args[@]}"
  cases=$((cases + 1))
done <"$golden/cases.txt"

echo "regen-golden: $cases cases written to $golden/"
git status --short -- "$golden"
