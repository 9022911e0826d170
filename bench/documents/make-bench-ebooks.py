#!/usr/bin/env python3
# Writes bench.docx and bench.epub of about 10 MB each for xmldocs_bench:
# paragraphs of made-up words (so that they compress about as much as real
# prose), headings, a table and a footnote now and then.
#   make-bench-ebooks.py FOLDER [MEGABYTES]
import os
import random
import sys
import zipfile
from xml.sax.saxutils import escape

folder = sys.argv[1]
target = int(sys.argv[2]) if len(sys.argv) > 2 else 10
random.seed(7)
syllables = "ka lo mi ne ru sa te vo bri cha dun fel gor hal jen kir mor pel quin rost".split()
vocabulary = ["".join(random.choice(syllables) for _ in range(random.randint(1, 4))) for _ in range(20000)]
vocabulary += ["café", "crème", "naïve", "Ødegård", "—", "“quoted”"]


def sentence():
    words = [random.choice(vocabulary) for _ in range(random.randint(6, 18))]
    return " ".join(words).capitalize() + "."


def paragraphs(megabytes):
    size = 0
    n = 0
    while size < megabytes * 3_000_000:
        n += 1
        text = " ".join(sentence() for _ in range(random.randint(2, 6)))
        size += len(text)
        yield n, text


def write_docx(path):
    W = 'xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"'
    body, notes = [], []
    for n, text in paragraphs(target):
        if n % 40 == 1:
            body.append(f'<w:p><w:pPr><w:pStyle w:val="Heading1"/></w:pPr><w:r><w:t>Chapter {n}</w:t></w:r></w:p>')
        run = f'<w:r><w:t xml:space="preserve">{escape(text)}</w:t></w:r>'
        if n % 25 == 0:
            notes.append(f'<w:footnote w:id="{len(notes) + 1}"><w:p><w:r><w:t>{escape(sentence())}</w:t></w:r></w:p></w:footnote>')
            run += f'<w:r><w:footnoteReference w:id="{len(notes)}"/></w:r>'
        body.append(f"<w:p>{run}</w:p>")
        if n % 100 == 0:
            cells = "".join(f"<w:tc><w:p><w:r><w:t>{random.choice(vocabulary)}</w:t></w:r></w:p></w:tc>" for _ in range(3))
            body.append(f"<w:tbl><w:tr>{cells}</w:tr><w:tr>{cells}</w:tr></w:tbl>")
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
        z.writestr("word/document.xml", f'<?xml version="1.0" encoding="UTF-8"?><w:document {W}><w:body>{"".join(body)}</w:body></w:document>')
        z.writestr("word/footnotes.xml", f'<?xml version="1.0" encoding="UTF-8"?><w:footnotes {W}>{"".join(notes)}</w:footnotes>')


def write_epub(path):
    chapters, current = [], []
    for n, text in paragraphs(target):
        if n % 400 == 1 and current:
            chapters.append(current)
            current = []
        if n % 40 == 1:
            current.append(f"<h2>Part {n}</h2>")
        current.append(f"<p>{escape(text)}</p>")
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


os.makedirs(folder, exist_ok=True)
write_docx(os.path.join(folder, "bench.docx"))
write_epub(os.path.join(folder, "bench.epub"))
