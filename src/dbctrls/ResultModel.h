// The result grid's model: the visible fields of the data source's dataset as
// columns, its records as rows. It asks the dataset for the rows on screen
// only, so a result of a million rows shows at once and scrolls without being
// loaded.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>

class TDataSet;
class TDataSource;
class TField;

class TResultModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TResultModel(TDataSource* source, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The field shown in a column.
    TField* ColumnField(int column) const;
    TDataSet* DataSet() const;

    // Re-reads the dataset's shape (after it opened, closed or was refilled).
    void Reload();

    // The fields shown, by name, one column each; empty: every visible field.
    void SetColumnFieldNames(const QStringList& names);

private:
    QPointer<TDataSource> source_;
    QStringList columnFieldNames_;
    QList<int> fieldIndexes_; // the field of each column, in order
    int rows_ = 0;
};
