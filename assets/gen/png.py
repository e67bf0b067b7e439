"""Reproducible PNG output: 8-bit RGB or RGBA, only IHDR, IDAT and IEND chunks."""

import struct
import zlib


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def encode(width, height, pixels, alpha):
    """pixels: bytes of rows top to bottom, 4 (alpha) or 3 bytes per pixel in R, G, B[, A] order."""
    channels = 4 if alpha else 3
    stride = width * channels
    if len(pixels) != stride * height:
        raise ValueError("pixel data does not match %dx%d" % (width, height))
    raw = b"".join(b"\x00" + pixels[y * stride:(y + 1) * stride] for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header) + _chunk(b"IDAT", zlib.compress(raw, 9)) +
            _chunk(b"IEND", b""))


def surface_pixels(surface, alpha, matte=(0, 0, 0)):
    """Straight (not premultiplied) R, G, B[, A] bytes of a cairo ARGB32 image surface.

    Fully transparent pixels take the matte colour, so filtering at the edges blends towards it."""
    surface.flush()
    width, height, stride = surface.get_width(), surface.get_height(), surface.get_stride()
    data = bytes(surface.get_data())
    out = bytearray()
    for y in range(height):
        row = data[y * stride:y * stride + width * 4]
        for x in range(width):
            b, g, r, a = row[4 * x:4 * x + 4]  # little-endian ARGB32
            if not alpha:
                if a != 255:
                    raise ValueError("an RGB picture must be opaque")
                out += bytes((r, g, b))
                continue
            if a == 0:
                out += bytes(matte) + b"\x00"
                continue
            out += bytes((min(255, (c * 255 + a // 2) // a) for c in (r, g, b))) + bytes((a,))
    return bytes(out)


def write_surface(surface, path, alpha, matte=(0, 0, 0)):
    data = encode(surface.get_width(), surface.get_height(), surface_pixels(surface, alpha, matte), alpha)
    write_if_changed(path, data)


def write_if_changed(path, data):
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except FileNotFoundError:
        pass
    with open(path, "wb") as f:
        f.write(data)
