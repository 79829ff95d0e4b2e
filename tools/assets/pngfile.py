"""Writes 8-bit RGB/RGBA PNG files that hold nothing but the pixels.

No time stamps, text or gamma chunks, so the same pixels always give the
same bytes. Each row takes whichever PNG filter makes it smallest."""
import struct
import zlib

import numpy as np

_COLOUR_TYPE = {3: 2, 4: 6}


def _chunk(kind, payload):
    body = kind + payload
    return struct.pack(">I", len(payload)) + body + struct.pack(">I", zlib.crc32(body))


def _paeth(left, up, up_left):
    p = left + up - up_left
    pa, pb, pc = np.abs(p - left), np.abs(p - up), np.abs(p - up_left)
    return np.where((pa <= pb) & (pa <= pc), left, np.where(pb <= pc, up, up_left))


def _filtered_rows(pixels):
    h, w, ch = pixels.shape
    cur = pixels.reshape(h, w * ch).astype(np.int32)
    up = np.vstack([np.zeros((1, w * ch), np.int32), cur[:-1]])
    left = np.hstack([np.zeros((h, ch), np.int32), cur[:, :-ch]])
    up_left = np.hstack([np.zeros((h, ch), np.int32), up[:, :-ch]])
    candidates = [cur, cur - left, cur - up, cur - (left + up) // 2, cur - _paeth(left, up, up_left)]
    candidates = [c & 0xFF for c in candidates]
    # The usual heuristic: smallest sum of bytes read as signed values.
    cost = np.stack([np.minimum(c, 256 - c).sum(axis=1) for c in candidates])
    best = cost.argmin(axis=0)
    out = bytearray()
    for y in range(h):
        out.append(int(best[y]))
        out += candidates[best[y]][y].astype(np.uint8).tobytes()
    return bytes(out)


def write_png(path, pixels):
    """pixels: uint8 array of shape (height, width, 3 or 4), top row first."""
    pixels = np.ascontiguousarray(pixels, dtype=np.uint8)
    h, w, ch = pixels.shape
    header = struct.pack(">IIBBBBB", w, h, 8, _COLOUR_TYPE[ch], 0, 0, 0)
    data = zlib.compress(_filtered_rows(pixels), 9)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header) + _chunk(b"IDAT", data) + _chunk(b"IEND", b""))


def to_bytes(image):
    """Float image in 0..1 to uint8, rounded."""
    return np.clip(np.rint(np.asarray(image) * 255.0), 0, 255).astype(np.uint8)
