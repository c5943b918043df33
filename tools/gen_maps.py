#!/usr/bin/env python3
"""Writes the level maps data/map1.dat .. data/mapN.dat and checks them.

    tools/gen_maps.py            write the maps, then check them
    tools/gen_maps.py --check    only check the maps already in data/
    tools/gen_maps.py --png DIR  also draw each map as DIR/mapN.png (ImageMagick)

Each level is built from rectangles on a 30 x 30 grid (x = column, y = row).
The .dat files are what the game reads; this script is only a convenient way
to keep the levels symmetric and to see them.
"""
import argparse
import pathlib
import subprocess
import sys
from collections import deque

SIZE = 30
ROOT = pathlib.Path(__file__).resolve().parent.parent
DATA = ROOT / "data"

HUMAN_COLUMNS = (10, 15, 20)
HUMAN_ROWS = range(19, 29)   # start square 28 and the nine squares above it
COMPUTER_ROW = 1
MIN_FREE = 200


class Grid:
    def __init__(self, border=True):
        self.cells = [[False] * SIZE for _ in range(SIZE)]   # [y][x], True = wall
        if border:
            self.wall(0, 0, SIZE - 1, 0)
            self.wall(0, SIZE - 1, SIZE - 1, SIZE - 1)
            self.wall(0, 0, 0, SIZE - 1)
            self.wall(SIZE - 1, 0, SIZE - 1, SIZE - 1)

    def _fill(self, x0, y0, x1, y1, value):
        for y in range(min(y0, y1), max(y0, y1) + 1):
            for x in range(min(x0, x1), max(x0, x1) + 1):
                self.cells[y][x] = value

    def wall(self, x0, y0, x1, y1):
        self._fill(x0, y0, x1, y1, True)
        return self

    def clear(self, x0, y0, x1, y1):
        self._fill(x0, y0, x1, y1, False)
        return self

    def art(self, x0, y0, rows):
        """Stamps ASCII art: 'X' is a wall, anything else is left alone."""
        for dy, row in enumerate(rows):
            if x0 + len(row) > SIZE or y0 + dy >= SIZE:
                raise ValueError(f"art row {dy} does not fit: {row!r}")
            for dx, ch in enumerate(row):
                if ch == "X":
                    self.cells[y0 + dy][x0 + dx] = True
        return self

    def lines(self):
        return ["".join("X" if c else " " for c in row) for row in self.cells]


# ---------------------------------------------------------------- the levels

def open_field():
    return Grid()


def five_blocks():
    g = Grid()
    for x in (5, 21):
        g.wall(x, 6, x + 3, 8)
        g.wall(x, 16, x + 3, 18)
    return g.wall(13, 11, 16, 13)


def corridors():
    g = Grid()
    # three lanes, 3 wide, under the top hall; the bars have staggered gaps so
    # every lane can be left at both ends and near the middle
    for y in (5, 13):
        g.wall(3, y, 12, y).wall(17, y, 26, y)
    for y in (9, 17):
        g.wall(1, y, 9, y).wall(13, y, 16, y).wall(20, y, 28, y)
    return g


def cross():
    g = Grid()
    g.wall(14, 4, 15, 17)          # upright
    g.wall(4, 10, 25, 11)          # cross bar
    for x0, x1, xs in ((4, 8, 4), (21, 25, 25)):
        g.wall(x0, 4, x1, 4).wall(xs, 4, xs, 7)       # upper corner brackets
        g.wall(x0, 24, x1, 24).wall(xs, 21, xs, 24)   # lower corner brackets
    return g


def rooms():
    g = Grid()
    for y in (5, 16):              # top and bottom walls of the row of rooms
        g.wall(1, y, 28, y)
        g.clear(4, y, 6, y).clear(13, y, 16, y).clear(23, y, 25, y)
    for x in (10, 19):             # walls between the rooms, a door in each
        g.wall(x, 5, x, 16).clear(x, 9, x, 11)
    # a table in the middle room, cupboards in the side rooms
    g.wall(13, 10, 16, 10)
    g.wall(3, 8, 3, 12).wall(26, 8, 26, 12)
    # two low screens in the hall
    g.wall(3, 22, 6, 22).wall(23, 22, 26, 22)
    return g


def pillars():
    g = Grid()
    for x in (7, 12, 17, 22):
        for y in (4, 9, 14, 19, 24):
            g.wall(x, y, x + 1, y + 1)
    for y in (6, 11, 16, 21):      # the side rows sit between the main rows
        g.wall(3, y, 4, y + 1).wall(25, y, 26, y + 1)
    return g


