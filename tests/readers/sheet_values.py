"""sheet_values.py FILE: an exported sheet's rows as JSON, dates and times as day
counts; .xls by xlrd, .xlsx by openpyxl, others by ssconvert, then openpyxl."""
import datetime, json, os, subprocess, sys, tempfile


def workbook_rows(path):
    import openpyxl
    from openpyxl.utils.datetime import to_excel
    sheet = openpyxl.load_workbook(path, data_only=True).active
    return [[float(to_excel(v)) if isinstance(v, (datetime.date, datetime.time)) else v for v in row]
            for row in sheet.iter_rows(values_only=True)]


def rows_of(path):
    if path.lower().endswith(".xls"):
        import xlrd
        sheet = xlrd.open_workbook(path).sheet_by_index(0)
        return [[None if c.ctype == xlrd.XL_CELL_EMPTY else c.value for c in sheet.row(r)]
                for r in range(sheet.nrows)]
    if path.lower().endswith(".xlsx"):
        return workbook_rows(path)
    with tempfile.TemporaryDirectory() as folder:
        target = os.path.join(folder, "sheet.xlsx")
        subprocess.run(["ssconvert", path, target], check=True, capture_output=True)
        return workbook_rows(target)


print(json.dumps(rows_of(sys.argv[1])))
