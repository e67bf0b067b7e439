"""Reproducible PNG files: 8-bit RGB or RGBA, only IHDR, IDAT and IEND chunks, written and read back without
outside libraries."""

import struct
import zlib


_SIGNATURE = b"\x89PNG\r\n\x1a\n"


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
    return (_SIGNATURE + _chunk(b"IHDR", header) + _chunk(b"IDAT", zlib.compress(raw, 9)) +
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
