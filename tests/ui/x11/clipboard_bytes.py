#!/usr/bin/env python3
"""clipboard_bytes.py: reads clipboard text (UTF-8) on standard input and writes
the bytes it stands for: Windows-1252, with U+0081, U+008D, U+008F, U+0090 and
U+009D (the five bytes Windows-1252 leaves undefined) as those bytes."""
import sys

UNDEFINED = {0x81, 0x8D, 0x8F, 0x90, 0x9D}

text = sys.stdin.buffer.read().decode("utf-8")
out = bytearray()
for c in text:
    if ord(c) in UNDEFINED:
        out.append(ord(c))
    else:
        out += c.encode("cp1252")
sys.stdout.buffer.write(bytes(out))
