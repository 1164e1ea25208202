#!/usr/bin/env python3
"""Stand-ins for the PWG raster samples CUPS's ipptool files print.

pwg_samples.py OUTDIR TESTFILE...

Writes, under OUTDIR, every "pwg-raster-samples-*" file a FILE line of the
test files names, as a small valid PWG raster of the resolution, colour
space, bits and paper its name says (4x6 for "-4x6", A4 for "-a4", else
Letter): white pages, each with a dark band across it, one page, two for
"document-" names. ipptool must be able to read every file a test names,
even of the tests it skips.
"""
import os
import re
import struct
import sys

# The sample names: pwg-raster-samples-RESdpi/TYPE/DOC-TYPE-RESdpi.pwg
NAME = re.compile(r"pwg-raster-samples-(\d+)dpi/([a-z0-9-]+)/([^/\s]+)-\2-\1dpi\.pwg")

# Colour space (CUPS's numbers), bits per colour, colours, and the values
# of white and of the band's colour.
TYPES = {
    "black-1": (3, 1, 1, 0, 1),
    "sgray-8": (18, 8, 1, 255, 64),
    "srgb-8": (19, 8, 3, (255, 255, 255), (40, 80, 160)),
    "srgb-16": (19, 16, 3, (65535, 65535, 65535), (10000, 20000, 40000)),
    "cmyk-8": (6, 8, 4, (0, 0, 0, 0), (160, 80, 0, 40)),
}

# Paper sizes in points.
PAPERS = {"4x6": (288, 432), "a4": (595, 842), "letter": (612, 792)}


def paper_of(doc):
    for key in ("4x6", "a4"):
        if key in doc:
            return key
    return "letter"


def header(res, type_name, paper, pages):
    """The 1796-byte big-endian page header."""
    space, bits, colours, _, _ = TYPES[type_name]
    width_pt, height_pt = PAPERS[paper]
    width, height = width_pt * res // 72, height_pt * res // 72
    bpp = bits * colours
    h = bytearray(1796)
    h[0:9] = b"PwgRaster"
    h[1732:1732 + len(paper)] = paper.encode()

    def put(offset, *values):
        struct.pack_into(">%dI" % len(values), h, offset, *values)

    put(276, res, res)                    # HWResolution
    put(340, 1)                           # NumCopies
    put(352, width_pt, height_pt)         # PageSize
    put(372, width, height)               # cupsWidth, cupsHeight
    put(384, bits, bpp, (width * bpp + 7) // 8)
    put(400, space)                       # cupsColorSpace
    put(420, colours)                     # cupsNumColors
    put(452, pages)                       # TotalPageCount
    put(460, 1)                           # FeedTransform
    return bytes(h), width, height


def pixel_bytes(type_name, value):
    """One pixel's bytes (black-1 is packed by the caller)."""
    _, bits, colours, _, _ = TYPES[type_name]
    values = value if isinstance(value, tuple) else (value,)
    return struct.pack(">%d%s" % (colours, "H" if bits == 16 else "B"), *values)


def packbits_row(type_name, width, runs):
    """A row of (value, pixels) runs, PWG-encoded (repeats of up to 128)."""
    space, bits, _, _, _ = TYPES[type_name]
    out = bytearray()
    if bits == 1:  # whole bytes: 8 pixels a byte, runs in multiples of 8
        for value, count in runs:
            byte = 0xFF if value else 0x00
            count = (count + 7) // 8
            while count:
                n = min(count, 128)
                out += bytes([n - 1, byte])
                count -= n
        return bytes(out)
    for value, count in runs:
        pixel = pixel_bytes(type_name, value)
        while count:
            n = min(count, 128)
            out += bytes([n - 1]) + pixel
            count -= n
    return bytes(out)


def lines(count, row):
    """count copies of an encoded row, as line-repeat records."""
    out = bytearray()
    while count:
        n = min(count, 256)
        out += bytes([n - 1]) + row
        count -= n
    return bytes(out)


def page(res, type_name, paper, pages):
    head, width, height = header(res, type_name, paper, pages)
    _, bits, _, white, band = TYPES[type_name]
    if bits == 1:  # a band that starts and ends on whole bytes
        left = (width // 4) // 8 * 8
        middle = (width // 2) // 8 * 8
    else:
        left, middle = width // 4, width // 2
    blank = packbits_row(type_name, width, [(white, width)])
    banded = packbits_row(type_name, width, [(white, left), (band, middle), (white, width - left - middle)])
    top, band_rows = height // 3, height // 6
    body = lines(top, blank) + lines(band_rows, banded) + lines(height - top - band_rows, blank)
    return head + body


def write_sample(outdir, path):
    match = NAME.fullmatch(path)
    if not match or match.group(2) not in TYPES:
        return False
    res, type_name, doc = int(match.group(1)), match.group(2), match.group(3)
    pages = 2 if doc.startswith("document-") else 1
    paper = paper_of(doc)
    target = os.path.join(outdir, path)
    os.makedirs(os.path.dirname(target), exist_ok=True)
    with open(target, "wb") as out:
        out.write(b"RaS2")
        for _ in range(pages):
            out.write(page(res, type_name, paper, pages))
    return True


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    outdir = sys.argv[1]
    for test_file in sys.argv[2:]:
        for line in open(test_file, encoding="utf-8"):
            words = line.split()
            if len(words) == 2 and words[0] == "FILE" and words[1].startswith("pwg-raster-samples-"):
                if not write_sample(outdir, words[1]):
                    sys.exit(f"pwg_samples.py: no stand-in for {words[1]}")


if __name__ == "__main__":
    main()
