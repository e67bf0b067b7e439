"""Checks the committed maze game assets: file shapes, the maze picture against the table, the hero's
joined poses and the sounds' trailing silence. Run with `python3 -m unittest` from the repository root."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

from assets.gen import png
from assets.generators import game_manifest, hero_frames, maze_map, voice

HERE = os.path.dirname(os.path.abspath(__file__))
GAME_DIR = os.path.join(os.path.dirname(HERE), "generated", "game")


def _path(name):
    return os.path.join(GAME_DIR, name)


def _pixel(picture, x, y):
    width, _, channels, pixels = picture
    i = (y * width + x) * channels
    return pixels[i:i + channels]


def _mean_colour(picture, left, top, size):
    total = [0, 0, 0]
    for y in range(top, top + size):
        for x in range(left, left + size):
            for c, v in enumerate(_pixel(picture, x, y)[:3]):
                total[c] += v
    return [v / float(size * size) for v in total]


def _is_water(colour):
    r, g, b = colour
    return b > r + 40


class PictureFileTest(unittest.TestCase):
    def assert_plain_png(self, name, size, channels):
        kinds = [kind for kind, _ in png.read_chunks(_path(name))]
        self.assertEqual(kinds[0], b"IHDR", name)
        self.assertEqual(kinds[-1], b"IEND", name)
        self.assertEqual(set(kinds), {b"IHDR", b"IDAT", b"IEND"}, name)
        width, height, got_channels, pixels = png.read_png(_path(name))
        self.assertEqual((width, height, got_channels), size + (channels,), name)
        self.assertEqual(len(pixels), width * height * channels, name)

    def test_maze_is_an_800_by_600_rgb_picture(self):
        self.assert_plain_png("180.png", (800, 600), 3)

    def test_every_hero_frame_exists_as_a_78_pixel_rgba_picture(self):
        names = [name for name, _ in hero_frames.frames()]
        self.assertEqual(len(names), 244)
        self.assertEqual(len(set(hero_frames.resource_id(n) for n in names)), 244)
        for name in names:
            self.assert_plain_png(name + ".png", (78, 78), 4)

    def test_manifest_lists_every_committed_file_under_its_own_id(self):
        entries = game_manifest.entries()
        self.assertEqual({os.path.basename(path) for _, _, path in entries}, set(os.listdir(GAME_DIR)))
        ids = [rid for _, rid, _ in entries]
        self.assertEqual(len(set(ids)), len(ids))
        # The instruction sound and picture are made elsewhere under these ids.
        self.assertFalse({14464, 14467} & set(ids))
        self.assertEqual(dict((name, rid) for name, rid, _ in entries)["1000018"], 16978)


class RegenerationTest(unittest.TestCase):
    def test_generators_reproduce_the_committed_files(self):
        scripts = ["maze.py", "hero.py"]
        if shutil.which("espeak-ng") and shutil.which("oggenc") and shutil.which("sox"):
            scripts.append("game_sounds.py")
        with tempfile.TemporaryDirectory() as out:
            for script in scripts:
                subprocess.run([sys.executable, os.path.join(HERE, script), out], check=True)
            differing = []
            for name in sorted(os.listdir(out)):
                with open(os.path.join(out, name), "rb") as made, open(_path(name), "rb") as kept:
                    if made.read() != kept.read():
                        differing.append(name)
            self.assertEqual(differing, [])
            self.assertGreaterEqual(len(os.listdir(out)), 245)


class MazePictureTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.picture = png.read_png(_path("180.png"))

    def test_table_is_one_tree_from_start_to_goal(self):
        cells = {(x, y) for y in range(20) for x in range(20) if maze_map.walkable(x, y)}
        self.assertEqual(len(cells), 96)
        seen, todo = {maze_map.START}, [maze_map.START]
        while todo:
            x, y = todo.pop()
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                if (x + dx, y + dy) in cells and (x + dx, y + dy) not in seen:
                    seen.add((x + dx, y + dy))
                    todo.append((x + dx, y + dy))
        self.assertEqual(seen, cells)
        self.assertIn(maze_map.GOAL, seen)
        self.assertEqual([maze_map.walkable(x, 0) for x in range(20)].count(True), 1)
        self.assertEqual([maze_map.walkable(x, 19) for x in range(20)].count(True), 1)

    def test_no_pixel_could_be_taken_for_the_red_path(self):
        _, _, _, pixels = self.picture
        reddish = [i // 3 for i in range(0, len(pixels), 3)
                   if pixels[i] > 150 and pixels[i] > pixels[i + 1] + 60 and pixels[i] > pixels[i + 2] + 60]
        self.assertEqual(reddish[:5], [])

    def test_every_cell_centre_shows_what_the_table_says(self):
        wrong = []
        for y in range(maze_map.SIZE):
            for x in range(maze_map.SIZE):
                left, top, _, _ = maze_map.cell_rect(x, y)
                water = _is_water(_mean_colour(self.picture, left + 7, top + 7, 6))
                if water == maze_map.walkable(x, y):
                    wrong.append((x, y))
        self.assertEqual(wrong, [])

    def test_walkable_things_keep_inside_their_cells(self):
        # The water between a cell and its watery neighbour stays water along the shared edge.
        wrong = []
        for y in range(maze_map.SIZE):
            for x in range(maze_map.SIZE):
                if not maze_map.walkable(x, y):
                    continue
                left, top, right, bottom = maze_map.cell_rect(x, y)
                for dx, dy, px, py in ((1, 0, right, top + 10), (-1, 0, left - 1, top + 10),
                                       (0, 1, left + 10, bottom), (0, -1, left + 10, top - 1)):
                    nx, ny = x + dx, y + dy
                    if 0 <= nx < 20 and 0 <= ny < 20 and not maze_map.walkable(nx, ny):
                        if not _is_water(_pixel(self.picture, px, py)):
                            wrong.append(((x, y), (dx, dy)))
        self.assertEqual(wrong, [])

    def test_banks_touch_the_start_and_the_goal(self):
        for x, y in ((390, 99), (390, 500)):
            self.assertFalse(_is_water(_pixel(self.picture, x, y)), (x, y))
        # Beside the landing the field's border rows are water.
        for x, y in ((300, 100), (300, 499), (500, 100), (500, 499)):
            self.assertTrue(_is_water(_pixel(self.picture, x, y)), (x, y))


class HeroFrameTest(unittest.TestCase):
    def test_poses_shared_by_two_runs_are_the_same_picture(self):
        for a, b in hero_frames.SAME_POSES:
            self.assertEqual(png.read_png(_path(a + ".png")), png.read_png(_path(b + ".png")), (a, b))

    def test_standing_figure_fills_the_middle_and_leaves_a_margin(self):
        for name in hero_frames.STILL.values():
            width, height, _, pixels = png.read_png(_path(name + ".png"))
            opaque = [(i // 4 % width, i // 4 // width) for i in range(3, len(pixels), 4) if pixels[i] > 128]
            xs, ys = [p[0] for p in opaque], [p[1] for p in opaque]
            self.assertTrue(36 <= max(xs) - min(xs) <= 56 and 36 <= max(ys) - min(ys) <= 56, name)
            self.assertTrue(min(xs) >= 8 and min(ys) >= 8 and max(xs) <= 69 and max(ys) <= 69, name)

    def test_each_run_moves_and_the_four_facings_differ(self):
        table = hero_frames.frames()
        start = 0
        for prefix, first, last, _ in hero_frames.RUNS:
            count = last - first + 1
            shown = {png.read_png(_path(n + ".png"))[3] for n, _ in table[start:start + count]}
            self.assertGreater(len(shown), 2, prefix)
            start += count
        still = {png.read_png(_path(n + ".png"))[3] for n in hero_frames.STILL.values()}
        self.assertEqual(len(still), 4)

    def test_drowning_ends_with_the_hero_gone(self):
        for last in ("125", "142", "159", "176"):
            _, _, _, pixels = png.read_png(_path(last + ".png"))
            self.assertLess(max(pixels[3::4]), 160, last)


@unittest.skipUnless(shutil.which("oggdec"), "oggdec is not installed")
class SoundTest(unittest.TestCase):
    def test_sounds_decode_and_end_in_silence(self):
        for name, shortest, longest in (("14465.ogg", 1.5, 2.0), ("14466.ogg", 1.0, 3.5)):
            (rate, channels, width), samples = voice.decode(_path(name))
            self.assertEqual((rate, channels, width), (44100, 2, 2), name)
            seconds = len(samples) / float(rate * channels)
            self.assertTrue(shortest <= seconds <= longest, (name, seconds))
            self.assertGreater(max(abs(v) for v in samples), 8000, name)
            tail = samples[-int(0.15 * rate) * channels:]
            self.assertLess(max(abs(v) for v in tail), 64, name)


if __name__ == "__main__":
    unittest.main()
