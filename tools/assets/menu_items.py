"""The menu's words and logo, each as a picture and its mask.

The picture is bright on black and is added over a hole that the mask
cuts into the frame, so the mask must be exactly the complement of the
picture's shape. Every colour used has its brightest channel at full, so
a pixel's brightest channel is its coverage and the mask is 255 minus it."""
import numpy as np
from PIL import Image, ImageDraw

from raster import BOLD, SUPERSAMPLE, text_mask


def _hue(r, g, b, saturation):
    """A colour whose brightest channel is 1, paled towards white."""
    return np.asarray((1 - saturation) + saturation * np.asarray((r, g, b), dtype=np.float64))


class Style:
    def __init__(self, hue_top, hue_bottom, stroke_hue):
        # Pale upper half, a sharp gloss line, a deep lower half.
        # The menu adds the words at 60 %, so they stay pale enough to read light.
        self.stops = [(0.0, _hue(*hue_top, 0.05)), (0.46, _hue(*hue_top, 0.3)),
                      (0.54, _hue(*hue_bottom, 0.55)), (1.0, _hue(*hue_bottom, 0.8))]
        self.stroke = _hue(*stroke_hue, 1.0)

    def fill_colour(self, height):
        y = (np.arange(height) + 0.5) / height
        return np.stack([np.interp(y, [p for p, _ in self.stops], [c[ch] for _, c in self.stops])
                         for ch in range(3)], axis=1)


# Each item is laid out on a canvas of the first size, whose shape matches
# the quad it is drawn on, and stored at the second: sides that are powers
# of two, so GLU builds the mipmaps without rescaling the picture first.
ITEMS = {
    "menu_exit": ("EXIT", (400, 192), (512, 256), Style((1.0, 0.55, 0.55), (1.0, 0.16, 0.2), (0.62, 0.1, 1.0))),
    "menu_play": ("PLAY", (480, 340), (512, 256), Style((1.0, 0.95, 0.35), (1.0, 0.5, 0.05), (1.0, 0.15, 0.1))),
    "menu_options": ("OPTIONS", (528, 204), (512, 256),
                     Style((0.6, 0.95, 1.0), (0.15, 0.5, 1.0), (0.55, 0.2, 1.0))),
    "menu_logo": ("QUADRUNE", (1024, 256), (1024, 256),
                  Style((1.0, 0.96, 0.55), (1.0, 0.6, 0.08), (0.2, 0.42, 1.0))),
}
LOGO_TILES = [(1.0, 0.25, 0.22), (1.0, 0.82, 0.15), (0.25, 1.0, 0.35), (0.22, 0.45, 1.0)]


def _fitted_text(text, box_w, box_h):
    """Largest text (with its outline) that fits the box, at supersampled size."""
    em = box_h
    while True:
        stroke = max(2, em // 14)
        both, fill = text_mask(text, BOLD, em, stroke)
        if both.width <= box_w and both.height <= box_h:
            return both, fill
        em = int(em * 0.97)


def _layers(text, size, with_tiles):
    """Outline-and-fill coverage, fill coverage and a tile layer, supersampled."""
    w, h = size[0] * SUPERSAMPLE, size[1] * SUPERSAMPLE
    both, fill = Image.new("L", (w, h)), Image.new("L", (w, h))
    tiles = []
    x0 = int(w * 0.05)
    if with_tiles:
        cell = int(h * 0.34)
        gap = max(4, cell // 10)
        top = (h - 2 * cell - gap) // 2
        for i, _ in enumerate(LOGO_TILES):
            tile = Image.new("L", (w, h))
            tx, ty = x0 + (i % 2) * (cell + gap), top + (i // 2) * (cell + gap)
            ImageDraw.Draw(tile).rounded_rectangle([tx, ty, tx + cell, ty + cell], radius=cell // 6, fill=255)
            tiles.append(tile)
        x0 += 2 * cell + gap + int(w * 0.03)
    text_both, text_fill = _fitted_text(text, w - x0 - int(w * 0.04), int(h * 0.8))
    ty = (h - text_both.height) // 2
    tx = x0 + (w - x0 - int(w * 0.04) - text_both.width) // 2 if with_tiles else (w - text_both.width) // 2
    both.paste(text_both, (tx, ty))
    fill.paste(text_fill, (tx, ty))
    return both, fill, (ty, text_both.height), tiles


def _down(image, stored):
    """Area average of a supersampled layer down to the stored size."""
    if image.size == (stored[0] * SUPERSAMPLE, stored[1] * SUPERSAMPLE):
        small = image.reduce(SUPERSAMPLE)
    else:
        small = image.resize(stored, Image.BOX)
    return np.asarray(small, dtype=np.float64) / 255.0


def _rows_down(colours, rows):
    """Area average of supersampled rows of colour down to `rows` rows."""
    if len(colours) == rows * SUPERSAMPLE:
        return colours.reshape(rows, SUPERSAMPLE, 3).mean(axis=1)
    channels = [Image.fromarray(colours[:, c:c + 1].astype(np.float32), "F").resize((1, rows), Image.BOX)
                for c in range(3)]
    return np.stack([np.asarray(c, dtype=np.float64)[:, 0] for c in channels], axis=1)


def item_picture(text, size, stored, style, with_tiles=False):
    """Returns (picture, mask) as uint8 RGB arrays of the stored size."""
    both, fill, (text_top, text_h), tiles = _layers(text, size, with_tiles)
    h = size[1]
    ramp = np.zeros((h * SUPERSAMPLE, 3))
    ramp[text_top:text_top + text_h] = style.fill_colour(text_h)
    ramp = _rows_down(ramp, stored[1])
    f, a = _down(fill, stored), _down(both, stored)
    colour = style.stroke * (a - f)[..., None] + ramp[:, None, :] * f[..., None]
    for tile, hue in zip(tiles, LOGO_TILES):
        t = _down(tile, stored)
        colour += np.asarray(hue) * t[..., None]
        a = a + t
    a = np.clip(a, 0.0, 1.0)
    brightest = colour.max(axis=2, keepdims=True)
    colour = np.where(brightest > 0, colour / np.maximum(brightest, 1e-12), 0.0)
    cover = np.rint(a * 255.0).astype(np.uint8)
    picture = np.rint(colour * cover[..., None]).astype(np.uint8)
    mask = np.repeat((255 - cover)[..., None], 3, axis=2)
    return picture, mask


def make_menu_items():
    out = {}
    for name, (text, size, stored, style) in ITEMS.items():
        picture, mask = item_picture(text, size, stored, style, with_tiles=(name == "menu_logo"))
        out[name + ".png"] = picture
        out[name + "_mask.png"] = mask
    return out