def pinwheel():
    g = Grid()
    # four bent arms turning clockwise round an open hub at (14.5, 11.5)
    g.wall(13, 3, 14, 9).wall(15, 3, 20, 4)      # north arm, bends east
    g.wall(17, 10, 24, 11).wall(23, 12, 24, 18)  # east arm, bends south
    g.wall(15, 14, 16, 18).wall(8, 17, 14, 18)   # south arm, bends west
    g.wall(5, 12, 12, 13).wall(5, 5, 6, 11)      # west arm, bends north
    return g


def staircases():
    g = Grid()

    def flight(x, y, dx, dy, steps):
        # a continuous stair line: 3 squares across, then 2 rows down (dy=1)
        # or up (dy=-1), `steps` times
        for _ in range(steps):
            g.wall(x, y, x + 2 * dx, y)
            x += 2 * dx
            g.wall(x, y, x, y + 2 * dy)
            y += 2 * dy
        g.wall(x, y, x + 2 * dx, y)

    # two flights down from the upper corners, two up from the lower ones;
    # they form a big X that is open in the middle
    flight(3, 3, 1, 1, 3)
    flight(26, 3, -1, 1, 3)
    flight(3, 18, 1, -1, 3)
    flight(26, 18, -1, -1, 3)
    # short flights in the lower corners of the hall
    for i in range(3):
        g.wall(3 + 2 * i, 22 + i, 4 + 2 * i, 22 + i)
        g.wall(25 - 2 * i, 22 + i, 26 - 2 * i, 22 + i)
    return g


def rings():
    g = Grid()

    def ring(x0, y0, x1, y1):
        g.wall(x0, y0, x1, y0).wall(x0, y1, x1, y1)
        g.wall(x0, y0, x0, y1).wall(x1, y0, x1, y1)

    ring(3, 3, 26, 18)
    g.clear(13, 3, 16, 3).clear(3, 15, 3, 17).clear(26, 15, 26, 17)
    ring(6, 6, 23, 15)
    g.clear(6, 9, 6, 12).clear(23, 9, 23, 12).clear(13, 15, 16, 15)
    ring(9, 9, 20, 12)
    g.clear(13, 9, 16, 9)
    # two small rings in the hall, open towards the middle
    for x0 in (3, 22):
        ring(x0, 21, x0 + 4, 26)
    g.clear(7, 23, 7, 24).clear(22, 23, 22, 24)
    return g


def spiral():
    g = Grid()
    # a square spiral with 2-wide lanes, entered from the hall below
    g.wall(3, 3, 26, 3).wall(26, 3, 26, 18).wall(3, 3, 3, 18).wall(6, 18, 26, 18)
    g.wall(6, 6, 6, 15).wall(6, 6, 23, 6).wall(23, 6, 23, 15).wall(9, 15, 23, 15)
    g.wall(9, 9, 9, 12).wall(9, 9, 20, 9).wall(20, 9, 20, 12).wall(12, 12, 20, 12)
    g.clear(13, 3, 16, 3)          # a back door at the top
    return g


def comb():
    g = Grid()
    # thin teeth from a top bar and a bottom bar, interleaved: the band
    # between the bars winds up and down through 2-wide gaps
    g.wall(4, 4, 25, 4).wall(4, 17, 25, 17)
    for i, x in enumerate(range(4, 26, 3)):
        if i % 2 == 0:
            g.wall(x, 5, x, 13)
        else:
            g.wall(x, 8, x, 16)
    # short cuts into the band, away from the start columns
    g.clear(13, 4, 15, 4).clear(8, 17, 9, 17).clear(23, 17, 24, 17)
    return g


def maze():
    g = Grid()
    g.art(0, 0, [
        "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXX",
        "X                            X",
        "X                            X",
        "X  XXXXXX  XXXXXXXXXX  XXXX  X",
        "X  X          X           X  X",
        "X  X          X           X  X",
        "X  X  XXXXXX  X  XXXXXXX  X  X",
        "X     X       X        X     X",
        "X     X       X        X     X",
        "XXXX  X  XXXXXXXXXXX   XXXX  X",
        "X        X         X         X",
        "X        X         X         X",
        "X  XXXXXXX  X   X  XXXXXXX   X",
        "X           X   X            X",
        "X           X   X            X",
        "X  XXXXXXX  X   X  XXXXX  XXXX",
        "X  X     X         X         X",
        "X  X     X         X         X",
        "X  X  X  X         X  XXXXX  X",
        "X     X                   X  X",
        "X     X                   X  X",
        "XXXX  XX                 XX  X",
        "X                            X",
        "X                            X",
        "X  XXXX                XXXX  X",
        "X  X                      X  X",
        "X  X                      X  X",
        "X                            X",
        "X                            X",
        "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXX",
    ])
    return g


LEVELS = [
    ("Open Field", open_field),
    ("Five Blocks", five_blocks),
    ("The Cross", cross),
    ("Corridors", corridors),
    ("Pinwheel", pinwheel),
    ("Rooms", rooms),
    ("Staircases", staircases),
    ("Pillars", pillars),
    ("Rings", rings),
    ("Comb", comb),
    ("Spiral", spiral),
    ("Maze", maze),
]


