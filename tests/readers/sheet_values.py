"""Prints the cells of an exported table as its independent reader reads them.

Usage: sheet_values.py FILE [SEPARATOR]. Prints one JSON list of rows, each a
list of cells: numbers, and dates and times as day counts since 30 December
1899, are numbers; everything else is text; empty cells are null. .xls is read
with xlrd, .xlsx with openpyxl, .slk and .dif by ssconvert into a workbook that
openpyxl then reads, delimited text with Python's csv module (the separator
given, a tab for .txt).
"""
import csv
import datetime
import json
import os
import subprocess
import sys
import tempfile


def workbook_rows(path):
    import openpyxl
    from openpyxl.utils.datetime import to_excel

    sheet = openpyxl.load_workbook(path, data_only=True).active
    rows = []
    for row in sheet.iter_rows(values_only=True):
        cells = []
        for value in row:
            if isinstance(value, (datetime.datetime, datetime.date, datetime.time)):
                value = float(to_excel(value))
            elif isinstance(value, datetime.timedelta):
                value = value.total_seconds() / 86400
            cells.append(value)
        rows.append(cells)
    return rows


def biff_rows(path):
    import xlrd

    sheet = xlrd.open_workbook(path).sheet_by_index(0)
    return [
        [None if cell.ctype == xlrd.XL_CELL_EMPTY else cell.value for cell in sheet.row(r)]
        for r in range(sheet.nrows)
    ]


def converted_rows(path):
    with tempfile.TemporaryDirectory() as folder:
        target = os.path.join(folder, "sheet.xlsx")
        subprocess.run(["ssconvert", path, target], check=True, capture_output=True)
        return workbook_rows(target)


def text_rows(path, separator):
    with open(path, newline="", encoding="utf-8") as text:
        return list(csv.reader(text, delimiter=separator))


def main():
    path = sys.argv[1]
    ext = os.path.splitext(path)[1].lower()
    if ext == ".xls":
        rows = biff_rows(path)
    elif ext == ".xlsx":
        rows = workbook_rows(path)
    elif ext in (".slk", ".dif"):
        rows = converted_rows(path)
    else:
        rows = text_rows(path, sys.argv[2] if len(sys.argv) > 2 else "\t")
    print(json.dumps(rows))


main()
