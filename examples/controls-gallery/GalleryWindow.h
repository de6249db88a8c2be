// The gallery's window: a framed directory tree with its folder label, a
// frame controller with a few switches that restyle the tree, and the
// "Select Store Database" dialog on a button.
#pragma once

#include <QWidget>

class QComboBox;
class QCheckBox;
class QLabel;
class TFrDirectoryTree;
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
    void styleChanged();
    void colourChanged();

    TFrFrameController* FrameController1;
    TFrDirectoryTree* dirTree;
    QLabel* lblDirectory;
    QComboBox* cbStyle;
    QCheckBox* chkFlat;
    QCheckBox* chkVisible;
    QComboBox* cbColour;
    QLabel* lblChosen;
};
