// The last result as an export source without a grid: its visible fields are
// the columns, in field order, titled by their display labels, and rows chosen
// by number drive SelectedRowsOnly as a grid's selected rows do.
#pragma once

#include "export/EC_DataSet.h"

#include <QList>

class TResultExport : public TExportDataSet
{
    Q_OBJECT
public:
    explicit TResultExport(TDataSet* result, QObject* owner = nullptr);

    // Rows numbered from 0; the first becomes the current record.
    void SelectRows(const QList<int>& rows);

    int GetFieldCount() override;
    TField* GetField(int index) override;
    QString GetDefaultCaption(int index) override;
    int GetItemCount() override;
    bool IsCurrentItemSelected() override;
    void SkipItem() override;
    int GetDisplayWidth(int index) override;
    bool CanExport() override;
    bool HasMoreItems() override;
    bool ForEachItem(TExportValues& values, bool textBytes, const TItemWriter& write) override;

private:
    QList<TField*> VisibleFields() const;

    QList<TBookmark> selected_; // sorted
};
