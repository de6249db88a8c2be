#include "dbctrls/ResultModel.h"

#include "engine/DataSet.h"

#include <limits>

namespace {

bool IsNumeric(TFieldType type)
{
    switch (type) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftAutoInc:
    case ftLargeint:
        return true;
    default:
        return false;
    }
}

} // namespace

TResultModel::TResultModel(TDataSource* source, QObject* parent)
    : QAbstractTableModel(parent), source_(source)
{
    connect(source, &TDataSource::DataChanged, this, &TResultModel::Reload);
    Reload();
}

TDataSet* TResultModel::DataSet() const
{
    return source_ ? source_->DataSet() : nullptr;
}

void TResultModel::Reload()
{
    beginResetModel();
    fieldIndexes_.clear();
    rows_ = 0;
    if (TDataSet* dataSet = DataSet(); dataSet && dataSet->Active()) {
        for (const QString& name : columnFieldNames_) {
            if (TField* field = dataSet->FindField(name))
                fieldIndexes_ << field->Index();
        }
        for (int i = 0; columnFieldNames_.isEmpty() && i < dataSet->FieldCount(); ++i) {
            if (dataSet->Fields(i)->Visible())
                fieldIndexes_ << i;
        }
        // The view counts rows in an int; larger answers show their first 2^31 - 1 rows.
        rows_ = int(qMin<qint64>(dataSet->RecordCount(), std::numeric_limits<int>::max()));
    }
    endResetModel();
}

void TResultModel::SetColumnFieldNames(const QStringList& names)
{
    columnFieldNames_ = names;
    Reload();
}

TField* TResultModel::ColumnField(int column) const
{
    TDataSet* dataSet = DataSet();
    if (!dataSet || column < 0 || column >= fieldIndexes_.size())
        return nullptr;
    return dataSet->Fields(fieldIndexes_.at(column));
}

int TResultModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int TResultModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(fieldIndexes_.size());
}

QVariant TResultModel::data(const QModelIndex& index, int role) const
{
    TField* field = ColumnField(index.column());
    if (!field || index.row() >= rows_)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return field->DisplayTextOf(
            DataSet()->ValueAt(index.row(), fieldIndexes_.at(index.column())));
    case Qt::ToolTipRole:
        if (field->DataType() == ftMemo || field->DataType() == ftFmtMemo)
            return field->AsStringOf(
                DataSet()->ValueAt(index.row(), fieldIndexes_.at(index.column())));
        return {};
    case Qt::TextAlignmentRole:
        return int((IsNumeric(field->DataType()) ? Qt::AlignRight : Qt::AlignLeft) |
                   Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant TResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        if (role == Qt::DisplayRole)
            return section + 1;
        return {};
    }
    TField* field = ColumnField(section);
    if (!field)
        return {};
    if (role == Qt::DisplayRole)
        return field->DisplayLabel();
    if (role == Qt::TextAlignmentRole)
        return int((IsNumeric(field->DataType()) ? Qt::AlignRight : Qt::AlignLeft) |
                   Qt::AlignVCenter);
    return {};
}
