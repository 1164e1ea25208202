#!/usr/bin/env python3
"""Writes the project's sample PDFs (classic cross-reference tables).

Run from this folder: python3 make-samples.py. The PDFs are committed, so the
build never needs this script; it documents how they were made.
"""


def page_content(text, y):
    return b"BT /F1 24 Tf 72 %d Td (%s) Tj ET" % (y, text.encode("latin-1"))


def make_pdf(pages, width, height):
    """One Helvetica line per page, objects in order, one xref section."""
    objects = [None, None]  # catalog and page tree, filled in below
    font = len(objects) + 1
    objects.append(b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>")
    kids = []
    for text in pages:
        content = page_content(text, height - 100)
        objects.append(b"<< /Length %d >>\nstream\n%s\nendstream" % (len(content), content))
        contents = len(objects)
        objects.append(
            b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %d %d] /Contents %d 0 R"
            b" /Resources << /Font << /F1 %d 0 R >> >> >>" % (width, height, contents, font)
        )
        kids.append(len(objects))
    objects[0] = b"<< /Type /Catalog /Pages 2 0 R >>"
    objects[1] = b"<< /Type /Pages /Kids [%s] /Count %d >>" % (
        b" ".join(b"%d 0 R" % k for k in kids),
        len(kids),
    )
    out = b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n"
    offsets = []
    for number, body in enumerate(objects, start=1):
        offsets.append(len(out))
        out += b"%d 0 obj\n%s\nendobj\n" % (number, body)
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    return out


SAMPLES = {
    "letter-1page.pdf": (["ticketpress sample: one Letter page"], 612, 792),
    "a4-3pages.pdf": (["A4 page 1 of 3", "A4 page 2 of 3", "A4 page 3 of 3"], 595, 842),
}

if __name__ == "__main__":
    for name, (pages, width, height) in SAMPLES.items():
        with open(name, "wb") as f:
            f.write(make_pdf(pages, width, height))
