// The folder dialog behind DlgSelectDBPath.h.
#include "store/DlgSelectDBPath.h"

#include "controls/FrFilSys.h"
#include "store/TessalyDB.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// A folder inside a hidden (dot) folder, such as ~/.local/share/db.
bool InHiddenFolder(const QString& path)
{
    return QDir::cleanPath(path).contains("/.");
}

} // namespace

TDlgSelectDBPath::TDlgSelectDBPath(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("DlgSelectDBPath"));
    setWindowTitle(QStringLiteral("Select Store Database"));
    resize(341, 305);

    editPath = new QLineEdit(this);
    editPath->setObjectName(QStringLiteral("editPath"));
    editPath->setPlaceholderText(QStringLiteral("Type a folder, then Enter"));
    editPath->setClearButtonEnabled(true);
    editPath->hide();
    editPath->installEventFilter(this);

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
    lateAnswers_.setInterval(50);
    connect(&lateAnswers_, &QTimer::timeout, this, &TDlgSelectDBPath::TakeLateAnswer);
    dirTree->OnChange = [this](QObject*) { dirTreeChange(); };
    dirTree->OnClick = [this](QObject*) { dirTreeChange(); };
    dirTree->OnDblClick = [this](QObject*) { dirTreeDblClick(); };
    dirTree->installEventFilter(this);
    connect(dirTree, &QTreeWidget::itemSelectionChanged, this, &TDlgSelectDBPath::dirTreeChange);

    // Read-only text without a frame: it can be selected and copied, and a
    // long path scrolls instead of widening the dialog.
    lblSelected = new QLineEdit(this);
    lblSelected->setObjectName(QStringLiteral("lblSelected"));
    lblSelected->setReadOnly(true);
    lblSelected->setFrame(false);
    QPalette plain = lblSelected->palette();
    plain.setColor(QPalette::Base, plain.color(QPalette::Window));
    lblSelected->setPalette(plain);

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
    layout->addWidget(editPath);
    layout->addWidget(dirTree, 1);
    layout->addSpacing(4);
    layout->addWidget(lblSelected);
    layout->addWidget(panel);
    setTabOrder(dirTree, lblSelected);
    setTabOrder(lblSelected, btnOK);
    setTabOrder(btnOK, btnCancel);

    connect(btnOK, &QPushButton::clicked, this, &TDlgSelectDBPath::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* typePath = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    // The selected folder, all selected: typing replaces it, End edits it.
    connect(typePath, &QShortcut::activated, this, [this] {
        ShowPathField(dirTree->Directory());
        editPath->selectAll();
    });
    // Wherever the focus is, as Ctrl+L; the tree alone would see it only when focused.
    auto* hidden = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this);
    connect(hidden, &QShortcut::activated, this,
            [this] { dirTree->SetShowHiddenDirs(!dirTree->ShowHiddenDirs()); });
}

// The tree outlives this part of the dialog: its last selection change,
// when its nodes go, must not reach it.
TDlgSelectDBPath::~TDlgSelectDBPath()
{
    disconnect(dirTree, nullptr, this, nullptr);
}

void TDlgSelectDBPath::SetStartPath(const QString& path)
{
    selectedPath_ = path;
    if (InHiddenFolder(path))
        dirTree->SetShowHiddenDirs(true);
    dirTree->SetDirectory(path);
}

bool TDlgSelectDBPath::Execute()
{
    return exec() == QDialog::Accepted;
}

void TDlgSelectDBPath::showEvent(QShowEvent* event)
{
    dirTree->SetDirectory(selectedPath_);
    dirTreeChange();
    // At first only the start folder itself may be chosen: not the ancestor
    // the tree fell back to for a start folder that is gone.
    const QString shown = ShownDirectory();
    if (shown.isEmpty() || QDir::cleanPath(shown) != QDir::cleanPath(selectedPath_))
        btnOK->setEnabled(false);
    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
    // Laid out now: the top of the tree ("/" and the home folder) in view,
    // and the selected folder too, as far as both fit.
    dirTree->scrollToTop();
    if (QTreeWidgetItem* node = dirTree->currentItem())
        dirTree->scrollToItem(node);
    btnCancel->setFocus();
}

QString TDlgSelectDBPath::ShownDirectory() const
{
    const QTreeWidgetItem* node = dirTree->currentItem();
    return node && node->isSelected() ? dirTree->Directory() : QString();
}

// A folder on a volume that does not answer at once does not qualify.
bool TDlgSelectDBPath::Qualifies(const QString& path) const
{
    if (path.isEmpty())
        return false;
    const QString valid = validFileName_;
    return AskVolume(path, [path, valid] { return IsValidStorePath(path, valid); }).value_or(false);
}

void TDlgSelectDBPath::dirTreeChange()
{
    const QString shown = ShownDirectory();
    lblSelected->setText(shown);
    lblSelected->setCursorPosition(0);
    pendingCheck_.reset();
    lateAnswers_.stop();
    if (shown.isEmpty()) {
        btnOK->setEnabled(false);
        return;
    }
    const QString valid = validFileName_;
    auto check = TVolumeWork::Start(ReadMountTable(), shown, [shown, valid] {
        return QVariant(IsValidStorePath(shown, valid));
    });
    if (check->Wait()) {
        btnOK->setEnabled(check->Result().toBool());
        return;
    }
    btnOK->setEnabled(false);
    pendingCheck_ = std::move(check);
    pendingPath_ = shown;
    lateAnswers_.start();
}

void TDlgSelectDBPath::TakeLateAnswer()
{
    if (!pendingCheck_ || !pendingCheck_->Done())
        return;
    lateAnswers_.stop();
    const bool qualifies = pendingCheck_->Result().toBool();
    pendingCheck_.reset();
    if (ShownDirectory() != pendingPath_)
        return;
    if (qualifies)
        qualifiedPath_ = pendingPath_;
    btnOK->setEnabled(qualifies);
}

void TDlgSelectDBPath::dirTreeDblClick()
{
    if (btnOK->isEnabled())
        btnOK->click();
}

void TDlgSelectDBPath::btnOKClick()
{
    const QString shown = ShownDirectory();
    if (shown.isEmpty() || (shown != qualifiedPath_ && !Qualifies(shown)))
        return;
    selectedPath_ = IncludeSlash(shown);
    accept();
}

void TDlgSelectDBPath::ShowPathField(const QString& text)
{
    editPath->setText(text);
    editPath->show();
    editPath->setFocus();
    editPath->end(false);
}

// "~" is the home folder; a relative path is taken from the selected folder.
void TDlgSelectDBPath::OpenTypedPath()
{
    QString path = editPath->text().trimmed();
    if (path == "~" || path.startsWith("~/"))
        path = UserHome() + path.mid(1);
    if (path.isEmpty())
        return;
    if (!path.startsWith('/'))
        path = QDir(dirTree->Directory()).absoluteFilePath(path);
    if (InHiddenFolder(path))
        dirTree->SetShowHiddenDirs(true);
    dirTree->SetDirectory(path);
    HidePathField();
}

void TDlgSelectDBPath::HidePathField()
{
    editPath->hide();
    dirTree->setFocus();
}

bool TDlgSelectDBPath::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (watched == editPath) {
        // Enter opens the typed folder in the tree, Escape leaves the field:
        // neither reaches the dialog's buttons.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            OpenTypedPath();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            HidePathField();
            return true;
        }
    } else if (watched == dirTree && (key->text() == "/" || key->text() == "~")) {
        ShowPathField(key->text());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
