// A results grid over demo data for the export tests: a query on a folder
// table with accents, quotes, line breaks, nulls and every field type, shown
// in a TDBGrid on an offscreen window that owns a TExportDBGrid.
#pragma once

#include "dbctrls/DBGrid.h"
#include "engine/EngineTestSupport.h"
#include "engine/Query.h"
#include "export/EC_DBGrid.h"
#include "support/TestSupport.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

class ExportFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the query on another statement.
    void OpenSql(const QString& sql);
    // A Python program's standard output given the file name as its argument.
    static QString RunPython(const QString& program, const QString& argument);
    // What the desktop's office suite prints of a file, as pdftotext -layout
    // reads the page back; a test skips without soffice or pdftotext.
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
