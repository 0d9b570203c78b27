#!/usr/bin/env python3
"""Draws the 16x16 button glyphs of the application as XPM files.

Each glyph is composed on a small character canvas ('.' is transparent)
from rectangles, stamped sprites and an outline pass, then written with
the shared palette below.
"""
import math
import sys
from pathlib import Path

SIZE = 16
PALETTE = {
    ".": "None",
    "K": "#202020",  # outline
    "W": "#FFFFFF",  # paper
    "g": "#A0A0A0",  # text lines, light grey
    "d": "#606060",  # dark grey
    "s": "#D0D0D0",  # silver body
    "G": "#20A020",  # green
    "R": "#E02020",  # red
    "r": "#801010",  # dark red
    "B": "#2060E0",  # blue
    "L": "#A0D0FF",  # light blue
    "Y": "#E0B030",  # folder back
    "O": "#F8E080",  # folder front
    "P": "#F090B0",  # eraser rubber
    "y": "#FFF040",  # scan light
}


class Canvas:
    def __init__(self):
        self.px = [["."] * SIZE for _ in range(SIZE)]

    def put(self, x, y, c):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            self.px[y][x] = c

    def get(self, x, y):
        if 0 <= x < SIZE and 0 <= y < SIZE:
            return self.px[y][x]
        return "."

    def rect(self, x0, y0, x1, y1, border="K", fill=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                if edge:
                    self.put(x, y, border)
                elif fill:
                    self.put(x, y, fill)

    def stamp(self, x0, y0, rows):
        """Copies a sprite; its '.' cells leave the canvas unchanged and
        its ' ' cells make the canvas transparent."""
        for dy, row in enumerate(rows):
            for dx, c in enumerate(row):
                if c == " ":
                    self.put(x0 + dx, y0 + dy, ".")
                elif c != ".":
                    self.put(x0 + dx, y0 + dy, c)

    def outline(self, colours, border="K"):
        """Surrounds every cell of the given colours with a border on
        transparent neighbours (8-neighbourhood)."""
        marks = []
        for y in range(SIZE):
            for x in range(SIZE):
                if self.px[y][x] != ".":
                    continue
                for dy in (-1, 0, 1):
                    for dx in (-1, 0, 1):
                        if self.get(x + dx, y + dy) in colours:
                            marks.append((x, y))
        for x, y in marks:
            self.put(x, y, border)

    def mirrored(self):
        m = Canvas()
        m.px = [list(reversed(row)) for row in self.px]
        return m

    def xpm(self, name):
        used = sorted({c for row in self.px for c in row})
        lines = ["/* XPM */", f"static const char *{name}_xpm[] = {{",
                 f'"{SIZE} {SIZE} {len(used)} 1",']
        lines += [f'"{c} c {PALETTE[c]}",' for c in used]
        rows = ['"' + "".join(row) + '"' for row in self.px]
        lines.append(",\n".join(rows))
        lines.append("};")
        return "\n".join(lines) + "\n"


def page(cv, x, y, w, h, lines=True):
    cv.rect(x, y, x + w - 1, y + h - 1, "K", "W")
    if lines:
        for ly in range(y + 2, y + h - 2, 2):
            for lx in range(x + 2, x + w - 2):
                cv.put(lx, ly, "g")


ARROW_RIGHT = [
    "...K...",
    "...KK..",
    "KKKKBK.",
    "KBBBBBK",
    "KKKKBK.",
    "...KK..",
    "...K...",
]

PLUS = [
    "..KKKK..",
    "..KGGK..",
    "KKKGGKKK",
    "KGGGGGGK",
    "KGGGGGGK",
    "KKKGGKKK",
    "..KGGK..",
    "..KKKK..",
]


def glyph_register():
    cv = Canvas()
    page(cv, 1, 0, 11, 15)
    cv.stamp(8, 0, [  # folded corner
        "K   ",
        "KK  ",
        "KWK ",
        "KKKK",
    ])
    cv.stamp(8, 8, PLUS)
    return cv


def glyph_build():
    cv = Canvas()
    page(cv, 9, 0, 7, 10, lines=False)
    page(cv, 7, 2, 7, 10, lines=False)
    page(cv, 5, 4, 7, 11)
    cv.stamp(0, 6, ARROW_RIGHT)
    return cv


def glyph_sort():
    cv = Canvas()
    cv.stamp(0, 0, [
        ".KKK.",
        "K...K",
        "K...K",
        "KKKKK",
        "K...K",
        "K...K",
        "K...K",
    ])
    cv.stamp(0, 9, [
        "KKKKK",
        "...K.",
        "..K..",
        ".K...",
        "K....",
        "KKKKK",
    ])
    cv.stamp(8, 0, [
        "..KKK..",
        "..KBK..",
        "..KBK..",
        "..KBK..",
        "..KBK..",
        "..KBK..",
        "..KBK..",
        "..KBK..",
        "KKKBKKK",
        "KBBBBBK",
        ".KBBBK.",
        "..KBK..",
        "...K...",
    ])
    return cv


def thick_line(cv, x0, y0, x1, y1, colour):
    steps = max(abs(x1 - x0), abs(y1 - y0))
    for i in range(steps + 1):
        x = x0 + (x1 - x0) * i // steps
        y = y0 + (y1 - y0) * i // steps
        cv.put(x, y, colour)
        cv.put(x + 1, y, colour)


def glyph_delete():
    cv = Canvas()
    cv.rect(0, 6, 15, 10, "K", "L")
    thick_line(cv, 2, 1, 12, 14, "R")
    thick_line(cv, 12, 1, 2, 14, "R")
    cv.outline({"R"}, "r")
    return cv


def glyph_clear():
    cv = Canvas()
    cv.stamp(0, 0, [
        "................",
        ".........KK.....",
        "........KPPK....",
        ".......KPPPPK...",
        "......KPPPPPPK..",
        ".....KPPPPPPPPK.",
        "....KBPPPPPPPK..",
        "...KBBBPPPPPK...",
        "..KBBBBBPPPK....",
        ".KBBBBBBBPK.....",
        "..KBBBBBBK......",
        "...KBBBBK.......",
        "....KBBK........",
        ".....KK.........",
        "................",
        "......gggggggggg",
    ])
    return cv


def scanner(cv, x, y, w):
    cv.rect(x, y, x + w - 1, y + 2, "K", "s")          # lid
    cv.rect(x, y + 2, x + w - 1, y + 4, "K", "y")      # glass with the light
    cv.rect(x, y + 4, x + w - 1, y + 8, "K", "d")      # body
    cv.put(x + w - 3, y + 6, "G")                        # power lamp


def glyph_source():
    cv = Canvas()
    scanner(cv, 0, 4, 16)
    return cv


def glyph_scanbuild():
    cv = Canvas()
    page(cv, 10, 0, 6, 8, lines=False)
    page(cv, 8, 2, 6, 8)
    scanner(cv, 0, 7, 12)
    return cv


def glyph_load():
    cv = Canvas()
    cv.stamp(0, 0, [
        "................",
        "................",
        ".KKKK...........",
        "KYYYYK..........",
        "KYYYYKKKKKKK....",
        "KYYYYYYYYYYK....",
        "KYYYKKKKKKKKKKKK",
        "KYYKOOOOOOOOOOOK",
        "KYYKOOOOOOOOOOK.",
        "KYKOOOOOOOOOOOK.",
        "KYKOOOOOOOOOOK..",
        "KKOOOOOOOOOOOK..",
        "KKKKKKKKKKKKKK..",
        "................",
        "................",
        "................",
    ])
    return cv


def glyph_split():
    cv = Canvas()
    page(cv, 0, 5, 6, 9, lines=False)
    page(cv, 1, 4, 6, 9, lines=False)
    page(cv, 2, 3, 6, 9)
    page(cv, 10, 0, 6, 7)
    page(cv, 10, 9, 6, 7)
    cv.stamp(8, 2, ["G.", "GG", "G."])
    cv.stamp(8, 11, ["G.", "GG", "G."])
    return cv


def glyph_rotleft():
    cv = Canvas()
    # A blue arc from the lower right over the top to the left side,
    # ending in a head that points down: a counter-clockwise turn.
    cx, cy = 8.5, 8.0
    for y in range(SIZE):
        for x in range(SIZE):
            dx, dy = x + 0.5 - cx, cy - (y + 0.5)
            r = math.hypot(dx, dy)
            a = math.degrees(math.atan2(dy, dx))
            if 3.4 <= r <= 5.6 and not (-180 <= a < -40):
                cv.put(x, y, "B")
    cv.stamp(1, 8, [
        "BBBBBBB",
        ".BBBBB.",
        "..BBB..",
        "...B...",
    ])
    cv.outline({"B"}, "K")
    return cv


def glyph_rotright():
    return glyph_rotleft().mirrored()


def glyph_navigate():
    cv = Canvas()
    cv.rect(0, 1, 15, 14, "K", "W")
    for x in range(1, 15):
        cv.put(x, 2, "B")
        cv.put(x, 3, "B")
    cv.put(13, 2, "W")
    cv.rect(1, 4, 14, 13, "K", "L")
    cv.rect(5, 6, 11, 11, "R")
    return cv


GLYPHS = {
    "register": glyph_register,
    "build": glyph_build,
    "sort": glyph_sort,
    "delete": glyph_delete,
    "clear": glyph_clear,
    "source": glyph_source,
    "scanbuild": glyph_scanbuild,
    "load": glyph_load,
    "split": glyph_split,
    "rotleft": glyph_rotleft,
    "rotright": glyph_rotright,
    "navigate": glyph_navigate,
}


def main(out_dir):
    out = Path(out_dir)
    out.mkdir(parents=True, exist_ok=True)
    for name, draw in GLYPHS.items():
        (out / f"{name}.xpm").write_text(draw().xpm(name))
    qrc = ['<RCC>', '    <qresource prefix="/glyphs">']
    qrc += [f"        <file>{name}.xpm</file>" for name in GLYPHS]
    qrc += ['    </qresource>', '</RCC>']
    (out / "glyphs.qrc").write_text("\n".join(qrc) + "\n")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "app/glyphs")
