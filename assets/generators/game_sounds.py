#!/usr/bin/python3
"""Makes the maze game's sounds: the success jingle "14465" and the drowning sound "14466".

Both are 44100 Hz stereo Ogg Vorbis ending in silence, because the game cuts the last 80 ms of a
resource sound. Speech comes from espeak-ng's Russian voice; sox resamples it without dither, and
oggenc writes a fixed stream serial, so the files come out the same on every run.
"""

import array
import math
import os
import random
import subprocess
import sys
import tempfile
import wave

if __package__ in (None, ""):
    sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))

RATE = 44100
CHANNELS = 2
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


def speech(text, workdir):
    """Russian speech at RATE without the synthesiser's leading and trailing pauses, as two float tracks."""
    spoken = os.path.join(workdir, "speech.wav")
    raw = os.path.join(workdir, "speech.raw")
    subprocess.run(["espeak-ng", "-v", "ru", "-s", "135", "-p", "60", "-w", spoken, text], check=True)
    subprocess.run(["sox", "-R", "-D", spoken, "-t", "raw", "-e", "signed-integer", "-b", "16", "-c", "1",
                    "-r", str(RATE), raw, "silence", "1", "0.02", "0.3%", "reverse", "silence", "1", "0.02", "0.3%",
                    "reverse", "rate", "-h"], check=True)
    samples = array.array("h")
    with open(raw, "rb") as f:
        samples.frombytes(f.read())
    if sys.byteorder != "little":
        samples.byteswap()
    mono = [s / 32768.0 for s in samples]
    return mono, list(mono)


def _mix(tracks, offsets):
    length = max(int(offset * RATE) + len(track[0]) for track, offset in zip(tracks, offsets))
    left, right = [0.0] * length, [0.0] * length
    for (tl, tr), offset in zip(tracks, offsets):
        first = int(offset * RATE)
        for i in range(len(tl)):
            left[first + i] += tl[i]
            right[first + i] += tr[i]
    return left, right


def _write_ogg(path, left, right, serial, workdir):
    """Normalises to 80 % of full scale, appends silence and encodes."""
    peak = max(max(abs(v) for v in left), max(abs(v) for v in right), 1e-9)
    scale = 0.8 * 32767 / peak
    pad = int(TAIL_SILENCE * RATE)
    pcm = array.array("h")
    for lv, rv in zip(left, right):
        pcm.append(int(round(lv * scale)))
        pcm.append(int(round(rv * scale)))
    pcm.extend([0] * (2 * pad))
    if sys.byteorder != "little":
        pcm.byteswap()
    plain = os.path.join(workdir, os.path.basename(path) + ".wav")
    with wave.open(plain, "wb") as w:
        w.setnchannels(CHANNELS)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(pcm.tobytes())
    subprocess.run(["oggenc", "-Q", "-q", "4", "--serial", str(serial), "-o", path, plain], check=True)


def generate(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    success = os.path.join(out_dir, "14465.ogg")
    drowning = os.path.join(out_dir, "14466.ogg")
    with tempfile.TemporaryDirectory() as workdir:
        _write_ogg(success, *jingle(), serial=14465, workdir=workdir)
        left, right = _mix([splash(), speech(SPEECH, workdir)], [0.0, 0.5])
        _write_ogg(drowning, left, right, serial=14466, workdir=workdir)
    return [success, drowning]


if __name__ == "__main__":
    generate(sys.argv[1] if len(sys.argv) > 1 else GAME_DIR)
