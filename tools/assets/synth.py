"""Sound synthesis in numpy: additive voices, drum hits, envelopes, a
circular mix buffer for music that loops, and a circular reverb."""
import numpy as np

RATE = 44100
NOTE_NAMES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def midi(name):
    """'A4', 'C#5', 'Bb3' to a MIDI note number."""
    pitch = NOTE_NAMES[name[0]]
    rest = name[1:]
    while rest and rest[0] in "#b":
        pitch += 1 if rest[0] == "#" else -1
        rest = rest[1:]
    return pitch + 12 * (int(rest) + 1)


def freq(note):
    note = midi(note) if isinstance(note, str) else note
    return 440.0 * 2.0 ** ((note - 69) / 12.0)


def parse_line(text, steps_per_bar):
    """'E5:2 R:1 A5:1' to [(note or None, length in steps)]; a bar that
    does not add up is a typing slip in the tune."""
    out = []
    for token in text.split():
        name, steps = token.split(":")
        out.append((None if name == "R" else name, float(steps)))
    if sum(steps for _, steps in out) != steps_per_bar:
        raise ValueError("bar does not fill %d steps: %s" % (steps_per_bar, text))
    return out


def seconds(n):
    return np.arange(n) / RATE


def envelope(n, attack, release, decay=0.0):
    """Linear attack, optional exponential decay, linear release at the end."""
    t = seconds(n)
    env = np.minimum(1.0, t / max(attack, 1e-6)) * np.exp(-decay * t)
    tail = max(1, int(release * RATE))
    env[-tail:] *= np.linspace(1.0, 0.0, min(tail, n))
    return env


def additive(frequency, n, amps, decays=None, vibrato=(0.0, 0.0, 0.0), detune=1.0):
    """Sum of harmonics k*f with amplitudes amps[k-1]; decays[k-1] in 1/s
    dull the sound over time. vibrato is (rate Hz, depth ratio, delay s)."""
    t = seconds(n)
    f = frequency * detune
    rate, depth, delay = vibrato
    phase = 2.0 * np.pi * f * t
    if depth:
        wobble = depth * np.clip((t - delay) / 0.2, 0.0, 1.0) * np.sin(2.0 * np.pi * rate * t)
        phase += 2.0 * np.pi * f * np.cumsum(wobble) / RATE
    out = np.zeros(n)
    for k, amp in enumerate(amps, start=1):
        if k * f > 16000.0:
            break
        partial = amp * np.sin(k * phase)
        if decays is not None:
            partial *= np.exp(-decays[k - 1] * t)
        out += partial
    return out


def pan(mono, position):
    """Equal-power pan, position -1 (left) .. 1 (right); returns (n, 2)."""
    angle = (position + 1.0) * np.pi / 4.0
    return np.stack([mono * np.cos(angle), mono * np.sin(angle)], axis=1)


def noise(rng, n):
    return rng.uniform(-1.0, 1.0, n)


def band(signal, low, high):
    """Brick-wall band filter through the FFT, with soft edges."""
    spectrum = np.fft.rfft(signal)
    f = np.fft.rfftfreq(len(signal), 1.0 / RATE)
    gain = np.clip((f - low * 0.7) / (low * 0.3 + 1e-9), 0, 1) if low > 0 else np.ones_like(f)
    if high:
        gain = gain * np.clip((high * 1.3 - f) / (high * 0.3), 0, 1)
    return np.fft.irfft(spectrum * gain, len(signal))


class LoopMix:
    """Stereo buffer of exactly one loop; whatever runs past the end
    continues at the start, so the loop's end joins its beginning."""

    def __init__(self, length):
        self.length = length
        self.data = np.zeros((length, 2))

    def add(self, start, stereo):
        start %= self.length
        pos = 0
        while pos < len(stereo):
            take = min(len(stereo) - pos, self.length - start)
            self.data[start:start + take] += stereo[pos:pos + take]
            pos += take
            start = 0


def circular_reverb(stereo, rng, decay_s, wet, predelay_s=0.02):
    """The reverberation alone: convolution with decaying noise, wrapped
    around the loop."""
    n = len(stereo)
    length = int(decay_s * 3.0 * RATE)
    t = seconds(length)
    out = np.zeros_like(stereo)
    for ch in range(2):
        ir = noise(rng, length) * np.exp(-t * 6.9 / decay_s)
        ir[: int(predelay_s * RATE)] = 0.0
        ir = band(ir, 200.0, 9000.0)
        ir *= wet / np.sqrt(np.sum(ir * ir))
        padded = np.zeros(n)
        padded[:length] = ir
        out[:, ch] = np.fft.irfft(np.fft.rfft(stereo[:, ch]) * np.fft.rfft(padded), n)
    return out


def circular_echo(stereo, delay, feedback, taps):
    """Ping-pong echo wrapped around the loop."""
    out = stereo.copy()
    gain = 1.0
    for i in range(1, taps + 1):
        gain *= feedback
        shifted = np.roll(stereo, i * delay, axis=0)
        if i % 2:
            shifted = shifted[:, ::-1]
        out += gain * shifted
    return out
