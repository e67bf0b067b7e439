"""The interface skin: buttons in three states, key caps, scroll, slider, check and edit-bar pieces, backdrop."""

import math

from . import draw
from . import png

BACKDROP = (229, 230, 230)
BACKDROP_BAND = (216, 217, 217)
GREEN = (58, 168, 72)
RED = (214, 64, 52)
BLUE = (64, 132, 220)
FRAME = (84, 96, 112)
TICK = (46, 160, 64)

# Plain label buttons: name, width, colour, label. Every one is 47 pixels high.
BUTTONS = [
    ("PrintButton", 84, GREEN, "Печать"),
    ("SaveAsButton", 148, GREEN, "Сохранить как..."),
    ("RetryButton", 109, GREEN, "Повторить"),
    ("CloseButton", 111, RED, "Закрыть"),
    ("StartPopStartButton", 84, GREEN, "Пуск"),
    ("SubmitButton", 109, GREEN, "Применить"),
    ("OptionsButton", 109, GREEN, "Настройки"),
    ("CancelButton", 111, RED, "Отмена"),
]
BUTTON_HEIGHT = 47
# State suffix and the brightness factor of the button face.
STATES = [("", 1.0), ("Klick", 0.8), ("Nuv", 1.15)]


def generate(out_dir):
    out = draw.png_namer(out_dir)
    backdrop(out("DefaultBackGround"))
    exit_button(out("ExitButton"))
    for suffix, factor in STATES:
        for name, width, colour, text in BUTTONS:
            button(out(name + suffix), width, colour, text, factor, pressed=suffix == "Klick")
    for name, text in (("EscButton", "Esc"), ("F1Button", "F1"), ("F12Button", "F12")):
        key_cap(out(name), text)
    for hover, suffix in ((False, ""), (True, "Hover")):
        slider_thumb(out("SliderSliderVertical" + suffix), 19, 10, hover)
        slider_thumb(out("SliderSliderHorizontal" + suffix), 11, 20, hover)
    scroll_slider(out("ScrollSlider"), vertical=True)
    scroll_slider(out("ScrollSliderHorizontal"), vertical=False)
    scroll_background(out("ScrollBackground"))
    scroll_button(out("ScrollButtonUp"), up=True)
    scroll_button(out("ScrollButtonDown"), up=False)
    for disabled, infix in ((False, ""), (True, "Dis")):
        check_box(out("CheckBox%sUnchecked" % infix), False, disabled)
        check_box(out("CheckBox%sChecked" % infix), True, disabled)
        radio_button(out("RadioButton%sUnchecked" % infix), False, disabled)
        radio_button(out("RadioButton%sChecked" % infix), True, disabled)
    solid(out("EditBarBackGround"), 1, 1, (255, 255, 255))
    edit_bar_pieces(out)
    solid(out("EditBarKaretka"), 1, 19, (0, 0, 0))
    selection_mask(out("SelectionMask"))


def backdrop(path):
    s, ctx = draw.surface(800, 600)
    ctx.set_source_rgb(*draw.rgb(BACKDROP))
    ctx.paint()
    ctx.set_source_rgb(*draw.rgb(BACKDROP_BAND))
    ctx.rectangle(0, 0, 800, 64)
    ctx.fill()
    draw.save(s, path, alpha=False)


def solid(path, width, height, colour):
    s, ctx = draw.surface(width, height)
    ctx.set_source_rgb(*draw.rgb(colour))
    ctx.paint()
    draw.save(s, path, alpha=False)


def selection_mask(path):
    # Written directly: cairo's premultiplied pixels would not round-trip this faint colour exactly.
    png.write_if_changed(path, png.encode(1, 1, bytes((0, 86, 255, 28)), alpha=True))


def button_face(ctx, x, y, w, h, colour, radius):
    draw.rounded_rect(ctx, x, y, w, h, radius)
    ctx.set_source(draw.vertical_gradient(y, y + h, draw.scale(colour, 1.25), draw.scale(colour, 0.85)))
    ctx.fill_preserve()
    ctx.set_line_width(1.5)
    ctx.set_source_rgb(*draw.rgb(draw.scale(colour, 0.6)))
    ctx.stroke()
    # Soft gloss over the upper half.
    draw.rounded_rect(ctx, x + 3, y + 2.5, w - 6, h / 2 - 2, radius - 3)
    ctx.set_source_rgba(1, 1, 1, 0.22)
    ctx.fill()


