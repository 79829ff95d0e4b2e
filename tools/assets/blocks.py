"""The six block faces: a bevelled glossy tile with a bold symbol. Colour
and symbol both differ, so the kinds stay apart in grey and for
colour-blind players."""
import numpy as np

from raster import coverage, mix, over, polygon_points, rgb, vertical_gradient

SIZE = 128
WHITE, BLACK = (1.0, 1.0, 1.0), (0.0, 0.0, 0.0)

# Base colours spread in lightness from dark blue to bright yellow.
KINDS = [
    ("circle", rgb(240, 78, 64)),
    ("triangle", rgb(250, 208, 48)),
    ("diamond", rgb(70, 200, 90)),
    ("star", rgb(36, 80, 210)),
    ("cross", rgb(150, 60, 205)),
    ("ring", rgb(60, 214, 226)),
]


def _symbol(draw, ss, shape, dx=0.0, dy=0.0):
    c = (SIZE / 2 + dx) * ss
    cy = (SIZE / 2 + dy) * ss
    r = 35 * ss
    if shape == "circle":
        draw.ellipse([c - r, cy - r, c + r, cy + r], fill=255)
    elif shape == "ring":
        draw.ellipse([c - r, cy - r, c + r, cy + r], fill=255)
        hole = r * 0.48
        draw.ellipse([c - hole, cy - hole, c + hole, cy + hole], fill=0)
    elif shape == "triangle":
        draw.polygon(polygon_points(c, cy + 5 * ss, r * 1.24, 3, 90), fill=255)
    elif shape == "diamond":
        draw.polygon(polygon_points(c, cy, r * 1.12, 4, 90), fill=255)
    elif shape == "star":
        draw.polygon(polygon_points(c, cy + 2 * ss, r * 1.18, 5, 90, inner=r * 0.5), fill=255)
    elif shape == "cross":
        arm = r * 0.36
        draw.rectangle([c - r, cy - arm, c + r, cy + arm], fill=255)
        draw.rectangle([c - arm, cy - r, c + arm, cy + r], fill=255)


def _bevel_shading(base):
    """Lit from the top left: light top and left slopes, dark bottom and right."""
    n = np.arange(SIZE) + 0.5
    x, y = np.meshgrid(n, n)
    dist = np.stack([y, x, SIZE - y, SIZE - x])  # top, left, bottom, right
    nearest = dist.argmin(axis=0)
    shades = [mix(base, WHITE, 0.55), mix(base, WHITE, 0.3), mix(base, BLACK, 0.5), mix(base, BLACK, 0.32)]
    out = np.zeros((SIZE, SIZE, 3))
    for i, shade in enumerate(shades):
        out[nearest == i] = shade
    return out


def block_face(shape, base):
    rim, bevel = 2, 13
    image = _bevel_shading(base)
    inner = coverage(SIZE, SIZE, lambda d, s: d.rectangle([bevel * s, bevel * s, (SIZE - bevel) * s - 1, (SIZE - bevel) * s - 1], fill=255))
    face = vertical_gradient(SIZE, SIZE, [(0.0, mix(base, WHITE, 0.25)), (0.55, base), (1.0, mix(base, BLACK, 0.3))])
    image = over(image, face, inner)
    shadow = coverage(SIZE, SIZE, lambda d, s: _symbol(d, s, shape, 3, 4))
    image = over(image, mix(base, BLACK, 0.6), shadow * 0.8)
    outline = coverage(SIZE, SIZE, lambda d, s: (_symbol(d, s, shape, -1.6, 0), _symbol(d, s, shape, 1.6, 0),
                                                  _symbol(d, s, shape, 0, -1.6), _symbol(d, s, shape, 0, 1.6)))
    image = over(image, mix(base, BLACK, 0.55), outline)
    symbol = coverage(SIZE, SIZE, lambda d, s: _symbol(d, s, shape))
    symbol_fill = vertical_gradient(SIZE, SIZE, [(0.2, WHITE), (0.8, mix(base, WHITE, 0.6))])
    image = over(image, symbol_fill, symbol)
    gloss = coverage(SIZE, SIZE, lambda d, s: d.ellipse([-30 * s, -70 * s, (SIZE + 30) * s, 62 * s], fill=255))
    fade = np.clip(1.0 - (np.arange(SIZE) - bevel) / (62.0 - bevel), 0.0, 1.0)[:, None]
    image = over(image, WHITE, gloss * inner * (0.14 + 0.34 * fade))
    edge = 1.0 - coverage(SIZE, SIZE, lambda d, s: d.rectangle([rim * s, rim * s, (SIZE - rim) * s - 1, (SIZE - rim) * s - 1], fill=255))
    return over(image, mix(base, BLACK, 0.75), edge)


def make_blocks():
    return {"palikka%d.png" % (i + 1): block_face(shape, base) for i, (shape, base) in enumerate(KINDS)}
