#!/usr/bin/env python3
"""Writes the source documents of the fixtures as flat OpenDocument text.

Each document is made from known text; make-fixtures.sh then has LibreOffice
save it as RTF and as Word 97 and export the text of both.
"""
import random
import sys
from xml.sax.saxutils import escape

HEAD = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:xlink="http://www.w3.org/1999/xlink"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
<office:automatic-styles>
 <style:style style:name="Hidden" style:family="text"><style:text-properties text:display="none"/></style:style>
</office:automatic-styles>
<office:body><office:text>
"""
TAIL = "</office:text></office:body></office:document>\n"


def p(text):
    return "<text:p>%s</text:p>\n" % escape(text)


def plain():
    return "".join([
        p("The first paragraph of a plain document."),
        p("A second paragraph, with punctuation: (1) [2] {3} 4% & 5$."),
        p(""),
        "<text:p>Before a tab<text:tab/>after a tab.</text:p>\n",
        "<text:p>Before a line break<text:line-break/>after it.</text:p>\n",
        p("The last paragraph."),
    ])


def latin():
    return "".join([
        p("Café au lait, crème brûlée, naïve façade."),
        p("Straße, Größe, Übermut, Ärger, Öl."),
        p("Ñandú, señor, ¿qué?, ¡olé!"),
        p("Œuvre, æther, ø, å, ÿ; prices in € and £."),
    ])


def cyrillic():
    return "".join([
        p("Съешь же ещё этих мягких французских булок, да выпей чаю."),
        p("Широкая электрификация южных губерний даст мощный толчок."),
    ])


def cjk():
    return "".join([
        p("中文文本的示例。"),
        p("我们的程序把文档转换成纯文本。"),
    ])


def table():
    rows = [["Name", "Count", "Price"], ["Apples", "3", "1.20"], ["Pears", "", "0.80"]]
    cells = "".join(
        "<table:table-row>%s</table:table-row>\n" % "".join(
            "<table:table-cell office:value-type=\"string\">%s</table:table-cell>" % p(c) for c in r)
        for r in rows)
    return (p("Before the table.") +
            "<table:table table:name=\"T1\"><table:table-column table:number-columns-repeated=\"3\"/>\n" +
            cells + "</table:table>\n" + p("After the table."))


def fields():
    return "".join([
        "<text:p>Visit <text:a xlink:type=\"simple\" xlink:href=\"http://example.com/\">"
        "the example site</text:a> today.</text:p>\n",
        "<text:p>This is page <text:page-number text:select-page=\"current\">1</text:page-number>.</text:p>\n",
        "<text:p>Fixed date: <text:date text:fixed=\"true\" text:date-value=\"2001-02-03\">"
        "02/03/01</text:date>.</text:p>\n",
    ])


def footnotes():
    return "".join([
        "<text:p>Text with a note<text:note text:id=\"n1\" text:note-class=\"footnote\">"
        "<text:note-citation>1</text:note-citation><text:note-body>"
        "<text:p>The note itself.</text:p></text:note-body></text:note> in the middle.</text:p>\n",
        p("A paragraph after the note."),
    ])


def hidden():
    return "".join([
        "<text:p>Shown <text:span text:style-name=\"Hidden\">hidden words </text:span>shown again.</text:p>\n",
        p("The end."),
    ])


LARGE_CHARS = 1_200_000


def large():
    rnd = random.Random(1234)
    words = ("alpha beta gamma delta epsilon zeta theta iota kappa lambda mu nu xi omicron "
             "pi rho sigma tau upsilon phi chi psi omega document text word page line").split()
    out = []
    size = 0
    n = 0
    while size < LARGE_CHARS:
        n += 1
        text = "%d. " % n + " ".join(rnd.choice(words) for _ in range(rnd.randint(5, 60))) + "."
        out.append(p(text))
        size += len(text) + 2
    return "".join(out)


DOCUMENTS = {
    "plain": plain, "latin": latin, "cyrillic": cyrillic, "cjk": cjk, "table": table,
    "fields": fields, "footnotes": footnotes, "hidden": hidden, "large": large,
}

if __name__ == "__main__":
    # make-fixtures.py FOLDER: all sources; make-fixtures.py FOLDER CHARS: only
    # the large one, of about CHARS characters (for benchmarks).
    folder = sys.argv[1]
    if len(sys.argv) > 2:
        LARGE_CHARS = int(sys.argv[2])
        DOCUMENTS = {"large": large}
    for name, body in DOCUMENTS.items():
        with open("%s/%s.fodt" % (folder, name), "w", encoding="utf-8") as f:
            f.write(HEAD + body() + TAIL)
