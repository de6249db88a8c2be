// "Select Store Database": a folder tree in which the user picks the store
// database's folder; "&Select" is enabled only while the selected folder
// qualifies.
#pragma once

#include "store/SelectDBPath.h"

#include <QDialog>

class QFileSystemModel;
class QPushButton;
class QTreeView;

class TDlgSelectDBPath : public QDialog, public TSelectDBPathDialog
{
    Q_OBJECT
public:
    explicit TDlgSelectDBPath(QWidget* parent = nullptr);

    // Opens and selects the folder in the tree.
    void SetStartPath(const QString& path) override;
    void SetValidFileName(const QString& fileName) override { validFileName_ = fileName; }
    bool Execute() override;
    QString SelectedPath() const override { return selectedPath_; }

    // The folder selected in the tree, without a trailing separator ("/" for the root).
    QString Directory() const;
    void SetDirectory(const QString& path);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void UpdateSelectButton();
    void dirTreeDblClick();
    void btnOKClick();

    QFileSystemModel* model_;
    QTreeView* dirTree;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QString selectedPath_;
    QString validFileName_;
};
