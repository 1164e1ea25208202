#!/usr/bin/env python3
"""Writes the valid PDFs that the benchmarks use, with classic xref tables.

usage: make_big_pdf.py OUT SIZE_MB [PAGES] [--images]
         PAGES pages (2000 unless given), each with one content stream
         padded with comment lines, about SIZE_MB megabytes in all; with
         --images each page shows a grey image of random pixels instead,
         Flate-coded so that a PDF rewriter copies it as it is
       make_big_pdf.py OUT --objects N [--sections K] [--referenced]
         a catalog, an empty page tree and N small objects (about 70 bytes
         each with their entry), listed by K cross-reference sections: the
         first holds the catalog and the page tree, each later one is an
         incremental update that adds its share of the objects; with
         --referenced (one section only) one blank page, and an array that
         the catalog names lists every object, so that a PDF rewriter keeps
         them all
"""
import argparse
import os
import zlib

HEADER = b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n"


class Writer:
    """Appends numbered objects to out and remembers where each begins."""

    def __init__(self, out):
        self.out = out
        self.offsets = {}

    def obj(self, number, body):
        self.offsets[number] = self.out.tell()
        self.out.write(b"%d 0 obj\n" % number + body + b"\nendobj\n")

    def section(self, numbers, trailer):
        """A classic section for numbers (sorted, with runs as subsections)
        and its trailer; returns the section's offset."""
        at = self.out.tell()
        self.out.write(b"xref\n")
        runs = []
        for n in numbers:
            if runs and n == runs[-1][1]:
                runs[-1][1] = n + 1
            else:
                runs.append([n, n + 1])
        for first, end in runs:
            self.out.write(b"%d %d\n" % (first, end - first))
            self.out.write(b"".join(self.entry(n) for n in range(first, end)))
        self.out.write(b"trailer\n" + trailer + b"\n")
        return at

    def entry(self, number):
        if number == 0:
            return b"0000000000 65535 f \n"
        return b"%010d 00000 n \n" % self.offsets[number]

    def finish(self, xref):
        self.out.write(b"startxref\n%d\n%%%%EOF\n" % xref)


def pages_pdf(out, size_mb, pages):
    """PAGES pages whose content streams fill about size_mb megabytes."""
    per_page = max(64, int(size_mb * 1024 * 1024 / pages))
    w = Writer(out)
    out.write(HEADER)
    kids = b" ".join(b"%d 0 R" % (4 + 2 * i) for i in range(pages))
    w.obj(1, b"<< /Type /Catalog /Pages 2 0 R >>")
    w.obj(2, b"<< /Type /Pages /Kids [%s] /Count %d >>" % (kids, pages))
    w.obj(3, b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>")
    filler_line = b"% " + b"x" * 76 + b"\n"
    for i in range(pages):
        text = b"BT /F1 24 Tf 72 700 Td (Page %d) Tj ET\n" % (i + 1)
        filler = filler_line * max(0, (per_page - len(text)) // len(filler_line))
        content = text + filler
        page, stream = 4 + 2 * i, 5 + 2 * i
        w.obj(page, b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents %d 0 R"
                    b" /Resources << /Font << /F1 3 0 R >> >> >>" % stream)
        w.obj(stream, b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream")
    count = 4 + 2 * pages
    xref = w.section(range(count), b"<< /Size %d /Root 1 0 R >>" % count)
    w.finish(xref)


def image_pages_pdf(out, size_mb, pages):
    """PAGES pages, each drawing one image of random grey pixels, about
    size_mb megabytes in all."""
    side = max(8, int((size_mb * 1024 * 1024 / pages) ** 0.5))
    w = Writer(out)
    out.write(HEADER)
    kids = b" ".join(b"%d 0 R" % (3 + 3 * i) for i in range(pages))
    w.obj(1, b"<< /Type /Catalog /Pages 2 0 R >>")
    w.obj(2, b"<< /Type /Pages /Kids [%s] /Count %d >>" % (kids, pages))
    content = b"q 612 0 0 792 0 0 cm /Im1 Do Q\n"
    for i in range(pages):
        page, stream, image = 3 + 3 * i, 4 + 3 * i, 5 + 3 * i
        pixels = zlib.compress(os.urandom(side * side), 0)
        w.obj(page, b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents %d 0 R"
                    b" /Resources << /XObject << /Im1 %d 0 R >> >> >>" % (stream, image))
        w.obj(stream, b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream")
        w.obj(image, b"<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace"
                     b" /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode /Length %d >>"
                     b"\nstream\n" % (side, side, len(pixels)) + pixels + b"\nendstream")
    count = 3 + 3 * pages
    xref = w.section(range(count), b"<< /Size %d /Root 1 0 R >>" % count)
    w.finish(xref)


def objects_pdf(out, objects, sections, referenced):
    """objects small objects spread over sections incremental sections."""
    w = Writer(out)
    out.write(HEADER)
    first = 5 if referenced else 3
    size = objects + first
    if referenced:
        # One blank page, so that a PDF rewriter has a document to keep.
        w.obj(1, b"<< /Type /Catalog /Pages 2 0 R /Bench 3 0 R >>")
        w.obj(2, b"<< /Type /Pages /Kids [4 0 R] /Count 1 >>")
        w.obj(3, b"[" + b" ".join(b"%d 0 R" % n for n in range(first, size)) + b"]")
        w.obj(4, b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>")
    else:
        w.obj(1, b"<< /Type /Catalog /Pages 2 0 R >>")
        w.obj(2, b"<< /Type /Pages /Kids [] /Count 0 >>")
    share = -(-objects // max(1, sections - 1)) if sections > 1 else objects
    first_numbers = list(range(first)) + (list(range(first, size)) if sections == 1 else [])
    if sections == 1:
        add_objects(w, first, size)
    prev = w.section(first_numbers, b"<< /Size %d /Root 1 0 R >>" % size)
    start = first
    for _ in range(1, sections):
        end = min(size, start + share)
        add_objects(w, start, end)
        prev = w.section(range(start, end),
                         b"<< /Size %d /Root 1 0 R /Prev %d >>" % (size, prev))
        start = end
    w.finish(prev)


def add_objects(w, first, end):
    """Objects first..end-1, each a small dictionary."""
    for n in range(first, end):
        w.obj(n, b"<< /N %d /Pad (abcdef) >>" % n)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("out")
    parser.add_argument("size_mb", nargs="?", type=float)
    parser.add_argument("pages", nargs="?", type=int, default=2000)
    parser.add_argument("--objects", type=int)
    parser.add_argument("--sections", type=int, default=1)
    parser.add_argument("--referenced", action="store_true")
    parser.add_argument("--images", action="store_true")
    args = parser.parse_args()
    if args.referenced and args.sections != 1:
        parser.error("--referenced needs one section")
    with open(args.out, "wb") as out:
        if args.objects is not None:
            objects_pdf(out, args.objects, args.sections, args.referenced)
        elif args.size_mb is not None and args.images:
            image_pages_pdf(out, args.size_mb, args.pages)
        elif args.size_mb is not None:
            pages_pdf(out, args.size_mb, args.pages)
        else:
            parser.error("give SIZE_MB or --objects")


if __name__ == "__main__":
    main()
