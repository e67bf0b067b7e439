"""Shared drawing helpers: surfaces, colours, rounded shapes and centred labels."""

import math
import os

import cairo

from . import font as fonts
from . import png

_fonts = {}


def font(path=fonts.LIBERATION_SANS_BOLD):
    if path not in _fonts:
        _fonts[path] = fonts.Font(path)
    return _fonts[path]


def surface(width, height):
    s = cairo.ImageSurface(cairo.FORMAT_ARGB32, width, height)
    ctx = cairo.Context(s)
    ctx.set_antialias(cairo.ANTIALIAS_GRAY)
    return s, ctx


def png_namer(out_dir):
    """Makes out_dir and gives the path of a picture's PNG there from the picture's name."""
    os.makedirs(out_dir, exist_ok=True)
    return lambda name: os.path.join(out_dir, name + ".png")


def rgb(colour):
    """0..255 triple to cairo's 0..1 range."""
    return tuple(c / 255.0 for c in colour)


def scale(colour, factor):
    """Darker below 1, brighter above 1 (brightening moves towards white so colours stay saturated)."""
    if factor <= 1:
        return tuple(round(c * factor) for c in colour)
    t = factor - 1
    return tuple(round(c + (255 - c) * t) for c in colour)


def rounded_rect(ctx, x, y, w, h, r):
    r = min(r, w / 2, h / 2)
    ctx.new_sub_path()
    ctx.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    ctx.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    ctx.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    ctx.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    ctx.close_path()


def vertical_gradient(y0, y1, top, bottom):
    g = cairo.LinearGradient(0, y0, 0, y1)
    g.add_color_stop_rgb(0, *rgb(top))
    g.add_color_stop_rgb(1, *rgb(bottom))
    return g


def fit_size(text, width, largest, face=None):
    face = face or font()
    size = largest
    while size > 6 and face.text_width(text, size) > width:
        size -= 0.5
    return size


def label(ctx, text, cx, cy, size, colour, shadow=None, face=None):
    """Text centred on (cx, cy) by its advance width and the height of a capital letter."""
    face = face or font()
    width = face.text_width(text, size)
    cap = 0.72 * size
    x, baseline = cx - width / 2, cy + cap / 2
    if shadow:
        ctx.set_source_rgba(*shadow)
        face.draw_text(ctx, text, x, baseline + 1, size)
        ctx.fill()
    ctx.set_source_rgb(*rgb(colour))
    face.draw_text(ctx, text, x, baseline, size)
    ctx.fill()


def save(s, path, alpha, matte=(0, 0, 0)):
    png.write_surface(s, path, alpha, matte)
