#!/usr/bin/env python3
"""Draws the wizard's two pictures (a strip for the bottom of the picture column and the product
picture: a shield over a gradient) as PPM, makes JPEGs of them with cjpeg and writes their bytes
into the Picture.Data blocks of the window's form description, in the order they appear there.

Usage: tools/wizard_art.py  (from the repository root; needs cjpeg)"""
import math
import re
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
ART = ROOT / "wizard" / "art"
FDT = ROOT / "wizard" / "fTunewrightWindow.fdt"


def ppm(width, height, pixel):
    data = bytearray()
    for y in range(height):
        for x in range(width):
            data += bytes(pixel(x, y))
    return b"P6\n%d %d\n255\n" % (width, height) + bytes(data)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


def strip(x, y):
    # White fading into a blue band, with a thin darker line along its top.
    if y < 6:
        return (255, 255, 255)
    if y < 8:
        return (40, 70, 140)
    return mix((90, 130, 200), (30, 60, 130), (y - 8) / 47 + 0.2 * math.sin(x / 18.0))


def product(x, y):
    w, h = 136, 155
    background = mix((255, 255, 255), (215, 228, 245), y / h)
    cx = w / 2
    # A shield: straight top, sides curving to a point at the bottom.
    top, bottom = 18, 140
    if top <= y <= bottom:
        t = (y - top) / (bottom - top)
        half = 50 * math.cos(t * math.pi / 2) ** 0.6 if t > 0.45 else 50
        if abs(x - cx) <= half:
            edge = half - abs(x - cx)
            if edge < 4 or y - top < 4:
                return (30, 50, 110)
            left = x < cx
            upper = y < top + (bottom - top) * 0.45
            # Quarters of two blues, the product's colours.
            return (60, 100, 190) if left == upper else (150, 185, 235)
    return background


def jpeg(name, width, height, pixel):
    ART.mkdir(parents=True, exist_ok=True)
    out = ART / (name + ".jpg")
    raw = ppm(width, height, pixel)
    result = subprocess.run(["cjpeg", "-quality", "85", "-optimize"], input=raw, capture_output=True, check=True)
    out.write_bytes(result.stdout)
    return result.stdout


def hex_block(data, indent):
    text = data.hex().upper()
    lines = [text[i:i + 60] for i in range(0, len(text), 60)]
    return "{\n" + "\n".join(indent + line for line in lines) + "}"


def main():
    pictures = [jpeg("strip", 145, 55, strip), jpeg("product", 136, 155, product)]
    fdt = FDT.read_text(encoding="utf-8")
    blocks = list(re.finditer(r"( *)Picture\.Data = \{[^}]*\}", fdt))
    if len(blocks) != len(pictures):
        sys.exit("expected %d Picture.Data blocks in %s" % (len(pictures), FDT))
    for match, data in reversed(list(zip(blocks, pictures))):
        indent = match.group(1)
        fdt = fdt[:match.start()] + indent + "Picture.Data = " + hex_block(data, indent + "  ") + fdt[match.end():]
    FDT.write_text(fdt, encoding="utf-8")


if __name__ == "__main__":
    main()
