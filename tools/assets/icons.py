"""The desktop icon: four block faces in a square, the top two framed by
the two-cell cursor, as on the board. Drawn at 256 x 256 and scaled down,
so every size shows the same picture."""
import os

import numpy as np
from PIL import Image

from blocks import KINDS, block_face
from pngfile import to_bytes, write_png
from raster import coverage

SIZE = 256
TILE, GAP = 100, 8
MARGIN, FRAME, CLEAR = 14, 6, 4  # around the cursor frame, its line, inside it
SIZES = (48, 64, 128, 256)
CORNERS = [("circle", 0, 0), ("star", 1, 0), ("diamond", 0, 1), ("triangle", 1, 1)]


def _tile(shape):
    base = dict(KINDS)[shape]
    face = Image.fromarray(to_bytes(block_face(shape, base)), "RGB")
    return np.asarray(face.resize((TILE, TILE), Image.LANCZOS), dtype=np.float64) / 255.0


def _cursor_cover():
    """A white frame around the top row, like the game's two-cell cursor."""
    outer = MARGIN, SIZE - MARGIN, MARGIN + 2 * (FRAME + CLEAR) + TILE  # left, right, bottom

    def frame(draw, s):
        left, right, bottom = outer
        draw.rectangle([left * s, left * s, right * s - 1, bottom * s - 1], fill=255)
        left, right, bottom = left + FRAME, right - FRAME, bottom - FRAME
        draw.rectangle([left * s, left * s, right * s - 1, bottom * s - 1], fill=0)
    return coverage(SIZE, SIZE, frame)


def icon():
    """RGBA floats, transparent around the blocks."""
    image = np.zeros((SIZE, SIZE, 4))
    first = MARGIN + FRAME + CLEAR
    for shape, column, row in CORNERS:
        x = first + column * (TILE + GAP)
        y = first + row * (TILE + CLEAR + FRAME + GAP)
        image[y:y + TILE, x:x + TILE, :3] = _tile(shape)
        image[y:y + TILE, x:x + TILE, 3] = 1.0
    cursor = _cursor_cover()[..., None]
    image[..., :3] = image[..., :3] * (1.0 - cursor) + cursor
    image[..., 3:] = np.maximum(image[..., 3:], cursor)
    return image


def write_icons(folder):
    """quadrune-<size>.png for each size, scaled from the big picture."""
    os.makedirs(folder, exist_ok=True)
    big = Image.fromarray(to_bytes(icon()), "RGBA")
    for size in SIZES:
        scaled = big if size == SIZE else big.resize((size, size), Image.LANCZOS)
        write_png(os.path.join(folder, "quadrune-%d.png" % size), np.asarray(scaled))
