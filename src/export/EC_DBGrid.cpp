#include "export/EC_DBGrid.h"

#include "dbctrls/DBGrid.h"
#include "export/EC_Strings.h"
#include "platform/Interaction.h"
#include "platform/core/Exceptions.h"


TExportDBGrid::TExportDBGrid(QObject* owner) : TExportDataSet(owner)
{
    if (owner)
        grid_ = owner->findChild<TDBGrid*>();
}

void TExportDBGrid::SetDBGrid(TDBGrid* grid)
{
    grid_ = grid;
}

TDataSet* TExportDBGrid::GridDataSet() const
{
    return grid_ && grid_->DataSource() ? grid_->DataSource()->DataSet() : nullptr;
}

int TExportDBGrid::GetFieldCount()
{
    return grid_->FieldCount();
}

TField* TExportDBGrid::GetField(int index)
{
    return grid_->Fields(index);
}

QString TExportDBGrid::GetDefaultCaption(int index)
{
    return grid_->ColumnTitle(index);
}

int TExportDBGrid::GetItemCount()
{
    if (!Options().testFlag(SelectedRowsOnly)) {
        DataSet = GridDataSet();
        return GetTableRecordCount();
    }
    const qsizetype selected = grid_->SelectedRows().size();
    return selected > 0 ? int(selected) : 1;
}

bool TExportDBGrid::IsCurrentItemSelected()
{
    return Run().OpenItemCount == 1 || grid_->CurrentRowSelected();
}

void TExportDBGrid::SkipItem()
{
    TExportDataSet::SkipItem();
    DataSet->Next();
}

void TExportDBGrid::OpenSource()
{
    DataSet = GridDataSet();
    TExportDataSet::OpenSource();
}

// A scan for selected rows that runs off the end (the selection no longer
// matches the records) ends the export there instead of skipping forever.
bool TExportDBGrid::HasMoreItems()
{
    if (!TExportDataSet::HasMoreItems())
        return false;
    if (Walking())
        return true;
    if (Options().testFlag(SelectedRowsOnly) && Run().OpenItemCount > 1) {
        while (!DataSet->Eof() && !grid_->CurrentRowSelected())
            SkipItem();
        return !DataSet->Eof();
    }
    return true;
}

// Several selected rows are read by their bookmarks in one pass.
bool TExportDBGrid::ForEachItem(TExportValues& values, bool textBytes, const TItemWriter& write)
{
    if (!Options().testFlag(SelectedRowsOnly) || Run().OpenItemCount <= 1)
        return TExportDataSet::ForEachItem(values, textBytes, write);
    return WalkRecords({grid_->SelectedRows().begin(), grid_->SelectedRows().end()}, values,
                       textBytes, write);
}

bool TExportDBGrid::IsFieldExported(TField* field)
{
    if (!IsExportableType(field->DataType()))
        return false;
    if (Options().testFlag(ExportInvisibleCols))
        return true;
    if (!field->Visible())
        return false;
    for (int i = 0; i < grid_->ColumnCount(); ++i) {
        if (grid_->ColumnField(i) == field && !grid_->ColumnVisible(i))
            return false;
    }
    return true;
}

int TExportDBGrid::GetDisplayWidth(int index)
{
    int count = 0;
    for (int i = 0; i < grid_->ColumnCount(); ++i) {
        TField* field = grid_->ColumnField(i);
        if (field && IsFieldExported(field) && ++count > index)
            return field->DisplayWidth();
    }
    return 0;
}

bool TExportDBGrid::CanExport()
{
    if (!grid_)
        throw Exception(QStringLiteral("You must assign a %1 before attempting to Export/Print.")
                            .arg(QStringLiteral("TDBGrid")));
    TDataSource* source = grid_->DataSource();
    if (!source)
        throw Exception(QStringLiteral("%1 has no assigned DataSource").arg(grid_->objectName()));
    TDataSet* dataSet = source->DataSet();
    if (!dataSet)
        throw Exception(QStringLiteral("%1 has no assigned DataSet").arg(source->objectName()));
    if (!dataSet->Active())
        throw Exception(
            QStringLiteral("Assigned DataSet not Active. Please set the Active property to True "
                           "before attempting to Export/Print."));
    if (dataSet->IsEmpty()) {
        Ui().MessageDlg(LoadStr(sNoData), mtWarning, mbOK);
        return false;
    }
    return HasExportableColumns();
}
