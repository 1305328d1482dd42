#!/bin/sh
# Documents written by python-docx and python-odf from the Gita corpus,
# converted by `sfconv document`, and read back by python-docx, python-odf
# and LibreOffice, which also opens every converted document and makes a PDF
# of it.
# usage: document_test.sh SFCONV TEST_DIR DATA_DIR [no-office]
set -eu
SFCONV=$1
HERE=$2
DATA=$3
OFFICE=${4:-office}
# The sanitizer build (no-office) starts sfconv for every passage slowly: fewer verses.
VERSES=60
[ "$OFFICE" = no-office ] && VERSES=16

PY=""
for candidate in python3 /usr/bin/python3; do
  if "$candidate" -c 'import docx, lxml' 2>/dev/null; then
    PY=$candidate
    break
  fi
done
if [ -z "$PY" ]; then
  echo "python3-docx is not installed; skipped"
  exit 77
fi
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export PYTHONPATH="$HERE"

"$PY" "$HERE/make_documents.py" "$SFCONV" "$DATA" "$WORK" "$VERSES"
cp "$WORK/gita.docx" "$WORK/gita.copy"

echo "== Vedic and Sanskrit-Times to Unicode"
"$SFCONV" document "$WORK/gita.docx" -o "$WORK/unicode.docx" 2>"$WORK/report.txt"
cat "$WORK/report.txt"
cmp "$WORK/gita.docx" "$WORK/gita.copy"  # the input is never changed
"$PY" "$HERE/check_documents.py" unicode "$WORK/gita.docx" "$WORK/unicode.docx" "$WORK/expected.json"

echo "== Sanskrit-Times to Vedic and back"
"$SFCONV" document "$WORK/gita.docx" -o "$WORK/vedic.docx" --map Sanskrit-Times=Vedic 2>/dev/null
"$SFCONV" document "$WORK/vedic.docx" -o "$WORK/back.docx" --map Vedic=Sanskrit-Times 2>/dev/null
"$PY" "$HERE/check_documents.py" back "$WORK/gita.docx" "$WORK/back.docx" "$WORK/expected.json" \
  Sanskrit-Times

echo "== OpenDocument text"
"$SFCONV" document "$WORK/gita.odt" -o "$WORK/odt-unicode.odt" 2>"$WORK/report-odt.txt"
cat "$WORK/report-odt.txt"
"$PY" "$HERE/check_documents.py" odt "$WORK/odt-unicode.odt" "$WORK/expected-odt.json"
unzip -l "$WORK/odt-unicode.odt" | sed -n 4p | grep -q ' mimetype$'  # mimetype first

echo "== The dry run writes nothing"
"$SFCONV" document "$WORK/gita.docx" --dry-run 2>"$WORK/dry.txt"
grep -q '"Vedic" -> Unicode Devanagari' "$WORK/dry.txt"

if [ "$OFFICE" = no-office ]; then
  echo "LibreOffice's reading is left to the release build"
elif command -v soffice >/dev/null 2>&1; then
  echo "== LibreOffice reads the converted document"
  soffice --headless "-env:UserInstallation=file://$WORK/profile" \
    --convert-to "txt:Text (encoded):UTF8" --outdir "$WORK/txt" "$WORK/unicode.docx" \
    "$WORK/odt-unicode.odt" >/dev/null 2>&1
  "$PY" "$HERE/check_documents.py" text "$WORK/txt/unicode.txt" "$WORK/expected.json"
  "$PY" "$HERE/check_documents.py" text "$WORK/txt/odt-unicode.txt" "$WORK/expected-odt.json"
  echo "== LibreOffice opens every converted document (as PDF)"
  soffice --headless "-env:UserInstallation=file://$WORK/profile" --convert-to pdf \
    --outdir "$WORK/pdf" "$WORK/unicode.docx" "$WORK/vedic.docx" "$WORK/back.docx" \
    "$WORK/odt-unicode.odt" >"$WORK/pdf.log" 2>&1
  for name in unicode vedic back odt-unicode; do
    if ! head -c 5 "$WORK/pdf/$name.pdf" 2>/dev/null | grep -q '^%PDF-'; then
      echo "LibreOffice made no PDF of $name:"
      cat "$WORK/pdf.log"
      exit 1
    fi
  done
  if grep -qi 'error' "$WORK/pdf.log"; then
    echo "LibreOffice complained:"
    cat "$WORK/pdf.log"
    exit 1
  fi
else
  echo "LibreOffice (soffice) is not installed: its reading is skipped"
fi
echo "document test passed"
