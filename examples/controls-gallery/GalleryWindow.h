// The gallery's window: the whole framed file-system control set linked
// together (a drive combo box, a directory list, the directory tree and a
// file list, with a folder label), a frame controller with a few switches
// that restyles all of them at once, and the "Select Store Database" dialog
// on a button.
#pragma once

#include <QWidget>

class QComboBox;
class QCheckBox;
class QLabel;
class TFrDirectoryListBox;
class TFrDirectoryTree;
class TFrDriveComboBox;
class TFrFileListBox;
class TFrFrameController;

class TGalleryWindow : public QWidget
{
    Q_OBJECT
public:
    explicit TGalleryWindow(QWidget* parent = nullptr);

    TFrDirectoryTree* Tree() const { return dirTree; }
    // Chooses an entry of the "Style" or "Colour" switch by its text.
    void SetSwitch(const QString& name, const QString& entry);
    // Opens the dialog at a folder and shows the folder it returns.
    void SelectStoreDatabase(const QString& startPath);

private:
    QWidget* createControllerBox();
    void createFileSystemControls();
    void styleChanged();
    void colourChanged();

    TFrFrameController* FrameController1;
    TFrDirectoryTree* dirTree;
    TFrFileListBox* fileList;
    TFrDirectoryListBox* dirList;
    TFrDriveComboBox* driveCombo;
    QLabel* lblDirectory;
    QComboBox* cbStyle;
    QCheckBox* chkFlat;
    QCheckBox* chkVisible;
    QComboBox* cbColour;
    QLabel* lblChosen;
};
