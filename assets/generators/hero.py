#!/usr/bin/python3
"""Draws the hero's 244 frames (78 x 78 RGBA) from one parametric top-down figure.

The figure is a round yellow creature: eyes and nose on its face side, a tuft at the back, feet that peek
out in front, hands at the sides. Light comes from the upper left whatever the heading, so a turn rotates
only the features. Frames that show the same pose are drawn once and written byte for byte the same.
"""

import math
import os
import sys

if __package__ in (None, ""):
    sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))

from assets.generators.game_cairo import cairo, out_dir_from_argv  # noqa: E402
from assets.gen import png  # noqa: E402
from assets.generators import hero_frames  # noqa: E402
from assets.generators.hero_frames import DROWN_FRAMES, SIZE  # noqa: E402

CENTRE = SIZE / 2.0
BODY_R = 19.0
OUTLINE_W = 2.6

BODY = (1.0, 0.84, 0.25)
BODY_LIGHT = (1.0, 0.95, 0.62)
BODY_DARK = (0.90, 0.64, 0.12)
TUFT = (0.93, 0.60, 0.10)
FEET = (0.55, 0.35, 0.75)
OUTLINE = (0.22, 0.13, 0.08)
EYE_WHITE = (1.0, 1.0, 1.0)
PUPIL = (0.08, 0.06, 0.10)
NOSE = (0.85, 0.42, 0.30)
CHEEK = (1.0, 0.62, 0.45)
WATER = (0.16, 0.45, 0.66)
SPLASH = (0.88, 0.96, 1.0)


def _outlined(ctx, fill):
    ctx.set_source_rgb(*fill)
    ctx.fill_preserve()
    ctx.set_line_width(OUTLINE_W)
    ctx.set_source_rgb(*OUTLINE)
    ctx.stroke()


def _oval(ctx, x, y, rx, ry):
    ctx.save()
    ctx.translate(x, y)
    ctx.scale(rx, ry)
    ctx.arc(0, 0, 1, 0, 2 * math.pi)
    ctx.restore()


def _rotated(heading, forward, side):
    """Screen offset from the centre of a point `forward` along the heading and `side` to its left."""
    a = math.radians(heading)
    return (forward * math.cos(a) + side * math.sin(a), forward * math.sin(a) - side * math.cos(a))


def _limbs(ctx, pose, flail):
    """Feet and hands, drawn in the figure's own frame (x forward, y to the side) before the body."""
    # Feet rest under the body; a step pushes one out at the front and the other out at the back.
    swing = 16.0 * pose.stride
    for side in (-1, 1):
        _oval(ctx, side * swing, side * 10, 7.5, 5.5)
        _outlined(ctx, FEET)
    for side in (-1, 1):
        if flail is None:
            forward, out = -side * 0.35 * swing, 19.5
        else:
            forward, out = 6 + 5 * math.sin(flail + side), 20.5 + 1.5 * math.cos(flail * 1.7)
        ctx.arc(forward, side * out, 5.2, 0, 2 * math.pi)
        _outlined(ctx, BODY)
    ctx.arc(-BODY_R - 1, 0, 6, 0, 2 * math.pi)
    _outlined(ctx, TUFT)


def _body(ctx, pose):
    r = BODY_R * (1 + 0.035 * pose.breathe + 0.02 * abs(pose.stride))
    shade = cairo.RadialGradient(CENTRE - 7, CENTRE - 8, 2, CENTRE, CENTRE, r)
    shade.add_color_stop_rgb(0, *BODY_LIGHT)
    shade.add_color_stop_rgb(0.55, *BODY)
    shade.add_color_stop_rgb(1, *BODY_DARK)
    ctx.arc(CENTRE, CENTRE, r, 0, 2 * math.pi)
    ctx.set_source(shade)
    ctx.fill_preserve()
    ctx.set_line_width(OUTLINE_W)
    ctx.set_source_rgb(*OUTLINE)
    ctx.stroke()


