#!/usr/bin/python3
"""Draws the five praise clips: Ogg Theora, 320 x 240, 12 frames a second, 4:2:0, 33 frames (2.75 s).

Clip n goes with praise word n: the hero (drawn by the hero generator's own figure) cheers on a white ground
under its word. The pop-up shows the clips squashed to 320 x 200, so each is drawn in 320 x 200 coordinates
and stretched by 240 / 200 in height. White is the cloud's interior once decoded, so the clip has no seam.

The frames go to `assets/tools/encode_clip.cpp`, which this script compiles with the project's clip writer
(g++, pkg-config, libtheora-dev and libogg-dev). Fixed serials and seeds keep the files the same on every run.
"""

import math
import os
import random
import subprocess
import sys
import tempfile

if __package__ in (None, ""):
    sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))

from assets.generators.game_cairo import REPO_ROOT, cairo  # noqa: E402
from assets.gen import draw, png  # noqa: E402
from assets.generators import hero  # noqa: E402
from assets.generators.app_pictures import star_path  # noqa: E402
from assets.generators.hero_frames import DOWN, Pose  # noqa: E402

APP_DIR = os.path.join(REPO_ROOT, "assets", "generated", "app")

WIDTH, HEIGHT, SHOWN_HEIGHT = 320, 240, 200
FPS = 12
FRAMES = 33
QUALITY = 48
SERIAL_BASE = 3105

WORDS = ("Браво!", "Готово!", "Молодец!", "Отлично!", "Ура!")
HERO_AT = (160, 132)
HERO_SCALE = 2.3
INK = (40, 70, 150)
COLOURS = ((235, 70, 60), (255, 170, 30), (60, 170, 80), (60, 130, 230), (170, 80, 200))


def _hero(ctx, hop=0.0, heading=DOWN, flail=None, blink=0.0, squash=0.0):
    """The hero at HERO_AT lifted by `hop` pixels, its shadow staying on the ground."""
    x, y = HERO_AT
    ctx.save()
    ctx.translate(x - hero.CENTRE * HERO_SCALE, y - hero.CENTRE * HERO_SCALE)
    ctx.scale(HERO_SCALE, HERO_SCALE)
    hero.shadow(ctx, 1.0 - min(0.6, hop / 60.0))
    ctx.translate(hero.CENTRE, hero.CENTRE - hop / HERO_SCALE)
    ctx.scale(1 + squash, 1 - squash)
    ctx.translate(-hero.CENTRE, -hero.CENTRE)
    hero.figure(ctx, Pose(heading, blink=blink), flail=flail, startled=False)
    ctx.restore()


def _word(ctx, n, t):
    """The praise word over the hero, popping in during the first quarter second."""
    grow = min(1.0, t / 0.25)
    size = 30 * (0.4 + 0.6 * grow + 0.08 * math.sin(math.pi * grow))
    draw.label(ctx, WORDS[n], WIDTH / 2.0, 24, size, COLOURS[n], shadow=(0, 0, 0, 0.18))


def _star(ctx, x, y, r, turn, colour):
    star_path(ctx, x, y, r, turn)
    ctx.set_source_rgb(*draw.rgb(colour))
    ctx.fill()


def bravo(ctx, f, t):
    """Hops with waving hands inside a ring of turning stars that pulses outward."""
    for k in range(10):
        a = 2 * math.pi * k / 10 + 1.2 * t
        d = 78 + 10 * math.sin(2 * math.pi * (2 * t + k / 10.0))
        _star(ctx, HERO_AT[0] + d * math.cos(a), HERO_AT[1] + 0.8 * d * math.sin(a), 9, 3 * t + k,
              COLOURS[k % len(COLOURS)])
    _hero(ctx, hop=14 * abs(math.sin(2 * math.pi * 1.5 * t)), flail=f * 1.1)


