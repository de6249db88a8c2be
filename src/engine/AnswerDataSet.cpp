// The dataset over an answer table: opening makes the answer and its fields,
// every read goes to the answer.
#include "engine/AnswerDataSet.h"

#include "engine/AnswerTable.h"

TAnswerDataSet::TAnswerDataSet(QObject* owner) : TDataSet(owner) {}

TAnswerDataSet::~TAnswerDataSet()
{
    Close();
}

void TAnswerDataSet::InternalOpen()
{
    std::unique_ptr<AnswerTable> answer = MakeAnswer();
    for (const AnswerColumn& column : answer->Columns())
        AddField(column.name, column.type, column.size)->SetCurrency(column.currency);
    answer_ = std::move(answer);
}

void TAnswerDataSet::InternalClose()
{
    answer_.reset();
}

qint64 TAnswerDataSet::InternalRecordCount() const
{
    return answer_ ? answer_->RowCount() : 0;
}

void TAnswerDataSet::InternalFetch(qint64 first, qint64 count,
                                   std::vector<std::vector<QVariant>>& rows) const
{
    if (answer_)
        answer_->Fetch(first, count, rows);
}

int TAnswerDataSet::InternalFieldSize(int fieldIndex) const
{
    return answer_ ? answer_->TextSize(fieldIndex) : 0;
}

bool TAnswerDataSet::InternalScan(const std::function<void(sqlite3_stmt*)>& visit) const
{
    if (answer_)
        answer_->Scan(visit);
    return answer_ != nullptr;
}

bool TAnswerDataSet::InternalScanRange(qint64 first, qint64 count,
                                       const std::function<void(sqlite3_stmt*)>& visit) const
{
    if (answer_ && count > 0)
        answer_->ScanRange(first, count, visit);
    return answer_ != nullptr;
}
