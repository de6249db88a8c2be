// The navigator: first, prior, next and last record of a data source.
#pragma once

#include <QWidget>

class QToolButton;
class TDataSource;

class TDBNavigator : public QWidget
{
    Q_OBJECT
public:
    explicit TDBNavigator(QWidget* parent = nullptr);

    TDataSource* DataSource() const { return source_; }
    void SetDataSource(TDataSource* source);

private:
    QToolButton* AddButton(const QString& name, const QString& toolTip, Qt::ArrowType arrow,
                           bool bar, void (TDBNavigator::*move)());
    void First();
    void Prior();
    void Next();
    void Last();
    void UpdateButtons();

    TDataSource* source_ = nullptr;
    QToolButton* first_;
    QToolButton* prior_;
    QToolButton* next_;
    QToolButton* last_;
};
