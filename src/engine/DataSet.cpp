// The dataset base: open state, cursor, bookmarks, the control signals and
// the window cache through which records are read by number.
#include "engine/DataSet.h"

#include "engine/FieldValue.h"
#include "platform/core/Exceptions.h"
#include "platform/core/StoreChange.h"

#include <algorithm>
#include <deque>

// A few blocks of consecutive records, the most recently used first.
struct TDataSet::Cache
{
    static constexpr qint64 kBlockRows = 512;
    static constexpr size_t kBlocks = 4;
    struct Block
    {
        qint64 first;
        std::vector<std::vector<QVariant>> rows;
    };
    std::deque<Block> blocks;
};

TDataSet::TDataSet(QObject* owner) : QObject(owner), cache_(std::make_unique<Cache>()) {}

TDataSet::~TDataSet() = default;

void TDataSet::SetActive(bool active)
{
    if (active)
        Open();
    else
        Close();
}

void TDataSet::Open()
{
    if (active_)
        return;
    try {
        InternalOpen();
    } catch (...) {
        InternalClose();
        ClearFields();
        throw;
    }
    active_ = true;
    cache_->blocks.clear();
    const bool empty = InternalRecordCount() == 0;
    current_ = empty ? -1 : 0;
    bof_ = true;
    eof_ = empty;
    NotifyDataSetChanged();
}

void TDataSet::Close()
{
    if (!active_)
        return;
    active_ = false;
    cache_->blocks.clear();
    current_ = -1;
    bof_ = eof_ = true;
    InternalClose();
    ClearFields();
    NotifyDataSetChanged();
}

void TDataSet::First()
{
    if (!active_)
        return;
    const qint64 before = current_;
    current_ = RecordCount() > 0 ? 0 : -1;
    bof_ = true;
    eof_ = current_ < 0;
    if (current_ != before)
        NotifyCurrentChanged();
}

void TDataSet::Next()
{
    MoveBy(1);
}

void TDataSet::Prior()
{
    MoveBy(-1);
}

void TDataSet::Last()
{
    if (!active_)
        return;
    const qint64 before = current_;
    current_ = RecordCount() - 1;
    eof_ = true;
    bof_ = current_ < 0;
    if (current_ != before)
        NotifyCurrentChanged();
}

int TDataSet::MoveBy(qint64 distance)
{
    const qint64 count = RecordCount();
    if (count == 0) {
        bof_ = eof_ = true;
        return 0;
    }
    bof_ = eof_ = false;
    qint64 target = current_ + distance;
    if (target >= count) {
        target = count - 1;
        eof_ = true;
    }
    if (target < 0) {
        target = 0;
        bof_ = true;
    }
    const qint64 moved = target - current_;
    current_ = target;
    if (moved != 0)
        NotifyCurrentChanged();
    return int(moved);
}

bool TDataSet::IsEmpty() const
{
    return RecordCount() == 0;
}

qint64 TDataSet::RecordCount() const
{
    return active_ ? InternalRecordCount() : 0;
}

qint64 TDataSet::RecNo() const
{
    return active_ ? current_ + 1 : 0;
}

void TDataSet::SetRecNo(qint64 recNo)
{
    const qint64 count = RecordCount();
    if (count == 0)
        return;
    const qint64 target = qBound<qint64>(0, recNo - 1, count - 1);
    bof_ = eof_ = false;
    if (StoreChange(current_, target))
        NotifyCurrentChanged();
}

TBookmark TDataSet::GetBookmark() const
{
    return active_ && current_ >= 0 ? current_ : -1;
}

void TDataSet::GotoBookmark(TBookmark bookmark)
{
    if (!BookmarkValid(bookmark))
        throw EDatabaseError(QStringLiteral("Record not found"));
    bof_ = eof_ = false;
    if (StoreChange(current_, bookmark))
        NotifyCurrentChanged();
}

void TDataSet::FreeBookmark(TBookmark) {}

bool TDataSet::BookmarkValid(TBookmark bookmark) const
{
    return bookmark >= 0 && bookmark < RecordCount();
}

void TDataSet::DisableControls()
{
    ++disableCount_;
}

void TDataSet::EnableControls()
{
    if (disableCount_ == 0)
        return;
    if (--disableCount_ == 0 && changedWhileDisabled_) {
        changedWhileDisabled_ = false;
        emit DataSetChanged();
    }
}

