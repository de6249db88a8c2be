// The answer table of an open dataset: its rows stored in a file of its own in
// the session's private folder, so the dataset has random access, a record
// count and bookmarks at any size without holding the rows in memory.
//
// The file has no journal and is never synced: it is thrown away if anything
// fails. A query's rows go in by one INSERT ... SELECT on the query's own
// connection (the answer attached to it), so SQLite moves them without
// handing each value out; a statement that cannot be written that way is
// stepped row by row into a prepared insert. Rows are read back by number.
// Columns carry the result's declared types; a column without one gets its
// field type from its first non-NULL value. Column names are made unique
// without regard to letter case ("COUNT(*)", "COUNT(*)_1").
#pragma once

#include "engine/Field.h"
#include "engine/SqliteConnection.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TDataSet;
class TSession;

struct AnswerColumn
{
    QString name;     // unique in the answer
    QString declared; // the result's declared type (made safe), or empty
    TFieldType type = ftUnknown;
    int size = 0; // -1: a text column sized by its longest value when asked (TextSize)
    bool currency = false;
    bool undeclared = false; // its type comes from its values
    int firstStorage = 0;    // SQLITE_INTEGER... of the first non-NULL value, 0 when none
    int storages = 0;        // bit (1 << storage) for every storage class held
    bool large = false;      // it holds an integer outside 32 bits
    int longest = 0;         // characters of its longest value as text
};

// The names an answer gives the columns of a statement: its column names,
// "ColumnN" for a blank one, made unique without regard to letter case.
QStringList AnswerColumnNames(sqlite3_stmt* source);
// The same rule for the column names of any other source; with maxBytes,
// for a database that keeps only that many bytes of UTF-8 of a name, names
// are cut to them (where a character ends) before they are told apart.
QStringList UniqueColumnNames(const QStringList& names, int maxBytes = 0);

// Rows that come from somewhere other than a statement of SQLite (a
// server's cursor), handed over one at a time.
class TAnswerRows
{
public:
    virtual ~TAnswerRows() = default;
    // The result's column names (made unique by the answer) and the declared
    // types the answer's columns get.
    virtual QStringList Names() const = 0;
    virtual QStringList DeclaredTypes() const = 0;
    // Where the rows come from and the column types they have there, so a
    // copy into that same database can keep those types.
    virtual QString Location() const = 0;
    virtual QStringList SourceTypes() const = 0;
    // How many rows can be bound one after the other now, fetching more when
    // those are used up; 0 past the last row.
    virtual int Ready() = 0;
    // Binds the next ready row's values to insert from parameter first on
    // (first, first + 1...). What is bound stays valid until Ready is asked again.
    virtual void Bind(sqlite3_stmt* insert, int first) = 0;
};

class AnswerTable
{
public:
    // Steps source to its end and stores its rows; owner is the dataset that
    // will hold the answer (the session closes it when the session closes).
    AnswerTable(TSession& session, TDataSet* owner, SqliteConnection& sourceConnection,
                sqlite3_stmt* source);
    // Takes every row of rows (AnswerRows.cpp).
    AnswerTable(TSession& session, TDataSet* owner, TAnswerRows& rows);
    ~AnswerTable();
    AnswerTable(const AnswerTable&) = delete;
    AnswerTable& operator=(const AnswerTable&) = delete;

    const QString& FileName() const { return fileName_; }
    // Where the rows came from and their column types there; empty for
    // rows of SQLite.
    const QString& SourceLocation() const { return sourceLocation_; }
    const QStringList& SourceTypes() const { return sourceTypes_; }
    qint64 RowCount() const { return rowCount_; }
    const std::vector<AnswerColumn>& Columns() const { return columns_; }
    // The size of a column's field: for a text column sized by its values,
    // its longest value in characters (1 to 255), measured on the first call.
    int TextSize(int column) const;

    // Rows [first, first + count), one value per column by field type.
    void Fetch(qint64 first, qint64 count, std::vector<std::vector<QVariant>>& rows) const;
    // Steps through every row in order in one pass, the columns in answer order.
    void Scan(const std::function<void(sqlite3_stmt*)>& visit) const;
    // The same for rows [first, first + count), through a reader connection
    // no other call uses meanwhile: calls may run on several threads at
    // once while nothing writes the answer.
    void ScanRange(qint64 first, qint64 count,
                   const std::function<void(sqlite3_stmt*)>& visit) const;

    // Writes the rows as table `table` of folder's tables.db (created when
    // missing) with the answer's column types, replacing a table or view of
    // that name when overwrite is set; all or nothing.
    void CopyTo(const QString& folder, const QString& table, bool overwrite);

private:
    void Open();
    void Describe(sqlite3_stmt* source);
    // Without affinity the file's columns have no types, so every value is
    // stored as it is bound (a server's exact decimals stay text).
    void Create(const QStringList& names, const QStringList& declared, bool affinity = true);
    void Finish();
    bool FillBySelect(SqliteConnection& sourceConnection, sqlite3_stmt* source);
    void FillByRows(SqliteConnection& sourceConnection, sqlite3_stmt* source);
    void Measure();
    void DecideTypes();
    QString ColumnList(bool forCopy) const;
    // The statement that stores rows of the answer, a parameter a value.
    SqliteStatement PrepareInsert(int rows = 1) const;

    TSession& session_;
    QString fileName_;
    std::unique_ptr<SqliteConnection> db_;
    mutable std::vector<AnswerColumn> columns_;
    mutable bool measured_ = false;
    qint64 rowCount_ = 0;
    mutable SqliteStatement fetch_;
    QString sourceLocation_;
    QStringList sourceTypes_;
    // Reader connections of ScanRange not in use, kept for the next calls.
    mutable std::mutex readersMutex_;
    mutable std::vector<std::unique_ptr<SqliteConnection>> readers_;
};
