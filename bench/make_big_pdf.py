#!/usr/bin/env python3
"""Writes a valid PDF of about SIZE megabytes: PAGES pages, each with one
content stream padded with comment lines, and a classic xref table.

usage: make_big_pdf.py OUT SIZE_MB [PAGES]
"""
import sys


def main():
    out_path, size_mb = sys.argv[1], float(sys.argv[2])
    pages = int(sys.argv[3]) if len(sys.argv) > 3 else 2000
    per_page = max(64, int(size_mb * 1024 * 1024 / pages))
    with open(out_path, "wb") as out:
        offsets = []

        def obj(number, body):
            offsets.append((number, out.tell()))
            out.write(b"%d 0 obj\n" % number + body + b"\nendobj\n")

        out.write(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
        kids = b" ".join(b"%d 0 R" % (4 + 2 * i) for i in range(pages))
        obj(1, b"<< /Type /Catalog /Pages 2 0 R >>")
        obj(2, b"<< /Type /Pages /Kids [%s] /Count %d >>" % (kids, pages))
        obj(3, b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>")
        filler_line = b"% " + b"x" * 76 + b"\n"
        for i in range(pages):
            text = b"BT /F1 24 Tf 72 700 Td (Page %d) Tj ET\n" % (i + 1)
            filler = filler_line * max(0, (per_page - len(text)) // len(filler_line))
            content = text + filler
            page, stream = 4 + 2 * i, 5 + 2 * i
            obj(page, b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents %d 0 R"
                      b" /Resources << /Font << /F1 3 0 R >> >> >>" % stream)
            obj(stream, b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream")
        xref = out.tell()
        count = 5 + 2 * (pages - 1) + 1
        out.write(b"xref\n0 %d\n0000000000 65535 f \n" % count)
        for _, offset in sorted(offsets):
            out.write(b"%010d 00000 n \n" % offset)
        out.write(b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (count, xref))


if __name__ == "__main__":
    main()
