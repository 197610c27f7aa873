#!/usr/bin/env python3
"""Draws the program's pictures and its chime into assets/.

Standard library only; every byte of the BMP, ICO and WAV files is written here.
Run it from anywhere: python3 tools/gen-assets.py
"""

import math
import os
import struct

ASSETS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets")
MAGENTA = (255, 0, 255)


# ---------------------------------------------------------------- shapes

def in_ellipse(u, v, cx, cy, rx, ry):
    return ((u - cx) / rx) ** 2 + ((v - cy) / ry) ** 2 <= 1.0


def in_triangle(u, v, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (v - p[1]) - (q[1] - p[1]) * (u - p[0])
    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


def in_bubble(u, v, grow=0.0):
    """A speech bubble in the unit square; grow < 0 shrinks it (for the outline)."""
    if in_ellipse(u, v, 0.5, 0.42, 0.47 + grow, 0.37 + grow):
        return True
    tail = ((0.20, 0.62), (0.44, 0.74), (0.10 - grow, 0.97 + grow))
    if grow < 0:
        tail = ((0.23, 0.64), (0.40, 0.72), (0.14, 0.90))
    return in_triangle(u, v, *tail)


def dots(u, v):
    return any(in_ellipse(u, v, x, 0.42, 0.075, 0.075) for x in (0.28, 0.5, 0.72))


def arrow(u, v):
    shaft = 0.24 <= u <= 0.56 and 0.35 <= v <= 0.49
    return shaft or in_triangle(u, v, (0.52, 0.20), (0.52, 0.64), (0.80, 0.42))


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def bubble_sample(u, v, size, fill, outline, mark):
    """Colour (r, g, b) of one sample, or None outside the bubble."""
    if not in_bubble(u, v):
        return None
    if not in_bubble(u, v, grow=-1.3 / size):
        return outline
    if mark(u, v):
        return (255, 255, 255)
    # Lighter at the top, as if lit from above.
    return mix(mix(fill, (255, 255, 255), 0.45), fill, min(1.0, v / 0.7))


def draw_icon(size, fill, outline, mark):
    """Rows of (r, g, b, a), top row first, drawn at 4 x 4 samples per pixel."""
    n = 4
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(n):
                for sx in range(n):
                    c = bubble_sample((x + (sx + 0.5) / n) / size, (y + (sy + 0.5) / n) / size,
                                      size, fill, outline, mark)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            if hits:
                row.append(tuple(a // hits for a in acc) + (255 * hits // (n * n),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


# ---------------------------------------------------------------- files

def bmp24(rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + bytes(pixels)


def ico(images):
    """images: rows of (r, g, b, a) per size; 32-bit pictures with their AND masks."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for rows in images:
        size = len(rows)
        xor = bytearray()
        for row in reversed(rows):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask),
                           0, 0, 0, 0)
        blob = info + bytes(xor) + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob),
                                   offset))
        offset += len(blob)
        blobs.append(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def wav16(samples, rate):
    data = b"".join(struct.pack("<h", max(-32767, min(32767, int(s * 32767)))) for s in samples)
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + \
        b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


# ---------------------------------------------------------------- the assets

def splash():
    """298 x 102, rounded corners keyed out in magenta, a bubble at the left."""
    w, h, radius = 298, 102, 11
    top, bottom = (252, 253, 255), (196, 220, 247)
    border = (74, 124, 190)
    logo_fill, logo_outline = (0, 128, 255), (0, 73, 147)
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            # Outside the rounded rectangle: the colour key, with no blending at the edge.
            cx = min(max(x, radius), w - 1 - radius)
            cy = min(max(y, radius), h - 1 - radius)
            d = math.hypot(x - cx, y - cy)
            if d > radius:
                row.append(MAGENTA)
                continue
            c = mix(top, bottom, y / (h - 1))
            # A soft diagonal shine across the upper half.
            shine = max(0.0, 1.0 - abs((x * 0.35 + y) - 40) / 26.0) * 0.35
            c = mix(c, (255, 255, 255), shine)
            if d > radius - 1.5 or x in (0, w - 1) or y in (0, h - 1):
                c = border
            # The logo: a bubble of 60 x 60 at (14, 20), drawn at 3 x 3 samples per pixel.
            lx, ly, ls = 14, 20, 60
            if lx <= x < lx + ls and ly <= y < ly + ls:
                acc, hits = [0, 0, 0], 0
                for sy in range(3):
                    for sx in range(3):
                        s = bubble_sample((x - lx + (sx + 0.5) / 3) / ls,
                                          (y - ly + (sy + 0.5) / 3) / ls,
                                          ls / 1.6, logo_fill, logo_outline, dots)
                        if s is not None:
                            hits += 1
                            acc = [a + b for a, b in zip(acc, s)]
                if hits:
                    logo = tuple(a // hits for a in acc)
                    c = mix(c, logo, hits / 9)
            row.append(c)
        rows.append(row)
    for x, y in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)):
        assert rows[y][x] == MAGENTA
    return bmp24(rows)


def icon(fill, outline, mark):
    return ico([draw_icon(16, fill, outline, mark), draw_icon(32, fill, outline, mark)])


def chime():
    """A two-note bell, 16-bit mono at 22050 Hz, about 0.8 s."""
    rate = 22050
    length = int(rate * 0.8)
    notes = ((0.00, 880.0, 0.42), (0.13, 1318.5, 0.36))  # start, pitch, loudness
    out = []
    for i in range(length):
        t = i / rate
        s = 0.0
        for start, freq, amp in notes:
            if t < start:
                continue
            tt = t - start
            env = min(1.0, tt / 0.004) * math.exp(-tt * 5.5)
            s += amp * env * (math.sin(2 * math.pi * freq * tt) +
                              0.28 * math.sin(2 * math.pi * 2.76 * freq * tt) * math.exp(-tt * 9))
        fade = min(1.0, (length - i) / (rate * 0.05))
        out.append(s * fade)
    return wav16(out, rate)


def main():
    os.makedirs(ASSETS, exist_ok=True)
    files = {
        "splash.bmp": splash(),
        "tray.ico": icon((0, 128, 255), (0, 73, 147), dots),
        "Active.ico": icon((46, 170, 70), (20, 100, 36), dots),
        "deActive.ico": icon((150, 150, 150), (88, 88, 88), dots),
        "Sending.ico": icon((240, 140, 20), (160, 80, 0), arrow),
        "Msg.wav": chime(),
    }
    for name, data in files.items():
        with open(os.path.join(ASSETS, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
