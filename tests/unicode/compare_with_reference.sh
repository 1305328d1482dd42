#!/bin/sh
# Lines of the Gita corpus that the IAST <-> Devanagari conversion reproduces,
# beside those of the reference transliterator @indic-transliteration/sanscript
# (npm, installed into <build dir>/reference); fails when ours are fewer in
# either direction, exits 77 (skipped) when npm cannot reach its registry.
#   compare_with_reference.sh <build dir> <sfc_unicode_tool>
set -eu

build_dir=$1
tool=$2
here=$(cd "$(dirname "$0")" && pwd)
data=$here/../data
reference=$build_dir/reference
module=$reference/node_modules/@indic-transliteration/sanscript

if [ ! -f "$module/package.json" ]; then
  if ! command -v npm >/dev/null 2>&1 || ! npm ping >/dev/null 2>&1; then
    echo "npm cannot reach its registry: reference comparison skipped"
    exit 77
  fi
  mkdir -p "$reference"
  npm install --prefix "$reference" --no-package-lock --no-audit --no-fund \
    @indic-transliteration/sanscript >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$tool" --to devanagari <"$data/gita.iast.txt" >"$work/devanagari.txt"
"$tool" --to iast <"$data/gita.devanagari.txt" >"$work/iast.txt"
ours_to_devanagari=$(node "$here/reference.js" - agree "$work/devanagari.txt" "$data/gita.devanagari.txt")
ours_to_iast=$(node "$here/reference.js" - agree "$work/iast.txt" "$data/gita.iast.txt")
node "$here/reference.js" "$reference" count "$data/gita.iast.txt" "$data/gita.devanagari.txt" \
  >"$work/reference.txt"
reference_to_devanagari=$(awk '$1 == "iast_to_devanagari" { print $2 }' "$work/reference.txt")
reference_to_iast=$(awk '$1 == "devanagari_to_iast" { print $2 }' "$work/reference.txt")
lines=$(awk '{ print $3; exit }' "$work/reference.txt")

echo "Lines of the Gita (of $lines) reproduced exactly (hyphens ignored):"
printf '  %-20s %10s %6s\n' direction reference ours
printf '  %-20s %10s %6s\n' "IAST -> Devanagari" "$reference_to_devanagari" "${ours_to_devanagari% *}"
printf '  %-20s %10s %6s\n' "Devanagari -> IAST" "$reference_to_iast" "${ours_to_iast% *}"

status=0
if [ "${ours_to_devanagari% *}" -lt "$reference_to_devanagari" ]; then
  echo "IAST -> Devanagari: below the reference"
  status=1
fi
if [ "${ours_to_iast% *}" -lt "$reference_to_iast" ]; then
  echo "Devanagari -> IAST: below the reference"
  status=1
fi
exit $status
