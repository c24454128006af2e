#!/usr/bin/env python3
"""Writes the canvas's built-in pictures: the checker tile drawn behind
transparent areas and the looping "please wait" spinner shown while a cut-out
is on its way. The outputs are committed; run this again only to change them:

    python3 canvas/resources/make_images.py canvas/resources

Standard library only, so it runs on any machine with Python 3.
"""

import math
import struct
import sys
import zlib
from pathlib import Path

CHECKER_SIZE = 16
CHECKER_SQUARE = 8
CHECKER_GREY = (0xCC, 0xCC, 0xCC)
CHECKER_WHITE = (0xFF, 0xFF, 0xFF)

SPINNER_SIZE = 128
SPINNER_FRAMES = 12
SPINNER_DELAY_CS = 5  # hundredths of a second per frame
PLATE_RADIUS = 58.0
RIM_WIDTH = 2.0
ORBIT_RADIUS = 38.0
DOT_RADIUS = 8.0
ACCENT = (0x3B, 0x82, 0xF6)
RIM_SHADE = 0.25  # rim colour as a share of the accent over white
FAINTEST_DOT = 0.15
SUPERSAMPLE = 4


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def checker_png():
    rows = bytearray()
    for y in range(CHECKER_SIZE):
        rows.append(0)  # filter type None
        for x in range(CHECKER_SIZE):
            same_half = (x < CHECKER_SQUARE) == (y < CHECKER_SQUARE)
            rows.extend((CHECKER_GREY if same_half else CHECKER_WHITE) + (0xFF,))
    header = struct.pack(">IIBBBBB", CHECKER_SIZE, CHECKER_SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header)
            + png_chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + png_chunk(b"IEND", b""))


def palette():
    """Index 0 is transparent; 1..255 run from white to the accent colour, so
    anti-aliased edges over the white plate need no other colours."""
    colours = [(0xFF, 0xFF, 0xFF)]
    for i in range(1, 256):
        t = (i - 1) / 254.0
        colours.append(tuple(round(255 + (a - 255) * t) for a in ACCENT))
    return colours


def dot_strength(frame, dot):
    age = (frame - dot) % SPINNER_FRAMES
    return max(FAINTEST_DOT, 1.0 - age / 8.0)


def accent_share(frame, px, py, centre):
    """How much accent colour a sub-sample at (px, py) carries, or None
    outside the plate."""
    dx, dy = px - centre, py - centre
    distance = math.hypot(dx, dy)
    if distance > PLATE_RADIUS:
        return None
    share = RIM_SHADE if distance > PLATE_RADIUS - RIM_WIDTH else 0.0
    for dot in range(SPINNER_FRAMES):
        angle = -math.pi / 2 + dot * 2 * math.pi / SPINNER_FRAMES
        cx = centre + ORBIT_RADIUS * math.cos(angle)
        cy = centre + ORBIT_RADIUS * math.sin(angle)
        if math.hypot(px - cx, py - cy) <= DOT_RADIUS:
            share = max(share, dot_strength(frame, dot))
    return share


def spinner_frame(frame):
    centre = SPINNER_SIZE / 2.0
    pixels = bytearray()
    step = 1.0 / SUPERSAMPLE
    for y in range(SPINNER_SIZE):
        for x in range(SPINNER_SIZE):
            shares = []
            outside = 0
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    s = accent_share(frame, x + (sx + 0.5) * step, y + (sy + 0.5) * step, centre)
                    if s is None:
                        outside += 1
                    else:
                        shares.append(s)
            if outside * 2 > SUPERSAMPLE * SUPERSAMPLE:
                pixels.append(0)
            else:
                t = sum(shares) / len(shares)
                pixels.append(1 + round(t * 254))
    return bytes(pixels)


def lzw_codes(indices):
    """GIF LZW with 8-bit symbols: yields (code, bit width) pairs."""
    clear, end = 256, 257
    width = 9
    table = {}
    next_code = end + 1
    yield clear, width
    current = None
    for symbol in indices:
        if current is None:
            current = symbol
            continue
        key = (current, symbol)
        if key in table:
            current = table[key]
            continue
        yield current, width
        table[key] = next_code
        next_code += 1
        if next_code > (1 << width) and width < 12:
            width += 1
        if next_code == 4096:
            yield clear, width
            table.clear()
            next_code = end + 1
            width = 9
        current = symbol
    if current is not None:
        yield current, width
    yield end, width


def pack_codes(codes):
    out = bytearray()
    bits = 0
    count = 0
    for code, width in codes:
        bits |= code << count
        count += width
        while count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            count -= 8
    if count:
        out.append(bits & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out.extend(chunk)
    out.append(0)
    return bytes(out)


def spinner_gif():
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", SPINNER_SIZE, SPINNER_SIZE, 0xF7, 0, 0)
    for colour in palette():
        out += bytes(colour)
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"  # loop for ever
    for frame in range(SPINNER_FRAMES):
        # Graphic control: restore to background, transparent index 0.
        out += b"\x21\xF9\x04\x09" + struct.pack("<H", SPINNER_DELAY_CS) + b"\x00\x00"
        out += b"\x2C" + struct.pack("<HHHHB", 0, 0, SPINNER_SIZE, SPINNER_SIZE, 0)
        out += b"\x08" + sub_blocks(pack_codes(lzw_codes(spinner_frame(frame))))
    out += b"\x3B"
    return bytes(out)


def main():
    target = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent)
    (target / "checker.png").write_bytes(checker_png())
    (target / "loading.gif").write_bytes(spinner_gif())


if __name__ == "__main__":
    main()
