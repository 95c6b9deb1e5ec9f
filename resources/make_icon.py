#!/usr/bin/env python3
"""Draws Korvel's icon and writes korvel.ico: 16, 32, 48 and 256 pixel 32-bit images with alpha, each
stored as PNG. Uses only the standard library, so the result is reproducible byte for byte."""
import struct
import zlib
from pathlib import Path

BLUE = (0x2D, 0x7D, 0xFF)
WHITE = (0xFF, 0xFF, 0xFF)
SUPERSAMPLE = 4


def coverage(size, inside):
    """Fraction of each pixel's sub-samples for which inside(x, y) holds, x and y in 0..1."""
    grid = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            hits = 0
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    hits += inside(x, y)
            row.append(hits / (n * n))
        grid.append(row)
    return grid


def rounded_square(x, y, margin=0.06, radius=0.2):
    lo, hi = margin, 1 - margin
    if not (lo <= x <= hi and lo <= y <= hi):
        return False
    cx = min(max(x, lo + radius), hi - radius)
    cy = min(max(y, lo + radius), hi - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def corner_marks(x, y):
    """Four white corner brackets of a capture frame, and a dot in the middle."""
    a, b, t, arm = 0.24, 0.76, 0.075, 0.2
    for cx, dx in ((a, 1), (b, -1)):
        for cy, dy in ((a, 1), (b, -1)):
            xs = sorted((cx, cx + dx * arm))
            ys = sorted((cy, cy + dy * arm))
            tx = sorted((cx, cx + dx * t))
            ty = sorted((cy, cy + dy * t))
            if xs[0] <= x <= xs[1] and ty[0] <= y <= ty[1]:
                return True
            if tx[0] <= x <= tx[1] and ys[0] <= y <= ys[1]:
                return True
    return (x - 0.5) ** 2 + (y - 0.5) ** 2 <= 0.075 ** 2


def render(size):
    body = coverage(size, rounded_square)
    marks = coverage(size, corner_marks)
    rows = []
    for y in range(size):
        row = bytearray([0])  # PNG filter type: none
        for x in range(size):
            alpha = body[y][x]
            m = marks[y][x]
            colour = [round(BLUE[i] * (1 - m) + WHITE[i] * m) for i in range(3)]
            row += bytes(colour) + bytes([round(alpha * 255)])
        rows.append(bytes(row))
    return b"".join(rows)


def png(size):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(render(size), 9))
            + chunk(b"IEND", b""))


def ico(sizes):
    images = [png(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


if __name__ == "__main__":
    Path(__file__).with_name("korvel.ico").write_bytes(ico([16, 32, 48, 256]))