TField* TDataSet::FindField(const QString& name) const
{
    for (const auto& field : fields_) {
        if (field->FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return field.get();
    }
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& name) const
{
    if (TField* field = FindField(name))
        return field;
    throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
}

QVariant TDataSet::ValueAt(qint64 recordIndex, int fieldIndex) const
{
    if (!active_ || recordIndex < 0 || recordIndex >= RecordCount() || fieldIndex < 0 ||
        fieldIndex >= FieldCount())
        return QVariant();
    auto& blocks = cache_->blocks;
    const qint64 first = recordIndex - recordIndex % Cache::kBlockRows;
    auto block = blocks.begin();
    while (block != blocks.end() && block->first != first)
        ++block;
    if (block == blocks.end()) {
        Cache::Block fresh{first, {}};
        InternalFetch(first, qMin(Cache::kBlockRows, RecordCount() - first), fresh.rows);
        if (blocks.size() == Cache::kBlocks)
            blocks.pop_back();
        blocks.push_front(std::move(fresh));
    } else if (block != blocks.begin()) {
        std::rotate(blocks.begin(), block, block + 1);
    }
    const auto& rows = blocks.front().rows;
    const size_t row = size_t(recordIndex - first);
    if (row >= rows.size() || size_t(fieldIndex) >= rows[row].size())
        return QVariant();
    return rows[row][size_t(fieldIndex)];
}

QVariant TDataSet::CurrentValue(int fieldIndex) const
{
    return current_ >= 0 ? ValueAt(current_, fieldIndex) : QVariant();
}

namespace {

struct StoredRecord final : TRecordTexts
{
    sqlite3_stmt* row = nullptr;
    void AppendDisplayText(const TField& field, QByteArray& utf8) const override
    {
        field.AppendDisplayText(row, field.Index(), utf8);
    }
    QVariant Value(const TField& field) const override
    {
        return FieldValueOf(row, field.Index(), field.DataType());
    }
    bool AppendDateTimeText(const TField& field, QByteArray& utf8,
                            TDateTimeParts& parts) const override
    {
        return field.AppendDateTimeText(row, field.Index(), utf8, parts);
    }
    const char* StoredText(const TField& field, int& size) const override
    {
        return field.StoredText(row, field.Index(), size);
    }
};

struct NumberedRecord final : TRecordTexts
{
    const TDataSet* dataSet = nullptr;
    qint64 index = 0;
    void AppendDisplayText(const TField& field, QByteArray& utf8) const override
    {
        field.AppendDisplayText(dataSet->ValueAt(index, field.Index()), utf8);
    }
    QVariant Value(const TField& field) const override
    {
        return dataSet->ValueAt(index, field.Index());
    }
    bool AppendDateTimeText(const TField&, QByteArray&, TDateTimeParts&) const override
    {
        return false;
    }
    const char* StoredText(const TField&, int&) const override { return nullptr; }
};

// Leaves a scan of the stored rows, which has no way out of its own.
struct StopWalk
{
};

} // namespace

void TDataSet::ForEachRecord(const std::function<void(const TRecordTexts&)>& visit) const
{
    ForEachRecordWhile([&](const TRecordTexts& record) {
        visit(record);
        return true;
    });
}

bool TDataSet::ForEachRecordWhile(const std::function<bool(const TRecordTexts&)>& visit) const
{
    if (!active_)
        return true;
    StoredRecord stored;
    try {
        if (InternalScan([&](sqlite3_stmt* row) {
                stored.row = row;
                if (!visit(stored))
                    throw StopWalk();
            }))
            return true;
    } catch (const StopWalk&) {
        return false;
    }
    NumberedRecord numbered;
    numbered.dataSet = this;
    for (qint64 count = RecordCount(); numbered.index < count; ++numbered.index) {
        if (!visit(numbered))
            return false;
    }
    return true;
}

void TDataSet::ForEachRecordIn(qint64 first, qint64 count,
                               const std::function<void(const TRecordTexts&)>& visit) const
{
    StoredRecord stored;
    if (!active_ || !InternalScanRange(first, count, [&](sqlite3_stmt* row) {
            stored.row = row;
            visit(stored);
        }))
        throw EDatabaseError(QStringLiteral("The records cannot be read in ranges"));
}

bool TDataSet::ForEachRecordAt(const std::vector<qint64>& recordIndexes,
                               const std::function<bool(const TRecordTexts&)>& visit) const
{
    NumberedRecord numbered;
    numbered.dataSet = this;
    const qint64 count = RecordCount();
    for (const qint64 index : recordIndexes) {
        if (index < 0 || index >= count)
            continue;
        numbered.index = index;
        if (!visit(numbered))
            return false;
    }
    return true;
}

TField* TDataSet::AddField(const QString& name, TFieldType type, int size)
{
    fields_.push_back(std::make_unique<TField>(this, int(fields_.size()), name, type, size));
    return fields_.back().get();
}

void TDataSet::ClearFields()
{
    fields_.clear();
}

void TDataSet::NotifyDataSetChanged()
{
    if (ControlsDisabled())
        changedWhileDisabled_ = true;
    else
        emit DataSetChanged();
}

void TDataSet::NotifyCurrentChanged()
{
    if (ControlsDisabled())
        changedWhileDisabled_ = true;
    else
        emit CurrentChanged();
}

TDataSource::TDataSource(QObject* owner) : QObject(owner) {}

void TDataSource::SetDataSet(TDataSet* dataSet)
{
    if (dataSet == dataSet_)
        return;
    disconnect(changed_);
    disconnect(current_);
    disconnect(destroyed_);
    dataSet_ = dataSet;
    if (dataSet) {
        changed_ = connect(dataSet, &TDataSet::DataSetChanged, this, &TDataSource::DataChanged);
        current_ = connect(dataSet, &TDataSet::CurrentChanged, this, &TDataSource::CurrentChanged);
        destroyed_ = connect(dataSet, &QObject::destroyed, this, [this] {
            dataSet_ = nullptr;
            emit DataChanged();
        });
    }
    emit DataChanged();
}