def gotovo(ctx, f, t):
    """Nods with a wink while a big green tick draws itself beside."""
    ctx.save()
    progress = min(1.0, max(0.0, (t - 0.1) / 0.45))
    points = ((228, 118), (250, 142), (292, 86))
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    ctx.set_line_join(cairo.LINE_JOIN_ROUND)
    ctx.set_line_width(12)
    ctx.set_source_rgb(*draw.rgb(COLOURS[2]))
    first, second = min(1.0, progress * 2.5), max(0.0, progress * 2.5 - 1) / 1.5
    ctx.move_to(*points[0])
    ctx.line_to(points[0][0] + (points[1][0] - points[0][0]) * first,
                points[0][1] + (points[1][1] - points[0][1]) * first)
    if second > 0:
        ctx.line_to(points[1][0] + (points[2][0] - points[1][0]) * second,
                    points[1][1] + (points[2][1] - points[1][1]) * second)
    ctx.stroke()
    ctx.restore()
    blink = 1.0 if 18 <= f <= 20 else 0.0
    _hero(ctx, hop=6 * abs(math.sin(2 * math.pi * 2 * t)), heading=DOWN + 12 * math.sin(2 * math.pi * 2 * t),
          blink=blink)


def molodec(ctx, f, t):
    """Bounces, squashing on landing, under falling confetti."""
    rng = random.Random(2)
    for _ in range(46):
        x0, speed, phase = rng.uniform(0, WIDTH), rng.uniform(70, 140), rng.uniform(0, SHOWN_HEIGHT)
        colour = COLOURS[rng.randrange(len(COLOURS))]
        y = (phase + speed * t * 2.75) % (SHOWN_HEIGHT + 20) - 10
        x = x0 + 8 * math.sin(3 * t + phase)
        ctx.save()
        ctx.translate(x, y)
        ctx.rotate(phase + 6 * t)
        ctx.rectangle(-4, -2, 8, 4)
        ctx.set_source_rgb(*draw.rgb(colour))
        ctx.fill()
        ctx.restore()
    beat = (2 * t) % 1.0
    hop = 16 * math.sin(math.pi * beat)
    squash = 0.08 * max(0.0, 1 - hop / 6.0)
    _hero(ctx, hop=hop, squash=squash, flail=f * 0.9)


def otlichno(ctx, f, t):
    """Turns right round on the spot while four fireworks burst."""
    for n, (x, y, start) in enumerate(((60, 80, 0.0), (262, 70, 0.25), (70, 160, 0.5), (256, 158, 0.7))):
        age = t - start
        if age < 0 or age > 0.45:
            continue
        spread = 16 + 170 * age
        fade = 1 - age / 0.45
        ctx.set_line_cap(cairo.LINE_CAP_ROUND)
        for k in range(12):
            a = 2 * math.pi * k / 12 + n
            dx, dy = 0.5 * math.cos(a), 0.4 * math.sin(a)
            ctx.move_to(x + 0.55 * spread * dx, y + 0.55 * spread * dy)
            ctx.line_to(x + spread * dx, y + spread * dy)
            ctx.set_line_width(4 * fade + 1.5)
            ctx.set_source_rgba(*draw.rgb(COLOURS[(n + k) % len(COLOURS)]), 0.3 + 0.7 * fade)
            ctx.stroke()
    turn = min(1.0, t / 0.7)
    heading = DOWN + 360 * (turn * turn * (3 - 2 * turn))
    _hero(ctx, hop=8 * math.sin(math.pi * turn), heading=heading, flail=f * 0.8)


def ura(ctx, f, t):
    """Jumps high with waving hands while balloons float up."""
    rng = random.Random(4)
    for k in range(7):
        x, speed, start = 24 + 45 * k + rng.uniform(-10, 10), rng.uniform(60, 95), rng.uniform(0, 60)
        y = SHOWN_HEIGHT - 10 - start - speed * t * 2.75
        colour = COLOURS[k % len(COLOURS)]
        sway = 5 * math.sin(2 * math.pi * t + k)
        ctx.move_to(x + sway, y + 16)
        ctx.curve_to(x + sway - 4, y + 26, x + sway + 4, y + 34, x + sway, y + 44)
        ctx.set_line_width(1.2)
        ctx.set_source_rgb(0.45, 0.45, 0.5)
        ctx.stroke()
        ctx.save()
        ctx.translate(x + sway, y)
        ctx.scale(12, 16)
        ctx.arc(0, 0, 1, 0, 2 * math.pi)
        ctx.restore()
        ctx.set_source_rgb(*draw.rgb(colour))
        ctx.fill()
        ctx.arc(x + sway - 4, y - 6, 3, 0, 2 * math.pi)
        ctx.set_source_rgba(1, 1, 1, 0.6)
        ctx.fill()
    _hero(ctx, hop=20 * abs(math.sin(2 * math.pi * 1.25 * t)), flail=f * 1.4)


