#!/bin/sh
# Documents written by python-docx and python-odf from the Gita corpus,
# converted by `sfconv document`, and read back by python-docx, python-odf
# and LibreOffice, which also makes a PDF of every converted document.
# usage: document_test.sh SFCONV TEST_DIR DATA_DIR [no-office]
set -eu
SFCONV=$1 HERE=$2 DATA=$3 OFFICE=${4:-office}
VERSES=60
[ "$OFFICE" = no-office ] && VERSES=16  # the sanitizer build starts sfconv slowly
PY=""
for candidate in python3 /usr/bin/python3; do
  "$candidate" -c 'import docx, lxml, odf' 2>/dev/null && PY=$candidate && break
done
[ -n "$PY" ] || { echo "python3-docx or python3-odf is not installed; skipped"; exit 77; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export PYTHONPATH="$HERE"
check() { "$PY" "$HERE/check_documents.py" "$@"; }
doc() { "$SFCONV" document "$@"; }

"$PY" "$HERE/make_documents.py" "$SFCONV" "$DATA" "$WORK" "$VERSES"
cp "$WORK/gita.docx" "$WORK/gita.copy"

echo "== Vedic and Sanskrit-Times to Unicode"
doc "$WORK/gita.docx" -o "$WORK/unicode.docx"
cmp "$WORK/gita.docx" "$WORK/gita.copy"  # the input is never changed
check unicode "$WORK/gita.docx" "$WORK/unicode.docx" "$WORK/expected.json"

echo "== Sanskrit-Times to Vedic and back"
doc "$WORK/gita.docx" -o "$WORK/vedic.docx" --map Sanskrit-Times=Vedic 2>/dev/null
doc "$WORK/vedic.docx" -o "$WORK/back.docx" --map Vedic=Sanskrit-Times 2>/dev/null
check back "$WORK/gita.docx" "$WORK/back.docx" "$WORK/expected.json" Sanskrit-Times

echo "== OpenDocument text"
doc "$WORK/gita.odt" -o "$WORK/odt-unicode.odt"
check odt "$WORK/odt-unicode.odt" "$WORK/expected-odt.json"
unzip -l "$WORK/odt-unicode.odt" | sed -n 4p | grep -q ' mimetype$'  # mimetype first

echo "== The dry run writes nothing"
doc "$WORK/gita.docx" --dry-run 2>"$WORK/dry.txt"
grep -q '"Vedic" -> Unicode Devanagari' "$WORK/dry.txt"

if [ "$OFFICE" = no-office ] || ! command -v soffice >/dev/null 2>&1; then
  echo "LibreOffice's reading is skipped ($OFFICE)"
  exit 0
fi
office() { soffice --headless "-env:UserInstallation=file://$WORK/profile" --convert-to "$@"; }
echo "== LibreOffice reads the converted documents"
office "txt:Text (encoded):UTF8" --outdir "$WORK/txt" "$WORK/unicode.docx" "$WORK/odt-unicode.odt" \
  >/dev/null 2>&1
check text "$WORK/txt/unicode.txt" "$WORK/expected.json"
check text "$WORK/txt/odt-unicode.txt" "$WORK/expected-odt.json"
echo "== LibreOffice opens every converted document (as PDF)"
office pdf --outdir "$WORK/pdf" "$WORK/unicode.docx" "$WORK/vedic.docx" "$WORK/back.docx" \
  "$WORK/odt-unicode.odt" >"$WORK/pdf.log" 2>&1
for name in unicode vedic back odt-unicode; do
  head -c 5 "$WORK/pdf/$name.pdf" 2>/dev/null | grep -q '^%PDF-' || {
    echo "LibreOffice made no PDF of $name:"; cat "$WORK/pdf.log"; exit 1; }
done
if grep -qi 'error' "$WORK/pdf.log"; then
  echo "LibreOffice complained:"; cat "$WORK/pdf.log"; exit 1
fi
echo "document test passed"
