#!/usr/bin/python3
"""Banner bitmap 145: the 512x180 picture at the top of the settings window.

A deep-space view in the saver's own style: a violet and blue nebula over a
field of point stars, one bright sun with a faint flare string, and the
product name across it. Stored as a 24-bit PNG. Everything is drawn from a
fixed seed, so the output is the same on every run.

Usage: make_banner.py [OUTPUT]   (default config/images/banner_145.png)
"""
import math
import os
import random
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

WIDTH, HEIGHT = 512, 180
SEED = 145
TITLE = "Skyloom"
TITLE_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


def lattice(ix, iy, salt):
    """Deterministic pseudo-random value in [0, 1) for a lattice point."""
    h = (ix * 374761393 + iy * 668265263 + salt * 2147483647) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h ^ (h >> 16)) & 0xFFFF) / 65536.0


def value_noise(x, y, salt):
    ix, iy = math.floor(x), math.floor(y)
    fx, fy = x - ix, y - iy
    sx, sy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
    a = lattice(ix, iy, salt)
    b = lattice(ix + 1, iy, salt)
    c = lattice(ix, iy + 1, salt)
    d = lattice(ix + 1, iy + 1, salt)
    top = a + (b - a) * sx
    bottom = c + (d - c) * sx
    return top + (bottom - top) * sy


def fbm(x, y, salt, octaves=5):
    total, amplitude, norm = 0.0, 1.0, 0.0
    for o in range(octaves):
        total += amplitude * value_noise(x, y, salt + o)
        norm += amplitude
        x, y, amplitude = x * 2.03, y * 2.03, amplitude * 0.5
    return total / norm


def nebula():
    img = Image.new("RGB", (WIDTH, HEIGHT))
    px = img.load()
    for y in range(HEIGHT):
        for x in range(WIDTH):
            u, v = x / 90.0, y / 90.0
            # Two clouds of different colour; a warped lookup gives them wisps.
            warp = fbm(u * 0.8, v * 0.8, 40)
            a = fbm(u + warp * 1.7, v - warp, 1)
            b = fbm(u * 1.3 - warp, v * 1.3 + warp * 1.2, 20)
            # Keep the clouds thin towards the top and bottom edges.
            band = math.exp(-((y - HEIGHT * 0.55) / (HEIGHT * 0.55)) ** 2)
            violet = max(0.0, a - 0.42) * 2.4 * band
            blue = max(0.0, b - 0.45) * 2.6 * band
            red = 0.02 + 0.55 * violet + 0.10 * blue
            green = 0.02 + 0.12 * violet + 0.30 * blue
            blue_c = 0.06 + 0.65 * violet + 0.75 * blue
            px[x, y] = tuple(min(255, int(c * 255)) for c in (red, green, blue_c))
    return img


def stars(rng):
    img = Image.new("RGB", (WIDTH, HEIGHT))
    draw = ImageDraw.Draw(img)
    for _ in range(700):
        x, y = rng.uniform(0, WIDTH), rng.uniform(0, HEIGHT)
        # Mostly faint, a few bright; tinted white, blue or yellow.
        level = rng.random() ** 3
        tint = rng.choice(((1.0, 1.0, 1.0), (0.75, 0.85, 1.0), (1.0, 0.92, 0.75)))
        c = tuple(int(255 * (0.15 + 0.85 * level) * t) for t in tint)
        if level > 0.7:
            draw.ellipse([x - 1.2, y - 1.2, x + 1.2, y + 1.2], fill=c)
        else:
            draw.point((x, y), fill=c)
    return img


def sun_and_flares():
    img = Image.new("RGB", (WIDTH, HEIGHT))
    px = img.load()
    sx, sy = 430.0, 42.0
    # Flare elements on the line from the sun through the picture's centre.
    cx, cy = WIDTH / 2.0, HEIGHT / 2.0
    elements = [(0.55, 5.0, 0.22), (0.95, 9.0, 0.12), (1.35, 3.5, 0.25), (1.75, 13.0, 0.08)]
    for y in range(HEIGHT):
        for x in range(WIDTH):
            r = math.hypot(x - sx, y - sy)
            glow = math.exp(-(r / 5.0) ** 2) + 0.35 * math.exp(-(r / 22.0) ** 2)
            rays = 0.25 * math.exp(-abs(y - sy) / 1.2) * math.exp(-abs(x - sx) / 60.0)
            rays += 0.25 * math.exp(-abs(x - sx) / 1.2) * math.exp(-abs(y - sy) / 30.0)
            # A touch less green gives the sun a faint violet cast.
            light = [glow + rays, (glow + rays) * 0.95, glow + rays]
            for t, radius, strength in elements:
                ex, ey = sx + (cx - sx) * t, sy + (cy - sy) * t
                d = math.hypot(x - ex, y - ey)
                if d < radius + 1.0:
                    edge = max(0.0, min(1.0, radius + 0.5 - d))
                    light[0] += strength * edge * 0.7
                    light[1] += strength * edge * 0.8
                    light[2] += strength * edge
            px[x, y] = tuple(min(255, int(c * 255)) for c in light)
    return img


def title():
    font = ImageFont.truetype(TITLE_FONT, 72)
    layer = Image.new("RGB", (WIDTH, HEIGHT))
    draw = ImageDraw.Draw(layer)
    x, y = 40, HEIGHT * 0.5 + 26
    draw.text((x, y), TITLE, font=font, fill=(255, 255, 255), anchor="ls")
    # A wide soft halo under crisp letters, in the nebula's blue.
    halo = layer.filter(ImageFilter.GaussianBlur(9))
    halo = ImageChops.multiply(halo, Image.new("RGB", layer.size, (110, 150, 255)))
    shadow = layer.filter(ImageFilter.GaussianBlur(2))
    return layer, halo, shadow


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "config", "images", "banner_145.png")
    rng = random.Random(SEED)
    picture = ImageChops.add(nebula(), stars(rng))
    picture = ImageChops.add(picture, sun_and_flares())
    letters, halo, shadow = title()
    picture = ImageChops.add(picture, halo)
    picture = ImageChops.subtract(picture, shadow)
    picture = ImageChops.add(picture, letters)
    picture.save(out, "PNG", optimize=True)


if __name__ == "__main__":
    main()
