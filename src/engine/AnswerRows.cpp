// An answer filled from rows handed over one at a time (TAnswerRows): the
// rows of a server's cursor, stepped into prepared inserts in one
// transaction of the answer file. The rows bind each value in the storage
// it needs, so the file's columns convert nothing.
#include "engine/AnswerTable.h"
#include "engine/SessionState.h"

#include <algorithm>

namespace {

// Values, and rows, one insert takes at most: past a few hundred values a
// longer statement gains nothing.
constexpr int kValuesPerInsert = 256;
constexpr int kMostRowsPerInsert = 64;

} // namespace

AnswerTable::AnswerTable(TSession& session, TDataSet* owner, TAnswerRows& rows)
    : session_(session), fileName_(CreateAnswerFile(session, owner)),
      sourceLocation_(rows.Location()), sourceTypes_(rows.SourceTypes())
{
    try {
        Open();
        Create(UniqueColumnNames(rows.Names()), rows.DeclaredTypes(), false);
        db_->Exec("BEGIN");
        // Every run of an insert costs as much again as a few values: the rows
        // go in many at a time, and those left over one at a time.
        const int columns = std::max<int>(1, int(columns_.size()));
        const int perInsert = std::clamp(kValuesPerInsert / columns, 1, kMostRowsPerInsert);
        const SqliteStatement many = PrepareInsert(perInsert), one = PrepareInsert();
        const auto run = [&](sqlite3_stmt* insert, int count) {
            if (sqlite3_step(insert) != SQLITE_DONE)
                db_->Fail();
            sqlite3_reset(insert);
            rowCount_ += count;
        };
        for (int ready; (ready = rows.Ready()) > 0;) {
            for (; ready >= perInsert; ready -= perInsert) {
                for (int row = 0; row < perInsert; ++row)
                    rows.Bind(many.get(), row * columns + 1);
                run(many.get(), perInsert);
            }
            for (; ready > 0; --ready) {
                rows.Bind(one.get(), 1);
                run(one.get(), 1);
            }
        }
        db_->Exec("COMMIT");
        Finish();
    } catch (...) {
        fetch_ = SqliteStatement();
        db_.reset();
        RemoveAnswerFile(session_, fileName_);
        throw;
    }
}