# ---------------------------------------------------------------- checks

def read_map(path):
    """Returns (rows, problems) for one map file, by its bytes."""
    raw = path.read_bytes()
    problems = []
    parts = raw.split(b"\r\n")
    if parts and parts[-1] == b"":
        parts.pop()
    if len(parts) != SIZE:
        problems.append(f"{len(parts)} CR LF lines, want {SIZE}")
    for y, line in enumerate(parts[:SIZE]):
        if len(line) != SIZE or set(line) - {ord(" "), ord("X")}:
            problems.append(f"line {y + 1} is not 30 of ' '/'X': {line!r}")
    rows = [p.decode("latin-1").ljust(SIZE)[:SIZE] for p in parts[:SIZE]]
    rows += [" " * SIZE] * (SIZE - len(rows))
    return rows, problems


def check(rows):
    """Hard rules first, then design warnings."""
    wall = lambda x, y: not (0 <= x < SIZE and 0 <= y < SIZE) or rows[y][x] == "X"
    errors, warnings = [], []
    for x in HUMAN_COLUMNS:
        for y in HUMAN_ROWS:
            if wall(x, y):
                errors.append(f"human start column {x} blocked at row {y}")
    for x in range(1, SIZE - 1):
        if wall(x, COMPUTER_ROW):
            errors.append(f"computer start row blocked at column {x}")
    free = [(x, y) for y in range(SIZE) for x in range(SIZE) if not wall(x, y)]
    if len(free) < MIN_FREE:
        errors.append(f"only {len(free)} free squares")
    seen = {free[0]} if free else set()
    todo = deque(seen)
    while todo:
        x, y = todo.popleft()
        for n in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
            if not wall(*n) and n not in seen:
                seen.add(n)
                todo.append(n)
    if len(seen) != len(free):
        errors.append(f"{len(free) - len(seen)} free squares cut off")
    blocked_below = sum(wall(x, 2) for x in range(1, SIZE - 1))
    if blocked_below > 6:
        warnings.append(f"{blocked_below} walls on row 2 under the computer start row")
    narrow = 0
    for x, y in free:
        around = [wall(x + 1, y), wall(x - 1, y), wall(x, y + 1), wall(x, y - 1)]
        if sum(around) >= 3:
            errors.append(f"dead-end square at ({x}, {y})")
        if (around[0] and around[1]) or (around[2] and around[3]):
            narrow += 1
    if narrow:
        warnings.append(f"{narrow} squares in 1-wide gaps")
    return len(free), errors, warnings


def render(rows, png):
    """10x picture: walls dark, human start squares blue, computer row red."""
    scale = 10
    colours = {"X": (40, 60, 40), " ": (230, 230, 210)}
    pixels = bytearray()
    for y in range(SIZE):
        line = bytearray()
        for x in range(SIZE):
            c = colours["X" if rows[y][x] == "X" else " "]
            if rows[y][x] != "X":
                if x in HUMAN_COLUMNS and y in HUMAN_ROWS:
                    c = (150, 170, 240) if y < 28 else (40, 60, 220)
                elif y == COMPUTER_ROW:
                    c = (240, 170, 150)
            cell = bytes(c) * scale
            if x % 5 == 0:   # faint ruler every 5 columns
                cell = bytes(max(v - 25, 0) for v in c) + bytes(c) * (scale - 1)
            line += cell
        for dy in range(scale):
            pixels += line if (y % 5 or dy) else bytes(max(v - 25, 0) for v in line)
    ppm = f"P6 {SIZE * scale} {SIZE * scale} 255\n".encode() + pixels
    subprocess.run(["convert", "ppm:-", str(png)], input=ppm, check=True)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--check", action="store_true", help="do not write, only check")
    ap.add_argument("--png", metavar="DIR", help="draw each map into DIR")
    args = ap.parse_args()

    if not args.check:
        for n, (_, build) in enumerate(LEVELS, 1):
            text = "\r\n".join(build().lines()) + "\r\n"
            (DATA / f"map{n}.dat").write_bytes(text.encode("ascii"))

    failed = False
    n = 1
    while (DATA / f"map{n}.dat").exists():
        rows, problems = read_map(DATA / f"map{n}.dat")
        free, errors, warnings = check(rows)
        name = LEVELS[n - 1][0] if n <= len(LEVELS) else "?"
        print(f"map{n}.dat  {name:12} {free:4} free")
        for p in problems + errors:
            print(f"    ERROR {p}")
        for w in warnings:
            print(f"    note  {w}")
        failed |= bool(problems or errors)
        if args.png:
            pathlib.Path(args.png).mkdir(parents=True, exist_ok=True)
            render(rows, pathlib.Path(args.png) / f"map{n}.png")
        n += 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
