// The result grid as an export source: the grid decides which fields are
// columns, their order, titles and widths, and its selected rows drive
// SelectedRowsOnly.
#pragma once

#include "dbctrls/DBGrid.h"
#include "export/EC_SelectedRows.h"

class TExportDBGrid : public TExportSelectedRows
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
    void OpenSource() override;
    bool IsFieldExported(TField* field) override;
    bool CanExport() override;

protected:
    const QList<TBookmark>& SelectedBookmarks() const override { return grid_->SelectedRows(); }
    bool CurrentRowSelected() const override { return grid_->CurrentRowSelected(); }
    QList<TField*> ColumnFields() const override;

private:
    TDataSet* GridDataSet() const;

    QPointer<TDBGrid> grid_;
};
