#!/usr/bin/python3
"""Font atlas "JPG" 142: the 256 Windows-1252 glyphs of the on-screen font.

256x256 RGB baseline JPEG, 16x16 cells of 16x16 pixels, character code k in
column k % 16 and row k // 16 counted from the top. White glyphs on black;
codes without a glyph (controls and the five unassigned Windows-1252 codes)
get an empty box outline, so a stray byte shows up instead of vanishing.

Text is drawn with an advance of 8 pixels and 16-pixel-wide quads centred on
each advance slot, so every glyph is centred in its cell and no wider than
about 8 pixels: DejaVu Sans Mono Bold at 13 pixels has an advance of 7.8.

Usage: make_font_atlas.py [OUTPUT]   (default config/images/font_142.jpg)
"""
import os
import sys

from PIL import Image, ImageDraw, ImageFont

FONT_PATH = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"
FONT_PIXELS = 13
CELL = 16
# Baseline of the glyphs inside a cell, in pixels from the cell's top. The
# saver centres a text line on its y, so the cell centre should sit at about
# the middle of the lower-case letters.
BASELINE = 12


def glyph_for(code):
    """The character drawn for byte `code`, or None for an empty box."""
    if code < 0x20 or code == 0x7F:
        return None
    try:
        ch = bytes([code]).decode("cp1252")
    except UnicodeDecodeError:
        return None  # 0x81, 0x8D, 0x8F, 0x90, 0x9D have no character
    if ch == "\u00ad":
        return "-"  # the soft hyphen shows as a hyphen, as Windows draws it
    return ch


def draw_box(draw, x0, y0):
    # About the size of a capital letter, so it reads as "missing glyph".
    draw.rectangle([x0 + 4, y0 + 3, x0 + 11, y0 + 12], outline=(255, 255, 255))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "config", "images", "font_142.jpg")
    font = ImageFont.truetype(FONT_PATH, FONT_PIXELS)
    atlas = Image.new("RGB", (16 * CELL, 16 * CELL), (0, 0, 0))
    draw = ImageDraw.Draw(atlas)
    for code in range(256):
        x0 = (code % 16) * CELL
        y0 = (code // 16) * CELL
        ch = glyph_for(code)
        if ch is None:
            draw_box(draw, x0, y0)
            continue
        if ch.isspace():
            continue
        advance = font.getlength(ch)
        # Centre the advance box in the cell; anchor "ls" puts the baseline at y.
        x = x0 + (CELL - advance) / 2.0
        draw.text((x, y0 + BASELINE), ch, font=font, fill=(255, 255, 255), anchor="ls")
    atlas.save(out, "JPEG", quality=95, subsampling=0, optimize=False, progressive=False)


if __name__ == "__main__":
    main()
