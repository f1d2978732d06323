#!/usr/bin/env python3
"""Packs PNG images into one Windows icon file, each image stored as PNG.

Usage: make_ico.py OUTPUT.ico IMAGE.png...

Every image must be square and at most 256 pixels wide; the entries follow
the order given.
"""

import struct
import sys

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def png_size(data, name):
    """Width and height from the PNG's header chunk."""
    if data[:8] != PNG_SIGNATURE or data[12:16] != b"IHDR":
        raise ValueError("%s: not a PNG image" % name)
    width, height = struct.unpack(">II", data[16:24])
    if width != height or not 1 <= width <= 256:
        raise ValueError("%s: %dx%d, not a square of at most 256 pixels" % (name, width, height))
    return width


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    images = []
    for name in argv[2:]:
        with open(name, "rb") as f:
            data = f.read()
        try:
            images.append((png_size(data, name), data))
        except ValueError as error:
            sys.stderr.write("make_ico.py: %s\n" % error)
            return 1
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, blobs = b"", b""
    for size, data in images:
        # A size of 256 is written as 0; 32 bits per pixel, one plane.
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        blobs += data
        offset += len(data)
    with open(argv[1], "wb") as out:
        out.write(header + entries + blobs)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
