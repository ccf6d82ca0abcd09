#!/usr/bin/env python3
"""Draws the dialogs' 32 x 32 bitmaps (24-bit BMP): VX_Error, a red disc with
a white cross, and VX_Send, a letter with a green arrow. The top-left pixel's
colour (magenta) is the transparent colour the dialogs draw them with.
Run from this folder; the .bmp files are committed beside it."""
import struct

SIZE = 32
CLEAR = (255, 0, 255)


def write_bmp(name, pixel):
    rows = []
    for y in range(SIZE - 1, -1, -1):  # bottom-up
        row = b"".join(bytes((b, g, r)) for (r, g, b) in (pixel(x, y) for x in range(SIZE)))
        rows.append(row)
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(name, "wb") as f:
        f.write(header + info + data)


def error_pixel(x, y):
    cx = cy = 15.5
    d2 = (x - cx) ** 2 + (y - cy) ** 2
    if d2 > 15.5 ** 2:
        return CLEAR
    if d2 > 14 ** 2:
        return (128, 0, 0)
    on_cross = abs((x - cx) - (y - cy)) < 2.2 or abs((x - cx) + (y - cy)) < 2.2
    if on_cross and abs(x - cx) < 8.5 and abs(y - cy) < 8.5:
        return (255, 255, 255)
    return (220, 30, 30)


def send_pixel(x, y):
    if 3 <= x <= 24 and 8 <= y <= 23:
        if x in (3, 24) or y in (8, 23) or abs((x - 3) - (y - 8)) < 1 or abs((24 - x) - (y - 8)) < 1:
            if y <= 8 + 10.5:
                return (60, 60, 60)
        if x in (3, 24) or y in (8, 23):
            return (60, 60, 60)
        return (250, 250, 235)
    if 16 <= x <= 24 and 23 <= y <= 25:  # the arrow's shaft
        return (20, 150, 40)
    if 24 <= x <= 31 and abs(y - 24) <= 31 - x:  # its head
        return (20, 150, 40)
    return CLEAR


write_bmp("vx_error.bmp", error_pixel)
write_bmp("vx_send.bmp", send_pixel)
