#!/usr/bin/python3
"""Draws the application screens' pictures (RGBA, straight alpha):

- "14467.png": the instruction's 80 x 64 marker, a yellow arrow pointing down at the bank it marks;
- "KEYBOARDPIC.png": a 524 x 230 keyboard seen from above and in front, its space bar's top face exactly
  where the input-help page lays "KEYSPACE" over it (keyboard-local (130, 155)-(242, 169));
- "KEYSPACE.png": that top face lit up, 112 x 14, blinking over the keyboard's own;
- "MOUSE.png": a 246 x 246 mouse with its left button lit up (the path is drawn holding it);
- "oblako_png.png": the praise pop-up's 506 x 350 cloud. The clip is drawn opaque at cloud-local (93, 76) to
  (413, 276); around it the cloud is flat in the colour the clips' white background decodes to, so no seam shows.
"""

import math
import os
import sys

if __package__ in (None, ""):
    sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))

from assets.gen.system_cairo import cairo  # noqa: E402,F401  (first: it may restart the script)
from assets.gen import draw  # noqa: E402

APP_DIR = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "generated", "app")

OUTLINE = (52, 40, 30)
ARROW = (255, 206, 48)
ARROW_LIGHT = (255, 240, 150)

KEYBOARD_SIZE = (524, 230)
SPACE_BAR = (130, 155, 112, 14)  # left, top, width, height of its top face, keyboard-local
KEY_AREA = (16, 508)
KEY_FACE_HEIGHT = 14
KEY_FRONT_HEIGHT = 7
ROW_TOPS = (47, 74, 101, 128, 155)
KEY_GAP = 4
KEY_FACE = (246, 247, 250)
KEY_FACE_DARK = (214, 218, 226)
KEY_FRONT = (150, 156, 168)
KEY_TEXT = (60, 66, 80)
BODY = (88, 96, 112)
BODY_LIGHT = (122, 132, 150)
LIT = (255, 178, 40)
LIT_LIGHT = (255, 226, 120)

# Upper rows: (relative width, label) left to right; each row fills the key area.
UPPER_ROWS = (
    [(1, c) for c in "1234567890-="] + [(1, "")] + [(2, "Del")],
    [(1.5, "Tab")] + [(1, c) for c in "ЙЦУКЕНГШЩЗХЪ"] + [(1.5, "")],
    [(1.75, "Caps")] + [(1, c) for c in "ФЫВАПРОЛДЖЭ"] + [(2.25, "Enter")],
    [(2.25, "Shift")] + [(1, c) for c in "ЯЧСМИТЬБЮ."] + [(2.75, "Shift")],
)
# The bottom row in pixels, built around the space bar: (left, right, label).
BOTTOM_ROW = ((16, 50, "Ctrl"), (54, 88, ""), (92, 126, "Alt"), (130, 242, None), (246, 286, "Alt"),
              (290, 330, ""), (334, 374, "Ctrl"), (388, 424, "<"), (428, 464, "v"), (468, 508, ">"))

CLOUD_SIZE = (506, 350)
CLIP_RECT = (93, 76, 320, 200)  # left, top, width, height, cloud-local
CLOUD_INSIDE = (253, 253, 253)  # studio-range white as the clip decoder turns it into RGB
CLOUD_EDGE = (196, 214, 236)
CLOUD_OUTLINE = (128, 156, 196)
STAR = (255, 204, 40)

MOUSE_SIZE = 246
MOUSE_BODY = (232, 235, 240)
MOUSE_SHADE = (176, 182, 194)
MOUSE_CABLE = (70, 76, 90)


def marker(path):
    """A fat arrow, tip down at the bottom middle, in a thick dark outline."""
    s, ctx = draw.surface(80, 64)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.move_to(29, 4)
    ctx.line_to(51, 4)
    ctx.line_to(51, 28)
    ctx.line_to(72, 28)
    ctx.line_to(40, 60)
    ctx.line_to(8, 28)
    ctx.line_to(29, 28)
    ctx.close_path()
    ctx.set_source(draw.vertical_gradient(4, 60, ARROW_LIGHT, ARROW))
    ctx.fill_preserve()
    ctx.set_line_width(4)
    ctx.set_source_rgb(*draw.rgb(OUTLINE))
    ctx.stroke()
    # A glint along the shaft's lit side.
    ctx.move_to(34, 9)
    ctx.line_to(34, 30)
    ctx.set_line_width(3)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_source_rgba(1, 1, 1, 0.8)
    ctx.stroke()
    draw.save(s, path, alpha=True, matte=ARROW)


