// The result grid as an export source: the grid decides which fields are
// columns, their order, titles and widths, and its selected rows drive
// SelectedRowsOnly.
#pragma once

#include "dbctrls/DBGrid.h"
#include "export/EC_DataSet.h"

class TExportDBGrid : public TExportDataSet
{
    Q_OBJECT
public:
    explicit TExportDBGrid(QObject* owner = nullptr);

    TDBGrid* DBGrid() const { return grid_; }
    void SetDBGrid(TDBGrid* grid);

    int GetFieldCount() override;
    TField* GetField(int index) override;
    QString GetDefaultCaption(int index) override;
    int GetItemCount() override;
    bool IsCurrentItemSelected() override;
    void SkipItem() override;
    void OpenSource() override;
    bool IsFieldExported(TField* field) override;
    int GetDisplayWidth(int index) override;
    bool CanExport() override;
    bool HasMoreItems() override;
    bool ForEachItem(TExportValues& values, bool textBytes, const TItemWriter& write) override;

private:
    TDataSet* GridDataSet() const;

    QPointer<TDBGrid> grid_;
};
