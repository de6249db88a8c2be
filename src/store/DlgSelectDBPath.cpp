// The folder dialog behind DlgSelectDBPath.h.
#include "store/DlgSelectDBPath.h"

#include "platform/core/SystemInfo.h"
#include "store/TessalyDB.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

TDlgSelectDBPath::TDlgSelectDBPath(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("DlgSelectDBPath"));
    setWindowTitle(QStringLiteral("Select Store Database"));
    resize(341, 305);

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath(QDir::rootPath());

    dirTree = new QTreeView(this);
    dirTree->setObjectName(QStringLiteral("dirTree"));
    dirTree->setModel(model_);
    dirTree->setIndentation(19);
    dirTree->setHeaderHidden(true);
    for (int column = 1; column < model_->columnCount(); ++column)
        dirTree->hideColumn(column);
    dirTree->setFrameShape(QFrame::StyledPanel);
    dirTree->setFrameShadow(QFrame::Sunken);

    btnOK = new QPushButton(QStringLiteral("&Select"), this);
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
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addStretch();
    panelLayout->addWidget(btnOK);
    panelLayout->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(dirTree);
    layout->addWidget(panel);

    connect(dirTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TDlgSelectDBPath::UpdateSelectButton);
    connect(dirTree, &QTreeView::clicked, this, &TDlgSelectDBPath::UpdateSelectButton);
    connect(dirTree, &QTreeView::doubleClicked, this, &TDlgSelectDBPath::dirTreeDblClick);
    connect(btnOK, &QPushButton::clicked, this, &TDlgSelectDBPath::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    btnCancel->setFocus();
}

void TDlgSelectDBPath::SetStartPath(const QString& path)
{
    selectedPath_ = path;
    SetDirectory(path);
}

bool TDlgSelectDBPath::Execute()
{
    return exec() == QDialog::Accepted;
}

QString TDlgSelectDBPath::Directory() const
{
    const QModelIndex current = dirTree->currentIndex();
    return current.isValid() ? model_->filePath(current) : QString();
}

// A path that names no folder leaves the tree without a selection.
void TDlgSelectDBPath::SetDirectory(const QString& path)
{
    const QString native = NativePath(path);
    const QModelIndex index = native.trimmed().isEmpty() || !QFileInfo(native).isDir()
                                  ? QModelIndex()
                                  : model_->index(native);
    dirTree->setCurrentIndex(index);
    if (index.isValid()) {
        dirTree->expand(index);
        dirTree->scrollTo(index);
    }
    UpdateSelectButton();
}

void TDlgSelectDBPath::showEvent(QShowEvent* event)
{
    SetDirectory(selectedPath_);
    btnOK->setEnabled(IsValidStorePath(selectedPath_, validFileName_));
    btnCancel->setFocus();
    QDialog::showEvent(event);
}

void TDlgSelectDBPath::UpdateSelectButton()
{
    btnOK->setEnabled(IsValidStorePath(Directory(), validFileName_));
}

void TDlgSelectDBPath::dirTreeDblClick()
{
    if (IsValidStorePath(Directory(), validFileName_))
        btnOK->click();
}

void TDlgSelectDBPath::btnOKClick()
{
    selectedPath_ = IncludeSlash(Directory());
    accept();
}