def _key(ctx, left, right, top, face, front, text):
    """One key: a flat top face and a darker front face below it."""
    width = right - left
    draw.rounded_rect(ctx, left, top, width, KEY_FACE_HEIGHT + KEY_FRONT_HEIGHT, 3)
    ctx.set_source_rgb(*draw.rgb(front))
    ctx.fill()
    draw.rounded_rect(ctx, left, top, width, KEY_FACE_HEIGHT, 3)
    ctx.set_source(draw.vertical_gradient(top, top + KEY_FACE_HEIGHT, face[0], face[1]))
    ctx.fill()
    if text:
        size = draw.fit_size(text, width - 4, 9.5)
        draw.label(ctx, text, left + width / 2.0, top + KEY_FACE_HEIGHT / 2.0, size, KEY_TEXT)


def _space_face(ctx, lit):
    left, top, width, height = SPACE_BAR
    ctx.rectangle(left, top, width, height)
    colours = (LIT_LIGHT, LIT) if lit else (KEY_FACE, KEY_FACE_DARK)
    ctx.set_source(draw.vertical_gradient(top, top + height, *colours))
    ctx.fill()
    if lit:
        ctx.rectangle(left + 0.5, top + 0.5, width - 1, height - 1)
        ctx.set_line_width(1)
        ctx.set_source_rgb(*draw.rgb((214, 96, 20)))
        ctx.stroke()
    draw.label(ctx, "пробел", left + width / 2.0, top + height / 2.0, 9.5, (120, 50, 0) if lit else KEY_TEXT)


def keyboard(path):
    s, ctx = draw.surface(*KEYBOARD_SIZE)
    # Shadow, body with its front edge, and a lighter top rim.
    draw.rounded_rect(ctx, 8, 36, 514, 166, 16)
    ctx.set_source_rgba(0, 0, 0, 0.25)
    ctx.fill()
    draw.rounded_rect(ctx, 4, 30, 514, 166, 16)
    ctx.set_source_rgb(*draw.rgb(BODY))
    ctx.fill()
    draw.rounded_rect(ctx, 4, 30, 514, 156, 16)
    ctx.set_source(draw.vertical_gradient(30, 186, BODY_LIGHT, BODY))
    ctx.fill()
    face = (KEY_FACE, KEY_FACE_DARK)
    first, last = KEY_AREA
    for top, row in zip(ROW_TOPS, UPPER_ROWS):
        units = sum(w for w, _ in row)
        unit = (last - first - KEY_GAP * (len(row) - 1)) / float(units)
        x = float(first)
        for w, text in row:
            _key(ctx, x, x + w * unit, top, face, KEY_FRONT, text)
            x += w * unit + KEY_GAP
    for left, right, text in BOTTOM_ROW:
        if text is None:
            _key(ctx, left, right, ROW_TOPS[-1], face, KEY_FRONT, "")
            _space_face(ctx, lit=False)
        else:
            _key(ctx, left, right, ROW_TOPS[-1], face, KEY_FRONT, text)
    # Three little lights in the top rim.
    for n, colour in enumerate(((120, 220, 120), (90, 100, 110), (90, 100, 110))):
        ctx.arc(430 + 18 * n, 39, 2.5, 0, 2 * math.pi)
        ctx.set_source_rgb(*draw.rgb(colour))
        ctx.fill()
    draw.save(s, path, alpha=True, matte=BODY)


def space_bar(path):
    left, top, width, height = SPACE_BAR
    s, ctx = draw.surface(width, height)
    ctx.translate(-left, -top)
    _space_face(ctx, lit=True)
    draw.save(s, path, alpha=True, matte=LIT)


def _mouse_outline(ctx):
    """The body: a rounded egg, narrower at the front (top)."""
    ctx.move_to(123, 58)
    ctx.curve_to(172, 58, 188, 110, 188, 150)
    ctx.curve_to(188, 200, 160, 228, 123, 228)
    ctx.curve_to(86, 228, 58, 200, 58, 150)
    ctx.curve_to(58, 110, 74, 58, 123, 58)
    ctx.close_path()


