"""Float audio to MP3 and Ogg Vorbis files whose bytes depend only on the
samples: fixed encoder settings, a fixed Ogg serial number, and the
encoders' own version texts blanked out of the headers."""
import ctypes
import math
import os
import struct
import subprocess
import tempfile
import wave

import numpy as np

from synth import RATE

OGG_SERIAL = 0x51554144
HEADROOM_PEAK = 10.0 ** (-1.0 / 20.0)  # -1 dBFS


def write_wav(path, stereo):
    samples = np.clip(np.rint(np.asarray(stereo) * 32767.0), -32768, 32767).astype("<i2")
    with wave.open(path, "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(samples.tobytes())


def _crc16(data):
    crc = 0
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def _blank_lame_version(data):
    """The first frame carries the encoder's gapless info (delay and
    padding), which decoders need for a seamless loop. Keep that, but
    blank the version number and fix the tag's checksum."""
    data = bytearray(data)
    assert data[0] == 0xFF and data[1] & 0xE0 == 0xE0, "MP3 must start with a frame"
    tag = data.find(b"LAME", 0, 400)
    assert tag > 0, "encoder wrote no gapless info"
    data[tag + 4:tag + 9] = bytes(5)
    crc = _crc16(data[:tag + 34])
    data[tag + 34:tag + 36] = struct.pack(">H", crc)
    return bytes(data)


def encode_mp3(path, stereo, kbps):
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "in.wav")
        write_wav(wav, stereo)
        subprocess.run(["lame", "--quiet", "--noreplaygain", "-q", "2", "--cbr", "-b", str(kbps), wav,
                        os.path.join(tmp, "out.mp3")], check=True)
        with open(os.path.join(tmp, "out.mp3"), "rb") as f:
            data = _blank_lame_version(f.read())
    with open(path, "wb") as f:
        f.write(data)


# Ogg pages -------------------------------------------------------------

def _ogg_crc_table():
    table = []
    for i in range(256):
        crc = i << 24
        for _ in range(8):
            crc = ((crc << 1) ^ 0x04C11DB7) & 0xFFFFFFFF if crc & 0x80000000 else (crc << 1) & 0xFFFFFFFF
        table.append(crc)
    return table


_OGG_TABLE = _ogg_crc_table()


def _ogg_crc(data):
    crc = 0
    for byte in data:
        crc = ((crc << 8) & 0xFFFFFFFF) ^ _OGG_TABLE[(crc >> 24) ^ byte]
    return crc


def _read_pages(data):
    pages, pos = [], 0
    while pos < len(data):
        assert data[pos:pos + 4] == b"OggS"
        count = data[pos + 26]
        lacing = list(data[pos + 27:pos + 27 + count])
        start = pos + 27 + count
        pages.append({"flags": data[pos + 5], "granule": data[pos + 6:pos + 14], "lacing": lacing,
                      "body": data[start:start + sum(lacing)]})
        pos = start + sum(lacing)
    return pages


def _write_page(page, serial, sequence):
    head = struct.pack("<4sBB8sIIIB", b"OggS", 0, page["flags"], page["granule"], serial, sequence, 0,
                       len(page["lacing"])) + bytes(page["lacing"])
    raw = head + page["body"]
    return raw[:22] + struct.pack("<I", _ogg_crc(raw)) + raw[26:]


def _header_packets(pages):
    """The comment and setup packets, and the index of the first audio page."""
    packets, current = [], b""
    for index, page in enumerate(pages[1:], start=1):
        pos = 0
        for lace in page["lacing"]:
            current += page["body"][pos:pos + lace]
            pos += lace
            if lace < 255:
                packets.append(current)
                current = b""
        if len(packets) == 2:
            assert current == b"", "audio shares a page with the headers"
            return packets, index + 1
    raise ValueError("Ogg stream has no complete headers")


