#include "dbctrls/DBGrid.h"

#include "dbctrls/ResultModel.h"
#include "engine/DataSet.h"
#include "platform/core/StoreChange.h"

#include <QHeaderView>
#include <algorithm>
#include <utility>

TDBGrid::TDBGrid(QWidget* parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAlternatingRowColors(true);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Fixed row heights: the view never measures rows it does not show.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setHighlightSections(false);
}

void TDBGrid::SetDataSource(TDataSource* source)
{
    if (!StoreChange(source_, source))
        return;
    delete model_;
    model_ = new TResultModel(source, this);
    setModel(model_);
    // Following the cursor selects the current row, so the selection is
    // taken before the reload and put back after it.
    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        kept_ = selected_;
        keptOfRows_ = selectedOfRows_;
    });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        FitColumns();
        FollowCursor();
        RestoreSelection();
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TDBGrid::SyncSelection);
    connect(source, &TDataSource::CurrentChanged, this, &TDBGrid::FollowCursor);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                TDataSet* dataSet = model_->DataSet();
                if (moving_ || !current.isValid() || !dataSet || !dataSet->Active())
                    return;
                moving_ = true;
                dataSet->SetRecNo(current.row() + 1);
                moving_ = false;
            });
    FitColumns();
}

// The grid's current row follows the dataset's cursor (the navigator moves it).
void TDBGrid::FollowCursor()
{
    TDataSet* dataSet = model_ ? model_->DataSet() : nullptr;
    if (moving_ || !dataSet || !dataSet->Active() || dataSet->RecNo() < 1)
        return;
    moving_ = true;
    const QModelIndex index =
        model_->index(int(dataSet->RecNo() - 1), qMax(0, currentIndex().column()));
    setCurrentIndex(index);
    scrollTo(index);
    moving_ = false;
}

// Columns as wide as the texts of the first rows need, never narrower than
// their titles, and no wider than a third of a wide screen line, so a long
// text column does not push the others out of sight.
void TDBGrid::FitColumns()
{
    constexpr int kSampleRows = 50;
    constexpr int kWidestChars = 30;
    const QFontMetrics metrics = fontMetrics();
    const int rows = qMin(model_->rowCount(), kSampleRows);
    for (int column = 0; column < model_->columnCount(); ++column) {
        int width = metrics.horizontalAdvance(
            model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
        for (int row = 0; row < rows; ++row)
            width = qMax(width,
                         metrics.horizontalAdvance(model_->index(row, column).data().toString()));
        setColumnWidth(column, qMin(width, metrics.averageCharWidth() * kWidestChars) + 14);
    }
}

void TDBGrid::SetColumns(const QList<TDBGridColumn>& columns)
{
    columns_ = columns;
    QStringList names;
    for (const TDBGridColumn& column : columns)
        names << column.FieldName;
    if (model_)
        model_->SetColumnFieldNames(names);
    for (int i = 0; i < columns.size(); ++i)
        setColumnHidden(i, !columns.at(i).Visible);
}

int TDBGrid::ColumnCount() const
{
    return model_ ? model_->columnCount() : 0;
}

TField* TDBGrid::ColumnField(int index) const
{
    return model_ ? model_->ColumnField(index) : nullptr;
}

QString TDBGrid::ColumnTitle(int index) const
{
    if (index < columns_.size() && !columns_.at(index).Title.isEmpty())
        return columns_.at(index).Title;
    TField* field = ColumnField(index);
    return field ? field->DisplayLabel() : QString();
}

bool TDBGrid::ColumnVisible(int index) const
{
    return index >= columns_.size() || columns_.at(index).Visible;
}

bool TDBGrid::CurrentRowSelected() const
{
    TDataSet* dataSet = model_ ? model_->DataSet() : nullptr;
    return dataSet &&
           std::binary_search(selected_.begin(), selected_.end(), dataSet->GetBookmark());
}

void TDBGrid::SelectRows(const QList<int>& rows)
{
    if (!model_ || rows.isEmpty())
        return;
    setCurrentIndex(model_->index(rows.first(), qMax(0, currentIndex().column())));
    QItemSelection selection;
    for (int row : rows)
        selection.select(model_->index(row, 0),
                         model_->index(row, qMax(0, model_->columnCount() - 1)));
    selectionModel()->select(selection,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// A row's bookmark is its record number less one.
void TDBGrid::SyncSelection()
{
    if (!model_ || model_->rowCount() == 0)
        return;
    selected_.clear();
    for (const QModelIndex& index : selectionModel()->selectedRows())
        selected_ << TBookmark(index.row());
    std::sort(selected_.begin(), selected_.end());
    selectedOfRows_ = model_->rowCount();
}

// A reload of the same number of records (the dataset coming back from an
// export, say) keeps the selection; other answers start without one.
void TDBGrid::RestoreSelection()
{
    const QList<TBookmark> keep = std::exchange(kept_, {});
    if (keep.isEmpty() || model_->rowCount() != keptOfRows_)
        return;
    QItemSelection selection;
    const int last = qMax(0, model_->columnCount() - 1);
    for (TBookmark row : keep)
        selection.select(model_->index(int(row), 0), model_->index(int(row), last));
    selectionModel()->select(selection,
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}
