// A dataset: the records of an open answer or table, with a cursor, bookmarks
// and random access by record number, so a grid can page through a large
// result without moving the cursor or holding the rows in memory.
//
// Contract for every dataset operation: it may run on a worker thread while the
// GUI thread waits (the window runs scripts off the GUI thread); it raises
// EDatabaseError with the engine's message on failure. Bound controls are told
// of changes through the signals below, which are not emitted while controls
// are disabled; EnableControls (on the thread that owns the controls) emits
// DataSetChanged once when the last disable is lifted, if the dataset changed
// or its cursor moved meanwhile.
//
// RecordCount, RecNo and the moves are 0 and no-ops on a closed dataset.
#pragma once

#include "engine/Field.h"

#include <QObject>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

struct sqlite3_stmt;

// One record of a walk through a whole dataset (TDataSet::ForEachRecord).
class TRecordTexts
{
public:
    // A field's display text in this record (TField::DisplayTextOf), appended in UTF-8.
    virtual void AppendDisplayText(const TField& field, QByteArray& utf8) const = 0;
    // A field's value in this record, of the kinds TField::Value gives.
    virtual QVariant Value(const TField& field) const = 0;
    // A date, time or date-time field's display text appended in UTF-8, with
    // the calendar parts it shows (TField::AppendDateTimeText); false, with
    // nothing appended, when the value is to be read through Value.
    virtual bool AppendDateTimeText(const TField& field, QByteArray& utf8,
                                    TDateTimeParts& parts) const = 0;
    // A text field's stored text as UTF-8 when it reads back as itself, so a
    // reader can take the bytes as they are; nullptr otherwise (not stored as
    // text, not a text field, or a value that another reading would change).
    virtual const char* StoredText(const TField& field, int& size) const = 0;

protected:
    ~TRecordTexts() = default;
};

using TBookmark = qint64; // a record number; -1 is no bookmark

class TDataSet : public QObject
{
    Q_OBJECT
public:
    explicit TDataSet(QObject* owner = nullptr);
    ~TDataSet() override;

    bool Active() const { return active_; }
    void SetActive(bool active);
    void Open();
    void Close();

    void First();
    void Next();
    void Prior();
    void Last();
    // Moves the cursor; Eof or Bof when it runs off either end.
    int MoveBy(qint64 distance);
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool IsEmpty() const;
    // The number of records (an open dataset always knows it).
    qint64 RecordCount() const;
    // 1-based number of the current record, 0 when there is none.
    qint64 RecNo() const;
    void SetRecNo(qint64 recNo);

    TBookmark GetBookmark() const;
    void GotoBookmark(TBookmark bookmark);
    void FreeBookmark(TBookmark bookmark);
    bool BookmarkValid(TBookmark bookmark) const;

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }

    int FieldCount() const { return int(fields_.size()); }
    TField* Fields(int index) const { return fields_.at(size_t(index)).get(); }
    TField* FindField(const QString& name) const;   // letter case ignored; nullptr when absent
    TField* FieldByName(const QString& name) const; // raises when absent

    // The value of one field in the record at a 0-based index, without moving
    // the cursor. Reads through a small cache window.
    QVariant ValueAt(qint64 recordIndex, int fieldIndex) const;
    // The value of one field in the current record (null when there is none).
    QVariant CurrentValue(int fieldIndex) const;
    // Visits every record in order without moving the cursor or filling the
    // record cache, for readers that write a whole dataset out once: rows
    // stored in SQLite are read in one pass straight from their columns.
    void ForEachRecord(const std::function<void(const TRecordTexts&)>& visit) const;
    // The same walk, ended early when visit returns false; false when it was.
    bool ForEachRecordWhile(const std::function<bool(const TRecordTexts&)>& visit) const;
    // The walk over the records at these 0-based indexes, in the order given
    // (indexes beyond the records are passed over), ended early as above.
    bool ForEachRecordAt(const std::vector<qint64>& recordIndexes,
                         const std::function<bool(const TRecordTexts&)>& visit) const;
    // Whether records [first, first + count) can be walked as ForEachRecord
    // walks them on any thread, several walks at once, while the dataset is
    // neither moved nor changed (ForEachRecordIn).
    bool WalksRangesOnAnyThread() const { return active_ && InternalScanRange(0, 0, nullptr); }
    void ForEachRecordIn(qint64 first, qint64 count,
                         const std::function<void(const TRecordTexts&)>& visit) const;

signals:
    // Opened, closed or refilled: bound controls reload.
    void DataSetChanged();
    // The cursor moved to another record.
    void CurrentChanged();

protected:
    // Subclasses open their records and create the fields (AddField), or close them.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual qint64 InternalRecordCount() const = 0;
    // Reads records [first, first + count) into rows (one QVariant per field).
    virtual void InternalFetch(qint64 first, qint64 count,
                               std::vector<std::vector<QVariant>>& rows) const = 0;
    // The size of a field created with size -1 (a text field sized by its
    // values), asked by the field the first time it is needed.
    virtual int InternalFieldSize(int) const { return 0; }
    // Steps through every record in order, handing over each stored row with
    // its columns in field order; false when the records are only read by number.
    virtual bool InternalScan(const std::function<void(sqlite3_stmt*)>&) const { return false; }
    // The same for stored rows [first, first + count) on any thread, several
    // at once; false when the records cannot be read that way (visit is then
    // not called; a count of 0 asks only that).
    virtual bool InternalScanRange(qint64, qint64, const std::function<void(sqlite3_stmt*)>&) const
    {
        return false;
    }

    TField* AddField(const QString& name, TFieldType type, int size);
    void ClearFields();
    void NotifyDataSetChanged();

private:
    friend class TField;
    void NotifyCurrentChanged();

    bool active_ = false;
    bool eof_ = true;
    bool bof_ = true;
    qint64 current_ = -1; // 0-based
    int disableCount_ = 0;
    bool changedWhileDisabled_ = false;
    std::vector<std::unique_ptr<TField>> fields_;
    struct Cache;
    std::unique_ptr<Cache> cache_;
};

// The link between a dataset and the controls that show it.
class TDataSource : public QObject
{
    Q_OBJECT
public:
    explicit TDataSource(QObject* owner = nullptr);

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* dataSet);

signals:
    // The dataset was replaced, or it reported DataSetChanged.
    void DataChanged();
    void CurrentChanged();

private:
    TDataSet* dataSet_ = nullptr;
    QMetaObject::Connection changed_, current_, destroyed_;
};