def mouse(path):
    s, ctx = draw.surface(MOUSE_SIZE, MOUSE_SIZE)
    # The cable leaves the front and curls up out of the picture.
    ctx.move_to(123, 60)
    ctx.curve_to(123, 30, 160, 34, 170, 18)
    ctx.curve_to(176, 8, 172, 2, 168, 0)
    ctx.set_line_width(5)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_source_rgb(*draw.rgb(MOUSE_CABLE))
    ctx.stroke()
    ctx.save()
    ctx.translate(5, 7)
    _mouse_outline(ctx)
    ctx.restore()
    ctx.set_source_rgba(0, 0, 0, 0.25)
    ctx.fill()
    _mouse_outline(ctx)
    shade = cairo.RadialGradient(105, 120, 10, 123, 150, 110)
    shade.add_color_stop_rgb(0, 1, 1, 1)
    shade.add_color_stop_rgb(0.6, *draw.rgb(MOUSE_BODY))
    shade.add_color_stop_rgb(1, *draw.rgb(MOUSE_SHADE))
    ctx.set_source(shade)
    ctx.fill()
    # The left button, lit: the body's upper left quarter down to the split.
    ctx.save()
    _mouse_outline(ctx)
    ctx.clip()
    ctx.rectangle(0, 0, 121, 128)
    ctx.set_source(draw.vertical_gradient(58, 128, LIT_LIGHT, LIT))
    ctx.fill()
    ctx.restore()
    ctx.set_line_width(2.5)
    ctx.set_source_rgb(*draw.rgb(OUTLINE))
    ctx.move_to(123, 60)
    ctx.line_to(123, 128)
    ctx.move_to(60, 128)
    ctx.curve_to(90, 134, 156, 134, 186, 128)
    ctx.stroke()
    # The wheel.
    draw.rounded_rect(ctx, 116, 80, 14, 30, 7)
    ctx.set_source_rgb(*draw.rgb((96, 104, 120)))
    ctx.fill_preserve()
    ctx.set_source_rgb(*draw.rgb(OUTLINE))
    ctx.set_line_width(2)
    ctx.stroke()
    _mouse_outline(ctx)
    ctx.set_line_width(3.5)
    ctx.stroke()
    # A glint on the lit button.
    ctx.move_to(84, 88)
    ctx.curve_to(90, 76, 100, 70, 110, 68)
    ctx.set_line_width(4)
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_source_rgba(1, 1, 1, 0.75)
    ctx.stroke()
    draw.save(s, path, alpha=True, matte=MOUSE_SHADE)


def _cloud_pieces(ctx, grow=0.0, dx=0.0, dy=0.0):
    """A body well outside the clip with puffs along its edge, each piece grown by `grow` (shrunk when
    negative); filled with the nonzero rule the pieces make one cloud."""
    draw.rounded_rect(ctx, 40 - grow + dx, 42 - grow + dy, 426 + 2 * grow, 266 + 2 * grow, 60 + grow)
    puffs = [(x, 50, r) for x, r in ((92, 44), (170, 46), (252, 46), (334, 46), (412, 44))]
    puffs += [(x, 300, r) for x, r in ((96, 42), (178, 46), (258, 42), (338, 48), (414, 42))]
    puffs += [(46, 140, 40), (42, 218, 38), (462, 132, 38), (464, 216, 40)]
    for x, y, r in puffs:
        ctx.new_sub_path()
        ctx.arc(x + dx, y + dy, r + grow, 0, 2 * math.pi)


def star_path(ctx, x, y, r, turn=0.0):
    """A five-pointed star of outer radius r, a point up unless turned (radians)."""
    ctx.new_path()
    for k in range(10):
        a = turn - math.pi / 2 + k * math.pi / 5
        d = r if k % 2 == 0 else r * 0.45
        ctx.line_to(x + d * math.cos(a), y + d * math.sin(a))
    ctx.close_path()


def _star(ctx, x, y, r):
    star_path(ctx, x, y, r)
    ctx.set_source_rgb(*draw.rgb(STAR))
    ctx.fill_preserve()
    ctx.set_line_width(1.5)
    ctx.set_source_rgb(*draw.rgb((214, 140, 20)))
    ctx.stroke()


def cloud(path):
    s, ctx = draw.surface(*CLOUD_SIZE)
    ctx.set_fill_rule(cairo.FILL_RULE_WINDING)
    _cloud_pieces(ctx, 2, 5, 6)
    ctx.set_source_rgba(0.05, 0.15, 0.3, 0.22)
    ctx.fill()
    _cloud_pieces(ctx, 2)
    ctx.set_source_rgb(*draw.rgb(CLOUD_OUTLINE))
    ctx.fill()
    # Shade near the edge: each smaller copy of the pieces is lighter, creases show where puffs meet.
    steps = 5
    for k in range(steps + 1):
        t = k / float(steps)
        colour = tuple(e + (i - e) * t for e, i in zip(CLOUD_EDGE, CLOUD_INSIDE))
        _cloud_pieces(ctx, -3.0 * k)
        ctx.set_source_rgb(*draw.rgb(colour))
        ctx.fill()
    for x, y, r in ((64, 178, 11), (444, 176, 11), (60, 110, 7), (448, 250, 7), (252, 46, 9)):
        _star(ctx, x, y, r)
    draw.save(s, path, alpha=True, matte=CLOUD_INSIDE)


def generate(out_dir):
    out = draw.png_namer(out_dir)
    marker(out("14467"))
    keyboard(out("KEYBOARDPIC"))
    space_bar(out("KEYSPACE"))
    mouse(out("MOUSE"))
    cloud(out("oblako_png"))
    return [out(n) for n in ("14467", "KEYBOARDPIC", "KEYSPACE", "MOUSE", "oblako_png")]


if __name__ == "__main__":
    generate(sys.argv[1] if len(sys.argv) > 1 else APP_DIR)
