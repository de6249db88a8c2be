// An answer filled from rows handed over one at a time (TAnswerRows): the
// rows of a server's cursor, stepped into a prepared insert in one
// transaction of the answer file. The rows bind each value in the storage
// it needs, so the file's columns convert nothing.
#include "engine/AnswerTable.h"
#include "engine/SessionState.h"

AnswerTable::AnswerTable(TSession& session, TDataSet* owner, TAnswerRows& rows)
    : session_(session), fileName_(CreateAnswerFile(session, owner)),
      sourceLocation_(rows.Location()), sourceTypes_(rows.SourceTypes())
{
    try {
        Open();
        Create(UniqueColumnNames(rows.Names()), rows.DeclaredTypes(), false);
        db_->Exec("BEGIN");
        const SqliteStatement insert = PrepareInsert();
        while (rows.Next(insert.get())) {
            if (sqlite3_step(insert.get()) != SQLITE_DONE)
                db_->Fail();
            sqlite3_reset(insert.get());
            ++rowCount_;
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
