"""Small raster helpers: anti-aliased shape coverage, text coverage,
compositing and gradients, all as float arrays in 0..1."""
import numpy as np
from PIL import Image, ImageDraw, ImageFont

FONT_DIR = "/usr/share/fonts/truetype/dejavu/"
BOLD = FONT_DIR + "DejaVuSans-Bold.ttf"
CONDENSED_BOLD = FONT_DIR + "DejaVuSansCondensed-Bold.ttf"

SUPERSAMPLE = 4


def coverage(width, height, draw_shapes, ss=SUPERSAMPLE):
    """Coverage of what draw_shapes(draw, ss) paints in white, box-filtered
    down from ss-times resolution."""
    big = Image.new("L", (width * ss, height * ss), 0)
    draw_shapes(ImageDraw.Draw(big), ss)
    return np.asarray(big.reduce(ss), dtype=np.float64) / 255.0


def polygon_points(cx, cy, radius, corners, start_deg, inner=None):
    """Regular polygon, or a star when inner (the inner radius) is given."""
    points = []
    count = corners * 2 if inner else corners
    for i in range(count):
        r = inner if inner and i % 2 else radius
        a = np.radians(start_deg + 360.0 * i / count)
        points.append((cx + r * np.cos(a), cy - r * np.sin(a)))
    return points


def text_mask(text, font_path, em, stroke=0):
    """Big-resolution L image of text (fill plus stroke) and its fill alone,
    cropped to the ink."""
    font = ImageFont.truetype(font_path, em)
    left, top, right, bottom = font.getbbox(text, stroke_width=stroke)
    size = (right - left + 2, bottom - top + 2)
    both = Image.new("L", size, 0)
    fill = Image.new("L", size, 0)
    origin = (1 - left, 1 - top)
    ImageDraw.Draw(both).text(origin, text, font=font, fill=255, stroke_width=stroke, stroke_fill=255)
    ImageDraw.Draw(fill).text(origin, text, font=font, fill=255)
    return both, fill


def over(image, colour, alpha):
    """Paints colour (a triple or an array) over image with coverage alpha."""
    a = np.asarray(alpha, dtype=np.float64)[..., None]
    return image * (1.0 - a) + np.asarray(colour, dtype=np.float64) * a


def mix(c1, c2, t):
    return tuple(float(a) * (1.0 - t) + float(b) * t for a, b in zip(c1, c2))


def rgb(*values):
    return tuple(v / 255.0 for v in values)


def vertical_gradient(width, height, stops):
    """stops: list of (position 0..1, colour); linear between them."""
    y = (np.arange(height) + 0.5) / height
    out = np.zeros((height, 3))
    for ch in range(3):
        out[:, ch] = np.interp(y, [p for p, _ in stops], [c[ch] for _, c in stops])
    return np.repeat(out[:, None, :], width, axis=1)


def grid(width, height):
    """Pixel centre coordinates normalised to -1..1."""
    x = (np.arange(width) + 0.5) / width * 2.0 - 1.0
    y = (np.arange(height) + 0.5) / height * 2.0 - 1.0
    return np.meshgrid(x, y)


def bayer_dither(width, height, levels=255.0):
    """Ordered dither of half a level, so dark gradients show no bands."""
    m = np.array([[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]) / 16.0 - 0.47
    tiled = np.tile(m, (height // 4 + 1, width // 4 + 1))[:height, :width]
    return tiled[..., None] / levels
