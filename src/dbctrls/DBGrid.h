// The data grid: a table view over a data source that keeps its current row
// and the dataset's cursor together.
#pragma once

#include <QTableView>

class TDataSource;
class TResultModel;

class TDBGrid : public QTableView
{
    Q_OBJECT
public:
    explicit TDBGrid(QWidget* parent = nullptr);

    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* source);
    TResultModel* Model() const { return model_; }

private:
    void FollowCursor();
    void FitColumns();

    TDataSource* source_ = nullptr;
    TResultModel* model_ = nullptr;
    bool moving_ = false;
};
