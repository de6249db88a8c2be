#include "app/ResultExport.h"

#include "export/EC_Strings.h"
#include "platform/Interaction.h"
#include "platform/core/Exceptions.h"

#include <algorithm>

TResultExport::TResultExport(TDataSet* result, QObject* owner) : TExportDataSet(owner)
{
    DataSet = result;
}

QList<TField*> TResultExport::VisibleFields() const
{
    QList<TField*> fields;
    for (int i = 0; i < DataSet->FieldCount(); ++i) {
        if (DataSet->Fields(i)->Visible())
            fields << DataSet->Fields(i);
    }
    return fields;
}

void TResultExport::SelectRows(const QList<int>& rows)
{
    if (rows.isEmpty())
        return;
    selected_.clear();
    for (int row : rows)
        selected_ << TBookmark(row);
    std::sort(selected_.begin(), selected_.end());
    DataSet->SetRecNo(rows.first() + 1);
}

int TResultExport::GetFieldCount()
{
    return int(VisibleFields().size());
}

TField* TResultExport::GetField(int index)
{
    const QList<TField*> fields = VisibleFields();
    return index >= 0 && index < fields.size() ? fields.at(index) : nullptr;
}

QString TResultExport::GetDefaultCaption(int index)
{
    const TField* field = GetField(index);
    return field ? field->DisplayLabel() : QString();
}

int TResultExport::GetItemCount()
{
    if (!Options().testFlag(SelectedRowsOnly))
        return GetTableRecordCount();
    return selected_.isEmpty() ? 1 : int(selected_.size());
}

bool TResultExport::IsCurrentItemSelected()
{
    return Run().OpenItemCount == 1 ||
           std::binary_search(selected_.begin(), selected_.end(), DataSet->GetBookmark());
}

void TResultExport::SkipItem()
{
    TExportDataSet::SkipItem();
    DataSet->Next();
}

// A scan for selected rows that runs off the end ends the export there
// instead of skipping forever.
bool TResultExport::HasMoreItems()
{
    if (!TExportDataSet::HasMoreItems())
        return false;
    if (Walking())
        return true;
    if (Options().testFlag(SelectedRowsOnly) && Run().OpenItemCount > 1) {
        while (!DataSet->Eof() && !IsCurrentItemSelected())
            SkipItem();
        return !DataSet->Eof();
    }
    return true;
}

// Several chosen rows are read by their numbers in one pass.
bool TResultExport::ForEachItem(TExportValues& values, bool textBytes, const TItemWriter& write)
{
    if (!Options().testFlag(SelectedRowsOnly) || Run().OpenItemCount <= 1)
        return TExportDataSet::ForEachItem(values, textBytes, write);
    return WalkRecords({selected_.begin(), selected_.end()}, values, textBytes, write);
}

int TResultExport::GetDisplayWidth(int index)
{
    int count = 0;
    for (TField* field : VisibleFields()) {
        if (IsFieldExported(field) && ++count > index)
            return field->DisplayWidth();
    }
    return 0;
}

bool TResultExport::CanExport()
{
    if (!DataSet)
        throw Exception(QStringLiteral("There is no result to export."));
    if (!DataSet->Active())
        throw Exception(
            QStringLiteral("Assigned DataSet not Active. Please set the Active property to True "
                           "before attempting to Export/Print."));
    if (DataSet->IsEmpty()) {
        Ui().MessageDlg(LoadStr(sNoData), mtWarning, mbOK);
        return false;
    }
    return HasExportableColumns();
}
