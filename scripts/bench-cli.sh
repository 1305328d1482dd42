#!/usr/bin/env bash
# Times `sfconv` in both directions beside `iconv -f CP1252 -t UTF-8` (which only
# maps bytes) on the same 10 MB file, and reports sfconv's peak memory.
set -euo pipefail
cd "$(dirname "$0")/.."
corpus=${SFC_CORPUS_DIR:-../shared/corpus}
scripts/setup-debian.sh
cmake --preset release >/dev/null && cmake --build build >/dev/null
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
while [ "$(stat -c %s "$tmp/in.txt" 2>/dev/null || echo 0)" -lt 10000000 ]; do
  cat "$corpus/gita.sanskrit-times.txt" >>"$tmp/in.txt"
done
build/bin/sfconv to-devanagari -i "$tmp/in.txt" -o "$tmp/in.vedic"
echo "input: $(stat -c %s "$tmp/in.txt") bytes of transliteration, $(stat -c %s "$tmp/in.vedic") bytes of Devanagari"
# CP1252 leaves five byte values undefined (the fonts use them), so iconv needs -c
# to read the whole file; it then exits with 1, which hyperfine is told to accept.
hyperfine --warmup 1 --runs 5 --ignore-failure \
  "build/bin/sfconv to-devanagari -i $tmp/in.txt -o $tmp/out1" \
  "iconv -c -f CP1252 -t UTF-8 $tmp/in.txt -o $tmp/out2" \
  "build/bin/sfconv to-translit -i $tmp/in.vedic -o $tmp/out3" \
  "iconv -c -f CP1252 -t UTF-8 $tmp/in.vedic -o $tmp/out4"
for dir in to-devanagari to-translit; do
  in=$tmp/in.txt; [ $dir = to-translit ] && in=$tmp/in.vedic
  /usr/bin/time -f "sfconv $dir: peak memory %M KB" build/bin/sfconv $dir -i "$in" -o "$tmp/out"
done