def button(path, width, colour, text, factor, pressed):
    s, ctx = draw.surface(width, BUTTON_HEIGHT)
    face = draw.scale(colour, factor)
    drop = 1 if pressed else 0
    draw.rounded_rect(ctx, 1.5, 3.5, width - 3, BUTTON_HEIGHT - 5, 11)
    ctx.set_source_rgba(0, 0, 0, 0.22)
    ctx.fill()
    button_face(ctx, 1.5, 1.5 + drop, width - 3, BUTTON_HEIGHT - 6, face, 11)
    size = draw.fit_size(text, width - 18, 17)
    draw.label(ctx, text, width / 2, (BUTTON_HEIGHT - 4) / 2 + drop, size, (255, 255, 255),
               shadow=(0, 0, 0, 0.35))
    draw.save(s, path, alpha=True, matte=face)


def exit_button(path):
    s, ctx = draw.surface(21, 21)
    button_face(ctx, 0.75, 0.75, 19.5, 19.5, RED, 5)
    ctx.set_source_rgb(1, 1, 1)
    ctx.set_line_width(2.6)
    ctx.set_line_cap(1)  # round
    for (x0, y0, x1, y1) in ((6.5, 6.5, 14.5, 14.5), (14.5, 6.5, 6.5, 14.5)):
        ctx.move_to(x0, y0)
        ctx.line_to(x1, y1)
    ctx.stroke()
    draw.save(s, path, alpha=True, matte=RED)


def key_cap(path, text):
    s, ctx = draw.surface(37, 25)
    ctx.set_source_rgb(*draw.rgb(BACKDROP))
    ctx.paint()
    draw.rounded_rect(ctx, 0.5, 0.5, 36, 24, 4)
    ctx.set_source(draw.vertical_gradient(0, 25, (250, 250, 252), (196, 200, 206)))
    ctx.fill_preserve()
    ctx.set_source_rgb(*draw.rgb((120, 126, 136)))
    ctx.set_line_width(1)
    ctx.stroke()
    draw.rounded_rect(ctx, 3.5, 2.5, 30, 17, 3)
    ctx.set_source_rgb(*draw.rgb((244, 245, 247)))
    ctx.fill()
    draw.label(ctx, text, 18.5, 11, 11, (40, 46, 56))
    draw.save(s, path, alpha=False)


def slider_thumb(path, width, height, hover):
    s, ctx = draw.surface(width, height)
    colour = draw.scale(BLUE, 1.2 if hover else 1.0)
    draw.rounded_rect(ctx, 0.75, 0.75, width - 1.5, height - 1.5, min(width, height) / 2 - 0.75)
    ctx.set_source(draw.vertical_gradient(0, height, draw.scale(colour, 1.3), draw.scale(colour, 0.9)))
    ctx.fill_preserve()
    ctx.set_source_rgb(*draw.rgb(draw.scale(colour, 0.6)))
    ctx.set_line_width(1)
    ctx.stroke()
    draw.save(s, path, alpha=True, matte=colour)


def scroll_slider(path, vertical):
    """A cross-section of the thumb: stretched along the bar, so only its profile across the bar matters."""
    profile = [draw.scale(BLUE, 0.65)] + [draw.scale(BLUE, f) for f in
                                           (1.15, 1.3, 1.35, 1.3, 1.2, 1.1, 1.0, 1.0, 0.95, 0.95, 0.9, 0.9, 0.85)]
    profile.append(draw.scale(BLUE, 0.65))
    profile.append(draw.scale(BLUE, 0.65))
    width, height = (16, 2) if vertical else (2, 16)
    s, ctx = draw.surface(width, height)
    for i, colour in enumerate(profile):
        ctx.set_source_rgb(*draw.rgb(colour))
        ctx.rectangle(i if vertical else 0, 0 if vertical else i, 1 if vertical else 2, 2 if vertical else 1)
        ctx.fill()
    draw.save(s, path, alpha=False)


