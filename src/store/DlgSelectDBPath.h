// "Select Store Database": a framed directory tree in which the user picks
// the store database's folder; "&Select" is enabled only while the selected
// folder qualifies.
#pragma once

#include "store/SelectDBPath.h"

#include <QDialog>

class QPushButton;
class TFrDirectoryTree;

class TDlgSelectDBPath : public QDialog, public TSelectDBPathDialog
{
    Q_OBJECT
public:
    explicit TDlgSelectDBPath(QWidget* parent = nullptr);

    // The folder to start at; the tree opens and selects it.
    void SetStartPath(const QString& path) override;
    void SetValidFileName(const QString& fileName) override { validFileName_ = fileName; }
    bool Execute() override;
    // The chosen folder, with its trailing separator.
    QString SelectedPath() const override { return selectedPath_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void dirTreeChange();
    void dirTreeDblClick();
    void btnOKClick();

    TFrDirectoryTree* dirTree;
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QString selectedPath_;
    QString validFileName_;
};
