#!/usr/bin/python3
"""Draws the flooded maze background "180": water, two banks, a plank or a stone on every walkable cell."""

import math
import os
import random
import sys

if __package__ in (None, ""):
    sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))

from assets.generators.game_cairo import cairo, out_dir_from_argv  # noqa: E402
from assets.gen import png  # noqa: E402
from assets.generators import maze_map  # noqa: E402

WIDTH, HEIGHT = 800, 600
SEED = 180

# No colour here may look red: the pupil's path is stroked over this picture in pure red.
WATER_LIGHT = (0.22, 0.56, 0.74)
WATER_DEEP = (0.13, 0.40, 0.60)
CREST = (0.78, 0.91, 0.96)
TROUGH = (0.08, 0.30, 0.48)
SAND = (0.89, 0.83, 0.62)
SAND_WET = (0.74, 0.70, 0.52)
GRASS = (0.45, 0.70, 0.33)
GRASS_DARK = (0.33, 0.56, 0.25)
GRASS_LIGHT = (0.58, 0.80, 0.40)
BUSH = (0.22, 0.48, 0.22)
WOOD = (0.78, 0.63, 0.40)
WOOD_EDGE = (0.37, 0.26, 0.15)
WOOD_GRAIN = (0.60, 0.46, 0.28)
NAIL = (0.42, 0.44, 0.46)
STONE_LIGHT = (0.80, 0.79, 0.76)
STONE_DARK = (0.52, 0.51, 0.49)
STONE_EDGE = (0.27, 0.27, 0.27)
MOSS = (0.47, 0.60, 0.31)
SHADOW = (0.05, 0.22, 0.36)
FLOWERS = ((1.0, 0.95, 0.35), (0.98, 0.98, 0.98), (0.55, 0.70, 1.0))

# The banks meet the start and goal cells over this span of screen columns.
LANDING = (372, 408)


def _water(ctx, rng):
    gradient = cairo.LinearGradient(0, 0, WIDTH, HEIGHT)
    gradient.add_color_stop_rgb(0, *WATER_LIGHT)
    gradient.add_color_stop_rgb(1, *WATER_DEEP)
    ctx.set_source(gradient)
    ctx.paint()
    for _ in range(90):
        x, y, r = rng.uniform(0, WIDTH), rng.uniform(0, HEIGHT), rng.uniform(25, 70)
        glow = cairo.RadialGradient(x, y, 0, x, y, r)
        glow.add_color_stop_rgba(0, *CREST, 0.10)
        glow.add_color_stop_rgba(1, *CREST, 0.0)
        ctx.set_source(glow)
        ctx.arc(x, y, r, 0, 2 * math.pi)
        ctx.fill()
    ctx.set_line_cap(cairo.LINE_CAP_ROUND)
    for _ in range(1100):
        x, y, r = rng.uniform(-10, WIDTH + 10), rng.uniform(-10, HEIGHT + 10), rng.uniform(3.5, 9)
        span = rng.uniform(0.35, 0.6) * math.pi
        ctx.set_line_width(1.3)
        ctx.set_source_rgba(*TROUGH, 0.35)
        ctx.arc(x, y + 1.6, r, 1.5 * math.pi - span / 2, 1.5 * math.pi + span / 2)
        ctx.stroke()
        ctx.set_source_rgba(*CREST, 0.55)
        ctx.arc(x, y, r, 1.5 * math.pi - span / 2, 1.5 * math.pi + span / 2)
        ctx.stroke()


def _shore(top):
    """Points of a wavy shoreline; it reaches the field edge exactly over the landing."""
    edge_y = maze_map.FIELD_Y if top else maze_map.FIELD_Y + maze_map.SIZE * maze_map.CELL
    away = -1 if top else 1
    points = []
    for x in range(0, WIDTH + 1, 4):
        wave = 4 * math.sin(x / 37.0 + (0 if top else 2)) + 2.5 * math.sin(x / 13.0 + 1)
        depth = 16 + wave
        centre = (LANDING[0] + LANDING[1]) / 2
        reach = max(0.0, 1 - abs(x - centre) / 48.0)
        depth = depth * (1 - reach * reach * (3 - 2 * reach))
        if LANDING[0] <= x <= LANDING[1]:
            depth = 0.0
        points.append((x, edge_y + away * depth))
    return points


