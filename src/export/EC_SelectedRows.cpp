#include "export/EC_SelectedRows.h"

#include "export/EC_Strings.h"
#include "platform/Interaction.h"
#include "platform/core/Exceptions.h"

int TExportSelectedRows::GetItemCount()
{
    if (!Options().testFlag(SelectedRowsOnly))
        return GetTableRecordCount();
    const qsizetype selected = SelectedBookmarks().size();
    return selected > 0 ? int(selected) : 1;
}

bool TExportSelectedRows::IsCurrentItemSelected()
{
    return Run().OpenItemCount == 1 || CurrentRowSelected();
}

void TExportSelectedRows::SkipItem()
{
    TExportDataSet::SkipItem();
    DataSet->Next();
}

// A scan for selected rows that runs off the end (the selection no longer
// matches the records) ends the export there instead of skipping forever.
bool TExportSelectedRows::HasMoreItems()
{
    if (!TExportDataSet::HasMoreItems())
        return false;
    if (Walking())
        return true;
    if (Options().testFlag(SelectedRowsOnly) && Run().OpenItemCount > 1) {
        while (!DataSet->Eof() && !CurrentRowSelected())
            SkipItem();
        return !DataSet->Eof();
    }
    return true;
}

// Several selected rows are read by their bookmarks in one pass.
bool TExportSelectedRows::ForEachItem(TExportValues& values, bool textBytes,
                                      const TItemWriter& write)
{
    if (!Options().testFlag(SelectedRowsOnly) || Run().OpenItemCount <= 1)
        return TExportDataSet::ForEachItem(values, textBytes, write);
    const QList<TBookmark>& rows = SelectedBookmarks();
    return WalkRecords({rows.begin(), rows.end()}, values, textBytes, write);
}

int TExportSelectedRows::GetDisplayWidth(int index)
{
    int count = 0;
    for (TField* field : ColumnFields()) {
        if (field && IsFieldExported(field) && ++count > index)
            return field->DisplayWidth();
    }
    return 0;
}

bool TExportSelectedRows::CanExportDataSet(const TDataSet& dataSet)
{
    if (!dataSet.Active())
        throw Exception(
            QStringLiteral("Assigned DataSet not Active. Please set the Active property to True "
                           "before attempting to Export/Print."));
    if (dataSet.IsEmpty()) {
        Ui().MessageDlg(LoadStr(sNoData), mtWarning, mbOK);
        return false;
    }
    return HasExportableColumns();
}
