#!/usr/bin/env bash
# The whole tool against `iconv -c -f CP1252 -t UTF-8` (which only maps bytes)
# on the same 10 MB files, per Devanagari font and direction; then sfconv's
# peak memory for 10 MB, 200 MB and 2 GB of input (from a file and from a
# pipe), and the time of inputs ten times as large. SFC_BENCH_SIZES overrides
# the memory sizes in MB (for example "10 200" to skip the 2 GB run).
set -euo pipefail
cd "$(dirname "$0")/.."
corpus=${SFC_CORPUS_DIR:-../shared/corpus}
scripts/setup-debian.sh
cmake --preset release >/dev/null && cmake --build build >/dev/null
sfconv=build/bin/sfconv
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Repeats a file to at least N bytes.
repeat_to() {
  local from=$1 to=$2 size=$3
  : >"$to"
  while [ "$(stat -c %s "$to")" -lt "$size" ]; do cat "$from" >>"$to"; done
}

repeat_to "$corpus/gita.sanskrit-times.txt" "$tmp/in.txt" 10000000
fonts=("Vedic" "Dev Natraj ITR" "Sanskrit 99")
runs=()
for font in "${fonts[@]}"; do
  f=${font// /_}
  $sfconv to-devanagari -d "$font" -i "$tmp/in.txt" -o "$tmp/in.$f"
  runs+=("$sfconv to-devanagari -d '$font' -i $tmp/in.txt -o $tmp/out"
         "$sfconv to-translit -d '$font' -i $tmp/in.$f -o $tmp/out"
         "iconv -c -f CP1252 -t UTF-8 $tmp/in.$f -o $tmp/out")
done
runs+=("iconv -c -f CP1252 -t UTF-8 $tmp/in.txt -o $tmp/out")
echo "input: $(stat -c %s "$tmp/in.txt") bytes of transliteration"
# CP1252 leaves five byte values undefined (the fonts use them), so iconv needs -c
# to read the whole file; it then exits with 1, which hyperfine is told to accept.
hyperfine --warmup 1 --runs 5 --ignore-failure "${runs[@]}"

echo "== peak memory (maximum resident set)"
for mb in ${SFC_BENCH_SIZES:-10 200 2000}; do
  repeat_to "$tmp/in.txt" "$tmp/big.txt" $((mb * 1000000))
  $sfconv to-devanagari -i "$tmp/big.txt" -o "$tmp/big.vedic"
  for dir in to-devanagari to-translit; do
    in=$tmp/big.txt; [ $dir = to-translit ] && in=$tmp/big.vedic
    /usr/bin/time -f "sfconv $dir, $mb MB from a file: %M KB, %e s" \
      $sfconv $dir -i "$in" -o "$tmp/out"
    cat "$in" | /usr/bin/time -f "sfconv $dir, $mb MB from a pipe: %M KB, %e s" \
      $sfconv $dir >/dev/null
  done
  rm -f "$tmp/big.txt" "$tmp/big.vedic" "$tmp/out"
done

echo "== ten times the input (time should grow at most 10.5 times)"
for n in 1 10; do  # "b" n times 500,000, then "i" as often
  { head -c $((n * 500000)) /dev/zero | tr '\0' b
    head -c $((n * 500000)) /dev/zero | tr '\0' i; } >"$tmp/bi-$n.txt"
done
repeat_to "$corpus/gita.sanskrit-times.txt" "$tmp/gita-1.txt" 1000000
repeat_to "$corpus/gita.sanskrit-times.txt" "$tmp/gita-10.txt" 10000000
for base in bi gita; do
  hyperfine --warmup 1 --runs 3 \
    "$sfconv to-devanagari -i $tmp/$base-1.txt -o $tmp/out" \
    "$sfconv to-devanagari -i $tmp/$base-10.txt -o $tmp/out"
done

echo "== check: the Gita repeated to 100 MB as lines and as one line, a million one-word lines"
repeat_to "$corpus/gita.sanskrit-times.txt" "$tmp/check-lines.txt" 100000000
tr '\n' ' ' <"$tmp/check-lines.txt" >"$tmp/check-line.txt"
# awk reads to the end: head would stop tr early, which pipefail reports.
tr ' ' '\n' <"$tmp/check-lines.txt" | awk 'NF && n++ < 1000000' >"$tmp/check-words.txt"
for input in lines line words; do
  /usr/bin/time -f "sfconv check, $input ($(stat -c %s "$tmp/check-$input.txt") bytes): %M KB, %e s (%U s user)" \
    $sfconv check -i "$tmp/check-$input.txt" -o "$tmp/out"
  tail -1 "$tmp/out"
done
