#!/usr/bin/env python3
"""difflib_words.py BEFORE AFTER: line n of BEFORE against line n of AFTER,
word by word (words: runs of bytes other than space, TAB, CR, LF), with
difflib. Prints the matched words, the words of BEFORE and the opcodes
other than "equal", added up over all lines."""
import difflib
import re
import sys


def lines(path):
    with open(path, "rb") as f:
        data = f.read().split(b"\n")
    if data and data[-1] == b"":
        data.pop()
    return [line[:-1] if line.endswith(b"\r") else line for line in data]


def words(line):
    return [w for w in re.split(rb"[ \t\r\n]+", line) if w]


def main():
    before, after = lines(sys.argv[1]), lines(sys.argv[2])
    if len(before) != len(after):
        sys.exit("the two texts have %d and %d lines" % (len(before), len(after)))
    matched = total = differences = 0
    for b, a in zip(before, after):
        wb, wa = words(b), words(a)
        matcher = difflib.SequenceMatcher(None, wb, wa)
        matched += sum(block.size for block in matcher.get_matching_blocks())
        total += len(wb)
        differences += sum(1 for op in matcher.get_opcodes() if op[0] != "equal")
    print(matched, total, differences)


if __name__ == "__main__":
    main()
