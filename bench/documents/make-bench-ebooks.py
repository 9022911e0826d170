#!/usr/bin/env python3
# Writes bench.docx, bench.odt, bench.epub and bench.fb2 for xmldocs_bench,
# each holding about MEGABYTES (10 by default) of XML text: paragraphs of
# made-up words (so that they compress about as much as real prose),
# headings, a table and a note now and then. Every kind holds the same
# paragraphs, as many as its markup needs to reach the size.
#   make-bench-ebooks.py FOLDER [MEGABYTES]
import os
import random
import sys
import zipfile
from xml.sax.saxutils import escape

folder = sys.argv[1]
target = int(sys.argv[2]) if len(sys.argv) > 2 else 10
target_bytes = target * 1048576
random.seed(7)
syllables = "ka lo mi ne ru sa te vo bri cha dun fel gor hal jen kir mor pel quin rost".split()
vocabulary = ["".join(random.choice(syllables) for _ in range(random.randint(1, 4))) for _ in range(20000)]
vocabulary += ["café", "crème", "naïve", "Ødegård", "—", "“quoted”"]


class Paragraph:
    """One paragraph of the text and what comes with it: a heading before
    it, a note after it, a small table after it."""

    def __init__(self, n, text, note, cells):
        self.n = n
        self.text = escape(text)
        self.heading = f"Chapter {n // 40 + 1}" if n % 40 == 1 else None
        self.note = escape(note) if note else None
        self.cells = [escape(c) for c in cells] if cells else None


def paragraphs():
    """The same endless run of paragraphs for every kind."""
    rng = random.Random(7)

    def sentence():
        return " ".join(rng.choices(vocabulary, k=rng.randint(6, 18))).capitalize() + "."

    n = 0
    while True:
        n += 1
        text = " ".join(sentence() for _ in range(rng.randint(2, 6)))
        note = sentence() if n % 25 == 0 else None
        cells = rng.choices(vocabulary, k=3) if n % 100 == 0 else None
        yield Paragraph(n, text, note, cells)


def fill(render):
    """Renders paragraphs until their markup reaches the size; 'render'
    gives a paragraph's markup for the text and for the notes."""
    size = 0
    for p in paragraphs():
        body, note = render(p)
        size += len(body) + len(note)
        yield p, body, note
        if size >= target_bytes:
            return


def body_and_notes(render):
    """The markup of the text and of the notes, each joined."""
    body, notes = [], []
    for _, text, note in fill(render):
        body.append(text)
        notes.append(note)
    return "".join(body), "".join(notes)


def table(cells, cell, row, whole):
    """Two rows of the cells; 'cell', 'row' and 'whole' are the markup of a
    cell, a row and the table, with {} where their content goes."""
    return whole.format(2 * row.format("".join(cell.format(c) for c in cells)))


def write_docx(path):
    W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
    notes = 0

    def render(p):
        nonlocal notes
        out = ""
        if p.heading:
            out += f'<w:p><w:pPr><w:pStyle w:val="Heading1"/></w:pPr><w:r><w:t>{p.heading}</w:t></w:r></w:p>'
        run = f'<w:r><w:t xml:space="preserve">{p.text}</w:t></w:r>'
        note = ""
        if p.note:
            notes += 1
            note = f'<w:footnote w:id="{notes}"><w:p><w:r><w:t>{p.note}</w:t></w:r></w:p></w:footnote>'
            run += f'<w:r><w:footnoteReference w:id="{notes}"/></w:r>'
        out += f"<w:p>{run}</w:p>"
        if p.cells:
            out += table(p.cells, "<w:tc><w:p><w:r><w:t>{}</w:t></w:r></w:p></w:tc>", "<w:tr>{}</w:tr>", "<w:tbl>{}</w:tbl>")
        return out, note

    body, footnotes = body_and_notes(render)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml",
                   '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
                   '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
                   '<Default Extension="xml" ContentType="application/xml"/>'
                   '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>'
                   '<Override PartName="/word/footnotes.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.footnotes+xml"/>'
                   '</Types>')
        z.writestr("_rels/.rels",
                   '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                   '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>'
                   '</Relationships>')
        z.writestr("word/_rels/document.xml.rels",
                   '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                   '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/footnotes" Target="footnotes.xml"/>'
                   '</Relationships>')
        z.writestr("word/document.xml", f'<?xml version="1.0" encoding="UTF-8"?><w:document {W}><w:body>{body}</w:body></w:document>')
        z.writestr("word/footnotes.xml", f'<?xml version="1.0" encoding="UTF-8"?><w:footnotes {W}>{footnotes}</w:footnotes>')


