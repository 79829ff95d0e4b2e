"""The menu font: codes 32..121 in 30 x 30 cells, 9 to a row. The game
samples only the 27 x 27 pixels from offset 2 of each cell, so every glyph
is drawn inside that window with a pixel to spare on each side. White
everywhere; the alpha is the ink.

The game finds the cells by their share of the picture's width and height,
so the sheet is laid out at 270 x 300 and stored at 256 x 256, sides that
are powers of two, which GLU takes without rescaling."""
import numpy as np
from PIL import Image, ImageDraw, ImageFont

from raster import BOLD, SUPERSAMPLE

CELL, WINDOW, OFFSET, PER_ROW = 30, 27, 2, 9
STORED = (256, 256)
FIRST, LAST = 32, 121
EM = 28
CAP_TOP = 2.2  # window row where capitals start
SPARE = 1      # empty pixels kept at each side of the window


def _glyph(font, char, baseline):
    """Coverage of one glyph in its 27 x 27 window, supersampled."""
    ss = SUPERSAMPLE
    big = WINDOW * ss
    left, top, right, bottom = font.getbbox(char, anchor="ls")
    room = (WINDOW - 2 * SPARE) * ss
    width, height = right - left, bottom - top
    image = Image.new("L", (width + 2, height + 2), 0)
    ImageDraw.Draw(image).text((1 - left, 1 - top), char, font=font, fill=255, anchor="ls")
    if width > room:  # the widest glyphs are narrowed rather than cut
        image = image.resize((room, image.height), Image.LANCZOS)
    y = int(round(baseline * ss)) + top - 1
    # Descenders that would leave the window are lifted back into it.
    y = min(max(y, SPARE * ss - 1), big - SPARE * ss - image.height + 1)
    x = (big - image.width) // 2
    canvas = Image.new("L", (big, big), 0)
    canvas.paste(image, (x, y))
    return np.asarray(canvas, dtype=np.float64) / 255.0


def make_font():
    font = ImageFont.truetype(BOLD, EM * SUPERSAMPLE)
    cap_top = -font.getbbox("H", anchor="ls")[1] / SUPERSAMPLE
    baseline = CAP_TOP + cap_top
    ss = SUPERSAMPLE
    sheet = np.zeros((CELL * 10 * ss, CELL * PER_ROW * ss))
    for code in range(FIRST + 1, LAST + 1):
        k = code - FIRST
        x, y = (CELL * (k % PER_ROW) + OFFSET) * ss, (CELL * (k // PER_ROW) + OFFSET) * ss
        sheet[y:y + WINDOW * ss, x:x + WINDOW * ss] = _glyph(font, chr(code), baseline)
    alpha = np.asarray(Image.fromarray(sheet.astype(np.float32), "F").resize(STORED, Image.BOX), dtype=np.float64)
    alpha[alpha < 1.0 / 512] = 0.0
    return {"menufont.png": np.dstack([np.ones(alpha.shape + (3,)), alpha])}
