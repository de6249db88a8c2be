// A folder database for one test: a database component "KIV" with driver
// "STANDARD" and "PATH=<folder>", connected, and small helpers that run SQL
// against it and look at what it holds.
#pragma once

#include "engine/Database.h"
#include "support/TestSupport.h"

#include <QString>
#include <QStringList>
#include <QVariant>

class FolderDatabase
{
public:
    explicit FolderDatabase(const QString& name = QStringLiteral("KIV"));

    const QString& Name() const { return name_; }
    QString Folder() const { return folder_.Path(); }

    // Runs statements as a command.
    void Exec(const QString& sql) const;
    // The first column of the first row of a query.
    QVariant Scalar(const QString& sql) const;
    qint64 Count(const QString& table) const;
    bool HasTable(const QString& table) const;
    QStringList Tables() const;

private:
    QString name_;
    TempFolder folder_;
    TDatabase database_;
};