def _pages_for(packets):
    segments = []  # (lacing value, bytes, packet ends here)
    for packet in packets:
        for i in range(0, len(packet) // 255 + 1):
            chunk = packet[i * 255:(i + 1) * 255]
            segments.append((len(chunk), chunk, len(chunk) < 255))
    pages, continued = [], False
    for i in range(0, len(segments), 255):
        group = segments[i:i + 255]
        ends = any(end for _, _, end in group)
        pages.append({"flags": 1 if continued else 0,
                      "granule": bytes(8) if ends else b"\xff" * 8,
                      "lacing": [lace for lace, _, _ in group], "body": b"".join(c for _, c, _ in group)})
        continued = not group[-1][2]
    return pages


def _blank_vorbis_vendor(data):
    pages = _read_pages(data)
    (comment, setup), first_audio = _header_packets(pages)
    assert comment[:7] == b"\x03vorbis"
    vendor_len = struct.unpack("<I", comment[7:11])[0]
    comments = comment[11 + vendor_len:]
    assert comments == b"\x00\x00\x00\x00\x01", "unexpected comments"
    new_comment = b"\x03vorbis" + struct.pack("<I", 0) + comments
    rebuilt = [pages[0]] + _pages_for([new_comment, setup]) + pages[first_audio:]
    return b"".join(_write_page(p, OGG_SERIAL, i) for i, p in enumerate(rebuilt))


def encode_ogg(path, stereo, quality):
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "in.wav")
        write_wav(wav, stereo)
        out = os.path.join(tmp, "out.ogg")
        subprocess.run(["oggenc", "--quiet", "--serial", str(OGG_SERIAL), "-q", str(quality), "-o", out, wav],
                       check=True)
        with open(out, "rb") as f:
            data = _blank_vorbis_vendor(f.read())
    with open(path, "wb") as f:
        f.write(data)


# Headroom ----------------------------------------------------------------

class _SfInfo(ctypes.Structure):
    _fields_ = [("frames", ctypes.c_int64), ("samplerate", ctypes.c_int), ("channels", ctypes.c_int),
                ("format", ctypes.c_int), ("sections", ctypes.c_int), ("seekable", ctypes.c_int)]


def decoded_peak(path):
    """Largest sample as the game's decoder, libsndfile, reads the file back
    (floats, 1.0 = full scale)."""
    sf = ctypes.CDLL("libsndfile.so.1")
    sf.sf_open.restype = ctypes.c_void_p
    sf.sf_open.argtypes = [ctypes.c_char_p, ctypes.c_int, ctypes.POINTER(_SfInfo)]
    sf.sf_readf_float.restype = ctypes.c_int64
    sf.sf_readf_float.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_float), ctypes.c_int64]
    sf.sf_close.argtypes = [ctypes.c_void_p]
    info = _SfInfo()
    handle = sf.sf_open(path.encode(), 0x10, ctypes.byref(info))  # SFM_READ
    assert handle, "libsndfile cannot read " + path
    chunk = np.zeros(4096 * info.channels, dtype=np.float32)
    peak = 0.0
    try:
        while True:
            got = sf.sf_readf_float(handle, chunk.ctypes.data_as(ctypes.POINTER(ctypes.c_float)), 4096)
            if got <= 0:
                return peak
            peak = max(peak, float(np.abs(chunk[:got * info.channels]).max()))
    finally:
        sf.sf_close(handle)


def encode_with_headroom(encode, path, stereo, *settings):
    """Encodes, and while the decoded file peaks above -1 dBFS (lossy
    encoders overshoot the source's peaks) encodes it again, quieter."""
    gain = 1.0
    for _ in range(4):
        encode(path, stereo * gain, *settings)
        peak = decoded_peak(path)
        if peak <= HEADROOM_PEAK:
            print("%s: decoded peak %.2f dBFS" % (os.path.basename(path), 20.0 * math.log10(peak)))
            return
        gain *= 0.99 * HEADROOM_PEAK / peak
    raise RuntimeError("%s still peaks at %.3f after encoding" % (path, peak))
