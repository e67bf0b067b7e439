#!/usr/bin/python3
"""Makes the maze game's sounds: the success jingle "14465" and the drowning sound "14466".

Both are 44100 Hz stereo Ogg Vorbis ending in silence, because the game cuts the last 80 ms of a
resource sound. Speech comes from espeak-ng's Russian voice; sox resamples it without dither, and
oggenc writes a fixed stream serial, so the files come out the same on every run.
"""

import math
import os
import random
import sys
import tempfile

if __package__ in (None, ""):
    sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))

from assets.generators import voice  # noqa: E402

RATE = 44100
TAIL_SILENCE = 0.3
SPEECH = "Ой! Попробуй ещё раз."
GAME_DIR = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "generated", "game")


def _note(freq, start, length, gain, pan, out_left, out_right):
    """Adds a bell-like note (fundamental with two overtones, quick attack, exponential decay)."""
    first = int(start * RATE)
    count = int(length * RATE)
    decay = 4.0 / length
    for i in range(count):
        t = i / float(RATE)
        attack = min(1.0, t / 0.006)
        release = min(1.0, (count - i) / (0.03 * RATE))
        env = gain * attack * release * math.exp(-decay * t)
        w = 2 * math.pi * freq * t
        v = env * (math.sin(w) + 0.35 * math.sin(2 * w) + 0.12 * math.sin(3 * w))
        out_left[first + i] += v * (1 - max(0.0, pan))
        out_right[first + i] += v * (1 + min(0.0, pan))


def _silent_tracks(seconds):
    n = int(seconds * RATE)
    return [0.0] * n, [0.0] * n


def jingle():
    """A rising major arpeggio landing on a ringing chord with a little sparkle on top."""
    left, right = _silent_tracks(1.4)
    notes = ((392.00, 0.00), (523.25, 0.12), (659.25, 0.24), (783.99, 0.36))
    for n, (freq, start) in enumerate(notes):
        _note(freq, start, 0.35, 0.5, -0.3 if n % 2 else 0.3, left, right)
    for freq in (523.25, 659.25, 783.99, 1046.50):
        _note(freq, 0.50, 0.88, 0.32, 0.0, left, right)
    for n, freq in enumerate((2093.0, 2637.0, 3136.0)):
        _note(freq, 0.56 + 0.07 * n, 0.35, 0.12, 0.5 - 0.5 * n, left, right)
    return left, right


def splash():
    """Seeded noise through a closing low-pass, plus a few rising droplet blips."""
    left, right = _silent_tracks(0.6)
    rng = random.Random(14466)
    state = [0.0, 0.0]
    for i in range(len(left)):
        t = i / float(RATE)
        env = min(1.0, t / 0.004) * math.exp(-7.0 * t)
        cutoff = 0.05 + 0.5 * math.exp(-9.0 * t)
        for c, track in enumerate((left, right)):
            state[c] += cutoff * (rng.uniform(-1, 1) - state[c])
            track[i] += 0.9 * env * state[c] / max(cutoff, 0.2)
    for start, pan in ((0.08, -0.5), (0.17, 0.5), (0.26, 0.0)):
        first = int(start * RATE)
        phase = 0.0
        for i in range(int(0.05 * RATE)):
            t = i / float(RATE)
            phase += 2 * math.pi * (500 + 14000 * t) / RATE
            v = 0.35 * math.sin(phase) * math.sin(math.pi * t / 0.05)
            left[first + i] += v * (1 - max(0.0, pan))
            right[first + i] += v * (1 + min(0.0, pan))
    return left, right


def generate(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    success = os.path.join(out_dir, "14465.ogg")
    drowning = os.path.join(out_dir, "14466.ogg")
    with tempfile.TemporaryDirectory() as workdir:
        voice.write_ogg(success, *jingle(), rate=RATE, serial=14465, workdir=workdir, tail=TAIL_SILENCE)
        left, right = voice.mix([splash(), voice.speech(SPEECH, workdir, RATE)], [0.0, 0.5], RATE)
        voice.write_ogg(drowning, left, right, rate=RATE, serial=14466, workdir=workdir, tail=TAIL_SILENCE)
    return [success, drowning]


if __name__ == "__main__":
    generate(sys.argv[1] if len(sys.argv) > 1 else GAME_DIR)
