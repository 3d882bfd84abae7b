#!/usr/bin/env python3
"""Writes sample.png: a small, real 8-bit RGB PNG (a colour gradient).

The committed examples/sample.png was made by this script; run it again to
remake it byte for byte:  python3 examples/make_sample.py examples/sample.png
"""
import struct
import sys
import zlib

WIDTH, HEIGHT = 64, 48


def chunk(kind: bytes, data: bytes) -> bytes:
    crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


def main() -> None:
    rows = bytearray()
    for y in range(HEIGHT):
        rows.append(0)  # filter type: none
        for x in range(WIDTH):
            rows += bytes((x * 255 // (WIDTH - 1), y * 255 // (HEIGHT - 1), 160))
    png = (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0))
        + chunk(b"tEXt", b"Comment\x00pngprobe sample image")
        + chunk(b"IDAT", zlib.compress(bytes(rows), 9))
        + chunk(b"IEND", b"")
    )
    with open(sys.argv[1] if len(sys.argv) > 1 else "sample.png", "wb") as out:
        out.write(png)


if __name__ == "__main__":
    main()
