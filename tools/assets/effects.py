"""The three sound effects: the boom of destroyed blocks and the two
menu clicks. Short, with a clean start and a tail that dies to nothing."""
import numpy as np

from synth import RATE, band, envelope, noise, pan, seconds


def boom(rng):
    """A deep thump, a crunch and a shower of glassy shards, 0.8 s."""
    n = int(0.8 * RATE)
    t = seconds(n)
    sweep = 38.0 + 150.0 * np.exp(-t / 0.05)
    thump = np.sin(2.0 * np.pi * np.cumsum(sweep) / RATE) * np.exp(-t / 0.2)
    crunch = band(noise(rng, n), 120.0, 2500.0) * np.exp(-t / 0.09)
    out = np.zeros((n, 2))
    out += pan(np.tanh(2.2 * thump) * 0.8 + 0.9 * crunch, 0.0)
    for _ in range(14):  # the shards: short bright pings scattered in time and space
        start = int(rng.uniform(0.005, 0.35) * RATE)
        length = int(0.12 * RATE)
        tt = seconds(length)
        ping = np.sin(2.0 * np.pi * rng.uniform(2500.0, 6000.0) * tt) * np.exp(-tt / rng.uniform(0.015, 0.04))
        out[start:start + length] += pan(ping * rng.uniform(0.06, 0.14) * np.exp(-start / RATE / 0.25), rng.uniform(-0.7, 0.7))
    click = band(noise(rng, n), 2000.0, 12000.0) * np.exp(-t / 0.004)
    out += pan(click * 0.5, 0.0)
    return out * envelope(n, 0.0008, 0.25)[:, None]


def _blip(frequency, length, drop):
    """A soft sine blip whose pitch falls a little, with a faint overtone."""
    n = int(length * RATE)
    t = seconds(n)
    f = frequency * (1.0 - drop * (1.0 - np.exp(-t / 0.02)))
    phase = 2.0 * np.pi * np.cumsum(f) / RATE
    tone = np.sin(phase) + 0.18 * np.sin(2.0 * phase)
    return tone * np.exp(-t / (length / 4.0)) * envelope(n, 0.0015, length / 3.0)


def menu_click():
    """'Pi-lip': two quick rising blips."""
    n = int(0.2 * RATE)
    out = np.zeros((n, 2))
    first = _blip(1320.0, 0.06, 0.04)
    second = _blip(1980.0, 0.12, 0.03)
    out[:len(first)] += pan(first, -0.15)
    start = int(0.055 * RATE)
    out[start:start + len(second)] += pan(second, 0.15)
    return out


def option_click(rng):
    """'Plip': one short drop with a tiny tick at its front."""
    n = int(0.12 * RATE)
    out = np.zeros((n, 2))
    tone = _blip(1760.0, 0.1, 0.35)
    out[:len(tone)] += pan(tone, 0.0)
    tick = band(noise(rng, 200), 3000.0, 12000.0) * np.exp(-seconds(200) / 0.0008)
    out[:200] += pan(tick * 0.3, 0.0)
    return out
