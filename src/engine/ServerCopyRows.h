// The rows of a COPY ... TO STDOUT (FORMAT binary) of our own, handed to an
// answer as they arrive: a message a row, each value its length and its
// bytes in the server's binary form. The columns are those of the described
// statement, so a column cast to text (a type without a binary reader)
// keeps the kind and declared type of its own type.
#pragma once

#include "engine/AnswerTable.h"
#include "engine/ServerConnection.h"
#include "engine/ServerTypes.h"

#include <vector>

class TServerCopyRows final : public TAnswerRows
{
public:
    // The copy has been started (ServerConnection::StartCopyOut).
    TServerCopyRows(ServerConnection& connection, const PGresult* described,
                    QStringList sourceTypes);
    // A copy left before its end is cancelled, so the connection can go on.
    ~TServerCopyRows() override;
    TServerCopyRows(const TServerCopyRows&) = delete;
    TServerCopyRows& operator=(const TServerCopyRows&) = delete;

    QStringList Names() const override { return names_; }
    QStringList DeclaredTypes() const override;
    QString Location() const override { return connection_.Location(); }
    QStringList SourceTypes() const override { return sourceTypes_; }
    int Ready() override;
    void Bind(sqlite3_stmt* insert, int first) override;

private:
    struct TRow
    {
        TPgBytes message;
        const char* values; // past the message's field count
        const char* end;
    };
    // Skips the signature, flags and extension that come before the first row.
    const char* SkipHeader(const char* data, const char* end);

    ServerConnection& connection_;
    QStringList sourceTypes_;
    QStringList names_;
    std::vector<TServerColumn> columns_;
    std::vector<Oid> readAs_; // the type each column's values come in
    std::vector<QByteArray> scratch_;
    TBoundTexts kept_; // the texts of the rows bound since Ready
    std::vector<TRow> rows_;
    size_t next_ = 0;
    bool headerRead_ = false;
    bool ended_ = false;
};
