"""A small TrueType reader: glyph outlines and advances of a font file pinned by path.

Text is drawn as cairo paths from the font's own outlines (no hinting, no system font look-up), so the pictures
come out the same wherever the generator runs with the same font file.
"""

import struct

LIBERATION_SANS_BOLD = "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"
LIBERATION_SANS = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"
DEJAVU_SANS_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


class Font:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        count = struct.unpack_from(">H", self.data, 4)[0]
        self.tables = {}
        for i in range(count):
            tag, _, offset, length = struct.unpack_from(">4sIII", self.data, 12 + 16 * i)
            self.tables[tag.decode("latin-1")] = (offset, length)
        head = self.tables["head"][0]
        self.units_per_em = struct.unpack_from(">H", self.data, head + 18)[0]
        self.long_loca = struct.unpack_from(">h", self.data, head + 50)[0] == 1
        hhea = self.tables["hhea"][0]
        self.ascent, self.descent = struct.unpack_from(">hh", self.data, hhea + 4)
        self.metric_count = struct.unpack_from(">H", self.data, hhea + 34)[0]
        self.cmap = self._read_cmap()

    def _read_cmap(self):
        base = self.tables["cmap"][0]
        count = struct.unpack_from(">H", self.data, base + 2)[0]
        for i in range(count):
            platform, encoding, offset = struct.unpack_from(">HHI", self.data, base + 4 + 8 * i)
            sub = base + offset
            if platform == 3 and encoding == 1 and struct.unpack_from(">H", self.data, sub)[0] == 4:
                return self._read_format4(sub)
        raise ValueError("font has no Unicode BMP character map")

    def _read_format4(self, sub):
        segs = struct.unpack_from(">H", self.data, sub + 6)[0] // 2
        ends = struct.unpack_from(">%dH" % segs, self.data, sub + 14)
        starts = struct.unpack_from(">%dH" % segs, self.data, sub + 16 + 2 * segs)
        deltas = struct.unpack_from(">%dh" % segs, self.data, sub + 16 + 4 * segs)
        range_base = sub + 16 + 6 * segs
        offsets = struct.unpack_from(">%dH" % segs, self.data, range_base)
        table = {}
        for i in range(segs):
            for code in range(starts[i], ends[i] + 1):
                if code == 0xFFFF:
                    continue
                if offsets[i] == 0:
                    glyph = (code + deltas[i]) & 0xFFFF
                else:
                    at = range_base + 2 * i + offsets[i] + 2 * (code - starts[i])
                    glyph = struct.unpack_from(">H", self.data, at)[0]
                    glyph = (glyph + deltas[i]) & 0xFFFF if glyph else 0
                table[code] = glyph
        return table

    def glyph(self, char):
        glyph = self.cmap.get(ord(char), 0)
        if glyph == 0 and not char.isspace():
            raise ValueError("font lacks %r" % char)
        return glyph

    def advance(self, glyph):
        hmtx = self.tables["hmtx"][0]
        index = min(glyph, self.metric_count - 1)
        return struct.unpack_from(">H", self.data, hmtx + 4 * index)[0]

    def _glyph_range(self, glyph):
        loca = self.tables["loca"][0]
        if self.long_loca:
            start, end = struct.unpack_from(">II", self.data, loca + 4 * glyph)
        else:
            start, end = (2 * v for v in struct.unpack_from(">HH", self.data, loca + 2 * glyph))
        return self.tables["glyf"][0] + start, end - start

    def contours(self, glyph):
        """Contours as lists of (x, y, on_curve) in font units, y up."""
        at, length = self._glyph_range(glyph)
        if length == 0:
            return []
        count = struct.unpack_from(">h", self.data, at)[0]
        if count < 0:
            return self._composite(at + 10)
        return self._simple(at + 10, count)

    def _simple(self, at, count):
        ends = struct.unpack_from(">%dH" % count, self.data, at)
        at += 2 * count
        at += 2 + struct.unpack_from(">H", self.data, at)[0]
        points = ends[-1] + 1 if count else 0
        flags = []
        while len(flags) < points:
            flag = self.data[at]
            at += 1
            flags.append(flag)
            if flag & 8:
                flags.extend([flag] * self.data[at])
                at += 1
        xs, at = self._coords(flags, at, 2, 16)
        ys, at = self._coords(flags, at, 4, 32)
        contours, first = [], 0
        for end in ends:
            contours.append([(xs[i], ys[i], flags[i] & 1) for i in range(first, end + 1)])
            first = end + 1
        return contours

    def _coords(self, flags, at, short_bit, same_bit):
        values, value = [], 0
        for flag in flags:
            if flag & short_bit:
                delta = self.data[at]
                at += 1
                value += delta if flag & same_bit else -delta
            elif not flag & same_bit:
                value += struct.unpack_from(">h", self.data, at)[0]
                at += 2
            values.append(value)
        return values, at

    def _composite(self, at):
        contours = []
        while True:
            flags, glyph = struct.unpack_from(">HH", self.data, at)
            at += 4
            if flags & 1:
                dx, dy = struct.unpack_from(">hh", self.data, at)
                at += 4
            else:
                dx, dy = struct.unpack_from(">bb", self.data, at)
                at += 2
            if not flags & 2:
                raise ValueError("point-matched composite glyphs are not supported")
            a, b, c, d = 1.0, 0.0, 0.0, 1.0
            if flags & 8:
                a = d = struct.unpack_from(">h", self.data, at)[0] / 16384.0
                at += 2
            elif flags & 0x40:
                a, d = (v / 16384.0 for v in struct.unpack_from(">hh", self.data, at))
                at += 4
            elif flags & 0x80:
                a, b, c, d = (v / 16384.0 for v in struct.unpack_from(">hhhh", self.data, at))
                at += 8
            for contour in self.contours(glyph):
                contours.append([(a * x + c * y + dx, b * x + d * y + dy, on) for x, y, on in contour])
            if not flags & 0x20:
                return contours

    def text_width(self, text, size):
        return sum(self.advance(self.glyph(ch)) for ch in text) * size / self.units_per_em

    def draw_text(self, ctx, text, x, baseline, size):
        """Adds the text's outlines to the cairo path, starting at (x, baseline)."""
        scale = size / self.units_per_em
        for ch in text:
            glyph = self.glyph(ch)
            for contour in self.contours(glyph):
                _trace(ctx, [(x + px * scale, baseline - py * scale, on) for px, py, on in contour])
            x += self.advance(glyph) * scale


