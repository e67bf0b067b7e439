"""Whitespace marker pictures of the text view, drawn pixel by pixel in the text's dark colour."""

import os

from . import png

DARK = (32, 28, 25)
CLEAR_GREY = (180, 180, 180, 0)


def generate(out_dir):
    os.makedirs(out_dir, exist_ok=True)

    def write(name, width, height, dark_pixels, background, alpha):
        pixels = bytearray()
        for y in range(height):
            for x in range(width):
                colour = DARK + ((255,) if alpha else ()) if (x, y) in dark_pixels else background
                pixels += bytes(colour)
        png.write_if_changed(os.path.join(out_dir, name + ".png"), png.encode(width, height, bytes(pixels), alpha))

    every = {(x, y) for x in range(3) for y in range(3)}
    write("TextSpaceMarker", 3, 3, every, DARK, alpha=False)
    write("TextLineBreakMarker", 11, 21, pilcrow(), CLEAR_GREY, alpha=True)
    write("TextTabMarker", 10, 5, tab_arrow(), CLEAR_GREY, alpha=True)
    write("TextEmptyLineBreak", 1, 1, set(), (255, 255, 255, 0), alpha=True)


def pilcrow():
    """Two stems in columns 5 and 8 down to the last row, joined at the top, and a bowl in columns 0-5 of rows 0-8."""
    dark = {(x, 0) for x in range(5, 9)}
    dark |= {(5, y) for y in range(21)} | {(8, y) for y in range(21)}
    bowl_rows = [(2, 5), (1, 5), (0, 5), (0, 5), (0, 5), (0, 5), (0, 5), (1, 5), (2, 5)]
    for y, (left, right) in enumerate(bowl_rows):
        dark |= {(x, y) for x in range(left, right + 1)}
    return dark


def tab_arrow():
    dark = {(x, 2) for x in range(10)}
    dark |= {(x, y) for y in (1, 3) for x in range(6, 9)}
    dark |= {(x, y) for y in (0, 4) for x in range(6, 8)}
    return dark
