"""The dark pictures behind the board and behind the menu screens. Both
stay dark and low in saturation so blocks and white text stand out."""
import numpy as np

from raster import bayer_dither, grid, rgb, vertical_gradient

SIZE = 512


def _bokeh(x, y, rng, count, colours, strength):
    """Soft out-of-focus discs, added faintly."""
    light = np.zeros(x.shape + (3,))
    for _ in range(count):
        cx, cy = rng.uniform(-1.0, 1.0, 2)
        radius = rng.uniform(0.06, 0.22)
        colour = np.asarray(colours[rng.randint(len(colours))])
        d = np.hypot(x - cx, y - cy) / radius
        disc = np.clip(1.15 - d, 0.0, 1.0) ** 0.6 * (0.55 + 0.45 * np.clip(d, 0, 1))
        light += disc[..., None] * colour * rng.uniform(0.5, 1.0) * strength
    return light


def _vignette(x, y, amount):
    return (1.0 - amount * np.clip((x * x + y * y) / 2.0, 0.0, 1.0))[..., None]


def game_backdrop():
    x, y = grid(SIZE, SIZE)
    rng = np.random.RandomState(7)
    image = vertical_gradient(SIZE, SIZE, [(0.0, rgb(20, 26, 54)), (0.6, rgb(12, 16, 38)), (1.0, rgb(7, 9, 22))])
    image += _bokeh(x, y, rng, 16, [rgb(60, 90, 160), rgb(70, 60, 140), rgb(40, 110, 130)], 0.22)
    # A faint diagonal lattice gives the eye some depth without any busyness.
    lattice = np.abs(np.sin((x + y) * 9.0 * np.pi)) ** 60 + np.abs(np.sin((x - y) * 9.0 * np.pi)) ** 60
    image += lattice[..., None] * np.asarray(rgb(20, 28, 52)) * 0.2
    image *= _vignette(x, y, 0.55)
    return np.clip(image + bayer_dither(SIZE, SIZE), 0.0, 1.0)


def menu_backdrop():
    x, y = grid(SIZE, SIZE)
    rng = np.random.RandomState(11)
    image = vertical_gradient(SIZE, SIZE, [(0.0, rgb(30, 16, 52)), (0.5, rgb(20, 12, 42)), (1.0, rgb(9, 7, 24))])
    cy = 0.05
    r = np.hypot(x, (y - cy) * 1.4)
    image += np.exp(-2.2 * r * r)[..., None] * np.asarray(rgb(46, 30, 86))
    rays = 0.5 + 0.5 * np.cos(np.arctan2(y - cy, x) * 14.0)
    # Rays fade in away from the centre so they never meet in a point.
    image += (rays ** 2 * np.exp(-1.4 * r) * (1.0 - np.exp(-12.0 * r * r)))[..., None] * np.asarray(rgb(18, 12, 34))
    image += _bokeh(x, y, rng, 22, [rgb(90, 50, 140), rgb(50, 60, 150), rgb(120, 50, 110)], 0.14)
    image *= _vignette(x, y, 0.6)
    return np.clip(image + bayer_dither(SIZE, SIZE), 0.0, 1.0)


def make_backdrops():
    return {"game.png": game_backdrop(), "menu_background.png": menu_backdrop()}
