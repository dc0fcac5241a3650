#!/usr/bin/env python3
"""Writes resources/ticktock.wav: the announcement sound, a soft "tick" and a lower "tock".

Two short sine blips with a smooth rise and an exponential fall, 16-bit mono 22050 Hz,
about 0.4 s in all. Run from anywhere: python3 tools/make_ticktock.py
"""
import math
import os
import struct
import wave

RATE = 22050
VOLUME = 0.35  # of full scale: a notice, not an alarm


def blip(frequency, seconds, attack=0.004, decay=18.0):
    samples = []
    count = int(RATE * seconds)
    for i in range(count):
        t = i / RATE
        rise = min(1.0, t / attack)
        fall = math.exp(-decay * t)
        # A quiet octave above rounds the tone like a small wooden block.
        tone = math.sin(2 * math.pi * frequency * t) + 0.25 * math.sin(4 * math.pi * frequency * t)
        fade_out = min(1.0, (count - i) / (RATE * 0.01))
        samples.append(VOLUME / 1.25 * tone * rise * fall * fade_out)
    return samples


def silence(seconds):
    return [0.0] * int(RATE * seconds)


def main():
    sound = blip(1320, 0.15) + silence(0.07) + blip(990, 0.18)
    here = os.path.dirname(os.path.abspath(__file__))
    path = os.path.join(here, "..", "resources", "ticktock.wav")
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(struct.pack("<h", round(s * 32767)) for s in sound))


if __name__ == "__main__":
    main()
