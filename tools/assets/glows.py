"""Four soft radial glows. The game adds them weighted by their alpha, so
the alpha carries the shape and falls to nothing before the edges."""
import numpy as np

from raster import grid

SIZE = 128


def _tinted(r, tint, alpha):
    """White at the core, the tint further out."""
    core = np.exp(-10.0 * r * r)[..., None]
    colour = core + (1.0 - core) * np.asarray(tint)
    window = np.clip(1.0 - r * r, 0.0, 1.0) ** 2
    return np.dstack([colour, np.clip(alpha * window, 0.0, 1.0)])


def _rays(theta, count, sharpness):
    return np.abs(np.cos(theta * count / 2.0)) ** sharpness


def make_glows():
    x, y = grid(SIZE, SIZE)
    r = np.hypot(x, y)
    theta = np.arctan2(y, x)
    soft = np.exp(-3.2 * r * r)
    ring = 0.9 * np.exp(-7.0 * r * r) + 0.85 * np.exp(-((r - 0.55) / 0.13) ** 2)
    cross = np.exp(-6.0 * r * r) + 0.7 * _rays(theta, 4, 40) * np.exp(-2.5 * r)
    sparkle = 0.8 * np.exp(-4.5 * r * r) + 0.5 * _rays(theta, 6, 12) * np.exp(-3.0 * r)
    return {
        "glow1.png": _tinted(r, (1.0, 0.74, 0.28), soft),
        "glow2.png": _tinted(r, (0.35, 0.86, 1.0), ring),
        "glow3.png": _tinted(r, (1.0, 0.62, 0.9), cross),
        "glow4.png": _tinted(r, (0.66, 1.0, 0.52), sparkle),
    }
