#!/usr/bin/python3
"""The program icon: a round window on deep space with a bright sun, its
lens-flare string, a violet nebula wisp and a few stars.

Writes the hicolor theme sizes into packaging/icons/hicolor/:
scalable/apps/skyloom.svg and NxN/apps/skyloom.png for N = 16, 32, 48, 128
and 256. The SVG and the PNGs come from one list of shapes below; the PNGs
are rasterised here (not from the SVG, so no SVG renderer is needed) at
768x768 and box-filtered down, 768 being a whole multiple of every size.

Usage: make_icon.py [OUTPUT_DIR]   (default packaging/icons/hicolor)
"""
import math
import os
import sys

from PIL import Image

PNG_SIZES = (16, 32, 48, 128, 256)
MASTER = 768
NAME = "skyloom"

SUN = (0.64, 0.36)
CENTRE = (0.5, 0.5)
DISC_RADIUS = 0.46


def along_flare(t):
    return (SUN[0] + (CENTRE[0] - SUN[0]) * t, SUN[1] + (CENTRE[1] - SUN[1]) * t)


# Shapes in drawing order, in unit coordinates (0..1, y down). Each is an
# ellipse (centre, radii, rotation in degrees) filled with a radial gradient
# whose stops are (offset, "#rrggbb", opacity) from the centre outwards.
# "clip" shapes are clipped to the background disc.
SHAPES = [
    dict(id="space", c=CENTRE, r=(DISC_RADIUS, DISC_RADIUS), rot=0, clip=False,
         stops=[(0.0, "#27358a", 1.0), (0.6, "#111845", 1.0), (1.0, "#05060f", 1.0)]),
    dict(id="nebula", c=(0.40, 0.64), r=(0.34, 0.13), rot=-28, clip=True,
         stops=[(0.0, "#b04ad8", 0.65), (0.5, "#6a3cc0", 0.30), (1.0, "#3020a0", 0.0)]),
    dict(id="nebula2", c=(0.30, 0.70), r=(0.18, 0.08), rot=-40, clip=True,
         stops=[(0.0, "#5aa0ff", 0.45), (1.0, "#2040c0", 0.0)]),
]
STARS = [(0.25, 0.30, 0.014), (0.36, 0.20, 0.010), (0.20, 0.50, 0.011), (0.78, 0.62, 0.012),
         (0.55, 0.80, 0.010), (0.70, 0.75, 0.009), (0.45, 0.42, 0.008), (0.30, 0.82, 0.009),
         (0.83, 0.45, 0.008)]
for i, (x, y, r) in enumerate(STARS):
    SHAPES.append(dict(id="star%d" % i, c=(x, y), r=(r, r), rot=0, clip=True,
                       stops=[(0.0, "#ffffff", 1.0), (0.5, "#ffffff", 0.9), (1.0, "#cfd8ff", 0.0)]))
SHAPES += [
    dict(id="glow", c=SUN, r=(0.26, 0.26), rot=0, clip=True,
         stops=[(0.0, "#ffffff", 0.95), (0.22, "#bcd0ff", 0.55), (1.0, "#5070ff", 0.0)]),
    dict(id="rayh", c=SUN, r=(0.33, 0.016), rot=0, clip=True,
         stops=[(0.0, "#ffffff", 0.95), (1.0, "#a0b8ff", 0.0)]),
    dict(id="rayv", c=SUN, r=(0.016, 0.30), rot=0, clip=True,
         stops=[(0.0, "#ffffff", 0.95), (1.0, "#a0b8ff", 0.0)]),
    dict(id="flare1", c=along_flare(1.45), r=(0.045, 0.045), rot=0, clip=True,
         stops=[(0.0, "#a8c0ff", 0.30), (0.8, "#a8c0ff", 0.45), (1.0, "#a8c0ff", 0.0)]),
    dict(id="flare2", c=along_flare(1.95), r=(0.085, 0.085), rot=0, clip=True,
         stops=[(0.0, "#c090ff", 0.10), (0.85, "#c090ff", 0.30), (1.0, "#c090ff", 0.0)]),
    dict(id="flare3", c=along_flare(0.75), r=(0.022, 0.022), rot=0, clip=True,
         stops=[(0.0, "#ffffff", 0.55), (1.0, "#ffffff", 0.0)]),
    dict(id="core", c=SUN, r=(0.045, 0.045), rot=0, clip=True,
         stops=[(0.0, "#ffffff", 1.0), (0.7, "#ffffff", 1.0), (1.0, "#ffffff", 0.0)]),
]
RIM = dict(width=0.018, colour="#8aa2ff", opacity=0.9)


def hex_rgb(h):
    return tuple(int(h[i:i + 2], 16) / 255.0 for i in (1, 3, 5))


