#!/usr/bin/env python3
"""Compares renderings of printed pages with what was sent.

image_match.py same RENDERED.pnm EXPECTED.pnm
    The two binary PNM images (P5 or P6) have the same size and differ
    by little: a mean difference under 3 of 255, and under 1% of the
    samples off by more than 64 (edges that anti-aliasing moves).
image_match.py quadrants RENDERED.ppm
    The page shows, somewhere on white, an image 4:3 of four blocks: red
    top left, green top right, blue bottom left, black bottom right; the
    image may be turned a quarter, not mirrored.
Exits 0 when it holds, else 1 with why.
"""
import sys


def read_pnm(path):
    """Width, height, channels and samples of a binary PNM file."""
    data = open(path, "rb").read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    magic, width, height = fields[0], int(fields[1]), int(fields[2])
    channels = {b"P5": 1, b"P6": 3}[magic]
    samples = data[pos + 1:pos + 1 + width * height * channels]
    if len(samples) != width * height * channels:
        raise ValueError(f"{path}: short image")
    return width, height, channels, samples


def same(rendered, expected):
    a, b = read_pnm(rendered), read_pnm(expected)
    if a[:3] != b[:3]:
        return f"sizes differ: {a[:3]} against {b[:3]}"
    diffs = [abs(x - y) for x, y in zip(a[3], b[3])]
    mean = sum(diffs) / len(diffs)
    far = sum(1 for d in diffs if d > 64) / len(diffs)
    if mean >= 3 or far >= 0.01:
        return f"mean difference {mean:.2f}, {far:.2%} of samples far off"
    return None


def quadrants(rendered):
    width, height, channels, samples = read_pnm(rendered)
    if channels != 3:
        return "not a colour image"

    def pixel(x, y):
        i = (y * width + x) * 3
        return tuple(samples[i:i + 3])

    inked = [(x, y) for y in range(height) for x in range(width) if min(pixel(x, y)) < 200]
    if not inked:
        return "a blank page"
    left, right = min(x for x, _ in inked), max(x for x, _ in inked)
    top, bottom = min(y for _, y in inked), max(y for _, y in inked)
    box_w, box_h = right - left + 1, bottom - top + 1
    # An image wider than the page is high may be printed turned a quarter.
    ratio = max(box_w, box_h) / min(box_w, box_h)
    if abs(ratio - 4 / 3) > 0.03:
        return f"the image is {box_w}x{box_h}, not 4:3"
    # The blocks clockwise from the top left: turned or not, the same
    # cycle; mirrored, the cycle reversed.
    colours = {(255, 0, 0): "red", (0, 255, 0): "green", (0, 0, 0): "black", (0, 0, 255): "blue"}
    seen = []
    for qx, qy in ((1, 1), (3, 1), (3, 3), (1, 3)):
        sample = pixel(left + box_w * qx // 4, top + box_h * qy // 4)
        named = [name for colour, name in colours.items()
                 if all(abs(s - c) <= 48 for s, c in zip(sample, colour))]
        if not named:
            return f"a block is {sample}, none of the four colours"
        seen.append(named[0])
    cycle = ["red", "green", "black", "blue"]
    if not any(seen == cycle[k:] + cycle[:k] for k in range(4)):
        return f"the blocks clockwise are {seen}, not a turn of {cycle}"
    return None


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "same":
        why = same(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 3 and sys.argv[1] == "quadrants":
        why = quadrants(sys.argv[2])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    if why:
        print(f"image_match: {why}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
