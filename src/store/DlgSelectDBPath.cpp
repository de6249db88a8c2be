// The folder dialog behind DlgSelectDBPath.h.
#include "store/DlgSelectDBPath.h"

#include "controls/FrFilSys.h"
#include "store/TessalyDB.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

TDlgSelectDBPath::TDlgSelectDBPath(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("DlgSelectDBPath"));
    setWindowTitle(QStringLiteral("Select Store Database"));
    resize(341, 305);

    dirTree = new TFrDirectoryTree(this);
    dirTree->setObjectName(QStringLiteral("dirTree"));
    dirTree->SetDriveTypes(dtUnknown | dtFixed | dtNetwork | dtRAM);
    // As a form file sets them: the flat frame keeps the style given here
    // until the mouse or the focus first changes it.
    dirTree->SetLoading(true);
    dirTree->SetFrameFlat(true);
    dirTree->SetFrameFlatStyle(fsGroove);
    dirTree->SetFrameStyle(fsStatus);
    dirTree->SetFrameVisible(true);
    dirTree->SetLoading(false);
    dirTree->SetHideSelection(false);
    dirTree->setIndentation(19);
    dirTree->SetSelectionPen(QPen(ToQColor(clBtnShadow)));
    dirTree->SetRightClickSelect(true);
    dirTree->OnChange = [this](QObject*) { dirTreeChange(); };
    dirTree->OnClick = [this](QObject*) { dirTreeChange(); };
    dirTree->OnDblClick = [this](QObject*) { dirTreeDblClick(); };

    btnOK = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                            QStringLiteral("&Select"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnOK->setEnabled(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    btnCancel = buttons->button(QDialogButtonBox::Cancel);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFixedHeight(34);
    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(0, 6, 0, 0);
    panelLayout->addStretch();
    panelLayout->addWidget(btnOK);
    panelLayout->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(0);
    layout->addWidget(dirTree);
    layout->addWidget(panel);

    connect(btnOK, &QPushButton::clicked, this, &TDlgSelectDBPath::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TDlgSelectDBPath::SetStartPath(const QString& path)
{
    selectedPath_ = path;
    dirTree->SetDirectory(path);
}

bool TDlgSelectDBPath::Execute()
{
    return exec() == QDialog::Accepted;
}

void TDlgSelectDBPath::showEvent(QShowEvent* event)
{
    dirTree->SetDirectory(selectedPath_);
    btnOK->setEnabled(IsValidStorePath(selectedPath_, validFileName_));
    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
    btnCancel->setFocus();
}

void TDlgSelectDBPath::dirTreeChange()
{
    btnOK->setEnabled(IsValidStorePath(dirTree->Directory(), validFileName_));
}

void TDlgSelectDBPath::dirTreeDblClick()
{
    if (IsValidStorePath(dirTree->Directory(), validFileName_))
        btnOK->click();
}

void TDlgSelectDBPath::btnOKClick()
{
    selectedPath_ = IncludeSlash(dirTree->Directory());
    accept();
}
