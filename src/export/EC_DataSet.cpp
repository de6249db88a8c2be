#include "export/EC_DataSet.h"

#include "engine/DisplayFormat.h"
#include "engine/Table.h"
#include "platform/core/ByteAppend.h"
#include "platform/core/Exceptions.h"
#include "platform/core/OrderedPieces.h"

#include <QFileInfo>
#include <algorithm>

TExportDataSet::TExportDataSet(QObject* owner) : TSharewareExportComponent(owner)
{
    unsupportedOptions_ = ExportAllWhenNoneSelected;
    SetOptions(Options());
}

void TExportDataSet::SetColWidths(const QStringList& lines)
{
    QStringList trimmed = WithoutTrailingBlankLines(lines);
    for (QString& line : trimmed) {
        line = line.trimmed();
        bool ok = true;
        if (!line.isEmpty() && (line.toInt(&ok) < 1 || !ok))
            throw EConvertError(
                QStringLiteral("ColWidths Property Error\r\n\r\n\"%1\" is an Invalid Column "
                               "Width. It must be a Positive Integer Number greater than Zero.")
                    .arg(line));
    }
    TSharewareExportComponent::SetColWidths(trimmed);
}

bool TExportDataSet::IsExportableType(TFieldType type)
{
    if (IsBinary(type))
        return false;
    switch (type) {
    case ftUnknown:
    case ftCursor:
    case ftADT:
    case ftArray:
    case ftReference:
    case ftDataSet:
        return false;
    default:
        return true;
    }
}

namespace {

// A date-time shows only a date or only a time when its display format says so.
TExportColumnKind DateTimeKind(const QString& displayFormat)
{
    QString format = displayFormat.toLower().trimmed();
    for (const char* marker : {"am/pm", "a/p", "ampm"}) {
        const qsizetype at = format.indexOf(QLatin1String(marker));
        if (at >= 0)
            format.remove(at, qsizetype(strlen(marker)));
    }
    if (format.isEmpty() || format.contains(QLatin1Char('c')))
        return ckDateTime;
    const auto any = [&](const char* letters) {
        for (const char* p = letters; *p; ++p) {
            if (format.contains(QLatin1Char(*p)))
                return true;
        }
        return false;
    };
    const bool hasDate = any("dmy");
    const bool hasTime = any("hnst");
    if (hasDate && !hasTime)
        return ckDateTimeDate;
    if (hasTime && !hasDate)
        return ckDateTimeTime;
    return ckDateTime;
}

} // namespace

TExportColumnKind TExportDataSet::FieldKind(const TField* field)
{
    TExportColumnKind kind = ckUnknown;
    switch (field->DataType()) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftLargeint:
        kind = ckString;
        break;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftAutoInc:
        kind = ckNumber;
        break;
    case ftBoolean:
        kind = ckBoolean;
        break;
    case ftDate:
        kind = ckDate;
        break;
    case ftTime:
        kind = ckTime;
        break;
    case ftDateTime:
        kind = DateTimeKind(field->DisplayFormat());
        break;
    case ftMemo:
        kind = ckMemo;
        break;
    case ftFmtMemo:
        kind = ckFmtMemo;
        break;
    default:
        break;
    }
    const TFieldType type = field->DataType();
    if ((type == ftCurrency || type == ftFloat || type == ftBCD) && field->Currency())
        kind = ckCurrency;
    return kind;
}

int TExportDataSet::GetTableRecordCount() const
{
    const auto* table = qobject_cast<const TTable*>(DataSet.data());
    if (!table)
        return -1;
    switch (table->TableType()) {
    case ttParadox:
    case ttDBase:
    case ttFoxPro:
        return int(table->RecordCount());
    case ttDefault: {
        const QString ext = QFileInfo(table->TableName()).suffix().toLower();
        return ext == QLatin1String("db") || ext == QLatin1String("dbf") ? int(table->RecordCount())
                                                                         : -1;
    }
    default:
        return -1;
    }
}

