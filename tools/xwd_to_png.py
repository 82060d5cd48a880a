#!/usr/bin/env python3
"""Converts an X window dump (xwd, 24/32-bit TrueColor, ZPixmap) to PNG.

Standard library only. Usage: xwd_to_png.py IN.xwd OUT.png [x y width height]
"""
import struct
import sys
import zlib


def read_xwd(data):
    fields = struct.unpack(">25I", data[:100])
    header_size = fields[0]
    pixmap_format, depth, width, height = fields[2], fields[3], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14], fields[15], fields[16]
    ncolors = fields[19]
    if pixmap_format != 2 or bits_per_pixel not in (24, 32) or depth < 24:
        raise SystemExit("xwd_to_png: only 24/32-bit ZPixmap dumps are supported")

    offset = header_size + ncolors * 12
    pixels = data[offset:offset + bytes_per_line * height]
    step = bits_per_pixel // 8
    endian = "<" if byte_order == 0 else ">"
    fmt = endian + ("I" if step == 4 else "")

    def shift_of(mask):
        return (mask & -mask).bit_length() - 1

    rs, gs, bs = shift_of(red_mask), shift_of(green_mask), shift_of(blue_mask)
    rows = []
    for y in range(height):
        line = pixels[y * bytes_per_line:(y + 1) * bytes_per_line]
        row = bytearray()
        for x in range(width):
            chunk = line[x * step:(x + 1) * step]
            if step == 4:
                value = struct.unpack(fmt, chunk)[0]
            else:
                value = int.from_bytes(chunk, "little" if byte_order == 0 else "big")
            row += bytes(((value & red_mask) >> rs, (value & green_mask) >> gs, (value & blue_mask) >> bs))
        rows.append(bytes(row))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(tag, body):
        return struct.pack(">I", len(body)) + tag + body + struct.pack(">I", zlib.crc32(tag + body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + row for row in rows)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


def main():
    if len(sys.argv) not in (3, 7):
        raise SystemExit(__doc__)
    with open(sys.argv[1], "rb") as f:
        width, height, rows = read_xwd(f.read())
    if len(sys.argv) == 7:
        x, y, w, h = (int(v) for v in sys.argv[3:7])
        x, y = max(0, x), max(0, y)
        w, h = min(w, width - x), min(h, height - y)
        rows = [row[x * 3:(x + w) * 3] for row in rows[y:y + h]]
        width, height = w, h
    write_png(sys.argv[2], width, height, rows)


if __name__ == "__main__":
    main()
