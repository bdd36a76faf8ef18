# Reads a workbook with an independent reader (openpyxl) and prints, as JSON, the active sheet's
# title and every non-empty cell as "row,column": text; and for every sheet its title, cells and
# the number of PNG pictures in its drawing (read from the package itself: openpyxl drops
# pictures when Pillow is missing).
import json
import posixpath
import sys
import xml.etree.ElementTree as ET
import zipfile

import openpyxl

REL = "{http://schemas.openxmlformats.org/package/2006/relationships}Relationship"
R_ID = "{http://schemas.openxmlformats.org/officeDocument/2006/relationships}id"
R_EMBED = "{http://schemas.openxmlformats.org/officeDocument/2006/relationships}embed"
MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"


def cells_of(sheet):
    cells = {}
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is not None and not type(cell).__name__ == "MergedCell":
                cells[f"{cell.row},{cell.column}"] = str(cell.value)
    return cells


def targets(package, part):
    """Relationship id -> target part of a part."""
    folder, name = posixpath.split(part)
    rels = posixpath.join(folder, "_rels", name + ".rels")
    if rels not in package.namelist():
        return {}
    root = ET.fromstring(package.read(rels))
    return {r.get("Id"): posixpath.normpath(posixpath.join(folder, r.get("Target")))
            for r in root.iter(REL)}


def pictures(package):
    """Sheet name -> number of PNG pictures in its drawing."""
    book = ET.fromstring(package.read("xl/workbook.xml"))
    sheets = targets(package, "xl/workbook.xml")
    counts = {}
    for sheet in book.iter(MAIN + "sheet"):
        part = sheets[sheet.get(R_ID)]
        count = 0
        for drawing in ET.fromstring(package.read(part)).iter(MAIN + "drawing"):
            drawing_part = targets(package, part)[drawing.get(R_ID)]
            media = targets(package, drawing_part)
            for element in ET.fromstring(package.read(drawing_part)).iter():
                embed = element.get(R_EMBED)
                if embed and package.read(media[embed])[:8] == b"\x89PNG\r\n\x1a\n":
                    count += 1
        counts[sheet.get("name")] = count
    return counts


book = openpyxl.load_workbook(sys.argv[1])
with zipfile.ZipFile(sys.argv[1]) as package:
    images = pictures(package)
sheets = [{"title": s.title, "cells": cells_of(s), "images": images.get(s.title, 0)}
          for s in book.worksheets]
print(json.dumps({"sheet": book.active.title, "cells": cells_of(book.active), "sheets": sheets},
                 ensure_ascii=False))
