#include "app/DBGrid.h"

#include "app/ResultModel.h"
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

// Columns as wide as their fields' display widths (in average characters),
// within sensible bounds, and never narrower than their titles.
void TDBGrid::FitColumns()
{
    const QFontMetrics metrics = fontMetrics();
    for (int column = 0; column < model_->columnCount(); ++column) {
        const TField* field = model_->ColumnField(column);
        const int text = metrics.averageCharWidth() * qBound(4, field->DisplayWidth(), 40);
        const int title = metrics.horizontalAdvance(field->DisplayLabel());
        setColumnWidth(column, qMax(text, title) + 16);
    }
}