def write_odt(path):
    namespaces = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
                  'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
                  'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"')

    def render(p):
        out = ""
        if p.heading:
            out += f'<text:h text:outline-level="1">{p.heading}</text:h>'
        note = ""
        if p.note:
            note = (f'<text:note text:id="n{p.n}" text:note-class="footnote"><text:note-citation>{p.n // 25}'
                    f'</text:note-citation><text:note-body><text:p>{p.note}</text:p></text:note-body></text:note>')
        out += f"<text:p>{p.text}{note}</text:p>"
        if p.cells:
            out += table(p.cells, "<table:table-cell><text:p>{}</text:p></table:table-cell>",
                         "<table:table-row>{}</table:table-row>",
                         '<table:table><table:table-column table:number-columns-repeated="3"/>{}</table:table>')
        return out, ""

    body, _ = body_and_notes(render)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.text", zipfile.ZIP_STORED)
        z.writestr("META-INF/manifest.xml",
                   '<?xml version="1.0" encoding="UTF-8"?><manifest:manifest '
                   'xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.2">'
                   '<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.text"/>'
                   '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
                   '<manifest:file-entry manifest:full-path="styles.xml" manifest:media-type="text/xml"/>'
                   '</manifest:manifest>')
        z.writestr("styles.xml",
                   f'<?xml version="1.0" encoding="UTF-8"?><office:document-styles {namespaces} office:version="1.2">'
                   "<office:styles/></office:document-styles>")
        z.writestr("content.xml",
                   f'<?xml version="1.0" encoding="UTF-8"?><office:document-content {namespaces} office:version="1.2">'
                   f"<office:body><office:text>{body}</office:text></office:body></office:document-content>")


def write_epub(path):
    def render(p):
        out = f"<h2>{p.heading}</h2>" if p.heading else ""
        return out + f"<p>{p.text}</p>", ""

    chapters, current = [], []
    for p, text, _ in fill(render):
        if p.n % 400 == 1 and current:
            chapters.append(current)
            current = []
        current.append(text)
    chapters.append(current)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo("mimetype"), "application/epub+zip", zipfile.ZIP_STORED)
        z.writestr("META-INF/container.xml",
                   '<?xml version="1.0"?><container version="1.0" xmlns="urn:oasis:names:tc:opendocument:xmlns:container">'
                   '<rootfiles><rootfile full-path="OEBPS/content.opf" media-type="application/oebps-package+xml"/></rootfiles></container>')
        items = "".join(f'<item id="c{i}" href="c{i}.xhtml" media-type="application/xhtml+xml"/>' for i in range(len(chapters)))
        spine = "".join(f'<itemref idref="c{i}"/>' for i in range(len(chapters)))
        z.writestr("OEBPS/content.opf",
                   '<?xml version="1.0"?><package xmlns="http://www.idpf.org/2007/opf" version="3.0" unique-identifier="id">'
                   '<metadata xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:identifier id="id">bench</dc:identifier>'
                   '<dc:title>Bench</dc:title><dc:language>en</dc:language></metadata>'
                   f'<manifest><item id="nav" href="nav.xhtml" media-type="application/xhtml+xml" properties="nav"/>{items}</manifest>'
                   f'<spine>{spine}</spine></package>')
        z.writestr("OEBPS/nav.xhtml",
                   '<?xml version="1.0"?><html xmlns="http://www.w3.org/1999/xhtml" xmlns:epub="http://www.idpf.org/2007/ops">'
                   '<head><title>Contents</title></head><body><nav epub:type="toc"><ol><li><a href="c0.xhtml">Start</a></li></ol></nav></body></html>')
        for i, chapter in enumerate(chapters):
            z.writestr(f"OEBPS/c{i}.xhtml",
                       '<?xml version="1.0" encoding="UTF-8"?><html xmlns="http://www.w3.org/1999/xhtml">'
                       f'<head><title>Chapter {i}</title></head><body>{"".join(chapter)}</body></html>')


def write_fb2(path):
    notes = 0

    def render(p):
        nonlocal notes
        out = ""
        if p.heading:
            out += "</section>" if p.n > 1 else ""
            out += f"<section><title><p>{p.heading}</p></title>"
        note = ""
        link = ""
        if p.note:
            notes += 1
            link = f'<a l:href="#n{notes}" type="note">[{notes}]</a>'
            note = f'<section id="n{notes}"><title><p>{notes}</p></title><p>{p.note}</p></section>'
        out += f"<p>{p.text}{link}</p>"
        if p.cells:
            out += table(p.cells, "<td>{}</td>", "<tr>{}</tr>", "<table>{}</table>")
        return out, note

    body, footnotes = body_and_notes(render)
    with open(path, "w", encoding="utf-8") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>'
                '<FictionBook xmlns="http://www.gribuser.ru/xml/fictionbook/2.0" xmlns:l="http://www.w3.org/1999/xlink">'
                '<description><title-info><genre>prose</genre><author><first-name>Bench</first-name>'
                '<last-name>Writer</last-name></author><book-title>Bench</book-title><lang>en</lang></title-info>'
                '</description><body>')
        f.write(body)
        f.write('</section></body><body name="notes">')
        f.write(footnotes)
        f.write("</body></FictionBook>")


os.makedirs(folder, exist_ok=True)
write_docx(os.path.join(folder, "bench.docx"))
write_odt(os.path.join(folder, "bench.odt"))
write_epub(os.path.join(folder, "bench.epub"))
write_fb2(os.path.join(folder, "bench.fb2"))