def _bank_path(ctx, top, offset=0.0):
    points = _shore(top)
    far = -20 if top else HEIGHT + 20
    ctx.move_to(-20, far)
    for x, y in points:
        ctx.line_to(x, y + (-offset if top else offset))
    ctx.line_to(WIDTH + 20, far)
    ctx.close_path()


def _bank(ctx, rng, top):
    _bank_path(ctx, top, 3)
    ctx.set_source_rgba(*CREST, 0.6)
    ctx.fill()
    _bank_path(ctx, top)
    ctx.set_source_rgb(*SAND_WET)
    ctx.fill()
    _bank_path(ctx, top, -2)
    ctx.set_source_rgb(*SAND)
    ctx.fill()
    grass_line = maze_map.FIELD_Y - 30 if top else maze_map.FIELD_Y + maze_map.SIZE * maze_map.CELL + 30
    ctx.save()
    ctx.move_to(-20, -20 if top else HEIGHT + 20)
    for x in range(0, WIDTH + 1, 4):
        ctx.line_to(x, grass_line + 5 * math.sin(x / 23.0 + (1 if top else 4)) + 3 * math.sin(x / 7.0))
    ctx.line_to(WIDTH + 20, -20 if top else HEIGHT + 20)
    ctx.close_path()
    ctx.set_source_rgb(*GRASS)
    ctx.fill_preserve()
    ctx.clip()
    y0, y1 = (0, grass_line + 10) if top else (grass_line - 10, HEIGHT)
    for _ in range(500):
        x, y = rng.uniform(0, WIDTH), rng.uniform(y0, y1)
        ctx.set_source_rgba(*(GRASS_DARK if rng.random() < 0.5 else GRASS_LIGHT), 0.7)
        ctx.set_line_width(1.2)
        ctx.move_to(x, y)
        ctx.line_to(x + rng.uniform(-2, 2), y - rng.uniform(2, 5))
        ctx.stroke()
    for _ in range(16):
        _bush(ctx, rng, rng.uniform(0, WIDTH), rng.uniform(y0 + 8, y1 - 16))
    for _ in range(60):
        _flower(ctx, rng, rng.uniform(0, WIDTH), rng.uniform(y0, y1 - 8))
    ctx.restore()


def _bush(ctx, rng, x, y):
    if abs(x - sum(LANDING) / 2) < 50:
        return
    blobs = [(x + rng.uniform(-9, 9), y + rng.uniform(-6, 6), rng.uniform(7, 11)) for _ in range(4)]
    ctx.set_source_rgba(0.1, 0.25, 0.1, 0.35)
    for bx, by, r in blobs:
        ctx.arc(bx + 3, by + 3, r, 0, 2 * math.pi)
        ctx.fill()
    for bx, by, r in blobs:
        shade = cairo.RadialGradient(bx - r / 3, by - r / 3, 1, bx, by, r)
        shade.add_color_stop_rgb(0, *GRASS_LIGHT)
        shade.add_color_stop_rgb(1, *BUSH)
        ctx.set_source(shade)
        ctx.arc(bx, by, r, 0, 2 * math.pi)
        ctx.fill()


def _flower(ctx, rng, x, y):
    colour = FLOWERS[rng.randrange(len(FLOWERS))]
    ctx.set_source_rgb(*colour)
    for k in range(5):
        a = k * 2 * math.pi / 5
        ctx.arc(x + 2.2 * math.cos(a), y + 2.2 * math.sin(a), 1.5, 0, 2 * math.pi)
        ctx.fill()
    ctx.set_source_rgb(0.95, 0.8, 0.2) if colour != FLOWERS[0] else ctx.set_source_rgb(0.98, 0.98, 0.9)
    ctx.arc(x, y, 1.2, 0, 2 * math.pi)
    ctx.fill()


def _is_plank(x, y):
    """Straight runs get planks (returns 'h' or 'v'); corners, junctions and ends get stones (None)."""
    joined = set(maze_map.links(x, y))
    if joined == {(1, 0), (-1, 0)}:
        return "h"
    if joined == {(0, 1), (0, -1)}:
        return "v"
    return None