def scroll_background(path):
    s, ctx = draw.surface(16, 16)
    g = draw.vertical_gradient(0, 16, (226, 230, 236), (226, 230, 236))
    ctx.set_source(g)
    ctx.paint()
    ctx.set_source_rgb(*draw.rgb((204, 210, 218)))
    ctx.rectangle(0, 0, 1, 16)
    ctx.rectangle(15, 0, 1, 16)
    ctx.fill()
    draw.save(s, path, alpha=False)


def scroll_button(path, up):
    s, ctx = draw.surface(16, 16)
    button_face(ctx, 0.75, 0.75, 14.5, 14.5, BLUE, 4)
    ctx.set_source_rgb(1, 1, 1)
    if up:
        ctx.move_to(8, 4.5)
        ctx.line_to(12, 10.5)
        ctx.line_to(4, 10.5)
    else:
        ctx.move_to(8, 11.5)
        ctx.line_to(12, 5.5)
        ctx.line_to(4, 5.5)
    ctx.close_path()
    ctx.fill()
    draw.save(s, path, alpha=True, matte=BLUE)


def _disabled(colour, disabled):
    if not disabled:
        return colour
    grey = round(0.3 * colour[0] + 0.59 * colour[1] + 0.11 * colour[2])
    return tuple(round(grey + (220 - grey) * 0.5) for _ in range(3))


def _faded(colour, disabled):
    """A disabled mark keeps its hue and loses half its strength."""
    if not disabled:
        return colour
    return tuple(round(c + (230 - c) * 0.5) for c in colour)


def _field(ctx, disabled):
    """Fills and frames the current path: the white field of a check box or radio button."""
    ctx.set_source_rgb(*draw.rgb((238, 238, 238) if disabled else (255, 255, 255)))
    ctx.fill_preserve()
    ctx.set_source_rgb(*draw.rgb(_disabled(FRAME, disabled)))
    ctx.set_line_width(1)
    ctx.stroke()


def check_box(path, checked, disabled):
    s, ctx = draw.surface(16, 16)
    ctx.set_source_rgb(*draw.rgb(BACKDROP))
    ctx.paint()
    draw.rounded_rect(ctx, 1.5, 1.5, 13, 13, 3)
    _field(ctx, disabled)
    if checked:
        ctx.set_source_rgb(*draw.rgb(_faded(TICK, disabled)))
        ctx.set_line_width(2.2)
        ctx.set_line_cap(1)
        ctx.set_line_join(1)
        ctx.move_to(4.5, 8.2)
        ctx.line_to(7, 11)
        ctx.line_to(11.8, 4.8)
        ctx.stroke()
    draw.save(s, path, alpha=False)


def radio_button(path, checked, disabled):
    s, ctx = draw.surface(16, 16)
    ctx.arc(8, 8, 6.5, 0, 2 * math.pi)
    _field(ctx, disabled)
    if checked:
        ctx.arc(8, 8, 3.5, 0, 2 * math.pi)
        ctx.set_source_rgb(*draw.rgb(_faded(TICK, disabled)))
        ctx.fill()
    draw.save(s, path, alpha=True, matte=(255, 255, 255))


def edit_bar_pieces(out):
    """A white field with a one-pixel frame and rounded corners of radius 8."""
    white, line = (255, 255, 255), FRAME
    for name, (cx, cy) in (("LT", (8, 8)), ("RT", (0, 8)), ("LB", (8, 0)), ("RB", (0, 0))):
        s, ctx = draw.surface(8, 8)
        ctx.arc(cx, cy, 7.5, 0, 2 * math.pi)
        ctx.set_source_rgb(*draw.rgb(white))
        ctx.fill_preserve()
        ctx.set_source_rgb(*draw.rgb(line))
        ctx.set_line_width(1)
        ctx.stroke()
        draw.save(s, out("EditBarCorner" + name), alpha=True, matte=white)
    for name, width, height, edge in (("L", 8, 1, (0, 0)), ("R", 8, 1, (7, 0)), ("T", 1, 8, (0, 0)),
                                      ("B", 1, 8, (0, 7))):
        s, ctx = draw.surface(width, height)
        ctx.set_source_rgb(*draw.rgb(white))
        ctx.paint()
        ctx.set_source_rgb(*draw.rgb(line))
        ctx.rectangle(edge[0], edge[1], 1, 1)
        ctx.fill()
        draw.save(s, out("EditBarBorder" + name), alpha=False)
