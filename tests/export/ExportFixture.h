// A results grid over demo data for the export tests: a query on a folder
// table with accents, quotes, line breaks, nulls and every field type, shown
// in a TDBGrid on an offscreen window that owns a TExportDBGrid.
#pragma once

#include "dbctrls/DBGrid.h"
#include "engine/Query.h"
#include "export/EC_DBGrid.h"
#include "support/EngineTestSupport.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

// A spreadsheet file as its independent reader (xlrd for .xls, openpyxl for
// .xlsx) reads it back.
struct ReadBackSheet
{
    // Every non-empty cell as [row, column, kind, value, number format, bold,
    // italic, underlined, font size in points, XF index (.xls only)], rows and
    // columns from 0; kind is text, number, date or bool, dates are day counts.
    QJsonArray At(int row, int column) const { return cells.value({row, column}); }

    QMap<QPair<int, int>, QJsonArray> cells;
    // "ncols", the column count; "widths", each set column's width in
    // characters by its index; for .xlsx also "freeze", "header", "footer",
    // "gridlines" and "headings".
    QJsonObject sheet;
};

class ExportFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the query on another statement.
    void OpenSql(const QString& sql);
    // A Python program's standard output given the file name as its argument.
    static QString RunPython(const QString& program, const QString& argument);
    // Whether /usr/bin/python3 has the module: a reader's tests skip without it (fail in CI).
    static bool HasPythonModule(const char* module);
    static ReadBackSheet ReadSheet(const QString& file);
    // What the desktop's office suite prints of a file, as pdftotext -layout
    // reads the page back; a test skips without soffice or pdftotext (fails in CI).
    static bool CanPrint();
    static QString PrintedText(const QString& file);

    ScriptedUi ui;
    TempFolder folder;
    std::unique_ptr<PinnedRegional> regional;
    std::unique_ptr<QWidget> window;
    TQuery* query = nullptr;
    TDataSource* source = nullptr;
    TDBGrid* grid = nullptr;
    TExportDBGrid* exporter = nullptr;
};
