#!/usr/bin/python3
"""Lens-flare pictures "tga" 188, 189, 190, 193 and 192, drawn procedurally.

All are 64x64 and radially symmetric around the image centre, on black:
  188  soft glow: white centre turning bluish, black by a radius of ~30
  189  pale blue glow, white centre, thin pinkish ring at a radius of ~10
  190  thin ring at ~29: violet on its outer edge, green on its inner edge
  193  flat dark grey disc (level 43) of radius ~29
  192  bubble: grey level and alpha rise together from 8 at the centre to
       ~140 near radius 24 and fall to 0 beyond 29

188, 189, 190 and 193 are 24-bit uncompressed true colour (type 2) stored
top row first; 192 is 32-bit with 8 alpha bits stored bottom row first and
ends with a TGA 2.0 footer. Pixels are stored B, G, R(, A).

Usage: make_flares.py [ID ...]   (default: all five, into config/images/)
"""
import math
import os
import struct
import sys

SIZE = 64
CENTRE = (SIZE - 1) / 2.0
SUPERSAMPLE = 4  # per axis, so ring and disc edges are anti-aliased


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def smoothstep(e0, e1, x):
    t = clamp01((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


def ring(r, radius, half_width):
    """1 on the ring's centre line, falling smoothly to 0 half_width away."""
    d = abs(r - radius) / half_width
    return 0.0 if d >= 1.0 else 0.5 + 0.5 * math.cos(math.pi * d)


def soft_glow(r):
    # Brightness falls like a squared cosine to 0 at r = 30; the centre
    # is white and the outskirts keep more blue than red.
    t = clamp01(r / 30.0)
    level = math.cos(t * math.pi / 2.0) ** 2
    core = math.exp(-(r / 5.0) ** 2)
    red = level * (0.55 + 0.45 * core)
    green = level * (0.70 + 0.30 * core)
    blue = level
    return (red, green, blue)


def glow_with_ring(r):
    t = clamp01(r / 30.0)
    level = (1.0 - t) ** 1.5
    core = math.exp(-(r / 3.5) ** 2)
    band = ring(r, 10.0, 1.6)
    red = level * 0.55 + core * 0.45 + band * 0.55
    green = level * 0.70 + core * 0.30 + band * 0.28
    blue = level * 0.95 + core * 0.05 + band * 0.42
    return (clamp01(red), clamp01(green), clamp01(blue))


def thin_ring(r):
    # Two touching bands: green just inside radius 29, violet just outside.
    inner = ring(r, 27.6, 1.6)
    outer = ring(r, 29.6, 1.6)
    red = 0.10 * inner + 0.62 * outer
    green = 0.70 * inner + 0.10 * outer
    blue = 0.25 * inner + 0.85 * outer
    return (red, green, blue)


def dark_disc(r):
    level = (43.0 / 255.0) * (1.0 - smoothstep(28.5, 29.5, r))
    return (level, level, level)


def bubble(r):
    """Grey level and alpha of the bubble, 0..255 as one value."""
    if r <= 24.0:
        level = 8.0 + (140.0 - 8.0) * (r / 24.0) ** 2
    else:
        level = 140.0 * (1.0 - smoothstep(24.0, 29.0, r))
    return level


def sample(shade, x, y):
    """Average of shade over the pixel (x, y), centre-sampled SUPERSAMPLE^2 times."""
    acc = None
    n = SUPERSAMPLE
    for sy in range(n):
        for sx in range(n):
            px = x + (sx + 0.5) / n - 0.5
            py = y + (sy + 0.5) / n - 0.5
            v = shade(math.hypot(px - CENTRE, py - CENTRE))
            if acc is None:
                acc = list(v) if isinstance(v, tuple) else [v]
            else:
                vals = v if isinstance(v, tuple) else (v,)
                for i, c in enumerate(vals):
                    acc[i] += c
    return [c / (n * n) for c in acc]


def byte(v):
    return max(0, min(255, int(round(v))))


def tga24(shade):
    # Descriptor 0x20: origin at the top left, rows stored top row first.
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, SIZE, SIZE, 24, 0x20)
    body = bytearray()
    for y in range(SIZE):
        for x in range(SIZE):
            red, green, blue = sample(shade, x, y)
            body += bytes((byte(blue * 255), byte(green * 255), byte(red * 255)))
    return header + bytes(body)


def tga32_bubble():
    # Descriptor 0x08: 8 alpha bits, origin at the bottom left, rows stored
    # bottom row first; then the TGA 2.0 footer (no extension or developer area).
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, SIZE, SIZE, 32, 0x08)
    body = bytearray()
    for y in reversed(range(SIZE)):
        for x in range(SIZE):
            (level,) = sample(bubble, x, y)
            v = byte(level)
            body += bytes((v, v, v, v))
    footer = struct.pack("<II", 0, 0) + b"TRUEVISION-XFILE.\0"
    return header + bytes(body) + footer


IMAGES = {
    188: lambda: tga24(soft_glow),
    189: lambda: tga24(glow_with_ring),
    190: lambda: tga24(thin_ring),
    193: lambda: tga24(dark_disc),
    192: tga32_bubble,
}


def main():
    out_dir = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "config", "images")
    ids = [int(a) for a in sys.argv[1:]] or sorted(IMAGES)
    for image_id in ids:
        if image_id not in IMAGES:
            sys.exit("no flare picture with id %d (known: %s)" % (image_id, sorted(IMAGES)))
        with open(os.path.join(out_dir, "flare_%d.tga" % image_id), "wb") as f:
            f.write(IMAGES[image_id]())


if __name__ == "__main__":
    main()
