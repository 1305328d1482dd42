#!/bin/sh
# Throughput of IAST <-> Devanagari: ours (sfc_unicode_tool, whole process,
# reading a file and writing one) beside the reference transliterator
# @indic-transliteration/sanscript (in one node process) on the same input:
# the Gita repeated to at least 10 MB. MB = 10^6 bytes of input; each figure
# is the best of 5 runs after a warm-up run.
#
#   bench/unicode_bench.sh [build dir]      (default: build)
set -eu

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "${1:-$source_dir/build}" && pwd)
tool=$build_dir/bin/sfc_unicode_tool
data=$source_dir/tests/data
reference=$build_dir/reference
[ -x "$tool" ] || { echo "build sfc_unicode_tool first: $tool"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Repeats a file until it holds at least 10,000,000 bytes.
repeat() {
  : >"$2"
  while [ "$(wc -c <"$2")" -lt 10000000 ]; do cat "$1" >>"$2"; done
}
repeat "$data/gita.iast.txt" "$work/iast.txt"
repeat "$data/gita.devanagari.txt" "$work/devanagari.txt"

# Best of 5 runs (after a warm-up) of the tool, in seconds.
best_of_ours() {
  "$tool" --to "$1" <"$2" >"$work/out.txt"
  best=
  for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    "$tool" --to "$1" <"$2" >"$work/out.txt"
    end=$(date +%s%N)
    t=$((end - start))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  echo "$best"
}

mbps() { awk -v bytes="$1" -v seconds="$2" 'BEGIN { printf "%.1f", bytes / 1e6 / seconds }'; }

have_reference=no
if [ -f "$reference/node_modules/@indic-transliteration/sanscript/package.json" ]; then
  have_reference=yes
elif command -v npm >/dev/null 2>&1 && npm ping >/dev/null 2>&1; then
  mkdir -p "$reference"
  npm install --prefix "$reference" --no-package-lock --no-audit --no-fund \
    @indic-transliteration/sanscript >/dev/null && have_reference=yes
fi

printf '%-20s %12s %10s %12s\n' direction "input bytes" "ours MB/s" "reference MB/s"
for direction in devanagari iast; do
  if [ "$direction" = devanagari ]; then input=$work/iast.txt; name="IAST -> Devanagari"
  else input=$work/devanagari.txt; name="Devanagari -> IAST"; fi
  bytes=$(wc -c <"$input")
  ours=$(mbps "$bytes" "$(awk -v ns="$(best_of_ours "$direction" "$input")" 'BEGIN { print ns / 1e9 }')")
  theirs=n/a
  if [ "$have_reference" = yes ]; then
    set -- $(node "$source_dir/tests/unicode/reference.js" "$reference" bench "$input" "$direction")
    theirs=$(mbps "$1" "$2")
  fi
  printf '%-20s %12s %10s %12s\n' "$name" "$bytes" "$ours" "$theirs"
done
