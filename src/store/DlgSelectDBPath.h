// "Select Store Database": a framed directory tree in which the user picks
// the store database's folder; "&Select" is enabled only while the folder
// the tree shows selected qualifies. As the desktop's file chooser, it heads
// the tree with the home folder, shows hidden folders on Ctrl+H, shows the
// selected folder's whole path under the tree, and takes a typed or pasted
// path on Ctrl+L (or on "/" or "~" typed in the tree).
#pragma once

#include "store/SelectDBPath.h"

#include <QDialog>
#include <QTimer>
#include <memory>

class QLineEdit;
class QPushButton;
class TFrDirectoryTree;
class TVolumeWork;

class TDlgSelectDBPath : public QDialog, public TSelectDBPathDialog
{
    Q_OBJECT
public:
    explicit TDlgSelectDBPath(QWidget* parent = nullptr);
    ~TDlgSelectDBPath() override;

    // The folder to start at; the tree opens and selects it (a hidden one
    // too: the tree then shows hidden folders).
    void SetStartPath(const QString& path) override;
    void SetValidFileName(const QString& fileName) override { validFileName_ = fileName; }
    bool Execute() override;
    // The chosen folder, with its trailing separator.
    QString SelectedPath() const override { return selectedPath_; }

    // Shows the path field with the given text, focused, ready to type on.
    void ShowPathField(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The folder the tree shows selected; empty when it shows none.
    QString ShownDirectory() const;
    bool Qualifies(const QString& path) const;
    // Select follows the late answer of a slow volume while the folder stays shown.
    void TakeLateAnswer();
    void dirTreeChange();
    void dirTreeDblClick();
    void btnOKClick();
    void OpenTypedPath();
    void HidePathField();

    TFrDirectoryTree* dirTree;
    QLineEdit* editPath;    // the typed path, shown on demand
    QLineEdit* lblSelected; // the selected folder's whole path, to read and copy
    QPushButton* btnOK;
    QPushButton* btnCancel;
    QString selectedPath_;
    QString validFileName_;
    // The question whether the shown folder may hold the store, while its
    // volume has not answered it; the folder it was asked for.
    std::shared_ptr<TVolumeWork> pendingCheck_;
    QString pendingPath_;
    QString qualifiedPath_; // the last folder a late answer let through
    QTimer lateAnswers_;
};