def _face(ctx, pose, startled):
    """Eyes, cheeks and nose toward the heading; eyelids close from the back of the eye."""
    ctx.save()
    ctx.translate(CENTRE, CENTRE)
    ctx.rotate(math.radians(pose.heading))
    for side in (-1, 1):
        ctx.arc(7, side * 13, 3.2, 0, 2 * math.pi)
        ctx.set_source_rgba(*CHEEK, 0.8)
        ctx.fill()
    ctx.arc(16, 0, 2.6, 0, 2 * math.pi)
    ctx.set_source_rgb(*NOSE)
    ctx.fill()
    for side in (-1, 1):
        if pose.blink >= 1:
            # A shut eye is a lash curved toward the face side.
            ctx.arc(6.0, side * 6.8, 5.2, -1.2, 1.2)
            ctx.set_line_width(2.4)
            ctx.set_source_rgb(*OUTLINE)
            ctx.stroke()
            continue
        _oval(ctx, 8.5, side * 6.8, 6.2, 5.4)
        _outlined(ctx, EYE_WHITE)
        ctx.arc(10.5, side * 6.3, 2.2 if startled else 3.2, 0, 2 * math.pi)
        ctx.set_source_rgb(*PUPIL)
        ctx.fill()
        if pose.blink > 0:
            # The lid comes down from the back edge of the eye.
            ctx.save()
            _oval(ctx, 8.5, side * 6.8, 6.2, 5.4)
            ctx.clip()
            ctx.rectangle(1.3, side * 6.8 - 6, 1 + 12.4 * pose.blink, 12)
            ctx.set_source_rgb(*BODY)
            ctx.fill_preserve()
            ctx.set_line_width(1.6)
            ctx.set_source_rgb(*OUTLINE)
            ctx.stroke()
            ctx.restore()
            _oval(ctx, 8.5, side * 6.8, 6.2, 5.4)
            ctx.set_line_width(OUTLINE_W)
            ctx.set_source_rgb(*OUTLINE)
            ctx.stroke()
    ctx.restore()
    if pose.blink < 1:
        # Glints stay on the side the light comes from.
        for side in (-1, 1):
            dx, dy = _rotated(pose.heading, 10.5, -side * 6.3)
            ctx.arc(CENTRE + dx - 1.1, CENTRE + dy - 1.1, 1.1, 0, 2 * math.pi)
            ctx.set_source_rgb(1, 1, 1)
            ctx.fill()


def figure(ctx, pose, flail=None, startled=None):
    """The standing figure centred in the frame; `flail` waves the hands (and, unless told, startles the eyes)."""
    ctx.save()
    ctx.translate(CENTRE, CENTRE)
    ctx.rotate(math.radians(pose.heading))
    _limbs(ctx, pose, flail)
    ctx.restore()
    _body(ctx, pose)
    _face(ctx, pose, flail is not None if startled is None else startled)


def shadow(ctx, alpha):
    ctx.save()
    ctx.translate(CENTRE + 2.5, CENTRE + 3.5)
    ctx.scale(1.0, 0.95)
    ctx.arc(0, 0, BODY_R + 2, 0, 2 * math.pi)
    ctx.restore()
    ctx.set_source_rgba(0, 0.05, 0.1, 0.28 * alpha)
    ctx.fill()


def _smooth(t):
    t = min(1.0, max(0.0, t))
    return t * t * (3 - 2 * t)


