"""The menu's music: a calm loop in C major at 75 beats a minute, 16 bars
of soft pads, a deep bass and a sparse bell tune."""
import instruments as ins
from synth import RATE, LoopMix, circular_echo, circular_reverb, pan, parse_line

BEAT = 35280  # a quarter at 75 bpm and 44.1 kHz
BAR = 4 * BEAT
CHORDS = {
    "Fmaj7": ["F3", "A3", "C4", "E4"], "G6": ["G3", "B3", "D4", "E4"], "Em7": ["E3", "G3", "B3", "D4"],
    "Am7": ["A3", "C4", "E4", "G4"], "G": ["G3", "B3", "D4", "G4"], "Cmaj7": ["G3", "C4", "E4", "B4"],
    "Dm7": ["A3", "C4", "D4", "F4"], "Gsus4": ["G3", "C4", "D4", "G4"],
}
ROOTS = {"Fmaj7": "F2", "G6": "G2", "Em7": "E2", "Am7": "A2", "G": "G2", "Cmaj7": "C2", "Dm7": "D2", "Gsus4": "G2"}
PROGRESSION = "Fmaj7 G6 Em7 Am7 Fmaj7 G Cmaj7 Cmaj7 Dm7 Em7 Fmaj7 G Am7 Fmaj7 Dm7 Gsus4".split()
# Quarter notes, four to a bar.
TUNE = [
    "R:1 C5:1 E5:1 A5:1", "G5:3 E5:1", "D5:2 E5:1 G5:1", "E5:4",
    "R:1 C5:1 E5:1 A5:1", "B5:2 A5:1 G5:1", "G5:2 E5:2", "D5:1 C5:3",
    "R:1 F5:1 A5:1 C6:1", "B5:3 G5:1", "A5:2 G5:1 E5:1", "D5:4",
    "R:1 E5:1 G5:1 C6:1", "A5:3 G5:1", "F5:2 E5:1 D5:1", "D5:2 R:2",
]


def _octave_up(note):
    return note[:-1] + str(int(note[-1]) + 1)


def _pads_and_bass(pads, bass):
    spread = [-0.5, -0.15, 0.2, 0.5]
    for bar, chord in enumerate(PROGRESSION):
        for note, side in zip(CHORDS[chord], spread):
            pads.add(bar * BAR, pan(ins.pad(note, 1.4 * BAR / RATE, attack=1.1, release=1.6) * 0.075, side))
        low = ins.pad(ROOTS[chord], 1.1 * BAR / RATE, attack=0.15, release=0.9)
        bass.add(bar * BAR, pan(low * 0.2, 0.0))


def _bells(bells):
    for bar, line in enumerate(TUNE):
        pos = 0.0
        for note, beats in parse_line(line, 4):
            if note:
                bells.add(bar * BAR + int(pos * BEAT), pan(ins.bell(note, 2.5) * 0.2, 0.1))
            pos += beats
    order = [0, 2, 1, 3]
    for bar, chord in enumerate(PROGRESSION):
        if bar < 4:
            continue
        for beat in range(4):
            note = _octave_up(_octave_up(CHORDS[chord][order[beat]]))
            bells.add(bar * BAR + beat * BEAT + BEAT // 2, pan(ins.bell(note, 1.5) * 0.045, -0.4 if beat % 2 else 0.4))


def render(rng):
    length = BAR * len(PROGRESSION)
    pads, bass, bells = LoopMix(length), LoopMix(length), LoopMix(length)
    _pads_and_bass(pads, bass)
    _bells(bells)
    echoed = circular_echo(bells.data, 3 * BEAT // 2, 0.35, 3)
    wet = pads.data + echoed
    return bass.data + wet + circular_reverb(wet, rng, 3.2, 0.55, predelay_s=0.04)
