#!/usr/bin/python3
"""Writes the two shutter sounds compiled into the program: SHT_SWAV.wav (a short click,
80 ms) and SHT_LWAV.wav (a slow shutter, 200 ms: opening click, a hiss, closing click).
Mono, 16-bit, 22050 Hz. The noise is seeded, so running this again gives the same files."""

import math
import random
import struct
import wave

RATE = 22050


def click(samples, start, length_ms, level, decay_ms, rng):
    """Adds a noise burst with a fast attack and an exponential decay, lightly low-passed."""
    count = int(RATE * length_ms / 1000)
    previous = 0.0
    for i in range(count):
        if start + i >= len(samples):
            break
        t = i / RATE * 1000.0
        envelope = min(1.0, t / 0.6) * math.exp(-t / decay_ms)
        noise = rng.uniform(-1.0, 1.0)
        previous = 0.55 * previous + 0.45 * noise
        samples[start + i] += level * envelope * previous


def write(name, samples):
    with wave.open(name, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        frames = b"".join(
            struct.pack("<h", max(-32767, min(32767, int(s * 32767)))) for s in samples)
        out.writeframes(frames)


def main():
    rng = random.Random(1234)

    short = [0.0] * int(RATE * 0.080)
    click(short, 0, 80, 0.8, 9.0, rng)
    write("SHT_SWAV.wav", short)

    long = [0.0] * int(RATE * 0.200)
    click(long, 0, 60, 0.8, 8.0, rng)
    click(long, int(RATE * 0.010), 120, 0.08, 60.0, rng)
    click(long, int(RATE * 0.140), 60, 0.7, 9.0, rng)
    write("SHT_LWAV.wav", long)


if __name__ == "__main__":
    main()
