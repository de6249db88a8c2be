#include "dbctrls/DBGrid.h"

#include "dbctrls/ResultModel.h"
#include "engine/DataSet.h"

#include <QHeaderView>

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
    if (source == source_)
        return;
    source_ = source;
    delete model_;
    model_ = new TResultModel(source, this);
    setModel(model_);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        FitColumns();
        FollowCursor();
    });
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
    const QModelIndex index = model_->index(int(dataSet->RecNo() - 1), qMax(0, currentIndex().column()));
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
        int width = metrics.horizontalAdvance(model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
        for (int row = 0; row < rows; ++row)
            width = qMax(width, metrics.horizontalAdvance(model_->index(row, column).data().toString()));
        setColumnWidth(column, qMin(width, metrics.averageCharWidth() * kWidestChars) + 14);
    }
}
