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
    add_truncations(files)
    add_more_cases(files)
    return files


def add_truncations(files):
    """A valid file cut short inside each of its parts."""
    good = classic()
    marks = {
        "header": (0, good.index(b"1 0 obj")),
        "object": (good.index(b"1 0 obj"), good.index(b"xref")),
        "xref-table": (good.index(b"xref"), good.index(b"trailer")),
        "trailer": (good.index(b"trailer"), good.index(b"startxref")),
        "startxref": (good.index(b"startxref"), len(good)),
    }
    for part, (start, end) in marks.items():
        for k, cut in enumerate(sorted({start + 1, (start + end) // 2, end - 1})):
            if cut < len(good) - 6:
                files["truncated-in-%s-%d.pdf" % (part, k)] = good[:cut]


def add_more_cases(files):
    """Counts, numbers, entry widths, chains and streams outside the rules."""
    out, offsets = body(((1, CATALOG), (2, PAGES)))
    files["entry-19-bytes.pdf"] = classic(entries=[b"0000000000 65535 f\n", b"%010d 00000 n\n" % offsets[1],
                                                   b"%010d 00000 n\n" % offsets[2]])
    files["entry-offset-negative.pdf"] = classic(entries=[b"0000000000 65535 f \n", b"-000000001 00000 n \n",
                                                          b"%010d 00000 n \n" % offsets[2]])
    files["entry-offset-overflow.pdf"] = classic(entries=[b"0000000000 65535 f \n", b"9999999999 00000 n \n",
                                                          b"%010d 00000 n \n" % offsets[2]])
    files["entry-generation-overflow.pdf"] = classic(entries=[b"0000000000 65535 f \n",
                                                              b"%010d 99999 n \n" % offsets[1],
                                                              b"%010d 00000 n \n" % offsets[2]])
    files["subsection-first-overflow.pdf"] = classic(table=b"xref\n99999999999999999999 1\n0000000000 65535 f \n")
    files["subsection-count-overflow.pdf"] = classic(table=b"xref\n0 99999999999999999999\n0000000000 65535 f \n")
    files["root-number-negative.pdf"] = classic(trailer=b"<< /Size 3 /Root -1 0 R >>")
    files["root-number-overflow.pdf"] = classic(trailer=b"<< /Size 3 /Root 99999999999999999999 0 R >>")
    files["catalog-without-open.pdf"] = classic(objects=((1, b"/Type /Catalog /Pages 2 0 R"), (2, PAGES)))
    files["catalog-never-closes.pdf"] = classic(objects=((1, b"<< /Type /Catalog /Pages 2 0 R"), (2, PAGES)))
    files["trailer-no-close-no-startxref.pdf"] = classic(trailer=b"<< /Size 3 /Root 1 0 R", tail=b"")
    files["startxref-overflow.pdf"] = classic(tail=b"startxref\n99999999999999999999\n%%EOF\n")
    files["startxref-into-table-middle.pdf"] = classic(tail=b"startxref\n%d\n%%%%EOF\n" % (len(out) + 7))
    files["prev-negative.pdf"] = classic(trailer=b"<< /Size 3 /Root 1 0 R /Prev -5 >>")
    files["prev-self.pdf"] = classic(trailer=b"<< /Size 3 /Root 1 0 R /Prev %d >>" % len(out))
    files["prev-overflow.pdf"] = classic(trailer=b"<< /Size 3 /Root 1 0 R /Prev 99999999999999999999 >>")
    files["prev-chain-too-long.pdf"] = long_prev_chain(25)
    files["binary-noise.pdf"] = bytes((i * 73 + 41) % 256 for i in range(3000))
    files["only-header.pdf"] = b"%PDF-1.7\n"
    files["eof-only.pdf"] = b"%%EOF\n"
    rows = [(0, 0, 65535), (1, offsets[1], 0), (1, offsets[2], 0), (1, len(out), 0)]
    files["xrefstm-wrong-predictor.pdf"] = xref_stream(
        rows, dict_extra=b" /DecodeParms << /Predictor 12 /Columns 9 >>")[0]
    files["xrefstm-predictor-unknown.pdf"] = xref_stream(
        rows, dict_extra=b" /DecodeParms << /Predictor 99 /Columns 7 >>")[0]
    files["xrefstm-w-negative.pdf"] = xref_stream(rows)[0].replace(b"/W [1 4 2]", b"/W [1 -4 2]")
    files["xrefstm-w-not-array.pdf"] = xref_stream(rows)[0].replace(b"/W [1 4 2]", b"/W 7")
    files["xrefstm-flate-garbage.pdf"] = xref_stream(rows, data=b"\x78\x9c" + b"garbage" * 9)[0]
    files["xrefstm-index-negative.pdf"] = xref_stream(rows, dict_extra=b" /Index [-1 4]")[0]
    files["xrefstm-index-overflow.pdf"] = xref_stream(rows, dict_extra=b" /Index [0 99999999999]")[0]
    files["xrefstm-type2-outside.pdf"] = xref_stream([(0, 0, 65535), (2, 77, 3), (1, offsets[2], 0),
                                                      (1, len(out), 0)])[0]


def long_prev_chain(sections):
    """Sections that each point at the one before, more than a reader takes."""
    out, offsets = body(((1, CATALOG), (2, PAGES)))
    prev = None
    for _ in range(sections):
        at = len(out)
        out += b"xref\n0 3\n0000000000 65535 f \n%010d 00000 n \n%010d 00000 n \n" % (offsets[1], offsets[2])
        out += b"trailer\n<< /Size 3 /Root 1 0 R%s >>\n" % (b" /Prev %d" % prev if prev is not None else b"")
        prev = at
    return out + b"startxref\n%d\n%%%%EOF\n" % prev


def tolerated():
    """Files that bend the rules the way other readers forgive: they merge
    into a PDF that qpdf accepts."""
    out, offsets = body(((1, CATALOG), (2, PAGES)))
    return {
        "entry-21-bytes.pdf": classic(entries=[b"0000000000 65535 f  \n",
                                               b"%010d 00000 n  \n" % offsets[1],
                                               b"%010d 00000 n  \n" % offsets[2]]),
        "size-negative.pdf": classic(trailer=b"<< /Size -3 /Root 1 0 R >>"),
        "no-eof-marker.pdf": classic(tail=b"startxref\n%d\n" % len(out)),
    }


def write_all(folder, files):
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        os.remove(os.path.join(folder, name))
    for name, data in sorted(files.items()):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


def main():
    write_all(OUT, make())
    write_all(os.path.join(os.path.dirname(OUT), "tolerated"), tolerated())


if __name__ == "__main__":
    main()
