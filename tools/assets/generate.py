#!/usr/bin/python3
"""Makes every picture and sound of the game from nothing but code.

    tools/assets/generate.sh [output directory]

writes pics/, audio/ and icons/ below the directory (default: the game's data/).
Every run gives the same bytes."""
import os
import sys

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import backdrops  # noqa: E402
import blocks  # noqa: E402
import effects  # noqa: E402
import game_music  # noqa: E402
import glows  # noqa: E402
import icons  # noqa: E402
import menu_font  # noqa: E402
import menu_items  # noqa: E402
import menu_music  # noqa: E402
from encode import encode_mp3, encode_ogg, encode_with_headroom  # noqa: E402
from pngfile import to_bytes, write_png  # noqa: E402

MUSIC_PEAK = 0.5     # -6 dBFS, so effects over the music do not clip
EFFECT_PEAK = 0.45
CLICK_PEAK = 0.4


def normalised(stereo, peak):
    return stereo * (peak / np.abs(stereo).max())


def make_pictures(folder):
    pictures = {}
    for maker in (blocks.make_blocks, glows.make_glows, backdrops.make_backdrops, menu_font.make_font):
        pictures.update({name: to_bytes(image) for name, image in maker().items()})
    pictures.update(menu_items.make_menu_items())
    for name, pixels in sorted(pictures.items()):
        write_png(os.path.join(folder, name), pixels)


def make_sounds(folder):
    sounds = [
        ("muzaik.mp3", encode_mp3, normalised(game_music.render(np.random.RandomState(1)), MUSIC_PEAK), 128),
        ("menumusa.ogg", encode_ogg, normalised(menu_music.render(np.random.RandomState(2)), MUSIC_PEAK), 3),
        ("boom.mp3", encode_mp3, normalised(effects.boom(np.random.RandomState(3)), EFFECT_PEAK), 160),
        ("pilip.ogg", encode_ogg, normalised(effects.menu_click(), CLICK_PEAK), 6),
        ("plip2.ogg", encode_ogg, normalised(effects.option_click(np.random.RandomState(4)), CLICK_PEAK), 6),
    ]
    for name, encode, stereo, setting in sounds:
        encode_with_headroom(encode, os.path.join(folder, name), stereo, setting)


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "..", "data")
    pics, audio = os.path.join(target, "pics"), os.path.join(target, "audio")
    os.makedirs(pics, exist_ok=True)
    os.makedirs(audio, exist_ok=True)
    make_pictures(pics)
    make_sounds(audio)
    icons.write_icons(os.path.join(target, "icons"))


if __name__ == "__main__":
    main()
