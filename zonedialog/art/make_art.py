#!/usr/bin/env python3
"""Draws the zone dialog's own pictures from simple shapes and writes them beside this script.

Tool-bar bitmaps (32 x 32, 8 bits per pixel, magenta corner = transparent), zone pictures
(32 x 32) and feature pictures (16 x 16) as 24-bit bitmaps, the program icon, and the About
box's picture as JPEG (through the host's cjpeg). The outputs are committed; run this again
only to change the artwork.
"""
import math
import os
import struct
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
MAGENTA = (255, 0, 255)


class Canvas:
    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, c)

    def disc(self, cx, cy, r, c, inner=0):
        for y in range(self.h):
            for x in range(self.w):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if inner <= d <= r:
                    self.put(x, y, c)

    def poly(self, pts, c):
        for y in range(self.h):
            for x in range(self.w):
                if inside(pts, x + 0.5, y + 0.5):
                    self.put(x, y, c)

    def line(self, x0, y0, x1, y1, c, width=1):
        n = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(n + 1):
            t = i / n
            x, y = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            for dy in range(width):
                for dx in range(width):
                    self.put(int(x) + dx, int(y) + dy, c)


def inside(pts, x, y):
    n, hit = len(pts), False
    for i in range(n):
        (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
        if (y0 > y) != (y1 > y) and x < (x1 - x0) * (y - y0) / (y1 - y0) + x0:
            hit = not hit
    return hit


def bmp24(cv):
    row = (cv.w * 3 + 3) & ~3
    data = b""
    for y in range(cv.h - 1, -1, -1):
        line = b"".join(bytes((b, g, r)) for (r, g, b) in cv.px[y])
        data += line + b"\0" * (row - len(line))
    head = struct.pack("<IiiHHIIiiII", 40, cv.w, cv.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(head) + len(data), 0, 0, 14 + len(head)) + head + data


def bmp8(cv):
    colours = []
    for r in cv.px:
        for c in r:
            if c not in colours:
                colours.append(c)
    assert len(colours) <= 256
    index = {c: i for i, c in enumerate(colours)}
    palette = b"".join(bytes((b, g, r, 0)) for (r, g, b) in colours) + b"\0\0\0\0" * (256 - len(colours))
    row = (cv.w + 3) & ~3
    data = b""
    for y in range(cv.h - 1, -1, -1):
        line = bytes(index[c] for c in cv.px[y])
        data += line + b"\0" * (row - len(line))
    head = struct.pack("<IiiHHIIiiII", 40, cv.w, cv.h, 1, 8, 0, len(data), 2835, 2835, 256, 0)
    off = 14 + len(head) + len(palette)
    return b"BM" + struct.pack("<IHHI", off + len(data), 0, 0, off) + head + palette + data


def ico(cv):
    # One 32 x 32 image, 32 bits per pixel with its AND mask (magenta is transparent).
    xor = b""
    for y in range(cv.h - 1, -1, -1):
        xor += b"".join(bytes((b, g, r, 0 if (r, g, b) == MAGENTA else 255)) for (r, g, b) in cv.px[y])
    mask_row = ((cv.w + 31) // 32) * 4
    mask = b""
    for y in range(cv.h - 1, -1, -1):
        bits = 0
        for x in range(cv.w):
            bits = (bits << 1) | (1 if cv.px[y][x] == MAGENTA else 0)
        mask += bits.to_bytes(cv.w // 8, "big") + b"\0" * (mask_row - cv.w // 8)
    head = struct.pack("<IiiHHIIiiII", 40, cv.w, cv.h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = head + xor + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", cv.w, cv.h, 0, 0, 1, 32, len(image), 22) + image


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def shield(cv, fill, x0=4, y0=3, x1=28, y1=29):
    mid, h = (x0 + x1) / 2, y1 - y0
    top, side = y0 + h * 0.12, y0 + h * 0.5
    b = max(2, round((x1 - x0) / 12))
    cv.poly([(x0, top), (mid, y0), (x1, top), (x1, side), (mid, y1), (x0, side)], (40, 40, 40))
    cv.poly([(x0 + b, top + b / 2), (mid, y0 + b), (x1 - b, top + b / 2), (x1 - b, side), (mid, y1 - 1.5 * b),
             (x0 + b, side)], fill)


def toolbar():
    cv = Canvas(32, 32, MAGENTA)  # REFRESH32: two arrows round a circle
    cv.disc(16, 16, 12, (20, 120, 40), inner=8)
    cv.rect(0, 14, 16, 18, MAGENTA)
    cv.poly([(1, 14), (12, 14), (6.5, 8)], (20, 120, 40))
    cv.poly([(20, 18), (31, 18), (25.5, 24)], (20, 120, 40))
    write("REFRESH32.bmp", bmp8(cv))

    cv = Canvas(32, 32, MAGENTA)  # PROPERTIES32: sheet with check boxes
    cv.rect(5, 2, 27, 30, (60, 60, 60))
    cv.rect(6, 3, 26, 29, (250, 250, 240))
    for y in (7, 15, 23):
        cv.rect(9, y, 13, y + 4, (40, 90, 200))
        cv.rect(15, y + 1, 23, y + 3, (120, 120, 120))
    write("PROPERTIES32.bmp", bmp8(cv))

    cv = Canvas(32, 32, MAGENTA)  # SUBDOMAINS32: a tree of three boxes
    cv.rect(11, 2, 21, 10, (200, 120, 20))
    cv.rect(15, 10, 17, 16, (60, 60, 60))
    cv.rect(6, 15, 26, 17, (60, 60, 60))
    cv.rect(6, 15, 8, 22, (60, 60, 60))
    cv.rect(24, 15, 26, 22, (60, 60, 60))
    cv.rect(2, 22, 12, 30, (40, 90, 200))
    cv.rect(20, 22, 30, 30, (40, 90, 200))
    write("SUBDOMAINS32.bmp", bmp8(cv))

    cv = Canvas(32, 32, MAGENTA)  # ABOUT32: an "i" in a disc
    cv.disc(16, 16, 14, (30, 80, 190))
    cv.disc(16, 9, 2.5, (255, 255, 255))
    cv.rect(14, 13, 18, 25, (255, 255, 255))
    write("ABOUT32.bmp", bmp8(cv))

    cv = Canvas(32, 32, MAGENTA)  # NIL32: an empty frame
    cv.rect(4, 4, 28, 28, (128, 128, 128))
    cv.rect(6, 6, 26, 26, MAGENTA)
    write("NIL32.bmp", bmp8(cv))


def zones():
    white = (255, 255, 255)
    for name, fill in (("TRUSTED", (40, 170, 60)), ("INTERNET", (50, 110, 210)),
                       ("UNTRUSTED", (210, 50, 40)), ("INTRANET", (150, 150, 150))):
        cv = Canvas(32, 32, white)
        shield(cv, fill)
        write("ZONE_%s.bmp" % name, bmp24(cv))

    cv = Canvas(16, 16, white)  # ActiveX, Java or plug-in: a puzzle block
    cv.rect(2, 4, 14, 14, (90, 60, 160))
    cv.disc(8, 4, 2.5, (90, 60, 160))
    write("FEATURE_ACTIVEX.bmp", bmp24(cv))
    cv = Canvas(16, 16, white)  # script: a scroll with lines
    cv.rect(2, 2, 14, 14, (230, 200, 120))
    for y in (5, 8, 11):
        cv.rect(4, y, 12, y + 1, (80, 60, 20))
    write("FEATURE_SCRIPT.bmp", bmp24(cv))
    cv = Canvas(16, 16, white)  # applet: a cup
    cv.rect(3, 6, 11, 14, (150, 80, 30))
    cv.disc(12, 10, 3, (150, 80, 30), inner=1.5)
    cv.line(5, 1, 6, 5, (120, 120, 120))
    cv.line(8, 1, 9, 5, (120, 120, 120))
    write("FEATURE_APPLET.bmp", bmp24(cv))
    cv = Canvas(16, 16, white)  # cookie
    cv.disc(8, 8, 7, (200, 150, 80))
    for (x, y) in ((5, 5), (10, 6), (7, 10), (11, 11)):
        cv.rect(x, y, x + 2, y + 2, (90, 50, 20))
    write("FEATURE_COOKIE.bmp", bmp24(cv))
    cv = Canvas(16, 16, white)  # embedded font: a large A
    cv.poly([(2, 15), (7, 1), (9, 1), (14, 15), (11, 15), (8, 5), (5, 15)], (30, 30, 30))
    cv.rect(5, 9, 11, 11, (30, 30, 30))
    write("FEATURE_FONT.bmp", bmp24(cv))


def icon():
    cv = Canvas(32, 32, MAGENTA)
    shield(cv, (50, 110, 210), 2, 1, 30, 31)
    cv.rect(15, 5, 17, 26, (255, 255, 255))
    cv.rect(7, 12, 25, 14, (255, 255, 255))
    write("VgtDialog.ico", ico(cv))


def about_picture():
    # 136 x 138: sky gradient, a shield and a horizon.
    cv = Canvas(136, 138, (0, 0, 0))
    for y in range(138):
        t = y / 137
        cv.rect(0, y, 136, y + 1, (int(40 + 150 * t), int(90 + 120 * t), int(200 + 40 * t)))
    cv.rect(0, 110, 136, 138, (60, 140, 70))
    big = Canvas(60, 70, (0, 0, 0))
    shield(big, (240, 240, 240), 4, 2, 56, 68)
    for y in range(70):
        for x in range(60):
            if big.px[y][x] != (0, 0, 0):
                cv.put(38 + x, 30 + y, big.px[y][x])
    with tempfile.NamedTemporaryFile(suffix=".ppm", delete=False) as f:
        f.write(b"P6 136 138 255\n" + b"".join(bytes(c) for row in cv.px for c in row))
        ppm = f.name
    try:
        out = subprocess.run(["cjpeg", "-quality", "85", ppm], check=True, capture_output=True).stdout
    finally:
        os.unlink(ppm)
    write("ABOUT.jpg", out)


if __name__ == "__main__":
    toolbar()
    zones()
    icon()
    about_picture()
