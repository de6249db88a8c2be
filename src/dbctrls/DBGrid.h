// The data grid: a table view over a data source that keeps its current row
// and the dataset's cursor together. Its columns show fields under a title,
// visible or hidden; its selected rows are kept as bookmarks (Ctrl-click,
// Shift-click, Ctrl-A), so they outlive a reload of the same records.
#pragma once

#include "engine/DataSet.h"

#include <QTableView>

class TDataSource;
class TField;
class TResultModel;

// A column set up in code; without any, the grid shows one column per visible field.
struct TDBGridColumn
{
    QString FieldName;
    QString Title; // empty: the field's display label
    bool Visible = true;
};

class TDBGrid : public QTableView
{
    Q_OBJECT
public:
    explicit TDBGrid(QWidget* parent = nullptr);

    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* source);
    TResultModel* Model() const { return model_; }

    void SetColumns(const QList<TDBGridColumn>& columns);
    int ColumnCount() const;
    // The field of a column; null when the column names no field of the dataset.
    TField* ColumnField(int index) const;
    QString ColumnTitle(int index) const;
    bool ColumnVisible(int index) const;
    // The fields of the columns, in column order, as the export walks them.
    int FieldCount() const { return ColumnCount(); }
    TField* Fields(int index) const { return ColumnField(index); }

    // The selected rows as bookmarks, in record order.
    const QList<TBookmark>& SelectedRows() const { return selected_; }
    bool CurrentRowSelected() const;
    // Selects rows (0-based) as clicks would; the first becomes the current row.
    void SelectRows(const QList<int>& rows);

private:
    void SyncSelection();
    void RestoreSelection();

    void FollowCursor();
    void FitColumns();

    TDataSource* source_ = nullptr;
    TResultModel* model_ = nullptr;
    bool moving_ = false;
    QList<TDBGridColumn> columns_;
    QList<TBookmark> selected_;
    qint64 selectedOfRows_ = -1; // the row count the selection was made on
    QList<TBookmark> kept_;      // the selection over a reload
    qint64 keptOfRows_ = -1;
};