SCENES = (bravo, gotovo, molodec, otlichno, ura)


def frame(n, f):
    """Packed RGB bytes of frame f of clip n, 320 x 240."""
    surface = cairo.ImageSurface(cairo.FORMAT_RGB24, WIDTH, HEIGHT)
    ctx = cairo.Context(surface)
    ctx.set_source_rgb(1, 1, 1)
    ctx.paint()
    ctx.scale(1.0, HEIGHT / float(SHOWN_HEIGHT))
    t = f / float(FRAMES - 1)
    SCENES[n](ctx, f, t)
    _word(ctx, n, t)
    surface.flush()
    data = bytes(surface.get_data())  # B, G, R, unused; the stride is WIDTH * 4
    rgb = bytearray(WIDTH * HEIGHT * 3)
    rgb[0::3], rgb[1::3], rgb[2::3] = data[2::4], data[1::4], data[0::4]
    return bytes(rgb)


def build_encoder(workdir):
    tools = os.path.join(REPO_ROOT, "assets", "tools")
    program = os.path.join(workdir, "encode_clip")
    flags = subprocess.run(["pkg-config", "--cflags", "--libs", "theoraenc", "ogg"], check=True,
                           capture_output=True, text=True).stdout.split()
    subprocess.run(["g++", "-std=c++20", "-O2", "-I", REPO_ROOT, os.path.join(tools, "encode_clip.cpp"),
                    os.path.join(tools, "theora_clip_writer.cpp"), "-o", program] + flags, check=True)
    return program


def generate(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    paths = []
    with tempfile.TemporaryDirectory() as workdir:
        encoder = build_encoder(workdir)
        for n in range(len(SCENES)):
            frames = os.path.join(workdir, "frames.rgb")
            with open(frames, "wb") as f:
                for k in range(FRAMES):
                    f.write(frame(n, k))
            path = os.path.join(out_dir, "praise_clip_%d.ogv" % n)
            made = os.path.join(workdir, os.path.basename(path))
            subprocess.run([encoder, str(WIDTH), str(HEIGHT), str(FPS), str(QUALITY), str(SERIAL_BASE + n), frames,
                            made], check=True)
            with open(made, "rb") as f:
                png.write_if_changed(path, f.read())
            paths.append(path)
    return paths


def contact_sheet(path, n, every=4):
    """Every `every`-th frame of clip n as the pop-up shows it (squashed to 320 x 200), side by side."""
    picks = list(range(0, FRAMES, every))
    sheet = cairo.ImageSurface(cairo.FORMAT_RGB24, 4 * (WIDTH + 4), ((len(picks) + 3) // 4) * (SHOWN_HEIGHT + 4))
    ctx = cairo.Context(sheet)
    ctx.set_source_rgb(0.3, 0.3, 0.3)
    ctx.paint()
    for i, f in enumerate(picks):
        rgb = frame(n, f)
        one = cairo.ImageSurface(cairo.FORMAT_RGB24, WIDTH, HEIGHT)
        data = one.get_data()
        for p in range(WIDTH * HEIGHT):
            data[4 * p:4 * p + 3] = bytes((rgb[3 * p + 2], rgb[3 * p + 1], rgb[3 * p]))
        one.mark_dirty()
        ctx.save()
        ctx.translate((i % 4) * (WIDTH + 4), (i // 4) * (SHOWN_HEIGHT + 4))
        ctx.scale(1.0, SHOWN_HEIGHT / float(HEIGHT))
        ctx.set_source_surface(one, 0, 0)
        ctx.paint()
        ctx.restore()
    sheet.write_to_png(path)


if __name__ == "__main__":
    if len(sys.argv) > 3 and sys.argv[1] == "--sheet":
        contact_sheet(sys.argv[2], int(sys.argv[3]))
    else:
        generate(sys.argv[1] if len(sys.argv) > 1 else APP_DIR)
