"""Checks the committed application screens' assets: picture shapes and the places the screens rely on,
sound formats, lengths and cue timing, the manifest and regeneration. Run with `python3 -m unittest` from the
repository root."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

from assets.gen import png
from assets.generators import app_sounds, voice

HERE = os.path.dirname(os.path.abspath(__file__))
ASSETS = os.path.dirname(HERE)
APP_DIR = os.path.join(ASSETS, "generated", "app")

# name: (width, height) of every picture, all RGBA.
PICTURES = {
    "14467": (80, 64),
    "KEYBOARDPIC": (524, 230),
    "KEYSPACE": (112, 14),
    "MOUSE": (246, 246),
    "oblako_png": (506, 350),
}
# name: (rate, shortest, longest seconds, resource sound) of every sound, all stereo.
SOUNDS = {
    "14464": (44100, 8.0, 30.0, True),
    "ENDHELPSOUND": (44000, 3.0, 8.0, False),
    "bravo_sound": (44100, 0.3, 2.0, False),
    "gotovo_sound": (11025, 0.3, 2.0, False),
    "molodec_sound": (44100, 0.3, 2.0, False),
    "otlichno_sound": (44100, 0.3, 2.0, False),
    "ura_sound": (22050, 0.3, 2.0, False),
}
CLIPS = ["praise_clip_%d" % n for n in range(5)]
TOOLS = ("espeak-ng", "sox", "oggenc", "g++", "pkg-config")


def _path(name):
    return os.path.join(APP_DIR, name)


def _alpha(picture, x, y):
    width, _, _, pixels = picture
    return pixels[(y * width + x) * 4 + 3]


def _rgb(picture, x, y):
    width, _, _, pixels = picture
    i = (y * width + x) * 4
    return tuple(pixels[i:i + 3])


def _opaque(picture):
    width, height, _, _ = picture
    return [(x, y) for y in range(height) for x in range(width) if _alpha(picture, x, y) > 128]


def _is_key_face(colour):
    return min(colour) > 200


class PictureTest(unittest.TestCase):
    def test_pictures_are_plain_rgba_pngs_of_their_sizes(self):
        for name, size in PICTURES.items():
            kinds = [kind for kind, _ in png.read_chunks(_path(name + ".png"))]
            self.assertEqual(kinds, [b"IHDR", b"IDAT", b"IEND"], name)
            width, height, channels, _ = png.read_png(_path(name + ".png"))
            self.assertEqual((width, height, channels), size + (4,), name)

    def test_marker_points_down_at_the_middle_column(self):
        # Drawn at x 350 and 80 wide, its middle is the start and goal column (screen x 380-400).
        marker = png.read_png(_path("14467.png"))
        opaque = _opaque(marker)
        lowest = max(y for _, y in opaque)
        tip = [x for x, y in opaque if y == lowest]
        self.assertGreaterEqual(lowest, 56)
        self.assertTrue(all(36 <= x <= 43 for x in tip), tip)
        widest_top = [x for x, y in opaque if y == 10]
        widest_low = [x for x, y in opaque if y == 32]
        self.assertLess(max(widest_top) - min(widest_top), max(widest_low) - min(widest_low))

    def test_keyboard_space_bar_lies_exactly_under_the_blinking_one(self):
        keyboard = png.read_png(_path("KEYBOARDPIC.png"))
        lit = png.read_png(_path("KEYSPACE.png"))
        left, top, width, height = 130, 155, 112, 14
        # Its corners and edges are key face; just outside lies the gap to the next key or the key's front.
        for x, y in ((left, top + 7), (left + width - 1, top + 7), (left + 56, top), (left + 56, top + height - 1)):
            self.assertTrue(_is_key_face(_rgb(keyboard, x, y)), (x, y))
        for x, y in ((left - 2, top + 7), (left + width + 1, top + 7), (left + 56, top - 2),
                     (left + 56, top + height + 1)):
            self.assertFalse(_is_key_face(_rgb(keyboard, x, y)), (x, y))
        # The lit bar is opaque, so it hides the plain one, and it looks different.
        self.assertEqual(min(lit[3][3::4]), 255)
        self.assertFalse(_is_key_face(_rgb(lit, 10, 7)))

    def test_mouse_shows_its_left_button_lit_on_a_clear_ground(self):
        mouse = png.read_png(_path("MOUSE.png"))
        for x, y in ((0, 245), (245, 245), (0, 0)):
            self.assertEqual(_alpha(mouse, x, y), 0, (x, y))
        r, g, b = _rgb(mouse, 95, 110)
        self.assertTrue(r > 200 and b < 120, (r, g, b))
        self.assertTrue(_is_key_face(_rgb(mouse, 150, 110)))

    def test_cloud_is_flat_around_the_clip_in_the_clips_own_white(self):
        cloud = png.read_png(_path("oblako_png.png"))
        # The clip covers cloud-local (93, 76)-(413, 276); its white background decodes to 253.
        margin = 8
        odd = [(x, y) for y in range(76 - margin, 276 + margin) for x in range(93 - margin, 413 + margin)
               if _rgb(cloud, x, y) != (253, 253, 253) or _alpha(cloud, x, y) != 255]
        self.assertEqual(odd[:5], [])
        for x, y in ((0, 0), (505, 0), (0, 349), (505, 349)):
            self.assertEqual(_alpha(cloud, x, y), 0, (x, y))


def loud_at(samples, rate, start, length=0.02):
    """True when the stereo signal reaches 1 % of full scale within [start, start + length) seconds."""
    window = samples[int(start * rate) * 2:int((start + length) * rate) * 2]
    return max((abs(v) for v in window), default=0) > 330


@unittest.skipUnless(shutil.which("oggdec"), "oggdec is not installed")
class SoundTest(unittest.TestCase):
    def test_sounds_have_their_formats_lengths_and_silent_ends(self):
        for name, (rate, shortest, longest, resource) in SOUNDS.items():
            (got_rate, channels, width), samples = voice.decode(_path(name + ".ogg"))
            self.assertEqual((got_rate, channels, width), (rate, 2, 2), name)
            seconds = len(samples) / float(rate * channels)
            self.assertTrue(shortest <= seconds <= longest, (name, seconds))
            self.assertGreater(max(abs(v) for v in samples), 8000, name)
            if resource:
                # The program cuts the last 80 ms of a resource sound: only silence may go.
                tail = samples[-int(0.15 * rate) * channels:]
                self.assertLess(max(abs(v) for v in tail), 64, name)

    def test_instruction_words_follow_the_marker(self):
        (rate, _, _), samples = voice.decode(_path("14464.ogg"))
        for cue in (app_sounds.MARKER_SHOWN, app_sounds.MARKER_MOVED):
            # Quiet while the marker moves, speaking within 0.15 s after it got there.
            self.assertFalse(any(loud_at(samples, rate, cue - 0.06 + 0.02 * k) for k in range(3)), cue)
            self.assertTrue(any(loud_at(samples, rate, cue + 0.02 * k) for k in range(8)), cue)
        # The voice still plays when the marker hides, or that label would never fire.
        self.assertTrue(any(loud_at(samples, rate, app_sounds.MARKER_HIDDEN + 0.1 * k) for k in range(1, 20)))


def ogg_pages(path):
    """[(serial, header type, granule position, packet bytes of the page)] of an Ogg file."""
    with open(path, "rb") as f:
        data = f.read()
    pages, at = [], 0
    while at < len(data):
        if data[at:at + 4] != b"OggS":
            raise ValueError("no page at %d" % at)
        kind = data[at + 5]
        granule = int.from_bytes(data[at + 6:at + 14], "little", signed=True)
        serial = int.from_bytes(data[at + 14:at + 18], "little")
        segments = data[at + 26]
        body = sum(data[at + 27:at + 27 + segments])
        start = at + 27 + segments
        pages.append((serial, kind, granule, data[start:start + body]))
        at = start + body
    return pages


class ClipTest(unittest.TestCase):
    def test_clips_are_lone_theora_streams_of_the_praise_shape(self):
        serials = set()
        for name in CLIPS:
            pages = ogg_pages(_path(name + ".ogv"))
            self.assertEqual(len({serial for serial, _, _, _ in pages}), 1, name)
            serials.add(pages[0][0])
            header = pages[0][3]
            self.assertEqual(header[:7], b"\x80theora", name)
            frame_size = (int.from_bytes(header[10:12], "big") * 16, int.from_bytes(header[12:14], "big") * 16)
            picture = (int.from_bytes(header[14:17], "big"), int.from_bytes(header[17:20], "big"))
            offset = (header[20], header[21])
            rate = (int.from_bytes(header[22:26], "big"), int.from_bytes(header[26:30], "big"))
            flags = int.from_bytes(header[40:42], "big")  # quality, keyframe shift, pixel format
            shift, pixel_format = (flags >> 5) & 31, (flags >> 3) & 3
            self.assertEqual((frame_size, picture, offset, rate, pixel_format),
                             ((320, 240), (320, 240), (0, 0), (12, 1), 0), name)
            # The last granule position counts the frames: keyframe number and frames since.
            granule = pages[-1][2]
            frames = (granule >> shift) + (granule & ((1 << shift) - 1))
            self.assertTrue(30 <= frames <= 36, (name, frames))
            self.assertEqual(pages[-1][1] & 4, 4, "the stream ends")
        self.assertEqual(len(serials), len(CLIPS))


class ManifestTest(unittest.TestCase):
    def test_every_generated_file_is_embedded_once_under_its_name(self):
        with open(os.path.join(ASSETS, "manifest.txt"), encoding="utf-8") as f:
            lines = [line.split() for line in f if line.strip() and not line.startswith("#")]
        listed = {}
        for kind, key, path in lines:
            if path.startswith("generated/app/"):
                self.assertNotIn(path, listed)
                listed[path] = (kind, key)
        expected = {}
        for name in os.listdir(APP_DIR):
            key = os.path.splitext(name)[0]
            expected["generated/app/" + name] = ("id", key) if re.fullmatch(r"\d+", key) else ("blob", key)
        self.assertEqual(listed, expected)


@unittest.skipUnless(all(shutil.which(tool) for tool in TOOLS), "a sound tool is not installed")
class RegenerationTest(unittest.TestCase):
    def test_generators_reproduce_the_committed_files(self):
        with tempfile.TemporaryDirectory() as out:
            for script in ("app_pictures.py", "app_sounds.py", "praise_clips.py"):
                subprocess.run([sys.executable, os.path.join(HERE, script), out], check=True)
            made = sorted(os.listdir(out))
            self.assertEqual(made, sorted(os.listdir(APP_DIR)))
            differing = []
            for name in made:
                with open(os.path.join(out, name), "rb") as new, open(_path(name), "rb") as kept:
                    if new.read() != kept.read():
                        differing.append(name)
            self.assertEqual(differing, [])


if __name__ == "__main__":
    unittest.main()
