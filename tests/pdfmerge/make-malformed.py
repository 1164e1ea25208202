#!/usr/bin/env python3
"""Writes the malformed PDFs of tests/pdfmerge/malformed/.

Each file breaks one rule of the cross-reference structure, the trailer,
the catalog or a stream. The merge must stop on every one of them with a
message and a non-zero status, reading nothing outside the file. The files
are committed; run this script from its folder to make them again.
"""
import os
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "malformed")

CATALOG = b"<< /Type /Catalog /Pages 2 0 R >>"
PAGES = b"<< /Type /Pages /Kids [] /Count 0 >>"


def body(objects):
    """Header and numbered objects; gives the bytes and the offsets."""
    out = b"%PDF-1.4\n"
    offsets = {}
    for number, text in objects:
        offsets[number] = len(out)
        out += b"%d 0 obj\n%s\nendobj\n" % (number, text)
    return out, offsets


def classic(objects=((1, CATALOG), (2, PAGES)), trailer=b"<< /Size 3 /Root 1 0 R >>",
            entries=None, table=None, tail=None):
    """A PDF with one classic section; any part can be replaced."""
    out, offsets = body(objects)
    xref = len(out)
    if table is None:
        if entries is None:
            size = max(offsets) + 1
            entries = [b"0000000000 65535 f \n"] + [
                b"%010d 00000 n \n" % offsets[n] if n in offsets else b"0000000000 65535 f \n"
                for n in range(1, size)]
        table = b"xref\n0 %d\n" % len(entries) + b"".join(entries)
    out += table + b"trailer\n" + trailer + b"\n"
    out += tail if tail is not None else b"startxref\n%d\n%%%%EOF\n" % xref
    return out


def xref_stream(entries, dict_extra=b"", data=None, filter_=True, predictor=False,
                number=3, objects=((1, CATALOG), (2, PAGES)), header=None):
    """A PDF whose only section is a cross-reference stream."""
    out, offsets = body(objects)
    at = len(out)
    rows = b""
    for kind, field2, field3 in entries:
        row = bytes([kind]) + field2.to_bytes(4, "big") + field3.to_bytes(2, "big")
        rows += (b"\x00" + row) if predictor else row
    if data is None:
        data = zlib.compress(rows) if filter_ else rows
    params = b" /Filter /FlateDecode" if filter_ else b""
    if predictor:
        params += b" /DecodeParms << /Predictor 12 /Columns 7 >>"
    head = header if header is not None else b"%d 0 obj\n" % number
    out += head + b"<< /Type /XRef /Size 4 /W [1 4 2] /Root 1 0 R%s%s /Length %d >>\nstream\n" % (
        params, dict_extra, len(data)) + data + b"\nendstream\nendobj\n"
    out += b"startxref\n%d\n%%%%EOF\n" % at
    return out, offsets, at


def good_stream_entries(offsets, at):
    return [(0, 0, 65535), (1, offsets[1], 0), (1, offsets[2], 0), (1, at, 0)]


