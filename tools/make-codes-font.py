#!/usr/bin/env python3
"""Draws the font the text fields use for the codes that have no glyph of their own: each such
code is shown as its two hex digits (seven-segment style) in a box, so every one of them can be
told apart at small sizes and on any system, whatever fonts it has.

Usage: make-codes-font.py CODES_FONT_MAP [OUT]. CODES_FONT_MAP is the program built beside Zentolar
that says which character stands for which code; OUT is resources/fonts/ZentolarCodigos.ttf
(committed) unless given. Needs fontTools (Debian: python3-fonttools).
Glyphs are mapped where the fields put them, at code points the usual interface fonts lack
(DejaVu Sans, Segoe UI, Tahoma), so this font draws them wherever it is the fallback:
  U+2400 + code       codes 0 to 31 (the control pictures), U+2421 for 127
  U+2440..U+2446      129, 141, 143, 144, 157, 160, 173 (the optical character recognition block)
  U+2422..U+2426      129, 141, 143, 144, 157 as well: the pictures the clipboard carries for them.
Private-use code points would be simpler, but Qt does not fall back to another font for them when
shaping is off, as it is in the fields.
"""
import os
import subprocess
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

UNITS = 1000
ADVANCE = 1250
ASCENT, DESCENT = 900, -250
BOX = (50, -190, 1200, 830)  # left, bottom, right, top of the outer frame
FRAME = 50
DIGIT_WIDTH, DIGIT_BOTTOM, DIGIT_TOP, GAP = 370, -60, 700, 140
STROKE = 90

SEGMENTS = {  # seven-segment hex digits, as on a calculator
    "0": "abcdef", "1": "bc", "2": "abdeg", "3": "abcdg", "4": "bcfg", "5": "acdfg",
    "6": "acdefg", "7": "abc", "8": "abcdefg", "9": "abcdfg", "A": "abcefg", "B": "cdefg",
    "C": "adef", "D": "bcdeg", "E": "adefg", "F": "aefg",
}



def mapping(program):
    """The characters to draw and the code each stands for, as the program's own forms put them:
    program is codes_font_map, built with the program."""
    lines = subprocess.run([program], check=True, capture_output=True, text=True).stdout.split()
    return {int(sign, 16): int(code, 16) for sign, code in zip(lines[::2], lines[1::2])}


def rect(pen, x0, y0, x1, y1, clockwise=True):
    points = [(x0, y0), (x0, y1), (x1, y1), (x1, y0)]
    if not clockwise:
        points.reverse()
    pen.moveTo(points[0])
    for p in points[1:]:
        pen.lineTo(p)
    pen.closePath()


def digit(pen, ch, x0):
    x1, y0, y1 = x0 + DIGIT_WIDTH, DIGIT_BOTTOM, DIGIT_TOP
    ym = (y0 + y1) // 2
    s, h = STROKE, STROKE // 2
    parts = {
        "a": (x0, y1 - s, x1, y1), "d": (x0, y0, x1, y0 + s), "g": (x0, ym - h, x1, ym + h),
        "f": (x0, ym - h, x0 + s, y1), "b": (x1 - s, ym - h, x1, y1),
        "e": (x0, y0, x0 + s, ym + h), "c": (x1 - s, y0, x1, ym + h),
    }
    for segment in SEGMENTS[ch]:
        rect(pen, *parts[segment])


def code_glyph(code):
    pen = TTGlyphPen(None)
    left, bottom, right, top = BOX
    rect(pen, left, bottom, right, top)
    rect(pen, left + FRAME, bottom + FRAME, right - FRAME, top - FRAME, clockwise=False)
    start = (ADVANCE - 2 * DIGIT_WIDTH - GAP) // 2
    text = "%02X" % code
    digit(pen, text[0], start)
    digit(pen, text[1], start + DIGIT_WIDTH + GAP)
    return pen.glyph()


def main():
    if len(sys.argv) < 2:
        sys.exit("usage: make-codes-font.py CODES_FONT_MAP [OUT]")
    out = sys.argv[2] if len(sys.argv) > 2 else os.path.join(
        os.path.dirname(__file__), "..", "resources", "fonts", "ZentolarCodigos.ttf")
    signs = mapping(sys.argv[1])
    codes = sorted(set(signs.values()))
    names = [".notdef"] + ["code%02X" % c for c in codes]
    glyphs = {".notdef": TTGlyphPen(None).glyph()}
    glyphs.update(("code%02X" % c, code_glyph(c)) for c in codes)
    cmap = {sign: "code%02X" % code for sign, code in signs.items()}

    fb = FontBuilder(UNITS, isTTF=True)
    fb.setupGlyphOrder(names)
    fb.setupCharacterMap(cmap)
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics({n: (ADVANCE if n != ".notdef" else 500, 0) for n in names})
    fb.setupHorizontalHeader(ascent=ASCENT, descent=DESCENT)
    fb.setupNameTable({
        "familyName": "Zentolar Codigos",
        "styleName": "Regular",
        "uniqueFontIdentifier": "Zentolar Codigos Regular",
        "fullName": "Zentolar Codigos",
        "psName": "ZentolarCodigos-Regular",
        "version": "Version 1.000",
        "copyright": "Copyright (C) the Zentolar developers",
        "licenseDescription": "GPL-3.0-or-later, with the GPL font exception: documents that "
                              "embed this font are not covered by the GPL on that account.",
    })
    fb.setupOS2(sTypoAscender=ASCENT, sTypoDescender=DESCENT, sTypoLineGap=0,
                usWinAscent=ASCENT, usWinDescent=-DESCENT, fsType=0)
    fb.setupPost()
    # Fixed timestamps, so the same script always writes the same file.
    fb.font["head"].created = fb.font["head"].modified = 3786912000
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    fb.save(out)


if __name__ == "__main__":
    main()
