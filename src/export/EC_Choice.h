// The choice dialog: one of the allowed export formats, and whether the
// result is viewed in the desktop's application for it or written to a file.
#pragma once

#include "export/EC_Component.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The output of the type can be opened by the desktop's default application
// for its MIME type (the clipboard always can). A ".dif" that the desktop
// takes for video is no spreadsheet, so it never counts.
bool CanViewType(TExportType type);

class TExportChoiceForm : public QDialog
{
    Q_OBJECT
public:
    explicit TExportChoiceForm(QWidget* owner = nullptr);

    void SetTypeNames(const QStringList& names);

    int ItemTotal = 0;
    bool ViewChoice = true;
    TExportType SelectedType = xMicrosoft_Excel;

    QGroupBox* GroupBox1;
    QLabel* Image1;
    QComboBox* ExportTypeComboBox;
    QRadioButton* ViewRadioButton;
    QRadioButton* FileRadioButton;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ExportTypeChange();
    void OKBtnClick();
    void ReleaseIcon();
};
