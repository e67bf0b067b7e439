#!/usr/bin/python3
"""Makes the application screens' sounds, all stereo Ogg Vorbis of synthesised Russian speech.

- "14464.ogg": the spoken instruction, 44100 Hz. The instruction screen shows its marker on the near bank at
  5562 ms, moves it to the far bank at 6500 ms and hides it at 7500 ms, timed from the start of playing; the
  words that name each place start just after the marker gets there. It is a resource sound, whose last 80 ms
  the program cuts, so it ends in silence.
- "ENDHELPSOUND.ogg": the input-help page's explanation, 44000 Hz.
- the praise words, each at the rate the praise pop-up gives it: "bravo_sound.ogg" «Браво!»,
  "gotovo_sound.ogg" «Готово!», "molodec_sound.ogg" «Молодец!», "otlichno_sound.ogg" «Отлично!»,
  "ura_sound.ogg" «Ура!».
"""

import os
import sys
import tempfile

if __package__ in (None, ""):
    sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))

from assets.generators import voice  # noqa: E402

APP_DIR = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "generated", "app")

INSTRUCTION_RATE = 44100
MARKER_SHOWN, MARKER_MOVED, MARKER_HIDDEN = 5.562, 6.500, 7.500
CUE_DELAY = 0.04  # the words follow the marker, never run ahead of it
INSTRUCTION = (
    # (text, earliest start in seconds, latest end in seconds)
    ("Посмотри: это лабиринт, затопленный водой. Тумбилю нужно перебраться", 0.3, MARKER_SHOWN - 0.1),
    ("с этого берега", MARKER_SHOWN + CUE_DELAY, MARKER_MOVED - 0.05),
    ("на другой берег.", MARKER_MOVED + CUE_DELAY, MARKER_HIDDEN),
    ("Нарисуй для него путь мышкой, по доскам и камням. Нажми левую кнопку мыши рядом с Тумбилем и, "
     "не отпуская её, веди путь до другого берега. Тумбиль пойдёт по твоему пути. Если путь уйдёт в воду, "
     "Тумбиль утонет, и тогда попробуй ещё раз.", MARKER_HIDDEN + 0.35, None),
)
RESOURCE_TAIL = 0.3

HELP_RATE = 44000
HELP = "Чтобы начать, нажми на клавишу «пробел». Путь рисуй мышкой, удерживая левую кнопку."

# (name, word, sample rate); the pop-up plays them from memory, uncut.
PRAISE = (
    ("bravo_sound", "Браво!", 44100),
    ("gotovo_sound", "Готово!", 11025),
    ("molodec_sound", "Молодец!", 44100),
    ("otlichno_sound", "Отлично!", 44100),
    ("ura_sound", "Ура!", 22050),
)
PRAISE_SPEED, PRAISE_PITCH = 125, 78


def instruction(workdir):
    """The four parts laid in at their cue times; each earlier part is sped up until it ends in time."""
    tracks, offsets = [], []
    end = 0.0
    for text, earliest, latest in INSTRUCTION:
        start = max(earliest, end + 0.15)
        if latest is None:
            track = voice.speech(text, workdir, INSTRUCTION_RATE)
        else:
            track = voice.fitted_speech(text, workdir, INSTRUCTION_RATE, latest - start)
        tracks.append(track)
        offsets.append(start)
        end = start + voice.seconds(track, INSTRUCTION_RATE)
    return voice.mix(tracks, offsets, INSTRUCTION_RATE)


def generate(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    spoken = os.path.join(out_dir, "14464.ogg")
    help_page = os.path.join(out_dir, "ENDHELPSOUND.ogg")
    with tempfile.TemporaryDirectory() as workdir:
        voice.write_ogg(spoken, *instruction(workdir), rate=INSTRUCTION_RATE, serial=14464, workdir=workdir,
                        tail=RESOURCE_TAIL)
        voice.write_ogg(help_page, *voice.speech(HELP, workdir, HELP_RATE), rate=HELP_RATE, serial=44000,
                        workdir=workdir, tail=0.2, lead=0.1)
        made = [spoken, help_page]
        for serial, (name, word, rate) in enumerate(PRAISE, 1):
            path = os.path.join(out_dir, name + ".ogg")
            track = voice.speech(word, workdir, rate, PRAISE_SPEED, PRAISE_PITCH)
            voice.write_ogg(path, *track, rate=rate, serial=serial, workdir=workdir, tail=0.15, lead=0.05)
            made.append(path)
    return made


if __name__ == "__main__":
    generate(sys.argv[1] if len(sys.argv) > 1 else APP_DIR)
