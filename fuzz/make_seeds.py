#!/usr/bin/python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Deterministic: running it again without changes gives the same files. The
JPEG seeds are drawn with PIL (python3-pil); everything else is plain bytes.
Usage: fuzz/make_seeds.py [output folder, default fuzz/corpus]
"""

import io
import os
import struct
import sys

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def write(folder, name, data):
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def settings_seed(name_index, text, file_bytes):
    return bytes([name_index, len(text)]) + text + file_bytes


DEFAULT_FILE = (
    "# Skyloom settings: one Name=value per line. Edit with \"skyloom /c\".\n"
    "ShowSupernovae=1\nShowRedGiants=1\nShowLensFlare=1\nLowDetail=0\n"
    "FactorCameraFov=0.82\nFactorCameraSpeed=0.12\nFactorNumStars=0.125\n"
    "SunColorEnum=3\nCustomNebulaColor=6684672\nCameraRotateEnum=3\nUCA=0\nSeed=0\n"
    "MusicFilename=\nAppDir=\nCurrentLanguage=english\n"
).encode()


def settings_seeds(folder):
    write(folder, "defaults", settings_seed(1, b"german", DEFAULT_FILE))
    write(folder, "crlf-duplicates", settings_seed(
        0, b"0.5", b"; comment\r\nfactorcamerafov = 0.25 \r\nFactorCameraFov=0.9\r\n  UCA\t=\t0x7fffffff\r\n"
                   b"=no name\r\nno equals sign\r\nSeed=-2147483648\r\n"))
    write(folder, "escapes", settings_seed(
        2, b"C:\\music\nlist\t.m3u", b"MusicFilename=\\\\server\\n\\r\\t\\q\\\nCurrentLanguage=" + b"\xc3\xa9" * 260
        + b"\nFactorNumStars=1e-45\nFactorNumSuns=nan\nCustomSunColor=0xFFFFFFFF\n"))
    write(folder, "binary", settings_seed(3, b"", b"UCA=1\n\x00Seed=2\n"))
    write(folder, "no-newline", settings_seed(5, b"-1", b"Seed=7"))
    # What fuzzing found: a line without a name next to one without "=",
    # and a value followed by more than one CR.
    write(folder, "empty-name", settings_seed(3, b"4", b"=nameless\nno equals\nUCA=1\n"))
    write(folder, "cr-debris", settings_seed(0, b"1", b"UCA=\t0x7fffffff\r\r\nSeed=2\r\r\r\n"))


LONG_VALUE = ("x" * 997 + "\u00e9\u00e9").encode()  # the second e-acute straddles the 999-byte cut


def language_seeds(folder):
    with open(os.path.join(ROOT, "data", "text_english.ini"), "rb") as english:
        write(folder, "english", english.read())
    write(folder, "rules", (
        "\ufeff[text]\r\nT_SUNS = \"  Suns  \"\r\nt_suns=second\r\n[Other]\r\nT_STARS=not here\r\n"
        "[TEXT]\r\nT_STARS='Stars'\r\nT_NEBULAE=\"unbalanced'\r\n  T_MUSIC=indented ; not a comment\r\n"
        "T_PLAYLIST\r\n=empty key\r\nT_NONE=\r\n"
    ).encode("utf-8"))
    write(folder, "long-text", b"[Text]\nT_ABOUTPLAYLISTS1=" + LONG_VALUE + b"\nT_LANGUAGE=Sprache\n")
    write(folder, "windows1252-gaps", "[Text]\nT_PRESENTS=\u20ac \u0081 \u4e2d \xff\nT_VERSION=\x7f\n".encode("utf-8")
          + b"T_CHOOSE=\xc3(\xe2\x82\n")


def jpeg_bytes(image, **options):
    out = io.BytesIO()
    image.save(out, "JPEG", **options)
    return out.getvalue()


def gradient(mode, width, height):
    image = Image.new("RGB", (width, height))
    image.putdata([((x * 255) // max(1, width - 1), (y * 255) // max(1, height - 1), (x * y) % 256)
                   for y in range(height) for x in range(width)])
    return image.convert(mode)


def jpeg_seeds(folder):
    write(folder, "rgb-8x8", jpeg_bytes(gradient("RGB", 8, 8), quality=75))
    write(folder, "rgb-444-13x7", jpeg_bytes(gradient("RGB", 13, 7), quality=90, subsampling=0))
    write(folder, "rgb-420-17x9", jpeg_bytes(gradient("RGB", 17, 9), quality=50, subsampling=2))
    write(folder, "grey-5x3", jpeg_bytes(gradient("L", 5, 3), quality=80))
    write(folder, "progressive-16x16", jpeg_bytes(gradient("RGB", 16, 16), quality=70, progressive=True))
    write(folder, "cmyk-6x6", jpeg_bytes(gradient("CMYK", 6, 6), quality=70))
    whole = jpeg_bytes(gradient("RGB", 24, 24), quality=60)
    write(folder, "cut-off", whole[: len(whole) * 2 // 3])


def tga_bytes(width, height, bits, pixels, descriptor=0, id_bytes=b""):
    header = struct.pack("<BBBHHBHHHHBB", len(id_bytes), 0, 2, 0, 0, 0, 0, 0, width, height, bits, descriptor)
    return header + id_bytes + pixels


def tga_seeds(folder):
    write(folder, "bgr-3x2", tga_bytes(3, 2, 24, bytes(range(18))))
    write(folder, "bgra-2x2-top-left", tga_bytes(2, 2, 32, bytes(range(200, 216)), descriptor=0x28))
    write(folder, "short-pixels", tga_bytes(4, 4, 24, bytes(20)))
    write(folder, "with-id", tga_bytes(1, 1, 24, b"\x01\x02\x03", id_bytes=b"skyloom"))
    write(folder, "sixteen-bit", tga_bytes(2, 1, 16, b"\x00\x7c\xe0\x03"))


def command_line_seeds(folder):
    for name, args in [
        ("full-screen", ["/s"]),
        ("preview", ["/p", "0x1a00003"]),
        ("preview-colon", ["-P:4194307", "-fps"]),
        ("configure-owner", ["/c:99"]),
        ("password", ["/a", "12"]),
        ("xscreensaver-root", ["-root", "-window-id", "123", "--fps"]),
        ("xscreensaver-ignored", ["-install", "-visual", "default", "-delay", "5", "-mono", "-root"]),
        ("desktop-window", ["-window"]),
        ("mixed", ["/s", "-root"]),
        ("help", ["--help"]),
        ("empty-argument", ["", "/s"]),
    ]:
        write(folder, name, b"\0".join(arg.encode() for arg in args))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "corpus")
    settings_seeds(os.path.join(out, "settings_file"))
    language_seeds(os.path.join(out, "language_file"))
    jpeg_seeds(os.path.join(out, "jpeg_decode"))
    tga_seeds(os.path.join(out, "tga_decode"))
    command_line_seeds(os.path.join(out, "command_line"))


if __name__ == "__main__":
    main()
