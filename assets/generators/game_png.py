"""Plain PNG files (8-bit RGB or RGBA, IHDR/IDAT/IEND only) written and read without outside libraries."""

import struct
import zlib

from assets.gen import png

_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def encode_png(width, height, pixels, channels):
    """Encodes rows of 8-bit RGB (channels 3) or RGBA (channels 4) samples, top row first."""
    if channels not in (3, 4):
        raise ValueError("only RGB or RGBA pictures are written")
    return png.encode(width, height, pixels, channels == 4)


def write_png(path, width, height, pixels, channels):
    with open(path, "wb") as f:
        f.write(encode_png(width, height, pixels, channels))


def surface_pixels(surface, channels):
    """Straight (not premultiplied) RGB or RGBA bytes of a cairo ARGB32 or RGB24 image surface."""
    surface.flush()
    width, height, stride = surface.get_width(), surface.get_height(), surface.get_stride()
    data = bytes(surface.get_data())
    out = bytearray(width * height * channels)
    o = 0
    for y in range(height):
        row = data[y * stride:y * stride + width * 4]
        # cairo keeps native-endian 32-bit words: B, G, R, A in memory on little-endian machines.
        for i in range(0, width * 4, 4):
            b, g, r, a = row[i], row[i + 1], row[i + 2], row[i + 3]
            if channels == 4:
                if a == 0:
                    r = g = b = 0
                elif a != 255:
                    r = min(255, (r * 255 + a // 2) // a)
                    g = min(255, (g * 255 + a // 2) // a)
                    b = min(255, (b * 255 + a // 2) // a)
                out[o:o + 4] = bytes((r, g, b, a))
                o += 4
            else:
                out[o:o + 3] = bytes((r, g, b))
                o += 3
    return width, height, bytes(out)


def read_chunks(path):
    """List of (kind, data) of a PNG file; raises ValueError on a bad signature or checksum."""
    with open(path, "rb") as f:
        blob = f.read()
    if not blob.startswith(_SIGNATURE):
        raise ValueError("%s: not a PNG file" % path)
    chunks = []
    pos = len(_SIGNATURE)
    while pos < len(blob):
        length, = struct.unpack(">I", blob[pos:pos + 4])
        kind = blob[pos + 4:pos + 8]
        data = blob[pos + 8:pos + 8 + length]
        crc, = struct.unpack(">I", blob[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(kind + data) & 0xFFFFFFFF != crc:
            raise ValueError("%s: bad checksum in %r" % (path, kind))
        chunks.append((kind, data))
        pos += 12 + length
    return chunks


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def read_png(path):
    """(width, height, channels, pixels) of an 8-bit RGB or RGBA PNG file."""
    chunks = read_chunks(path)
    width, height, depth, colour_type, _, _, interlace = struct.unpack(">IIBBBBB", chunks[0][1])
    if depth != 8 or colour_type not in (2, 6) or interlace != 0:
        raise ValueError("%s: not an 8-bit RGB or RGBA picture" % path)
    channels = 3 if colour_type == 2 else 4
    raw = zlib.decompress(b"".join(data for kind, data in chunks if kind == b"IDAT"))
    stride = width * channels
    out = bytearray()
    prev = bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = prev[i]
            corner = prev[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                line[i] = (line[i] + _paeth(left, up, corner)) & 0xFF
            elif kind != 0:
                raise ValueError("%s: unknown row filter %d" % (path, kind))
        out += line
        prev = line
    return width, height, channels, bytes(out)
