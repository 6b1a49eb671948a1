#!/usr/bin/env python3
"""Builds res/zantrel.ico: the program's picture, a yellow Z on a navy tile with a blue
rim, drawn at 16, 20, 24, 32, 40, 48 and 256 pixels in 32-bit colour with alpha.

The picture is described below on a grid of 32 by 32 units and drawn at each size, with
its straight edges put on whole pixels (so that the small sizes stay sharp) and every
edge smoothed by sampling each pixel many times. The sizes up to 48 pixels are stored as
bitmaps, the 256-pixel one as PNG, as Windows expects. Run it after changing the picture
and commit both:  python3 tools/make_icon.py   (--check: is res/zantrel.ico up to date?)
"""
import math
import struct
import sys
import zlib
from pathlib import Path

SIZES = (16, 20, 24, 32, 40, 48, 256)
RIM = (0, 0, 255)  # the colours of the 16-colour palette that the picture always had
TILE = (0, 0, 128)
LETTER = (255, 255, 0)

# On the 32-unit grid: the margin around the tile and its corner radius, the Z's bars (left, right, top of
# the upper bar, bottom of the lower one) and its thickness.
TILE_MARGIN = 1
TILE_RADIUS = 4
Z_LEFT, Z_RIGHT, Z_TOP, Z_BOTTOM = 8, 24, 7, 25
Z_THICKNESS = 3


def snap(units, size):
    """A coordinate of the grid on the nearest pixel edge at `size`."""
    return math.floor(units * size / 32 + 0.5)


class Picture:
    def __init__(self, size):
        self.size = size
        scale = size / 32
        self.rim = max(1, snap(1, size))
        self.low = snap(TILE_MARGIN, size)
        self.high = size - self.low
        self.radius = TILE_RADIUS * scale
        self.left, self.right = snap(Z_LEFT, size), snap(Z_RIGHT, size)
        self.top, self.bottom = snap(Z_TOP, size), snap(Z_BOTTOM, size)
        self.thick = max(2, snap(Z_THICKNESS, size))
        # The slanting stroke as wide across as the bars are high.
        run = self.right - self.left - self.thick
        rise = self.bottom - self.top
        self.slant = self.thick * math.hypot(run, rise) / rise

    def in_tile(self, x, y, inset):
        low, high = self.low + inset, self.high - inset
        radius = max(self.radius - inset, 0)
        cx = min(max(x, low + radius), high - radius)
        cy = min(max(y, low + radius), high - radius)
        return low <= x <= high and low <= y <= high and (x - cx) ** 2 + (y - cy) ** 2 <= radius**2

    def in_letter(self, x, y):
        if not (self.left <= x < self.right and self.top <= y < self.bottom):
            return False
        if y < self.top + self.thick or y >= self.bottom - self.thick:
            return True  # the bars
        # The stroke from the upper bar's right end down to the lower bar's left end.
        t = (y - self.top) / (self.bottom - self.top)
        start = self.right - self.slant - t * (self.right - self.left - self.slant)
        return start <= x < start + self.slant

    def colour(self, x, y):
        if not self.in_tile(x, y, 0):
            return None
        if not self.in_tile(x, y, self.rim):
            return RIM
        return LETTER if self.in_letter(x, y) else TILE

    def pixels(self):
        """Rows from the top, each pixel (r, g, b, a)."""
        n = self.size
        samples = max(2, min(8, 128 // n))
        rows = []
        for py in range(n):
            row = []
            for px in range(n):
                total, seen = [0, 0, 0], 0
                for sy in range(samples):
                    for sx in range(samples):
                        c = self.colour(px + (sx + 0.5) / samples, py + (sy + 0.5) / samples)
                        if c is not None:
                            seen += 1
                            total = [t + v for t, v in zip(total, c)]
                if seen == 0:
                    row.append((0, 0, 0, 0))
                else:
                    r, g, b = (int(t / seen + 0.5) for t in total)
                    row.append((r, g, b, int(255 * seen / samples**2 + 0.5)))
            rows.append(row)
        return rows


def bitmap(rows):
    """An icon image as a bitmap: header, BGRA rows bottom-up, then the AND mask."""
    n = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = ((n + 31) // 32) * 4
    mask = b""
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
    return header + colour + mask


def png(rows):
    n = len(rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", n, n, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def icon():
    images = []
    for size in SIZES:
        rows = Picture(size).pixels()
        images.append((size, png(rows) if size >= 256 else bitmap(rows)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def main():
    target = Path(__file__).resolve().parent.parent / "res" / "zantrel.ico"
    out = icon()
    if len(sys.argv) > 1 and sys.argv[1] == "--check":
        sys.exit(0 if target.read_bytes() == out else 1)
    target.write_bytes(out)


if __name__ == "__main__":
    main()
