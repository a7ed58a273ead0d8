"""Hostile documents, made at bench time: markup with one huge token, a deflated flood of empty
paragraphs, a PDF page of many tiny characters and a PDF of nested brackets.

Used by bench/markup-growth and bench/close-times."""
import io
import zipfile
import zlib


def xml_attribute(megabytes):
    """An XML file whose one attribute holds the given megabytes."""
    return (b'<?xml version="1.0"?><a><p>Herr Huber</p><b c="' + b"x" * (megabytes << 20)
            + b'"/></a>')


def html_attribute(megabytes):
    return (b'<html><body><p>Herr Huber</p><p title="' + b"x" * (megabytes << 20)
            + b'">Ende</p></body></html>')


def xml_text(megabytes):
    """An XML file of one text run of the given megabytes."""
    return b'<?xml version="1.0"?><a><p>' + b"Huber " * ((megabytes << 20) // 6) + b"</p></a>"


def html_text(megabytes):
    return b"<html><body><p>" + b"Huber " * ((megabytes << 20) // 6) + b"</p></body></html>"


def docx(document_xml):
    """A Word document holding the given body part, deflated (hundreds of MB become a few)."""
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as package:
        package.writestr("[Content_Types].xml", "<Types/>")
        package.writestr("word/document.xml", document_xml)
        package.writestr("docProps/core.xml", "<p><creator>Anna Roth</creator></p>")
    return out.getvalue()


def docx_attribute(megabytes):
    return docx(b'<w:document xmlns:w="w"><w:body><w:p w:x="' + b"a" * (megabytes << 20)
                + b'"/></w:body></w:document>')


def docx_empty_paragraphs(megabytes, path):
    """Writes a Word document of the given megabytes of empty paragraphs (2 GiB deflate to a few
    MB), streamed, so the megabytes are never held in memory."""
    chunk = b"<w:p/>" * ((1 << 20) // 6)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as package:
        package.writestr("[Content_Types].xml", "<Types/>")
        with package.open("word/document.xml", "w", force_zip64=True) as member:
            member.write(b'<w:document xmlns:w="w"><w:body>')
            for _ in range(megabytes):
                member.write(chunk)
            member.write(b"</w:body></w:document>")
        package.writestr("docProps/core.xml", "<p><creator>Anna Roth</creator></p>")


def pdf(content):
    stream = zlib.compress(content)
    objects = [
        b"<</Type/Catalog/Pages 2 0 R>>",
        b"<</Type/Pages/Kids[3 0 R]/Count 1>>",
        b"<</Type/Page/Parent 2 0 R/MediaBox[0 0 595 842]/Resources<</Font<</F1 5 0 R>>>>"
        b"/Contents 4 0 R>>",
        b"<</Length %d/Filter/FlateDecode>>stream\n" % len(stream) + stream + b"\nendstream",
        b"<</Type/Font/Subtype/Type1/BaseFont/Helvetica>>",
    ]
    out = b"%PDF-1.4\n"
    offsets = []
    for number, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    out += b"".join(b"%010d 00000 n \n" % offset for offset in offsets)
    out += b"trailer<</Size %d/Root 1 0 R>>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    return out


def pdf_tiny_characters(count, word=b"Zeppelin"):
    """One page of count characters of half a point, each placed apart, then a 12 pt word."""
    lines = [b"BT /F1 0.5 Tf"]
    for n in range(count):
        lines.append(b"1 0 0 1 %d %d Tm (%c) Tj" % (10 + n % 500, 10 + (n // 500) % 800, 97 + n % 26))
    lines.append(b"/F1 12 Tf 1 0 0 1 100 700 Tm (" + word + b") Tj ET")
    return pdf(b"\n".join(lines))


def pdf_nested_brackets(count):
    return pdf(b"BT /F1 12 Tf 100 700 Td (Zeppelin) Tj ET\n" + b"[" * count)
