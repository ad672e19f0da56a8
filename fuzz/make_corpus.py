#!/usr/bin/env python3
"""Writes the seed corpus: edge cases of the calculator and inputs that must be refused safely.

Each seed: method code and map class code (signed 32-bit, little endian), one locale byte
(0 Czech, 1 English, 2 German, 3 French, 4 C; +0x80 for raw UTF-16), then the area text."""
import pathlib
import struct

here = pathlib.Path(__file__).resolve().parent / "corpus"
here.mkdir(exist_ok=True)

texts = {
    "default-2500": "2500", "zero": "0", "negative-zero": "-0", "negative": "-100",
    "decimal-comma": "2500,5", "decimal-point": "2500.5", "grouped-cs": "1\u00a0234\u00a0567,5",
    "grouped-plain-space": "1 234 567,5", "grouped-en": "1,234,567.5", "grouped-fr": "1\u202f234,5",
    "grouped-de": "1.234,5", "overflow-1e80": "1E80", "overflow-2delta": "5E76", "huge-1e40": "1E40",
    "empty": "", "spaces": "   ", "letters": "abc", "nan": "nan", "inf": "inf", "minus-inf": "-inf",
    "above-range": "1e400", "below-range": "1e-400", "hex": "0x10", "two-separators": "1,2,5",
    "two-points": "1.2.5", "lone-sign": "-", "lone-separator": ",", "lone-point": ".",
    "unicode-minus": "\u22125", "arabic-indic": "\u0662\u0665\u0660\u0660",
    "rtl-mark": "\u200f2500", "nul": "25\x0000", "long": "9" * 32767,
    "long-grouped": "1" + "\u00a0000" * 8000,
}
for index, (name, text) in enumerate(texts.items()):
    zpusob, mapa = (1, 0) if index % 3 else (0, 4)
    locale = index % 5
    payload = struct.pack("<iiB", zpusob, mapa, locale) + text.encode("utf-8")
    (here / f"{name}.bin").write_bytes(payload)

# Odd codes and an unpaired surrogate (raw UTF-16, not expressible as UTF-8).
extra = {
    "map-out-of-table": struct.pack("<iiB", 1, 5, 1) + b"2500",
    "map-negative": struct.pack("<iiB", 1, -1, 0) + b"1E300",
    "method-seven": struct.pack("<iiB", 7, 4, 1) + b"2500",
    "method-min": struct.pack("<iiB", -2**31, 2**31 - 1, 4) + b"12",
    "unpaired-surrogate": struct.pack("<iiB", 1, 0, 0x81) + "25".encode("utf-16-le")
    + b"\x00\xd8" + "00".encode("utf-16-le"),
    "invalid-utf8": struct.pack("<iiB", 1, 0, 0) + b"25\xff\xfe00",
}
for name, payload in extra.items():
    (here / f"{name}.bin").write_bytes(payload)
