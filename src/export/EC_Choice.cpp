#include "export/EC_Choice.h"

#include "export/EC_Strings.h"
#include "platform/DesktopApps.h"

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

bool CanViewType(TExportType type)
{
    const QString ext = ExportTypeExt(type);
    if (ext.isEmpty())
        return true;
    const QString mime = MimeTypeOfExtension(ext);
    if (type == xDIF && mime.startsWith(QStringLiteral("video/"), Qt::CaseInsensitive))
        return false;
    return HasDefaultApplication(mime);
}

TExportChoiceForm::TExportChoiceForm(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("ExportChoiceForm"));
    setFixedSize(400, 125);
    GroupBox1 = new QGroupBox(LoadStr(sChooseFormat) + QLatin1Char(' '), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 8, 297, 105);
    Image1 = new QLabel(GroupBox1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(247, 58, 32, 32);
    ExportTypeComboBox = new QComboBox(GroupBox1);
    ExportTypeComboBox->setObjectName(QStringLiteral("ExportTypeComboBox"));
    ExportTypeComboBox->setGeometry(16, 24, 265, 21);
    ExportTypeComboBox->setMaxVisibleItems(10);
    ViewRadioButton = new QRadioButton(LoadStr(sViewOnScreen), GroupBox1);
    ViewRadioButton->setObjectName(QStringLiteral("ViewRadioButton"));
    ViewRadioButton->setGeometry(16, 56, 227, 17);
    ViewRadioButton->setChecked(true);
    FileRadioButton = new QRadioButton(LoadStr(sExportToFile), GroupBox1);
    FileRadioButton->setObjectName(QStringLiteral("FileRadioButton"));
    FileRadioButton->setGeometry(16, 76, 227, 17);
    OKBtn = new QPushButton(LoadStr(sOkButton), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(316, 15, 75, 25);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(LoadStr(sCancelButton), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(316, 45, 75, 25);

    connect(ExportTypeComboBox, &QComboBox::currentIndexChanged, this,
            &TExportChoiceForm::ExportTypeChange);
    connect(ViewRadioButton, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            ViewChoice = true;
    });
    connect(FileRadioButton, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            ViewChoice = false;
    });
    connect(OKBtn, &QPushButton::clicked, this, &TExportChoiceForm::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    ExportTypeComboBox->setFocus();
}

void TExportChoiceForm::SetTypeNames(const QStringList& names)
{
    const QSignalBlocker blocker(ExportTypeComboBox);
    ExportTypeComboBox->clear();
    ExportTypeComboBox->addItems(names);
}

void TExportChoiceForm::showEvent(QShowEvent* event)
{
    setWindowTitle(
        ItemTotal <= 0
            ? LoadStr(sExportItems)
            : LoadStr(sExportNItems).replace(QStringLiteral("%d"), QString::number(ItemTotal)));
    const int found = ExportTypeComboBox->findText(ExportTypeName(SelectedType), Qt::MatchExactly);
    {
        const QSignalBlocker blocker(ExportTypeComboBox);
        ExportTypeComboBox->setCurrentIndex(found >= 0 ? found : 0);
    }
    ExportTypeChange();
    QDialog::showEvent(event);
}

// The clipboard's picture where the desktop's icon theme has none.
static QIcon ClipboardGlyph()
{
    Q_INIT_RESOURCE(EC_Glyphs);
    return QIcon(QStringLiteral(":/EXPORT_CLIPBOARD"));
}

void TExportChoiceForm::ExportTypeChange()
{
    const TExportType type = ExportTypeFromName(ExportTypeComboBox->currentText());
    FileRadioButton->setEnabled(type != xClipboard);
    ViewRadioButton->setEnabled(FileRadioButton->isEnabled() && CanViewType(type));
    ReleaseIcon();
    if (ViewRadioButton->isEnabled() || type == xClipboard) {
        ViewRadioButton->setChecked(true);
        QString iconName;
        if (type == xClipboard)
            iconName = QStringLiteral("edit-paste");
        else
            HasDefaultApplication(MimeTypeOfExtension(ExportTypeExt(type)), &iconName);
        QIcon icon = QFile::exists(iconName) ? QIcon(iconName) : QIcon::fromTheme(iconName);
        if (icon.isNull() && type == xClipboard)
            icon = ClipboardGlyph();
        if (!icon.isNull())
            Image1->setPixmap(icon.pixmap(32, 32));
    } else {
        FileRadioButton->setChecked(true);
    }
}

void TExportChoiceForm::OKBtnClick()
{
    SelectedType = ExportTypeFromName(ExportTypeComboBox->currentText());
    accept();
}

void TExportChoiceForm::ReleaseIcon()
{
    Image1->clear();
}
