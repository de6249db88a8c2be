// A database of its own on the throw-away server that pg_virtualenv starts
// for the test run (it exports PGHOST, PGPORT, PGUSER, PGPASSWORD), named by
// the alias SALES (TYPE=POSTGRESQL) and connected as the database KIV, as the
// window connects it. Without such a server the tests skip (and fail in CI).
#pragma once

#include "engine/Database.h"
#include "support/ProcessRun.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <memory>

class ServerTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    const QString& DatabaseName() const { return database_; }
    // Runs SQL on the test database through a connection of the test's own;
    // the rows of its last statement, columns joined by "|".
    QStringList Rows(const QString& sql);
    QString Scalar(const QString& sql);
    bool HasTable(const QString& table);
    // The server's type names of a table's columns, in order, joined by ",".
    QString ColumnTypes(const QString& table);
    // Waits until the server runs a statement of ours holding text; false after 20 s.
    bool WaitForStatement(const QString& text);

    // Runs the real runner in batch mode on a script against SALES.
    using Outcome = ProcessOutcome;
    Outcome RunBatch(const QString& script, const QStringList& extra = {},
                     const QString& alias = QStringLiteral("SALES"));
    // Starts the runner the same way without waiting for it.
    void StartBatch(QProcess& process, const QString& script);
    QString WriteScript(const QString& script);

    TempFolder files_;
    std::unique_ptr<TDatabase> kiv_;

private:
    QString database_;
    PGconn* admin_ = nullptr;
};
