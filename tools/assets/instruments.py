"""The voices the music and effects are played on."""
import numpy as np

from synth import RATE, additive, band, envelope, freq, noise, seconds

SAW = [1.0 / k for k in range(1, 25)]


def bass(note, dur):
    """Plucked saw bass whose brightness dies away, over a sine sub."""
    n = int(dur * RATE)
    f = freq(note)
    bright = additive(f, n, SAW[:14], decays=[4.0 + 9.0 * k for k in range(14)])
    sub = additive(f, n, [1.0])
    return (0.55 * bright + 0.6 * sub) * envelope(n, 0.004, 0.03, decay=2.0)


def pluck(note, dur):
    """Short bright pluck for arpeggios."""
    n = int(dur * RATE)
    amps = [1.0 / k ** 1.3 for k in range(1, 13)]
    return additive(freq(note), n, amps, decays=[6.0 + 7.0 * k for k in range(12)]) * envelope(n, 0.002, 0.02, decay=7.0)


def lead(note, dur):
    """Hollow square-ish lead with a delayed vibrato; two voices a few cents apart."""
    n = int(dur * RATE)
    amps = [(1.0 if k % 2 else 0.35) / k for k in range(1, 16)]
    vib = (5.6, 0.004, 0.18)
    f = freq(note)
    voice = additive(f, n, amps, vibrato=vib, detune=1.0023) + additive(f, n, amps, vibrato=vib, detune=0.9977)
    return 0.5 * voice * envelope(n, 0.012, 0.07, decay=0.6)


def pad(note, dur, attack=0.35, release=0.5):
    """Soft saw pad: three detuned voices, high harmonics rolled off."""
    n = int(dur * RATE)
    amps = [1.0 / k ** 1.9 for k in range(1, 11)]
    f = freq(note)
    voices = sum(additive(f, n, amps, detune=d) for d in (0.996, 1.0, 1.0041))
    return voices / 3.0 * envelope(n, attack, release)


def bell(note, dur):
    """Soft glassy bell: slightly stretched partials that fade at their own pace."""
    n = int(dur * RATE)
    t = seconds(n)
    f = freq(note)
    partials = [(1.0, 1.0, 1.6), (2.0, 0.35, 3.0), (3.01, 0.12, 5.0), (4.18, 0.06, 8.0)]
    out = np.zeros(n)
    for ratio, amp, decay in partials:
        out += amp * np.sin(2.0 * np.pi * f * ratio * t) * np.exp(-decay * t)
    return out * envelope(n, 0.004, 0.2)


def kick(rng):
    n = int(0.32 * RATE)
    t = seconds(n)
    sweep = 46.0 + 110.0 * np.exp(-t / 0.028)
    body = np.sin(2.0 * np.pi * np.cumsum(sweep) / RATE) * np.exp(-t / 0.16)
    click = band(noise(rng, n), 1500.0, 8000.0) * np.exp(-t / 0.003)
    return (body + 0.35 * click) * envelope(n, 0.0005, 0.02)


def snare(rng):
    n = int(0.25 * RATE)
    t = seconds(n)
    tone = (np.sin(2.0 * np.pi * 185.0 * t) + 0.5 * np.sin(2.0 * np.pi * 330.0 * t)) * np.exp(-t / 0.045)
    hiss = band(noise(rng, n), 1200.0, 9000.0) * np.exp(-t / 0.085)
    return (0.55 * tone + 0.8 * hiss) * envelope(n, 0.0008, 0.02)


def hat(rng, open_hat=False):
    length = 0.28 if open_hat else 0.07
    n = int(length * RATE)
    t = seconds(n)
    hiss = band(noise(rng, n), 7000.0, 0.0)
    return hiss * np.exp(-t / (0.09 if open_hat else 0.018)) * envelope(n, 0.0005, 0.01)
