#!/usr/bin/env python3
"""The engine's own pictures, drawn from a few parameters: the program icon, the
wizard's side picture and banner, and the four button images.

    make_art.py OUT_DIR

writes keldwick.ico, side.bmp (212x424), banner.bmp (600x64) and ok.bmp,
cancel.bmp, browse.bmp, retry.bmp (64x64, 32 bits with premultiplied alpha).
Standard library only; the output is the same byte for byte on every run."""
import math
import os
import struct
import sys

# The parameters: two brand colours and the light tone they fade into.
DEEP = (22, 58, 110)
ACCENT = (38, 150, 190)
LIGHT = (240, 246, 250)
OK_GREEN = (40, 150, 70)
CANCEL_RED = (196, 48, 48)
FOLDER_GOLD = (222, 170, 50)
RETRY_BLUE = (40, 110, 200)
SAMPLES = 4  # per axis: edges are smoothed by 4 x 4 supersampling


def mix(a, b, t):
    t = min(1.0, max(0.0, t))
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def bmp24(width, height, pixel):
    """A bottom-up 24-bit BMP file; pixel(x, y) gives (r, g, b), y from the top."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + data


def coverage(size, inside):
    """Per pixel, the share of samples for which inside(x, y) holds (0..1);
    coordinates are in units of the picture's size (0..1)."""
    cells = []
    for py in range(size):
        row = []
        for px in range(size):
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    if inside((px + (sx + 0.5) / SAMPLES) / size, (py + (sy + 0.5) / SAMPLES) / size):
                        hits += 1
            row.append(hits / (SAMPLES * SAMPLES))
        cells.append(row)
    return cells


def bgra_rows(size, layers):
    """Bottom-up premultiplied BGRA rows of layers [(coverage, colour)] painted
    in order over a transparent ground."""
    rows = []
    for y in range(size - 1, -1, -1):
        row = bytearray()
        for x in range(size):
            r = g = b = a = 0.0
            for cells, colour in layers:
                c = cells[y][x]
                r, g, b = (colour[0] * c + r * (1 - c), colour[1] * c + g * (1 - c), colour[2] * c + b * (1 - c))
                a = c + a * (1 - c)
            # Stored premultiplied: AlphaBlend and the button image lists expect it.
            row += bytes((round(b * a), round(g * a), round(r * a), round(a * 255)))
        rows.append(bytes(row))
    return rows


def bmp32(size, layers):
    data = b"".join(bgra_rows(size, layers))
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 32, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + data


def near_segment(x, y, ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - ax - t * dx, y - ay - t * dy) <= width / 2


def rounded_box(x, y, x0, y0, x1, y1, radius):
    cx, cy = min(max(x, x0 + radius), x1 - radius), min(max(y, y0 + radius), y1 - radius)
    return x0 <= x <= x1 and y0 <= y <= y1 and math.hypot(x - cx, y - cy) <= radius


def disc(x, y):
    return math.hypot(x - 0.5, y - 0.5) <= 0.46


def button_image(kind):
    size = 64
    white = (255, 255, 255)
    if kind == "ok":
        mark = coverage(size, lambda x, y: near_segment(x, y, 0.27, 0.52, 0.43, 0.68, 0.12) or
                        near_segment(x, y, 0.43, 0.68, 0.74, 0.33, 0.12))
        return bmp32(size, [(coverage(size, disc), OK_GREEN), (mark, white)])
    if kind == "cancel":
        mark = coverage(size, lambda x, y: near_segment(x, y, 0.32, 0.32, 0.68, 0.68, 0.12) or
                        near_segment(x, y, 0.68, 0.32, 0.32, 0.68, 0.12))
        return bmp32(size, [(coverage(size, disc), CANCEL_RED), (mark, white)])
    if kind == "browse":
        back = coverage(size, lambda x, y: rounded_box(x, y, 0.08, 0.2, 0.5, 0.4, 0.05) or
                        rounded_box(x, y, 0.08, 0.3, 0.92, 0.84, 0.05))
        front = coverage(size, lambda x, y: rounded_box(x, y, 0.08, 0.42, 0.92, 0.84, 0.05))
        return bmp32(size, [(back, mix(FOLDER_GOLD, (0, 0, 0), 0.2)), (front, FOLDER_GOLD)])
    if kind == "retry":
        def arc(x, y):
            r = math.hypot(x - 0.5, y - 0.5)
            angle = math.degrees(math.atan2(y - 0.5, x - 0.5)) % 360
            return 0.24 <= r <= 0.36 and not 300 <= angle <= 360
        def head(x, y):  # the arrow head at the open end of the ring, pointing down
            return y >= 0.42 and y <= 0.62 and abs(x - 0.8) <= (0.62 - y) * 0.9
        return bmp32(size, [(coverage(size, lambda x, y: arc(x, y) or head(x, y)), RETRY_BLUE)])
    raise ValueError(kind)


def side_picture():
    width, height = 212, 424
    def pixel(x, y):
        base = mix(DEEP, ACCENT, y / height)
        # Three soft rings near the bottom, the engine's mark.
        for cx, cy, r in ((150, 330, 90), (60, 380, 60), (180, 410, 40)):
            d = abs(math.hypot(x - cx, y - cy) - r)
            if d < 6:
                base = mix(base, LIGHT, 0.35 * (1 - d / 6))
        return base
    return bmp24(width, height, pixel)


def banner():
    width, height = 600, 64
    def pixel(x, y):
        colour = mix(LIGHT, ACCENT, max(0.0, (x - 380) / 220))
        d = abs(math.hypot(x - 560, y - 32) - 22)
        if d < 4:
            colour = mix(colour, DEEP, 1 - d / 4)
        return colour
    return bmp24(width, height, pixel)


def icon():
    """keldwick.ico: 16, 32 and 48 pixel pictures, 32 bits with an AND mask."""
    images = []
    for size in (16, 32, 48):
        box = coverage(size, lambda x, y: rounded_box(x, y, 0.08, 0.3, 0.92, 0.92, 0.08))
        arrow = coverage(size, lambda x, y: abs(x - 0.5) <= 0.09 and 0.05 <= y <= 0.5 or
                         (0.38 <= y <= 0.62 and abs(x - 0.5) <= (0.62 - y) * 1.1))
        rows = bgra_rows(size, [(box, DEEP), (arrow, ACCENT)])
        # Icons take straight (not premultiplied) alpha: undo it.
        straight = []
        for row in rows:
            out = bytearray(row)
            for i in range(0, len(out), 4):
                a = out[i + 3]
                for k in range(3):
                    out[i + k] = min(255, round(out[i + k] * 255 / a)) if a else 0
            straight.append(bytes(out))
        mask_stride = ((size + 31) // 32) * 4
        mask = b"\0" * (mask_stride * size)  # alpha decides; the mask stays clear
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        images.append((size, info + b"".join(straight) + mask))
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, data in images:
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return head + entries + b"".join(data for _, data in images)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    files = {"keldwick.ico": icon(), "side.bmp": side_picture(), "banner.bmp": banner()}
    for kind in ("ok", "cancel", "browse", "retry"):
        files[kind + ".bmp"] = button_image(kind)
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