def write_svg(path):
    s = 100.0  # user units of the view box
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 100 100">',
           '  <title>Skyloom</title>', '  <defs>',
           '    <clipPath id="window"><circle cx="%g" cy="%g" r="%g"/></clipPath>'
           % (CENTRE[0] * s, CENTRE[1] * s, DISC_RADIUS * s)]
    for shape in SHAPES:
        # In each shape's own unit frame, so no renderer has to guess a
        # bounding box under a rotation.
        out.append('    <radialGradient id="g-%s" gradientUnits="userSpaceOnUse" cx="0" cy="0" r="1">'
                   % shape["id"])
        for offset, colour, opacity in shape["stops"]:
            out.append('      <stop offset="%g" stop-color="%s" stop-opacity="%g"/>' % (offset, colour, opacity))
        out.append('    </radialGradient>')
    out.append('  </defs>')
    out.append('  <g clip-path="url(#window)">')
    for shape in SHAPES:
        cx, cy = shape["c"][0] * s, shape["c"][1] * s
        rx, ry = shape["r"][0] * s, shape["r"][1] * s
        transform = "translate(%.3f %.3f)" % (cx, cy)
        if shape["rot"]:
            transform += " rotate(%g)" % shape["rot"]
        transform += " scale(%.4f %.4f)" % (rx, ry)
        out.append('    <circle r="1" fill="url(#g-%s)" transform="%s"/>' % (shape["id"], transform))
    out.append('  </g>')
    out.append('  <circle cx="%g" cy="%g" r="%g" fill="none" stroke="%s" stroke-opacity="%g" stroke-width="%g"/>'
               % (CENTRE[0] * s, CENTRE[1] * s, (DISC_RADIUS - RIM["width"] / 2) * s,
                  RIM["colour"], RIM["opacity"], RIM["width"] * s))
    out.append('</svg>')
    with open(path, "w") as f:
        f.write("\n".join(out) + "\n")


def gradient(stops, d):
    """Colour and opacity of a radial gradient at normalised distance d."""
    if d >= 1.0:
        return None
    for (o0, c0, a0), (o1, c1, a1) in zip(stops, stops[1:]):
        if d <= o1:
            t = 0.0 if o1 == o0 else (d - o0) / (o1 - o0)
            rgb0, rgb1 = hex_rgb(c0), hex_rgb(c1)
            return tuple(rgb0[i] + (rgb1[i] - rgb0[i]) * t for i in range(3)), a0 + (a1 - a0) * t
    return None


def prepared_shapes():
    prepared = []
    for shape in SHAPES:
        a = math.radians(shape["rot"])
        prepared.append((shape, math.cos(a), math.sin(a)))
    return prepared


def render_master():
    img = Image.new("RGBA", (MASTER, MASTER))
    px = img.load()
    shapes = prepared_shapes()
    rim_rgb = hex_rgb(RIM["colour"])
    for y in range(MASTER):
        v = (y + 0.5) / MASTER
        for x in range(MASTER):
            u = (x + 0.5) / MASTER
            r_disc = math.hypot(u - CENTRE[0], v - CENTRE[1])
            if r_disc >= DISC_RADIUS:
                continue
            rgb, alpha = [0.0, 0.0, 0.0], 0.0
            for shape, ca, sa in shapes:
                dx, dy = u - shape["c"][0], v - shape["c"][1]
                # Into the ellipse's own frame (SVG rotates clockwise, y down).
                lx, ly = dx * ca + dy * sa, -dx * sa + dy * ca
                if abs(lx) >= shape["r"][0] or abs(ly) >= shape["r"][1]:
                    continue
                g = gradient(shape["stops"], math.hypot(lx / shape["r"][0], ly / shape["r"][1]))
                if g is None:
                    continue
                colour, a = g
                rgb = [colour[i] * a + rgb[i] * (1.0 - a) for i in range(3)]
                alpha = a + alpha * (1.0 - a)
            if DISC_RADIUS - r_disc < RIM["width"]:
                a = RIM["opacity"]
                rgb = [rim_rgb[i] * a + rgb[i] * (1.0 - a) for i in range(3)]
                alpha = a + alpha * (1.0 - a)
            # rgb is premultiplied by alpha already; store straight colour.
            px[x, y] = tuple(int(round(min(1.0, c / alpha) * 255)) for c in rgb) + (int(round(alpha * 255)),)
    return img


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "packaging", "icons", "hicolor")
    scalable = os.path.join(out_dir, "scalable", "apps")
    os.makedirs(scalable, exist_ok=True)
    write_svg(os.path.join(scalable, NAME + ".svg"))
    # Box-filter with premultiplied alpha, so transparent black does not
    # darken the rim.
    master = render_master().convert("RGBa")
    for size in PNG_SIZES:
        folder = os.path.join(out_dir, "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        icon = master.resize((size, size), Image.BOX).convert("RGBA")
        icon.save(os.path.join(folder, NAME + ".png"), "PNG", optimize=True)


if __name__ == "__main__":
    main()