bool TExportDataSet::IsFieldExported(TField* field)
{
    return IsExportableType(field->DataType()) &&
           (Options().testFlag(ExportInvisibleCols) || field->Visible());
}

void TExportDataSet::GetColumns(TExportColumns& columns)
{
    columns.clear();
    exported_.clear();
    const int count = GetFieldCount();
    columns.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        TField* field = GetField(i);
        if (!field || !IsFieldExported(field))
            continue;
        columns.push_back({GetColumnCaption(i), TExportColumnInfo{FieldKind(field)}});
        const bool memo = field->DataType() == ftMemo || field->DataType() == ftFmtMemo;
        exported_.push_back(
            {field, memo, !memo && field->DisplayFormat().isEmpty() && !field->Currency()});
    }
}

void TExportDataSet::OpenSource()
{
    Run().OpenItemCount = GetItemCount();
    SavedPlace = DataSet->GetBookmark();
    DataSet->DisableControls();
    if (Run().OpenItemCount != 1)
        DataSet->First();
}

void TExportDataSet::CloseSource()
{
    TSharewareExportComponent::CloseSource();
    if (!DataSet)
        return;
    if (SavedPlace >= 0 && DataSet->BookmarkValid(SavedPlace))
        DataSet->GotoBookmark(SavedPlace);
    DataSet->EnableControls();
    DataSet->FreeBookmark(SavedPlace);
    SavedPlace = -1;
}

void TExportDataSet::FillValue(const ExportedField& exported, const QVariant& raw,
                               TExportValue& value)
{
    const TField* field = exported.field;
    value.Value = field->AsStringOf(raw);
    value.HasInfo = true;
    value.Info.HasDisplayText = !exported.memo;
    if (exported.memo)
        value.Info.DisplayText.clear();
    else
        value.Info.DisplayText = exported.displayIsText ? value.Value : field->DisplayTextOf(raw);
    value.Info.DateTime = StoredDateTime(raw);
    value.Info.BoolState = 0;
    if (field->DataType() == ftBoolean && !raw.isNull())
        value.Info.BoolState = raw.toBool() ? 2 : 1;
}

// The fields of the current record, then the next record.
void TExportDataSet::GetItemValues(TExportValues& values)
{
    for (const ExportedField& exported : exported_)
        FillValue(exported, exported.field->Value(), values.Add());
    DataSet->Next();
}

void TExportDataSet::RecordValues(const TRecordTexts& record, bool textBytes, TExportValues& values)
{
    FillRecordValues(record, textBytes, ++Run().NumItemsExported, values);
}

void TExportDataSet::FillRecordValues(const TRecordTexts& record, bool textBytes, qint64 item,
                                      TExportValues& values) const
{
    values.Clear();
    const bool numberRows = Options().testFlag(NumberRows);
    if (numberRows)
        values.Add();
    for (const ExportedField& exported : exported_) {
        TExportValue& value = values.Add();
        if (!textBytes || !exported.displayIsText) {
            FillValue(exported, record.Value(*exported.field), value);
            continue;
        }
        // The display text is the raw text: a text field's stored bytes, or
        // the text formatted straight into the value's room. A date or a time
        // is read once into its parts, for its text and for its info; a
        // boolean (or a date the parts cannot give) once as its value.
        const TField& field = *exported.field;
        const TFieldType type = field.DataType();
        const bool dated = type == ftDate || type == ftTime || type == ftDateTime;
        TDateTimeParts parts;
        ClearKeepingRoom(value.Bytes);
        const bool inParts = dated && record.AppendDateTimeText(field, value.Bytes, parts);
        const bool readOnce = !inParts && (type == ftBoolean || dated);
        const QVariant raw = readOnce ? record.Value(field) : QVariant();
        int size = 0;
        if (inParts) {
            value.Utf8 = value.Bytes;
        } else if (const char* text = readOnce ? nullptr : record.StoredText(field, size)) {
            value.Utf8 = QByteArrayView(text, size);
        } else {
            if (readOnce)
                field.AppendDisplayText(raw, value.Bytes);
            else
                record.AppendDisplayText(field, value.Bytes);
            value.Utf8 = value.Bytes;
        }
        value.InBytes = true;
        value.Value = QString();
        value.HasInfo = true;
        value.Info.HasDisplayText = true;
        value.Info.DisplayText = QString();
        value.Info.DateTime = inParts             ? StoredDateTime(parts)
                              : readOnce && dated ? StoredDateTime(raw)
                                                  : std::nullopt;
        value.Info.BoolState = 0;
        if (type == ftBoolean && !raw.isNull())
            value.Info.BoolState = raw.toBool() ? 2 : 1;
    }
    if (numberRows) {
        TExportValue& number = values[0];
        if (textBytes) {
            number.Bytes.setNum(item);
            number.Utf8 = number.Bytes;
            number.InBytes = true;
            number.Value = QString();
        } else {
            number.Value = QString::number(item);
        }
    }
}

