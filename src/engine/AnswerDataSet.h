// A dataset whose records are an answer table (AnswerTable.h): a query's rows
// or a table's. The records, their count, the sizes of text fields and the
// one-pass walk straight from the stored rows all come from the answer, so
// every such dataset reads the same way; a subclass only makes the answer.
#pragma once

#include "engine/DataSet.h"

#include <memory>

class AnswerTable;

class TAnswerDataSet : public TDataSet
{
    Q_OBJECT
public:
    explicit TAnswerDataSet(QObject* owner = nullptr);
    ~TAnswerDataSet() override;

protected:
    // Makes the answer that Open opens; its columns become the fields.
    virtual std::unique_ptr<AnswerTable> MakeAnswer() = 0;
    // The open answer; nullptr while the dataset is closed.
    AnswerTable* Answer() const { return answer_.get(); }

    void InternalOpen() final;
    void InternalClose() final;
    qint64 InternalRecordCount() const final;
    void InternalFetch(qint64 first, qint64 count,
                       std::vector<std::vector<QVariant>>& rows) const final;
    int InternalFieldSize(int fieldIndex) const final;
    bool InternalScan(const std::function<void(sqlite3_stmt*)>& visit) const final;
    bool InternalScanRange(qint64 first, qint64 count,
                           const std::function<void(sqlite3_stmt*)>& visit) const final;

private:
    std::unique_ptr<AnswerTable> answer_;
};