def make():
    files = {}
    good = classic()
    files["empty.pdf"] = b""
    files["no-startxref.pdf"] = good.replace(b"startxref", b"startxrex")
    files["startxref-no-number.pdf"] = good[: good.rindex(b"startxref")] + b"startxref\nabc\n%%EOF\n"
    files["startxref-past-end.pdf"] = good[: good.rindex(b"startxref")] + b"startxref\n999999\n%%EOF\n"
    files["startxref-negative.pdf"] = good[: good.rindex(b"startxref")] + b"startxref\n-5\n%%EOF\n"
    files["startxref-into-object.pdf"] = good[: good.rindex(b"startxref")] + b"startxref\n20\n%%EOF\n"
    files["startxref-only.pdf"] = b"startxref"
    files["xref-at-end.pdf"] = b"%PDF-1.4\nstartxref\n19\n%%EOF\nxref"
    files["subsection-header-text.pdf"] = classic(table=b"xref\nabc def\n")
    files["subsection-count-2-31.pdf"] = classic(table=b"xref\n0 2147483647\n0000000000 65535 f \n")
    files["subsection-count-huge.pdf"] = classic(table=b"xref\n0 99999999999999999999\n")
    files["subsection-count-negative.pdf"] = classic(table=b"xref\n0 -3\n")
    files["subsection-first-negative.pdf"] = classic(table=b"xref\n-1 1\n0000000000 65535 f \n")
    files["subsection-number-too-big.pdf"] = classic(table=b"xref\n9000000 1\n0000000000 65535 f \n")
    files["entries-truncated.pdf"] = b"%PDF-1.4\nxref\n0 5\n0000000000 65535 f \n0000000009 00000 n \nstartxref\n9\n"
    files["entry-offset-past-end.pdf"] = classic(entries=[b"0000000000 65535 f \n", b"0000999999 00000 n \n", b"0000000000 65535 f \n"])
    files["entry-offset-wrong-object.pdf"] = classic(entries=[b"0000000000 65535 f \n", b"0000000009 00000 n \n", b"0000000009 00000 n \n"])
    files["entry-generation-mismatch.pdf"] = good.replace(b"0000000009 00000 n", b"0000000009 00003 n")
    files["entry-garbage.pdf"] = classic(entries=[b"0000000000 65535 f \n", b"abcdefghij 00000 n \n"])
    files["no-trailer.pdf"] = b"%PDF-1.4\n1 0 obj\n<< >>\nendobj\nxref\n0 1\n0000000000 65535 f \nstartxref\n31\n"
    files["trailer-without-dictionary.pdf"] = classic(trailer=b"[1 2 3]")
    files["trailer-never-closes.pdf"] = classic(trailer=b"<< /Size 3 /Root 1 0 R", tail=b"")
    files["trailer-string-never-closes.pdf"] = classic(trailer=b"<< /Size 3 /Root 1 0 R /X (abc", tail=b"startxref\n")
    files["trailer-nested-too-deep.pdf"] = classic(trailer=b"<< /Size 3 /Root 1 0 R /X " + b"[" * 200 + b"]" * 200 + b" >>")
    files["trailer-bad-hex-string.pdf"] = classic(trailer=b"<< /Size 3 /Root 1 0 R /ID [<12zz>] >>")
    files["trailer-key-not-name.pdf"] = classic(trailer=b"<< /Size 3 (Root) 1 0 R >>")
    xref_at = good.index(b"xref")
    files["prev-loop.pdf"] = classic(trailer=b"<< /Size 3 /Root 1 0 R /Prev %d >>" % xref_at)
    files["prev-past-end.pdf"] = classic(trailer=b"<< /Size 3 /Root 1 0 R /Prev 99999 >>")
    files["prev-not-number.pdf"] = classic(trailer=b"<< /Size 3 /Root 1 0 R /Prev /Foo >>")
    files["no-root.pdf"] = classic(trailer=b"<< /Size 3 >>")
    files["root-not-reference.pdf"] = classic(trailer=b"<< /Size 3 /Root 1 >>")
    files["root-not-in-table.pdf"] = classic(trailer=b"<< /Size 3 /Root 7 0 R >>")
    files["root-entry-free.pdf"] = classic(trailer=b"<< /Size 3 /Root 0 0 R >>")
    files["root-generation-differs.pdf"] = classic(trailer=b"<< /Size 3 /Root 1 5 R >>")
    no_endobj = good.replace(b"/Pages 2 0 R >>\nendobj", b"/Pages 2 0 R >>\nendobx")
    no_endobj = no_endobj.replace(b"endobj", b"endobx")
    files["catalog-without-endobj.pdf"] = no_endobj
    files["catalog-not-dictionary.pdf"] = classic(objects=((1, b"[1 2 3]"), (2, PAGES)))
    files["trailer-without-size.pdf"] = classic(trailer=b"<< /Root 1 0 R >>")

    out, offsets, at = xref_stream([])
    files["xrefstm-not-xref-object.pdf"] = out.replace(b"/Type /XRef", b"/Type /XReg")
    entries = None
    probe, offsets, at = xref_stream([(0, 0, 65535)] * 4)
    entries = good_stream_entries(offsets, at)
    files["xrefstm-length-past-end.pdf"] = xref_stream(entries, data=b"x")[0].replace(b"/Length 1", b"/Length 999999")
    files["xrefstm-no-w.pdf"] = xref_stream(entries)[0].replace(b"/W [1 4 2]", b"")
    files["xrefstm-w-too-wide.pdf"] = xref_stream(entries)[0].replace(b"/W [1 4 2]", b"/W [1 9 2]")
    files["xrefstm-w-zero.pdf"] = xref_stream(entries)[0].replace(b"/W [1 4 2]", b"/W [0 0 0]")
    files["xrefstm-index-past-data.pdf"] = xref_stream(entries, dict_extra=b" /Index [0 4000000]")[0]
    files["xrefstm-index-odd.pdf"] = xref_stream(entries, dict_extra=b" /Index [0]")[0]
    files["xrefstm-damaged-flate.pdf"] = xref_stream(entries, data=b"\x78\x9c garbage garbage")[0]
    files["xrefstm-unknown-filter.pdf"] = xref_stream(entries)[0].replace(b"/FlateDecode", b"/LZWDecode")
    bad_rows = b"".join(b"\x07" + bytes(7) for _ in entries)
    files["xrefstm-bad-png-row.pdf"] = xref_stream(entries, data=zlib.compress(bad_rows), predictor=True)[0]
    files["xrefstm-length-missing-object.pdf"] = xref_stream(entries)[0].replace(b"/Length ", b"/Length 40 0 R /X ")
    files["xrefstm-no-stream-keyword.pdf"] = xref_stream(entries)[0].replace(b">>\nstream\n", b">>\nstrem\n")
    files["xrefstm-no-size.pdf"] = xref_stream(entries)[0].replace(b"/Size 4", b"")
    files["xrefstm-offset-past-end.pdf"] = xref_stream(entries[:3] + [(1, 999999, 0)])[0]
    files["hybrid-xrefstm-past-end.pdf"] = classic(trailer=b"<< /Size 3 /Root 1 0 R /XRefStm 99999 >>")
    compressed = [(0, 0, 65535), (2, 5, 0), (1, offsets[2], 0), (1, at, 0)]
    files["objstm-missing.pdf"] = xref_stream(compressed)[0]
    objstm_body = b"1 0 " + CATALOG
    def with_objstm(header_numbers, first=None, data=None):
        payload = data if data is not None else header_numbers + objstm_body[4:]
        f = first if first is not None else len(header_numbers)
        objects = ((2, PAGES), (4, b"<< /Type /ObjStm /N 1 /First %d /Length %d >>\nstream\n" % (f, len(payload)) + payload + b"\nendstream"))
        probe, offs, at = xref_stream([(0, 0, 0)] * 5, objects=objects, number=5)
        rows = [(0, 0, 65535), (2, 4, 0), (1, offs[2], 0), (0, 0, 0), (1, offs[4], 0), (1, at, 0)]
        return xref_stream(rows, objects=objects, number=5, dict_extra=b" /Index [0 6]")[0]
    files["objstm-wrong-number.pdf"] = with_objstm(b"9 0 ")
    files["objstm-first-past-data.pdf"] = with_objstm(b"1 0 ", first=5000)
    files["objstm-header-garbage.pdf"] = with_objstm(b"x y ")
    files["encrypt-missing-object.pdf"] = classic(trailer=b"<< /Size 3 /Root 1 0 R /Encrypt 9 0 R >>")
    files["encrypt-not-dictionary.pdf"] = classic(trailer=b"<< /Size 3 /Root 1 0 R /Encrypt [1] >>")
    files["encrypt-bad-version.pdf"] = classic(trailer=b"<< /Size 3 /Root 1 0 R /Encrypt << /Filter /Standard /V /Four >> >>")
    return files


def main():
    os.makedirs(OUT, exist_ok=True)
    for name in os.listdir(OUT):
        os.remove(os.path.join(OUT, name))
    for name, data in sorted(make().items()):
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
