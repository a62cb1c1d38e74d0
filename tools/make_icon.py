#!/usr/bin/env python3
"""Builds the launcher's icon from its committed pixel source.

Usage: make_icon.py SOURCE.txt OUTPUT.ico
The icon group holds 48, 32, 24 and 16 pixel images, each at 4, 8 and 32 bits per pixel, and the
sizes Windows asks for on scaled screens (20 and 40 at 125 %, 64 at 200 %; 150 % takes 24 and 48)
at 32 bits per pixel: each scale then finds an image of its own size instead of a stretched one.
"""
import struct
import sys

SIZES = (48, 32, 24, 16)
DEPTHS = (4, 8, 32)
SCALED_SIZES = (64, 40, 20)

# The standard 16-colour palette, for the 4-bit images.
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
         (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
         (0, 255, 255), (255, 255, 255)]


def read_source(path):
    palette, rows = {}, []
    for line in open(path, encoding="ascii"):
        line = line.rstrip("\n")
        if not line or line.startswith("#"):
            continue
        if line.startswith("palette "):
            _, ch, rgba = line.split()
            palette[ch] = tuple(int(rgba[i:i + 2], 16) for i in (0, 2, 4, 6))
        else:
            rows.append([palette[c] for c in line])
    if not rows or any(len(r) != len(rows) for r in rows):
        sys.exit("make_icon: the pixel source must be square")
    return rows


def scale(src, size):
    """Area-averages the square source down to size x size, with premultiplied alpha."""
    n = len(src)
    out = []
    for y in range(size):
        row = []
        y0, y1 = y * n / size, (y + 1) * n / size
        for x in range(size):
            x0, x1 = x * n / size, (x + 1) * n / size
            acc = [0.0, 0.0, 0.0, 0.0]
            area = 0.0
            for sy in range(int(y0), min(n, int(y1 + 0.999))):
                wy = min(y1, sy + 1) - max(y0, sy)
                for sx in range(int(x0), min(n, int(x1 + 0.999))):
                    w = wy * (min(x1, sx + 1) - max(x0, sx))
                    r, g, b, a = src[sy][sx]
                    acc[0] += r * a * w
                    acc[1] += g * a * w
                    acc[2] += b * a * w
                    acc[3] += a * w
                    area += w
            a = acc[3] / area
            rgb = tuple(int(round(c / acc[3])) if acc[3] else 0 for c in acc[:3])
            row.append(rgb + (int(round(a)),))
        out.append(row)
    return out


def palette8(images):
    """Every opaque colour the images use, then a colour cube to fill 256 entries."""
    colours = []
    for img in images:
        for row in img:
            for r, g, b, a in row:
                if a >= 128 and (r, g, b) not in colours and len(colours) < 40:
                    colours.append((r, g, b))
    cube = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    pal = [(0, 0, 0)] + colours + cube
    return (pal + [(0, 0, 0)] * 256)[:256]


def nearest(pal, rgb):
    return min(range(len(pal)), key=lambda i: sum((p - c) ** 2 for p, c in zip(pal[i], rgb)))


def mask_rows(img):
    size = len(img)
    stride = ((size + 31) // 32) * 4
    data = b""
    for row in reversed(img):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        data += bytes(bits)
    return data


def encode(img, depth, pal8):
    size = len(img)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, depth, 0, 0, 0, 0, 0, 0)
    if depth == 32:
        pixels = b"".join(bytes((b, g, r, a)) for row in reversed(img) for r, g, b, a in row)
        return header + pixels + mask_rows(img)
    pal = VGA16 if depth == 4 else pal8
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in pal)
    stride = ((size * depth + 31) // 32) * 4
    pixels = b""
    for row in reversed(img):
        idx = [0 if a < 128 else nearest(pal, (r, g, b)) for r, g, b, a in row]
        line = bytearray(stride)
        for x, i in enumerate(idx):
            if depth == 8:
                line[x] = i
            else:
                line[x // 2] |= i << (4 if x % 2 == 0 else 0)
        pixels += bytes(line)
    return header + table + pixels + mask_rows(img)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    src = read_source(sys.argv[1])
    images = {s: scale(src, s) for s in SIZES}
    pal8 = palette8(images.values())
    entries = [(s, d, encode(images[s], d, pal8)) for s in SIZES for d in DEPTHS]
    entries += [(s, 32, encode(scale(src, s), 32, pal8)) for s in SCALED_SIZES]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for s, d, blob in entries:
        colours = 16 if d == 4 else 0
        out += struct.pack("<BBBBHHII", s, s, colours, 0, 1, d, len(blob), offset)
        offset += len(blob)
    out += b"".join(blob for _, _, blob in entries)
    with open(sys.argv[2], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
