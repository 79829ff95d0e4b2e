"""The game's music: a lively loop in A minor at 140 beats a minute,
32 bars (intro, theme, bridge, theme again, turnaround). The last bar
leads back into the first, and every note's tail wraps to the start."""
import numpy as np

import instruments as ins
from synth import LoopMix, circular_echo, circular_reverb, pan, parse_line

STEP = 4725  # a sixteenth at 140 bpm and 44.1 kHz
BAR = 16 * STEP
CHORDS = {
    "Am": (["A3", "C4", "E4"], "A2"), "F": (["A3", "C4", "F4"], "F2"), "C": (["G3", "C4", "E4"], "C2"),
    "G": (["G3", "B3", "D4"], "G2"), "Em": (["G3", "B3", "E4"], "E2"), "Dm": (["A3", "D4", "F4"], "D2"),
    "E": (["G#3", "B3", "E4"], "E2"),
}
THEME_CHORDS = "Am F C G Am F C G"
PROGRESSION = ("Am F C G " + THEME_CHORDS + " F G Em Am Dm G C E " + THEME_CHORDS + " Dm Em F E").split()
SECTIONS = ["intro"] * 4 + ["theme"] * 8 + ["bridge"] * 8 + ["theme2"] * 8 + ["turn"] * 4

# Eighth notes, eight to a bar.
THEME = [
    "E5:2 A5:1 G5:1 E5:2 D5:1 C5:1", "C5:2 D5:1 C5:1 A4:4", "G4:1 A4:1 C5:2 E5:2 G5:2", "D5:3 B4:1 G4:4",
    "E5:2 A5:1 B5:1 C6:2 B5:1 A5:1", "A5:2 G5:1 F5:1 E5:2 C5:2", "E5:1 D5:1 C5:1 D5:1 E5:2 G5:2", "B4:2 D5:2 E5:4",
]
BRIDGE = [
    "A5:3 G5:1 F5:2 E5:2", "D5:3 E5:1 G5:4", "B4:2 E5:2 G5:2 B5:2", "A5:6 R:2",
    "F5:2 E5:1 D5:1 A5:2 F5:2", "G5:2 F5:1 E5:1 D5:2 B4:2", "C5:2 E5:2 G5:2 C6:2", "B5:4 G#5:4",
]
TURN = ["D5:4 F5:4", "E5:4 G5:4", "A5:4 C6:4", "B5:8"]


def _melody(bars):
    for i, line in enumerate(bars):
        pos = 0.0
        for note, eighths in parse_line(line, 8):
            if note:
                yield i * BAR + int(pos * 2 * STEP), note, eighths * 2 * STEP
            pos += eighths


def _drum_steps(section, bar_in_section, last_of_section):
    """(kick, snare, closed hat, open hat) step lists for one bar."""
    eighths = list(range(0, 16, 2))
    if section == "intro":
        kick = [0, 8] if bar_in_section < 2 else [0, 4, 8, 12]
        snare = [12] if bar_in_section == 1 else ([4, 12] if bar_in_section > 1 else [])
        if last_of_section:
            snare = [4, 12, 13, 14, 15]
        return kick, snare, eighths, []
    if section == "turn":
        if last_of_section:
            return [0, 4], [8, 10, 11, 12, 13, 14, 15], eighths[:4], []
        return [0, 10], [8], eighths, []
    kick = [0, 4, 8, 12] + ([14] if bar_in_section % 2 else [])
    snare = [4, 12] + ([15] if last_of_section else [])
    return kick, snare, [s for s in range(16) if s != 14], [14]


def _drums(mix, rng):
    kick, snare = ins.kick(rng), ins.snare(rng)
    closed, opened = ins.hat(rng), ins.hat(rng, open_hat=True)
    start_of = {}
    for i, section in enumerate(SECTIONS):
        start_of.setdefault(section, i)
    for bar, section in enumerate(SECTIONS):
        local = bar - start_of[section]
        last = bar + 1 == len(SECTIONS) or SECTIONS[bar + 1] != section
        kicks, snares, hats, opens = _drum_steps(section, local, last)
        base = bar * BAR
        for s in kicks:
            mix.add(base + s * STEP, pan(kick * 0.7, 0.0))
        for s in snares:
            loud = 0.5 if s in (4, 12) or s == 8 else 0.3 + 0.02 * s
            mix.add(base + s * STEP, pan(snare * loud, 0.05))
        for s in hats:
            mix.add(base + s * STEP, pan(closed * (0.2 if s % 2 == 0 else 0.1) * rng.uniform(0.85, 1.0), 0.3))
        for s in opens:
            mix.add(base + s * STEP, pan(opened * 0.12, 0.3))


def _bass(mix):
    for bar, chord in enumerate(PROGRESSION):
        root = CHORDS[chord][1]
        octave = root[:-1] + str(int(root[-1]) + 1)
        if SECTIONS[bar] == "intro" and bar < 2:
            notes = [(s, root) for s in (0, 4, 8, 12)]
        else:
            notes = [(s, root if s % 4 == 0 else octave) for s in range(0, 16, 2)]
        for s, note in notes:
            mix.add(bar * BAR + s * STEP, pan(ins.bass(note, 1.7 * STEP / 44100.0) * 0.3, 0.0))


def _harmony(pads, arps):
    shape = [0, 1, 2, 3, 2, 1, 0, 1, 2, 3, 2, 1, 0, 2, 1, 3]
    for bar, chord in enumerate(PROGRESSION):
        tones = CHORDS[chord][0]
        if bar >= 2:
            for note in tones:
                pads.add(bar * BAR, pan(ins.pad(note, BAR * 1.08 / 44100.0) * 0.06, (ord(note[0]) % 3 - 1) * 0.5))
        up = [t[:-1] + str(int(t[-1]) + 1) for t in tones]
        cycle = up + [tones[0][:-1] + str(int(tones[0][-1]) + 2)]
        for s in range(16):
            side = -0.6 if s % 2 else 0.6
            arps.add(bar * BAR + s * STEP, pan(ins.pluck(cycle[shape[s]], 2.6 * STEP / 44100.0) * 0.1, side))


def _lead(mix, doubles):
    lines = [(4, THEME), (12, BRIDGE), (20, THEME), (28, TURN)]
    for first_bar, bars in lines:
        for start, note, length in _melody(bars):
            dur = length * 0.92 / 44100.0
            mix.add(first_bar * BAR + start, pan(ins.lead(note, dur) * 0.32, -0.1))
            if first_bar == 20:
                lower = note[:-1] + str(int(note[-1]) - 1)
                doubles.add(first_bar * BAR + start, pan(ins.pluck(lower, min(dur, 0.5)) * 0.16, 0.25))


def render(rng):
    length = BAR * len(PROGRESSION)
    dry, wet, lead = LoopMix(length), LoopMix(length), LoopMix(length)
    _drums(dry, rng)
    _bass(dry)
    _harmony(wet, wet)
    _lead(lead, wet)
    wet.data += circular_echo(lead.data, 3 * STEP, 0.32, 3)
    return dry.data + wet.data + circular_reverb(wet.data + 0.1 * dry.data, rng, 1.4, 0.35)
