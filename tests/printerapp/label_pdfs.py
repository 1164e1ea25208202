#!/usr/bin/env python3
"""PDFs to print in tests: label_pdfs.py DIR [--padding BYTES] LABEL...

Writes DIR/LABEL.pdf for each label (letters, digits and '-'): one Letter
page that shows the label, so that every job's stream can be told from
the others. --padding adds a second content stream of that many bytes of
PDF comments with random hex digits, for a job too big to sit in the
socket buffers between the application and the printer.
"""
import argparse
import os
import secrets


def pdf_with(label, padding):
    """The bytes of a one-page PDF that shows label, with its cross-reference table."""
    text = "BT /F1 24 Tf 72 692 Td (%s) Tj ET\n" % label
    contents = [text.encode("ascii")]
    if padding:
        lines = bytearray()
        while len(lines) < padding:
            lines += b"% " + secrets.token_hex(38).encode("ascii") + b"\n"
        contents.append(bytes(lines[:padding]))
    streams = len(contents)
    refs = " ".join("%d 0 R" % (5 + i) for i in range(streams))
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        ("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents [%s] "
         "/Resources << /Font << /F1 4 0 R >> >> >>" % refs).encode("ascii"),
        b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
    ]
    for content in contents:
        objects.append(b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream")
    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    return bytes(out)


def main():
    """Writes one PDF for each label on the command line."""
    parser = argparse.ArgumentParser(description="One-page PDFs that show their labels.")
    parser.add_argument("dir")
    parser.add_argument("--padding", type=int, default=0)
    parser.add_argument("labels", nargs="+")
    args = parser.parse_args()
    for label in args.labels:
        with open(os.path.join(args.dir, label + ".pdf"), "wb") as out:
            out.write(pdf_with(label, args.padding))


if __name__ == "__main__":
    main()