def _drowning(ctx, pose):
    """Sinks, shrinks and fades into blue water while rings spread and bubbles rise."""
    k = pose.drown
    last = DROWN_FRAMES - 2
    sink = _smooth(k / float(last - 2))
    ctx.arc(CENTRE, CENTRE, 21 + 3 * sink, 0, 2 * math.pi)
    ctx.set_source_rgba(*WATER, 0.35 * (1 - _smooth(k / float(last + 1))))
    ctx.fill()
    if sink < 1:
        layer = cairo.ImageSurface(cairo.FORMAT_ARGB32, SIZE, SIZE)
        inner = cairo.Context(layer)
        figure(inner, pose, flail=1.3 * k)
        inner.set_operator(cairo.OPERATOR_ATOP)
        inner.set_source_rgba(*WATER, 0.1 + 0.5 * sink)
        inner.paint()
        scale = 1 - 0.6 * sink
        ctx.save()
        ctx.translate(CENTRE, CENTRE)
        ctx.scale(scale, scale)
        ctx.translate(-CENTRE, -CENTRE)
        ctx.set_source_surface(layer, 0, 0)
        ctx.paint_with_alpha(1 - sink * sink)
        ctx.restore()
    for born in (0, 4, 8):
        age = k - born
        if age < 0:
            continue
        alpha = max(0.0, 0.95 - 0.1 * age)
        ctx.arc(CENTRE, CENTRE, 23 + 1.6 * age, 0, 2 * math.pi)
        ctx.set_line_width(3.0 - 0.15 * age)
        ctx.set_source_rgba(*SPLASH, alpha)
        ctx.stroke()
    if k < 6:
        for n in range(8):
            a = math.radians(n * 45 + 20)
            d = 22 + 3.2 * k
            ctx.arc(CENTRE + d * math.cos(a), CENTRE + d * math.sin(a), 2.8 - 0.35 * k, 0, 2 * math.pi)
            ctx.set_source_rgba(*SPLASH, 1 - k / 6.0)
            ctx.fill()
    for start, (bx, by) in ((7, (-5, 3)), (9, (4, -4)), (11, (1, 6))):
        age = k - start
        if 0 <= age < 5:
            ctx.arc(CENTRE + bx, CENTRE + by, 1.6 + 0.6 * age, 0, 2 * math.pi)
            ctx.set_line_width(1.4)
            ctx.set_source_rgba(*SPLASH, 0.9 - 0.15 * age)
            ctx.stroke()


def render(pose):
    """Straight-alpha RGBA bytes of one frame."""
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, SIZE, SIZE)
    ctx = cairo.Context(surface)
    if pose.drown is None:
        shadow(ctx, 1.0)
        figure(ctx, pose)
    else:
        _drowning(ctx, pose)
    return png.surface_pixels(surface, alpha=True)


def generate(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    drawn = {}
    paths = []
    for name, pose in hero_frames.frames():
        if pose not in drawn:
            drawn[pose] = render(pose)
        path = os.path.join(out_dir, name + ".png")
        png.write_if_changed(path, png.encode(SIZE, SIZE, drawn[pose], alpha=True))
        paths.append(path)
    return paths


def _sheet_rows():
    rows = []
    table = hero_frames.frames()
    start = 0
    for prefix, first, last, what in hero_frames.RUNS:
        count = last - first + 1
        if what[0] == "drown":
            for d in range(4):
                rows.append(table[start + d * DROWN_FRAMES:start + (d + 1) * DROWN_FRAMES - 1])
        else:
            rows.append(table[start:start + count])
        start += count
    return rows


def contact_sheet(path, frame_dir, per_row=8):
    """A sheet of sampled frames of every run at full size and at the 31-pixel size the game shows."""
    rows = _sheet_rows()
    cell = SIZE + 4
    small = 31
    width = per_row * cell + per_row * (small + 2) + 20
    sheet = cairo.ImageSurface(cairo.FORMAT_RGB24, width, len(rows) * cell)
    ctx = cairo.Context(sheet)
    ctx.set_source_rgb(*WATER)
    ctx.paint()
    for r, row in enumerate(rows):
        picks = [row[round(i * (len(row) - 1) / float(per_row - 1))] for i in range(per_row)]
        for i, (name, _) in enumerate(picks):
            frame = cairo.ImageSurface.create_from_png(os.path.join(frame_dir, name + ".png"))
            ctx.set_source_surface(frame, i * cell + 2, r * cell + 2)
            ctx.paint()
            x0 = per_row * cell + 20 + i * (small + 2)
            y0 = r * cell + cell / 2 - small / 2
            ctx.rectangle(x0 + 5.5, y0 + 5.5, 20, 20)
            ctx.set_source_rgb(0.78, 0.63, 0.40) if i % 2 else ctx.set_source_rgb(0.6, 0.6, 0.58)
            ctx.fill()
            ctx.save()
            ctx.translate(x0, y0)
            ctx.scale(small / float(SIZE), small / float(SIZE))
            ctx.set_source_surface(frame, 0, 0)
            ctx.get_source().set_filter(cairo.FILTER_BILINEAR)
            ctx.paint()
            ctx.restore()
    sheet.write_to_png(path)


if __name__ == "__main__":
    if len(sys.argv) > 2 and sys.argv[1] == "--sheet":
        contact_sheet(sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else out_dir_from_argv())
    else:
        generate(out_dir_from_argv())
