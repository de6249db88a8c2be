"""sheet_values.py FILE [SEPARATOR]: the cells of an exported table as one JSON
list of rows. Numbers, and dates and times as day counts since 30 December
1899, are numbers; other cells text; empty cells null. .xls is read by xlrd,
.xlsx by openpyxl, .slk and .dif by ssconvert into a workbook for openpyxl,
anything else by Python's csv module with the separator (a tab by default)."""
import csv, datetime, json, os, subprocess, sys, tempfile


def workbook_rows(path):
    import openpyxl
    from openpyxl.utils.datetime import to_excel
    dated = (datetime.datetime, datetime.date, datetime.time)
    sheet = openpyxl.load_workbook(path, data_only=True).active
    return [[float(to_excel(v)) if isinstance(v, dated) else v for v in row]
            for row in sheet.iter_rows(values_only=True)]


def rows_of(path, separator):
    ext = os.path.splitext(path)[1].lower()
    if ext == ".xls":
        import xlrd
        sheet = xlrd.open_workbook(path).sheet_by_index(0)
        return [[None if c.ctype == xlrd.XL_CELL_EMPTY else c.value for c in sheet.row(r)]
                for r in range(sheet.nrows)]
    if ext == ".xlsx":
        return workbook_rows(path)
    if ext in (".slk", ".dif"):
        with tempfile.TemporaryDirectory() as folder:
            target = os.path.join(folder, "sheet.xlsx")
            subprocess.run(["ssconvert", path, target], check=True, capture_output=True)
            return workbook_rows(target)
    with open(path, newline="", encoding="utf-8") as text:
        return list(csv.reader(text, delimiter=separator))


print(json.dumps(rows_of(sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else "\t")))
