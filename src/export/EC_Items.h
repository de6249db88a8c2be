// The records an export hands from its source to its writer: the columns
// with the kind of each, and the values of one item with their display text
// and stored date or time.
#pragma once

#include "export/DateTimeReading.h"
#include "export/EC_Types.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class QVariant;
struct TDateTimeParts;

struct TExportColumnInfo
{
    TExportColumnKind Kind = ckUnknown;
};

struct TExportItemInfo
{
    bool HasDisplayText = false;
    QString DisplayText;
    quint8 BoolState = 0; // booleans: 0 null, 1 False, 2 True
    // Dates and times: the stored value as a day count (StoredDateTime).
    std::optional<TDateTime> DateTime;
};

// The day count of a stored date, time or date-time; none for any other value.
std::optional<TDateTime> StoredDateTime(const QVariant& value);
// The same of the calendar parts a stored value was read into.
TDateTime StoredDateTime(const TDateTimeParts& parts);

// A caption of the column list, with the info of an exported field ("Item" has none).
struct TExportColumn
{
    QString Caption;
    std::optional<TExportColumnInfo> Info;
};
using TExportColumns = std::vector<TExportColumn>;

// A raw value of an item, with the info of its field (the item number has none).
// For a writer that takes text as bytes (TCustomExport::TakesTextBytes), a
// value whose display text is its raw text comes as that text in UTF-8
// alone: Value and DisplayText are then empty and Utf8 is both, valid until
// the next item (it points into the stored record, or into Bytes).
struct TExportValue
{
    QString Value;
    bool HasInfo = false;
    TExportItemInfo Info;
    bool InBytes = false;
    QByteArrayView Utf8;
    QByteArray Bytes; // the room of a text the source formatted; kept between items

    // Value, whichever way it came.
    QString Text() const { return InBytes ? QString::fromUtf8(Utf8) : Value; }
    // The length of Value in characters, whichever way it came.
    qsizetype TextLength() const;
};

// The values of one item. The buffer is kept between items, so walking a
// million records allocates no list and no info per record.
class TExportValues
{
public:
    void Clear() { count_ = 0; }
    // Appends an entry without info and returns it.
    TExportValue& Add();
    int Count() const { return count_; }
    const TExportValue& operator[](int index) const { return items_[size_t(index)]; }
    TExportValue& operator[](int index) { return items_[size_t(index)]; }
    QStringList Strings() const;

private:
    std::vector<TExportValue> items_;
    int count_ = 0;
};