def _plank(ctx, rng, left, top, along):
    # Two boards lie along the run, each inside the cell, with a water gap at the cell edges.
    ctx.save()
    ctx.translate(left + 10, top + 10)
    if along == "v":
        ctx.rotate(math.pi / 2)
    ctx.set_source_rgba(*SHADOW, 0.55)
    ctx.rectangle(-8, -6, 18, 15)
    ctx.fill()
    for board in (-6.5, 0.5):
        tone = rng.uniform(-0.05, 0.05)
        ctx.rectangle(-9, board, 18, 6)
        ctx.set_source_rgb(*(c + tone for c in WOOD))
        ctx.fill_preserve()
        ctx.set_line_width(1)
        ctx.set_source_rgb(*WOOD_EDGE)
        ctx.stroke()
        ctx.set_source_rgba(*WOOD_GRAIN, 0.9)
        ctx.set_line_width(0.8)
        g = board + rng.uniform(2, 4)
        ctx.move_to(-7, g)
        ctx.curve_to(-3, g - 0.8, 1, g + 0.8, 6, g)
        ctx.stroke()
        ctx.set_source_rgba(1, 1, 0.9, 0.35)
        ctx.move_to(-8.5, board + 1)
        ctx.line_to(8.5, board + 1)
        ctx.stroke()
        ctx.set_source_rgb(*NAIL)
        for nx in (-7, 7):
            ctx.arc(nx, board + 3, 0.9, 0, 2 * math.pi)
            ctx.fill()
    ctx.restore()


def _stone(ctx, rng, left, top):
    cx, cy = left + 10, top + 10
    corners = []
    for k in range(9):
        a = k * 2 * math.pi / 9 + rng.uniform(-0.15, 0.15)
        r = rng.uniform(7.6, 8.6)
        corners.append((cx + r * math.cos(a), cy + r * math.sin(a)))

    def outline(dx, dy):
        mids = [((ax + bx) / 2 + dx, (ay + by) / 2 + dy)
                for (ax, ay), (bx, by) in zip(corners, corners[1:] + corners[:1])]
        ctx.move_to(*mids[-1])
        for (px, py), (mx, my) in zip(corners, mids):
            ctx.curve_to(px + dx, py + dy, px + dx, py + dy, mx, my)
        ctx.close_path()

    outline(1.3, 1.5)
    ctx.set_source_rgba(*SHADOW, 0.55)
    ctx.fill()
    outline(0, 0)
    shade = cairo.RadialGradient(cx - 3, cy - 3, 1, cx, cy, 9)
    shade.add_color_stop_rgb(0, *STONE_LIGHT)
    shade.add_color_stop_rgb(1, *STONE_DARK)
    ctx.set_source(shade)
    ctx.fill_preserve()
    ctx.set_line_width(1.1)
    ctx.set_source_rgb(*STONE_EDGE)
    ctx.stroke()
    ctx.set_source_rgba(*MOSS, 0.8)
    a = rng.uniform(0, 2 * math.pi)
    ctx.arc(cx + 4 * math.cos(a), cy + 4 * math.sin(a), 2.2, 0, 2 * math.pi)
    ctx.fill()
    ctx.set_source_rgba(1, 1, 1, 0.55)
    ctx.arc(cx - 3, cy - 3, 1.8, 0, 2 * math.pi)
    ctx.fill()


def _foam(ctx, left, top):
    ctx.set_source_rgba(*CREST, 0.5)
    ctx.set_line_width(1.2)
    ctx.arc(left + 10, top + 10, 9.3, 0, 2 * math.pi)
    ctx.stroke()


def draw(ctx):
    rng = random.Random(SEED)
    _water(ctx, rng)
    _bank(ctx, rng, top=True)
    _bank(ctx, rng, top=False)
    for y in range(maze_map.SIZE):
        for x in range(maze_map.SIZE):
            if not maze_map.walkable(x, y):
                continue
            left, top, _, _ = maze_map.cell_rect(x, y)
            ctx.save()
            ctx.rectangle(left, top, maze_map.CELL, maze_map.CELL)
            ctx.clip()
            along = _is_plank(x, y)
            if along:
                _plank(ctx, rng, left, top, along)
            else:
                _foam(ctx, left, top)
                _stone(ctx, rng, left, top)
            ctx.restore()


def generate(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, WIDTH, HEIGHT)
    draw(cairo.Context(surface))
    path = os.path.join(out_dir, "180.png")
    png.write_surface(surface, path, alpha=False)
    return [path]


if __name__ == "__main__":
    generate(out_dir_from_argv())