def _trace(ctx, points):
    """Quadratic TrueType contour to cairo curves; implied on-curve points sit between two off-curve ones."""
    start = next((i for i, p in enumerate(points) if p[2]), None)
    if start is None:
        a, b = points[0], points[1]
        first = ((a[0] + b[0]) / 2, (a[1] + b[1]) / 2)
        start = 0
        ordered = points[1:] + points[:1]
    else:
        first = points[start][:2]
        ordered = points[start + 1:] + points[:start + 1]
    ctx.move_to(*first)
    current, control = first, None
    for x, y, on in ordered:
        if on:
            current = _segment(ctx, current, control, (x, y))
            control = None
        elif control is None:
            control = (x, y)
        else:
            middle = ((control[0] + x) / 2, (control[1] + y) / 2)
            current = _segment(ctx, current, control, middle)
            control = (x, y)
    _segment(ctx, current, control, first)
    ctx.close_path()


def _segment(ctx, start, control, end):
    if control is None:
        ctx.line_to(*end)
    else:
        c1 = (start[0] + 2 / 3 * (control[0] - start[0]), start[1] + 2 / 3 * (control[1] - start[1]))
        c2 = (end[0] + 2 / 3 * (control[0] - end[0]), end[1] + 2 / 3 * (control[1] - end[1]))
        ctx.curve_to(c1[0], c1[1], c2[0], c2[1], end[0], end[1])
    return end
