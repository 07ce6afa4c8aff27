#!/usr/bin/env python3
"""Generate the answer sounds used by ピルモ英語.

    seikai.wav  bright two-note chime (E6 then A6)     -- correct answer
    gotou.wav   soft low two-tone buzz (150 Hz, 110 Hz) -- wrong answer

Both files are 16-bit PCM, mono, 22050 Hz, about 0.45 s long, with the
peak level near -6 dBFS.  Only the Python standard library is used.

Usage: python3 scripts/make-sounds.py [output-directory]   (default: sample)
"""

import math
import os
import struct
import sys
import wave

RATE = 22050
PEAK = 10 ** (-6 / 20)  # -6 dBFS


def tone_chime(freq, start, length, total):
    """A bell-like note: soft 8 ms attack, exponential decay, a few partials."""
    out = [0.0] * total
    partials = ((1.0, 1.0), (2.0, 0.35), (3.0, 0.12), (4.2, 0.05))
    attack = int(0.008 * RATE)
    n = min(int(length * RATE), total - start)
    for i in range(n):
        t = i / RATE
        env = math.exp(-t * 7.0)
        if i < attack:
            env *= i / attack
        s = 0.0
        for mult, amp in partials:
            # higher partials die away faster, which keeps the tail mellow
            s += amp * math.exp(-t * 4.0 * mult) * math.sin(2 * math.pi * freq * mult * t)
        out[start + i] = s * env
    return out


def tone_buzz(freq, start, length, total):
    """A rounded square-ish tone: odd harmonics 1..7 with soft roll-off."""
    out = [0.0] * total
    n = min(int(length * RATE), total - start)
    fade = int(0.020 * RATE)
    for i in range(n):
        t = i / RATE
        s = 0.0
        for k in (1, 3, 5, 7):
            # 1/k^1.6 instead of 1/k: square-like, but not harsh
            s += math.sin(2 * math.pi * freq * k * t) / (k ** 1.6)
        env = 1.0
        if i < fade:
            env = i / fade
        elif i > n - fade:
            env = (n - i) / fade
        env *= 1.0 - 0.25 * (i / n)  # slight sag over the note
        out[start + i] = s * env
    return out


def mix(*tracks):
    return [sum(v) for v in zip(*tracks)]


def normalise(samples, peak=PEAK):
    top = max(abs(s) for s in samples) or 1.0
    return [s * peak / top for s in samples]


def fade_edges(samples, ms=5):
    """Make sure the very first and last samples sit at zero (no clicks)."""
    n = int(ms / 1000 * RATE)
    for i in range(n):
        g = i / n
        samples[i] *= g
        samples[-1 - i] *= g
    return samples


def write_wav(path, samples):
    frames = b"".join(
        struct.pack("<h", max(-32768, min(32767, int(round(s * 32767)))))
        for s in samples
    )
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)


def make_seikai():
    total = int(0.45 * RATE)
    e6, a6 = 1318.51, 1760.00
    second = int(0.12 * RATE)
    s = mix(tone_chime(e6, 0, 0.45, total),
            tone_chime(a6, second, 0.45, total))
    return fade_edges(normalise(s))


def make_gotou():
    total = int(0.45 * RATE)
    gap = int(0.03 * RATE)
    first = int(0.20 * RATE)
    s = mix(tone_buzz(150.0, 0, 0.20, total),
            tone_buzz(110.0, first + gap, 0.22, total))
    return fade_edges(normalise(s))


def main():
    outdir = sys.argv[1] if len(sys.argv) > 1 else "sample"
    os.makedirs(outdir, exist_ok=True)
    write_wav(os.path.join(outdir, "seikai.wav"), make_seikai())
    write_wav(os.path.join(outdir, "gotou.wav"), make_gotou())


if __name__ == "__main__":
    main()
