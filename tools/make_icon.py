#!/usr/bin/env python3
"""Builds res/zantrel.ico from the pictures res/icon32.txt and res/icon16.txt.

Each picture is a square of characters: '.' is transparent, a hexadecimal digit is a
colour of the standard 16-colour palette (0 black, 4 navy, b yellow, c blue, f white...).
Run it after changing a picture and commit both:  python3 tools/make_icon.py
"""
import struct
import sys
from pathlib import Path

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def image(rows):
    n = len(rows)
    assert all(len(r) == n for r in rows), "a picture must be square"
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    xor_stride = ((n * 4 + 31) // 32) * 4
    and_stride = ((n + 31) // 32) * 4
    xor, mask = b"", b""
    for row in reversed(rows):  # bottom-up
        pixels = [0 if c == "." else int(c, 16) for c in row]
        packed = bytes((pixels[i] << 4) | (pixels[i + 1] if i + 1 < n else 0)
                       for i in range(0, n, 2))
        xor += packed.ljust(xor_stride, b"\0")
        line = bytearray(and_stride)
        for x, c in enumerate(row):
            if c == ".":
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
    return n, header + palette + xor + mask


def main():
    root = Path(__file__).resolve().parent.parent / "res"
    images = [image((root / name).read_text().split()) for name in ("icon32.txt", "icon16.txt")]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in images:
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    target = root / "zantrel.ico"
    if len(sys.argv) > 1 and sys.argv[1] == "--check":
        sys.exit(0 if target.read_bytes() == out else 1)
    target.write_bytes(out)


if __name__ == "__main__":
    main()
