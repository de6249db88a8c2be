// A dataset source whose rows can be selected, as the grid's can and the
// batch export's rows chosen by number: SelectedRowsOnly exports the
// selected rows (none or one: the current record), the columns' fields give
// the display widths, and CanExport wants an active dataset with records and
// columns to show.
#pragma once

#include "export/EC_DataSet.h"

#include <QList>

class TExportSelectedRows : public TExportDataSet
{
    Q_OBJECT
public:
    using TExportDataSet::TExportDataSet;

    int GetItemCount() override;
    bool IsCurrentItemSelected() override;
    void SkipItem() override;
    bool HasMoreItems() override;
    bool ForEachItem(TExportValues& values, bool textBytes, const TItemWriter& write) override;
    int GetDisplayWidth(int index) override;

protected:
    // The selected rows, by bookmark.
    virtual const QList<TBookmark>& SelectedBookmarks() const = 0;
    virtual bool CurrentRowSelected() const = 0;
    // The fields of the columns in their order; a column without a field is null.
    virtual QList<TField*> ColumnFields() const = 0;
    // The checks of CanExport once the source has found its dataset.
    bool CanExportDataSet(const TDataSet& dataSet);
};
