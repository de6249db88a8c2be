// The gallery window of GalleryWindow.h.
#include "GalleryWindow.h"

#include "controls/FrFilSys.h"
#include "store/DlgSelectDBPath.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaEnum>
#include <QPushButton>
#include <QVBoxLayout>

TGalleryWindow::TGalleryWindow(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Framed Controls Gallery"));
    FrameController1 = new TFrFrameController(this);
    FrameController1->setObjectName(QStringLiteral("FrameController1"));
    FrameController1->SetFrameVisible(true);
    FrameController1->SetFrameStyle(fsGroove);

    createFileSystemControls();

    auto* volumeColumn = new QVBoxLayout;
    volumeColumn->addWidget(new QLabel(QStringLiteral("Volume:"), this));
    volumeColumn->addWidget(driveCombo);
    volumeColumn->addWidget(dirList, 1);
    auto* treeColumn = new QVBoxLayout;
    treeColumn->addWidget(new QLabel(QStringLiteral("Folder:"), this));
    treeColumn->addWidget(lblDirectory);
    treeColumn->addWidget(dirTree, 1);
    auto* fileColumn = new QVBoxLayout;
    fileColumn->addWidget(new QLabel(QStringLiteral("Files:"), this));
    fileColumn->addWidget(fileList, 1);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addLayout(volumeColumn, 3);
    layout->addLayout(treeColumn, 4);
    layout->addLayout(fileColumn, 3);
    layout->addWidget(createControllerBox());
    resize(890, 420);
}

// Built in this order, each control links the ones placed before it: the
// tree takes the file list, the file list the directory list, and the
// directory list the drive combo box. The tree and the directory list follow
// each other.
void TGalleryWindow::createFileSystemControls()
{
    lblDirectory = new QLabel(this);
    lblDirectory->setObjectName(QStringLiteral("lblDirectory"));
    // The label fits the path to the tree's width; it never widens the window.
    lblDirectory->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    dirTree = new TFrDirectoryTree(this);
    dirTree->setObjectName(QStringLiteral("dirTree"));
    dirTree->SetDirLabel(lblDirectory);
    dirTree->SetReadOnly(false);
    fileList = new TFrFileListBox(this);
    fileList->setObjectName(QStringLiteral("fileList"));
    fileList->SetAllowOpen(true);
    fileList->SetFileType(ftNormal | ftDirectory);
    fileList->setMinimumWidth(160);
    dirList = new TFrDirectoryListBox(this);
    dirList->setObjectName(QStringLiteral("dirList"));
    driveCombo = new TFrDriveComboBox(this);
    driveCombo->setObjectName(QStringLiteral("driveCombo"));
    dirTree->OnChange = [this](QObject*) {
        if (!dirTree->Directory().isEmpty())
            dirList->SetDirectory(dirTree->Directory());
    };
    dirList->OnChange = [this](QObject*) { dirTree->SetDirectory(dirList->Directory()); };
    dirTree->SetFrameController(FrameController1);
    fileList->SetFrameController(FrameController1);
    dirList->SetFrameController(FrameController1);
    driveCombo->SetFrameController(FrameController1);
}

QWidget* TGalleryWindow::createControllerBox()
{
    auto* box = new QGroupBox(QStringLiteral("Frame controller"), this);
    cbStyle = new QComboBox(box);
    const QMetaEnum styles = QMetaEnum::fromType<TFrameStyle>();
    for (int i = 0; i < styles.keyCount(); ++i)
        cbStyle->addItem(QString::fromLatin1(styles.key(i)), styles.value(i));
    cbStyle->setCurrentIndex(cbStyle->findData(int(fsGroove)));
    chkFlat = new QCheckBox(QStringLiteral("Flat (focus look on hover)"), box);
    chkVisible = new QCheckBox(QStringLiteral("Frame visible"), box);
    chkVisible->setChecked(true);
    cbColour = new QComboBox(box);
    cbColour->addItem(QStringLiteral("Window"), clWindow);
    cbColour->addItem(QStringLiteral("Cream"), RGB(255, 248, 220));
    cbColour->addItem(QStringLiteral("Teal"), RGB(0, 128, 128));
    cbColour->addItem(QStringLiteral("Lavender"), RGB(230, 230, 250));

    auto* btnSelect = new QPushButton(QStringLiteral("Select Store Database..."), box);
    lblChosen = new QLabel(QStringLiteral("(no folder chosen)"), box);
    lblChosen->setWordWrap(true);

    auto* form = new QFormLayout(box);
    form->addRow(QStringLiteral("Style:"), cbStyle);
    form->addRow(QStringLiteral("Colour:"), cbColour);
    form->addRow(chkFlat);
    form->addRow(chkVisible);
    form->addRow(btnSelect);
    form->addRow(lblChosen);

    connect(cbStyle, &QComboBox::currentIndexChanged, this, &TGalleryWindow::styleChanged);
    connect(cbColour, &QComboBox::currentIndexChanged, this, &TGalleryWindow::colourChanged);
    connect(chkFlat, &QCheckBox::toggled, this, [this](bool on) {
        FrameController1->SetFrameFlatStyle(TFrameStyle(cbStyle->currentData().toInt()));
        FrameController1->SetFrameFlat(on);
        chkVisible->setChecked(FrameController1->FrameVisible());
    });
    connect(chkVisible, &QCheckBox::toggled, this,
            [this](bool on) { FrameController1->SetFrameVisible(on); });
    connect(btnSelect, &QPushButton::clicked, this,
            [this] { SelectStoreDatabase(dirTree->Directory()); });
    return box;
}

void TGalleryWindow::SetSwitch(const QString& name, const QString& entry)
{
    QComboBox* box = name == QLatin1String("Style") ? cbStyle : cbColour;
    const int index = box->findText(entry);
    if (index >= 0)
        box->setCurrentIndex(index);
}

void TGalleryWindow::styleChanged()
{
    const auto style = TFrameStyle(cbStyle->currentData().toInt());
    if (FrameController1->FrameFlat())
        FrameController1->SetFrameFlatStyle(style);
    FrameController1->SetFrameStyle(style);
}

void TGalleryWindow::colourChanged()
{
    FrameController1->SetColor(cbColour->currentData().toUInt());
}

void TGalleryWindow::SelectStoreDatabase(const QString& startPath)
{
    TDlgSelectDBPath dialog(this);
    dialog.SetStartPath(startPath);
    if (dialog.Execute())
        lblChosen->setText(QStringLiteral("Chosen: ") + dialog.SelectedPath());
    else
        lblChosen->setText(QStringLiteral("(cancelled)"));
}
