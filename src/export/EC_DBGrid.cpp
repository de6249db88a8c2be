#include "export/EC_DBGrid.h"

#include "dbctrls/DBGrid.h"
#include "platform/core/Exceptions.h"

TExportDBGrid::TExportDBGrid(QObject* owner) : TExportSelectedRows(owner)
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

// The record count is the grid's dataset's.
int TExportDBGrid::GetItemCount()
{
    if (!Options().testFlag(SelectedRowsOnly))
        DataSet = GridDataSet();
    return TExportSelectedRows::GetItemCount();
}

void TExportDBGrid::OpenSource()
{
    DataSet = GridDataSet();
    TExportSelectedRows::OpenSource();
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

QList<TField*> TExportDBGrid::ColumnFields() const
{
    QList<TField*> fields;
    for (int i = 0; i < grid_->ColumnCount(); ++i)
        fields << grid_->ColumnField(i);
    return fields;
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
    return CanExportDataSet(*dataSet);
}
