"""Shared sound making: Russian speech from espeak-ng, mixing of float tracks and Ogg Vorbis output.

Tracks are pairs of float lists (left, right) at one sample rate. sox resamples without dither and oggenc
writes a fixed stream serial, so the same input gives the same file on every run.
"""

import array
import os
import subprocess
import sys
import tempfile
import wave


def speech(text, workdir, rate, speed=135, pitch=60):
    """Russian speech at `rate` without the synthesiser's leading and trailing pauses, as two float tracks."""
    spoken = os.path.join(workdir, "speech.wav")
    raw = os.path.join(workdir, "speech.raw")
    subprocess.run(["espeak-ng", "-v", "ru", "-s", str(speed), "-p", str(pitch), "-w", spoken, text], check=True)
    subprocess.run(["sox", "-R", "-D", spoken, "-t", "raw", "-e", "signed-integer", "-b", "16", "-c", "1",
                    "-r", str(rate), raw, "silence", "1", "0.02", "0.3%", "reverse", "silence", "1", "0.02", "0.3%",
                    "reverse", "rate", "-h"], check=True)
    samples = array.array("h")
    with open(raw, "rb") as f:
        samples.frombytes(f.read())
    if sys.byteorder != "little":
        samples.byteswap()
    mono = [s / 32768.0 for s in samples]
    return mono, list(mono)


def fitted_speech(text, workdir, rate, longest, speed=135, pitch=60):
    """Speech no longer than `longest` seconds: spoken faster, step by step, until it fits."""
    while True:
        track = speech(text, workdir, rate, speed, pitch)
        if len(track[0]) <= longest * rate or speed >= 260:
            return track
        speed += 5


def seconds(track, rate):
    return len(track[0]) / float(rate)


def mix(tracks, offsets, rate):
    """Lays each track in at its offset in seconds; the result ends with the last track."""
    length = max(int(offset * rate) + len(track[0]) for track, offset in zip(tracks, offsets))
    left, right = [0.0] * length, [0.0] * length
    for (tl, tr), offset in zip(tracks, offsets):
        first = int(offset * rate)
        for i in range(len(tl)):
            left[first + i] += tl[i]
            right[first + i] += tr[i]
    return left, right


def write_ogg(path, left, right, rate, serial, workdir, tail, lead=0.0):
    """Normalises to 80 % of full scale, surrounds with silence (seconds) and encodes stereo Ogg Vorbis."""
    peak = max(max(abs(v) for v in left), max(abs(v) for v in right), 1e-9)
    scale = 0.8 * 32767 / peak
    pcm = array.array("h", [0] * (2 * int(lead * rate)))
    for lv, rv in zip(left, right):
        pcm.append(int(round(lv * scale)))
        pcm.append(int(round(rv * scale)))
    pcm.extend([0] * (2 * int(tail * rate)))
    if sys.byteorder != "little":
        pcm.byteswap()
    plain = os.path.join(workdir, os.path.basename(path) + ".wav")
    with wave.open(plain, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(pcm.tobytes())
    subprocess.run(["oggenc", "-Q", "-q", "4", "--serial", str(serial), "-o", path, plain], check=True)


def decode(path):
    """((rate, channels, bytes per sample), interleaved 16-bit samples) of an Ogg Vorbis file, by oggdec."""
    with tempfile.TemporaryDirectory() as workdir:
        plain = os.path.join(workdir, "out.wav")
        subprocess.run(["oggdec", "-Q", "-o", plain, path], check=True)
        with wave.open(plain, "rb") as w:
            params = (w.getframerate(), w.getnchannels(), w.getsampwidth())
            samples = array.array("h", w.readframes(w.getnframes()))
    if sys.byteorder != "little":
        samples.byteswap()
    return params, samples
