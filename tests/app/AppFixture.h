// A fixture for the window and start-up tests: a private configuration folder
// per test, helpers that write the registry file and engine.cfg by hand, and
// folder databases made straight through SQLite.
#pragma once

#include "support/TestSupport.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

class AppTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    QString ConfigDir() const { return config_->Path(); }
    void WriteRegistry(const QString& text);
    void WriteEngineConfig(const QString& text);
    // engine.cfg with one alias per name=folder pair.
    void WriteAliases(const QList<std::pair<QString, QString>>& aliases);
    // registry.ini with one "Alias:" entry per name=folder pair.
    void WriteEntries(const QList<std::pair<QString, QString>>& entries);

    // A new folder whose tables.db holds what the statements make.
    QString MakeDatabase(const QString& name, const QStringList& statements);
    // The table names in a folder's tables.db, sorted.
    static QStringList TablesIn(const QString& folder);
    // The result of one statement as rows of text.
    static QList<QStringList> Rows(const QString& folder, const QString& sql);

    // The ORDERS table of the worked example: totals 50, 100, 101, 150 and 250.
    QString MakeOrdersDatabase(const QString& name = QStringLiteral("kiv"));

    std::unique_ptr<TempFolder> config_;
    std::unique_ptr<TempFolder> data_;
    QByteArray savedConfig_;
};

// The script of the worked example, lines joined with CR LF.
QString WorkedExampleScript();