// Without a selection every record is read in one pass from the first,
// without moving the cursor; CloseSource puts the user back in any case.
bool TExportDataSet::ForEachItem(TExportValues& values, bool textBytes, const TItemWriter& write)
{
    if (Options().testFlag(SelectedRowsOnly))
        return TSharewareExportComponent::ForEachItem(values, textBytes, write);
    const WalkGuard walk(*this, DataSet->RecordCount());
    FirstItem();
    return DataSet->ForEachRecordWhile([&](const TRecordTexts& record) {
        RecordValues(record, textBytes, values);
        return write(values);
    });
}

std::optional<bool> TExportDataSet::ForEachItemInPieces(bool textBytes, const TItemMaker& make,
                                                        const TPieceTaker& take)
{
    const qint64 records = DataSet->RecordCount();
    if (Options().testFlag(SelectedRowsOnly) || !WorthPieces(records) ||
        !DataSet->WalksRangesOnAnyThread())
        return std::nullopt;
    const WalkGuard walk(*this, records);
    FirstItem();
    struct Stopped
    {
    };
    try {
        MakePiecesInOrder((records + kRecordsPerPiece - 1) / kRecordsPerPiece, PieceWorkers(),
                          [&](qint64 piece, QByteArray& bytes) {
                              TExportValues values;
                              qint64 item = piece * kRecordsPerPiece;
                              DataSet->ForEachRecordIn(
                                  item, kRecordsPerPiece, [&](const TRecordTexts& record) {
                                      FillRecordValues(record, textBytes, ++item, values);
                                      make(values, bytes);
                                  });
                          },
                          [&](const QByteArray& bytes) {
                              TExportRun& run = Run();
                              run.NumItemsExported =
                                  int(std::min(records, run.NumItemsExported + kRecordsPerPiece));
                              if (!take(bytes))
                                  throw Stopped();
                          });
    } catch (const Stopped&) {
        return false;
    }
    return true;
}

bool TExportDataSet::WalkRecords(std::vector<TBookmark> rows, TExportValues& values, bool textBytes,
                                 const TItemWriter& write)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    const qint64 count = DataSet->RecordCount();
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [count](TBookmark row) { return row < 0 || row >= count; }),
               rows.end());
    const WalkGuard walk(*this, qint64(rows.size()));
    FirstItem();
    return DataSet->ForEachRecordAt(rows, [&](const TRecordTexts& record) {
        RecordValues(record, textBytes, values);
        return write(values);
    });
}

bool TExportDataSet::HasMoreItems()
{
    if (walkItems_ >= 0)
        return Run().NumItemsExported < walkItems_;
    if (Options().testFlag(SelectedRowsOnly))
        return TSharewareExportComponent::HasMoreItems();
    return !DataSet->Eof();
}
