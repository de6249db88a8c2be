// The last result as an export source without a grid: its visible fields are
// the columns, in field order, titled by their display labels, and rows chosen
// by number drive SelectedRowsOnly as a grid's selected rows do.
#pragma once

#include "export/EC_SelectedRows.h"

#include <QList>

class TResultExport : public TExportSelectedRows
{
    Q_OBJECT
public:
    explicit TResultExport(TDataSet* result, QObject* owner = nullptr);

    // Rows numbered from 0; the first becomes the current record.
    void SelectRows(const QList<int>& rows);

    int GetFieldCount() override;
    TField* GetField(int index) override;
    QString GetDefaultCaption(int index) override;
    bool CanExport() override;

protected:
    const QList<TBookmark>& SelectedBookmarks() const override { return selected_; }
    bool CurrentRowSelected() const override;
    QList<TField*> ColumnFields() const override { return VisibleFields(); }

private:
    QList<TField*> VisibleFields() const;

    QList<TBookmark> selected_; // sorted
};
