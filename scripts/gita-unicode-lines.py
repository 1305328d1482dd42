#!/usr/bin/env python3
"""Legacy Devanagari to Unicode over the Gita, line for line.

For each built-in Devanagari font: the Gita in that font (to-devanagari from
Sanskrit-Times), converted with `convert --to devanagari` and `--to iast`,
compared line by line with tests/data/gita.devanagari.txt and gita.iast.txt.
Prints the lines equal and the lines with two blanks in a row; with -v also
each line that differs, word by word.

    scripts/gita-unicode-lines.py build/bin/sfconv [-v]
"""
import difflib
import pathlib
import subprocess
import sys

FONTS = ["Vedic", "Dev Natraj ITR", "Sanskrit 99"]
DATA = pathlib.Path(__file__).resolve().parent.parent / "tests" / "data"


def run(sfconv, args, data):
    return subprocess.run([sfconv] + args, input=data, capture_output=True, check=True).stdout


def main():
    sfconv = sys.argv[1]
    verbose = "-v" in sys.argv[2:]
    source = (DATA / "gita.sanskrit-times.txt").read_bytes()
    refs = (DATA / "gita.refs.txt").read_text().split("\n")
    print("| from | to devanagari: identical lines | to iast: identical lines "
          "| lines with a double blank |")
    print("|---|---|---|---|")
    for font in FONTS:
        legacy = run(sfconv, ["to-devanagari", "-d", font], source)
        cells = []
        doubled = 0
        for to in ("devanagari", "iast"):
            corpus = (DATA / f"gita.{to}.txt").read_text(encoding="utf-8").split("\n")[:701]
            out = run(sfconv, ["convert", "--from", font, "--to", to], legacy)
            lines = out.decode("utf-8").split("\n")[:701]
            equal = sum(a == b for a, b in zip(lines, corpus))
            doubled = max(doubled, sum("  " in line for line in lines))
            cells.append(f"{equal} / {len(corpus)}")
            if verbose:
                for i, (a, b) in enumerate(zip(lines, corpus)):
                    if a == b:
                        continue
                    wa, wb = a.split(), b.split()
                    ops = difflib.SequenceMatcher(None, wa, wb).get_opcodes()
                    shown = [f"{' '.join(wa[i1:i2])} -> {' '.join(wb[j1:j2])}"
                             for tag, i1, i2, j1, j2 in ops if tag != "equal"]
                    print(f"  {font} -> {to}, {refs[i]}: " + "; ".join(shown))
        print(f"| {font} | {cells[0]} | {cells[1]} | {doubled} |")


if __name__ == "__main__":
    main()
