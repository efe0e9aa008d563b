"""Reads an exported list back with Python's own parsers and prints it as JSON.

readback.py csv FILE    the rows of an RFC 4180 file (UTF-8), each a list of cells
readback.py html FILE   {"title", "h1", "rows"}: the page's title, its heading and the table's
                        rows (header row first), line breaks in cells as newlines
"""
import csv
import json
import sys
from html.parser import HTMLParser


class Page(HTMLParser):
    def __init__(self):
        super().__init__()
        self.title = ""
        self.h1 = ""
        self.rows = []
        self.cell = None
        self.where = None

    def handle_starttag(self, tag, attrs):
        if tag == "tr":
            self.rows.append([])
        elif tag in ("td", "th"):
            self.cell = ""
        elif tag == "br" and self.cell is not None:
            self.cell += "\n"
        elif tag in ("title", "h1"):
            self.where = tag

    def handle_endtag(self, tag):
        if tag in ("td", "th"):
            self.rows[-1].append(self.cell)
            self.cell = None
        elif tag in ("title", "h1"):
            self.where = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell += data
        elif self.where == "title":
            self.title += data
        elif self.where == "h1":
            self.h1 += data


def main():
    kind, path = sys.argv[1], sys.argv[2]
    if kind == "csv":
        with open(path, newline="", encoding="utf-8") as f:
            print(json.dumps(list(csv.reader(f, strict=True))))
    else:
        page = Page()
        with open(path, encoding="utf-8") as f:
            page.feed(f.read())
        page.close()
        print(json.dumps({"title": page.title, "h1": page.h1, "rows": page.rows}))


if __name__ == "__main__":
    main()
