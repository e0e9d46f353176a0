"""Writes Pellmark's pictures as 16-colour Windows files: the 32x32 icon pellmark.ico and the
16x16 toolbar bitmaps refresh.bmp, about.bmp, export.bmp, help.bmp (light-grey background, which
the image list masks out).    make_images.py OUTPUT_DIR"""
import os
import struct
import sys

# The standard 16-colour palette; letters name the entries used in the pictures below.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
LETTERS = {"k": 0, "r": 1, "G": 2, "o": 3, "b": 4, "t": 6, ".": 7, "s": 7, "d": 8, "R": 9, "L": 10, "y": 11,
           "B": 12, "c": 14, "w": 15}

REFRESH = """
................
......GGGG......
....GGLLLLGG.G..
...GLLGGGGLLGG..
..GLG......LLG..
..GLG.....GLLG..
.GLG.....GGGGG..
.GLG............
............GLG.
..GGGGG.....GLG.
..GLLG.....GLG..
..GLL......GLG..
..GGLLGGGGLLG...
..G.GGLLLLGG....
......GGGG......
................
"""

ABOUT = """
................
.....bbbbbb.....
...bbBBBBBBbb...
..bBBBBwwBBBBb..
..bBBBBwwBBBBb..
.bBBBBBBBBBBBBb.
.bBBBBwwwBBBBBb.
.bBBBBBwwBBBBBb.
.bBBBBBwwBBBBBb.
.bBBBBBwwBBBBBb.
..bBBBBwwBBBBb..
..bBBBwwwwBBBb..
...bbBBBBBBbb...
.....bbbbbb.....
................
................
"""

EXPORT = """
................
.kkkkkkkk.......
.kwwwwwwkk......
.kwwwwwwkwk.....
.kwkkkkwkkkk....
.kwwwwwwwwwk....
.kwkkkkkwwwkG...
.kwwwwwwwwwkGG..
.kwkkkkGGGGGLGG.
.kwwwwwGLLLLLLLG
.kwkkkkGGGGGLGG.
.kwwwwwwwwwkGG..
.kwkkkkkkwwkG...
.kwwwwwwwwwk....
.kkkkkkkkkkk....
................
"""

HELP = """
................
.....kkkkkk.....
...kkyyyyyykk...
..kyyyykkyyyyk..
..kyyykyykkyyk..
.kyyyyyyykkyyyk.
.kyyyyyyykkyyyk.
.kyyyyyykkyyyyk.
.kyyyyykkyyyyyk.
.kyyyyykkyyyyyk.
..kyyyyyyyyyyk..
..kyyyykkyyyyk..
...kkyykkyykk...
.....kkkkkk.....
................
................
"""


def rows(art, size):
    lines = [line for line in art.strip("\n").split("\n")]
    assert len(lines) == size, (len(lines), art)
    for line in lines:
        assert len(line) == size, (len(line), line)
    return [[LETTERS[ch] for ch in line] for line in lines]


def pixels_4bpp(grid):
    """Bottom-up rows of 4-bit pixels, each row padded to 4 bytes."""
    out = b""
    for row in reversed(grid):
        data = bytes((row[i] << 4) | row[i + 1] for i in range(0, len(row), 2))
        out += data + b"\0" * ((-len(data)) % 4)
    return out


def palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)


def info_header(width, height):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, 0, 0, 0, 16, 0)


def write_bmp(path, grid):
    size = len(grid)
    body = info_header(size, size) + palette_bytes() + pixels_4bpp(grid)
    offset = 14 + 40 + 64
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, offset) + body)


def icon_grid():
    """A driver chip: black body with pins, a white label with lines, a green light."""
    n = 32
    g = [[None] * n for _ in range(n)]
    for y in range(5, 27):
        for x in range(8, 24):
            g[y][x] = 0
    for y in range(7, 26, 3):
        for x in list(range(3, 8)) + list(range(24, 29)):
            g[y][x] = 7
            g[y + 1][x] = 8
    for y in range(8, 22):
        for x in range(10, 22):
            g[y][x] = 15
    for y in (10, 13, 16, 19):
        for x in range(12, 20 if y != 16 else 17):
            g[y][x] = 4
    for y in range(22, 25):
        for x in range(18, 21):
            g[y][x] = 10
    return g


def write_ico(path, grid):
    n = len(grid)
    colours = [[7 if c is None else c for c in row] for row in grid]
    xor = pixels_4bpp(colours)
    mask = b""
    for row in reversed(grid):
        bits = 0
        for x, c in enumerate(row):
            if c is None:
                bits |= 1 << (n - 1 - x)
        mask += bits.to_bytes(n // 8, "big") + b"\0" * ((-(n // 8)) % 4)
    image = info_header(n, 2 * n) + palette_bytes() + xor + mask
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", n, n, 16, 0, 1, 4, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(header + entry + image)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, art in (("refresh", REFRESH), ("about", ABOUT), ("export", EXPORT), ("help", HELP)):
        write_bmp(os.path.join(out, name + ".bmp"), rows(art, 16))
    write_ico(os.path.join(out, "pellmark.ico"), icon_grid())


if __name__ == "__main__":
    main()
