# Reads a workbook with an independent reader (openpyxl) and prints, as JSON, the active sheet's
# title and every non-empty cell as "row,column": text.
import json
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1])
sheet = book.active
cells = {}
for row in sheet.iter_rows():
    for cell in row:
        if cell.value is not None and not type(cell).__name__ == "MergedCell":
            cells[f"{cell.row},{cell.column}"] = str(cell.value)
print(json.dumps({"sheet": sheet.title, "cells": cells}, ensure_ascii=False))
