#!/usr/bin/env python3
"""Generates the sample book's inputs from guide.txt (UTF-8).

Writes ../Data/names.txt (the outline, Windows-1251, CR LF) and ../Lor2/NN.html
(one Windows-1251 page per @page). Run it after editing guide.txt and commit
the generated files; the build only packs them, it never runs this script.
"make_book.py SOURCE FOLDER" reads another text (relative to this folder) and
writes FOLDER/Data and FOLDER/Lor2 instead (the real-size book:
"make_book.py large_guide.txt ../large").

guide.txt: "@section Title" starts a section (a heading line of the outline),
"@page Title" starts a page (a one-backtick line); the lines after a @page are
its paragraphs, separated by blank lines; a line starting with "- " is a list
item. The outline's second text of each page is its file name, which lets
"bookpack check" confirm that every entry sits at its own file's place.
"""
import html
import pathlib
import sys

HERE = pathlib.Path(__file__).resolve().parent
BOOK = HERE.parent
ENCODING = "cp1251"

# The reader recolours pages by replacing these four fragments exactly as
# written, so the style sheet spells them character for character.
PAGE_TEMPLATE = """<!DOCTYPE html>
<html lang="ru">
<head>
<meta http-equiv="Content-Type" content="text/html; charset=windows-1251">
<title>{title}</title>
<style>
html {{ background: #83776e; }}
body {{ background-color:#fff5d2; max-width: 44em; margin: 1.5em auto; padding: 1.2em 2em 1.6em; border-radius: 6px; }}
h1, h2, .section {{ font-family: 'Calibri'; color:#000000; }}
h1 {{ font-size: 20pt; margin: 0.2em 0 0.6em; }}
.section {{ font-size: 10pt; letter-spacing: 0.08em; text-transform: uppercase; opacity: 0.7; }}
p, li {{ font-family: 'Times New Roman'; color:#000000; font-size: 13pt; line-height: 1.5; text-align: justify; }}
.footer {{ font-family: 'Times New Roman'; color:#000000; font-size: 10pt; text-align: right; opacity: 0.7; }}
</style>
</head>
<body>
<div class="section">{section}</div>
<h1>{title}</h1>
{body}
<p class="footer">Страница {number} из {total}</p>
</body>
</html>
"""


def parse(text):
    sections = []
    page = None
    for raw in text.splitlines():
        line = raw.rstrip()
        if line.startswith("@section "):
            sections.append((line[len("@section "):].strip(), []))
            page = None
        elif line.startswith("@page "):
            if not sections:
                sys.exit("guide.txt: a @page before the first @section")
            page = {"title": line[len("@page "):].strip(), "blocks": []}
            sections[-1][1].append(page)
        elif page is not None:
            page["blocks"].append(line)
        elif line:
            sys.exit(f"guide.txt: text outside a page: {line!r}")
    return sections


def render_body(lines):
    out = []
    paragraph = []
    items = []

    def flush():
        if paragraph:
            out.append("<p>" + html.escape(" ".join(paragraph), quote=False) + "</p>")
            paragraph.clear()
        if items:
            out.append("<ul>\n" + "\n".join("<li>" + html.escape(i, quote=False) + "</li>" for i in items) + "\n</ul>")
            items.clear()

    for line in lines:
        if not line:
            flush()
        elif line.startswith("- "):
            if paragraph:
                flush()
            items.append(line[2:])
        else:
            if items:
                flush()
            paragraph.append(line)
    flush()
    return "\n".join(out)


def main():
    source, book = HERE / "guide.txt", BOOK
    if len(sys.argv) == 3:
        source, book = HERE / sys.argv[1], (HERE / sys.argv[2]).resolve()
    elif len(sys.argv) != 1:
        sys.exit("usage: make_book.py [SOURCE FOLDER]")
    sections = parse(source.read_text(encoding="utf-8"))
    total = sum(len(pages) for _, pages in sections)
    width = max(2, len(str(total)))
    outline = []
    lor2 = book / "Lor2"
    lor2.mkdir(parents=True, exist_ok=True)
    for old in lor2.glob("*.html"):
        old.unlink()
    number = 0
    for section, pages in sections:
        outline.append(f"{section}\t")
        for page in pages:
            number += 1
            name = f"{number:0{width}d}.html"
            outline.append(f"`{page['title']}\t{name}")
            text = PAGE_TEMPLATE.format(
                title=html.escape(page["title"], quote=False),
                section=html.escape(section, quote=False),
                body=render_body(page["blocks"]),
                number=number,
                total=total,
            )
            (lor2 / name).write_bytes(text.replace("\n", "\r\n").encode(ENCODING))
    data = book / "Data"
    data.mkdir(exist_ok=True)
    (data / "names.txt").write_bytes(("\r\n".join(outline) + "\r\n").encode(ENCODING))
    print(f"{len(sections)} sections, {total} pages")


if __name__ == "__main__":
    main()
