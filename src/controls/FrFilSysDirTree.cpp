// The directory tree of FrFilSys.h.
#include "controls/FrFilSys.h"
#include "platform/CursorGuard.h"
#include "platform/Interaction.h"
#include "platform/core/Exceptions.h"
#include "platform/core/StoreChange.h"
#include "platform/core/SystemInfo.h"

#include <QApplication>
#include <QDir>
#include <QFileIconProvider>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int ChildrenReadRole = Qt::UserRole + 1;
constexpr int TimedOutRole = Qt::UserRole + 2;
constexpr int HomeRole = Qt::UserRole + 3;
const QString Placeholder = QStringLiteral(":");

// Holds node updates (and the updating flag) for a scope and puts back what
// was there on every exit.
class TNodeUpdate
{
public:
    TNodeUpdate(QWidget* tree, bool* flag)
        : tree_(tree), flag_(flag), wasEnabled_(tree->updatesEnabled()), wasSet_(flag && *flag)
    {
        tree->setUpdatesEnabled(false);
        if (flag_)
            *flag_ = true;
    }
    ~TNodeUpdate()
    {
        tree_->setUpdatesEnabled(wasEnabled_);
        if (flag_)
            *flag_ = wasSet_;
    }

private:
    QWidget* tree_;
    bool* flag_;
    bool wasEnabled_;
    bool wasSet_;
};

// The label editor ends in the tree's rename.
class TRenameDelegate : public QStyledItemDelegate
{
public:
    explicit TRenameDelegate(TFrDirectoryTree* tree) : QStyledItemDelegate(tree), tree_(tree) {}
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        auto* edit = qobject_cast<QLineEdit*>(editor);
        QTreeWidgetItem* node = tree_->itemFromIndex(index);
        if (edit && node)
            tree_->RenameNode(node, edit->text());
    }
    // The editor runs to the tree's right edge, and is never narrower than
    // room for a name of some length, even for a short name.
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override
    {
        QStyledItemDelegate::updateEditorGeometry(editor, option, index);
        QRect area = editor->geometry();
        const int room = editor->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 24;
        area.setRight(std::max(tree_->viewport()->width() - 1, area.left() + room));
        editor->setGeometry(area);
    }

private:
    TFrDirectoryTree* tree_;
};

// Renames without ever replacing what is there.
bool RenameNoReplace(const QString& from, const QString& to)
{
    const QByteArray a = QFile::encodeName(from), b = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace flag: look first.
    struct stat existing;
    if (::lstat(b.constData(), &existing) == 0)
        return false;
    return ::rename(a.constData(), b.constData()) == 0;
}

// The closed folder, and the open one from the icon theme for a selected node.
QIcon FolderIcon()
{
    static const QIcon icon = [] {
        const QIcon closed = QFileIconProvider().icon(QFileIconProvider::Folder);
        const QIcon open = QIcon::fromTheme(QStringLiteral("folder-open"));
        if (open.isNull())
            return closed;
        QIcon both;
        for (int size : {16, 22, 24, 32}) {
            both.addPixmap(closed.pixmap(size), QIcon::Normal);
            both.addPixmap(open.pixmap(size), QIcon::Selected);
        }
        return both;
    }();
    return icon;
}

QIcon VolumeIcon(TDriveKind kind)
{
    static const QFileIconProvider provider;
    return provider.icon(kind == dkRemote ? QFileIconProvider::Network : QFileIconProvider::Drive);
}

} // namespace

void ShowPathInLabel(QLabel& label, const QString& path, int autoSizeWidth)
{
    const bool autoSize = label.sizePolicy().horizontalPolicy() != QSizePolicy::Fixed;
    const int width = autoSize ? autoSizeWidth : label.width();
    label.setText(label.fontMetrics().elidedText(path, Qt::ElideMiddle, width));
}

TFrDirectoryTree::TFrDirectoryTree(QWidget* parent) : TFrCustomTreeView(parent)
{
    SetReadOnly(true);
    SetHideSelection(false);
    resize(250, 150);
    setItemDelegate(new TRenameDelegate(this));
    connect(this, &QTreeWidget::itemExpanded, this, &TFrDirectoryTree::Expanding);
    connect(this, &QTreeWidget::currentItemChanged, this, &TFrDirectoryTree::CurrentChanged);
    connect(this, &QTreeWidget::itemClicked, this, &TFrDirectoryTree::Clicked);
    pendingTimer_ = new QTimer(this);
    pendingTimer_->setInterval(VolumeWaitTime);
    connect(pendingTimer_, &QTimer::timeout, this, &TFrDirectoryTree::CheckPending);
    watcher_ = new TMountWatcher(this);
    connect(watcher_, &TMountWatcher::Changed, this, &TFrDirectoryTree::MountTableChanged);
    CreateWnd();
    AnnounceToSiblings(this);
}

TFrDirectoryTree::~TFrDirectoryTree()
{
    destroying_ = true;
    ClearNodes();
}

void TFrDirectoryTree::CreateWnd()
{
    LoadDrives();
    const QString saved = std::exchange(savedDirectory_, QString());
    if (saved.isEmpty())
        OpenDirectory(CurrentDriveRoot(mountTable_));
    else if (!recreating_)
        OpenDirectory(saved);
}

void TFrDirectoryTree::DestroyWnd()
{
    savedDirectory_ = Directory();
    ClearNodes();
}

// Showing or dropping the frame re-creates the control: the volumes are
// loaded again and nothing is selected.
void TFrDirectoryTree::FrameVisibleChanged()
{
    recreating_ = true;
    DestroyWnd();
    TFrCustomTreeView::FrameVisibleChanged();
    recreating_ = true;
    CreateWnd();
    recreating_ = false;
}

void TFrDirectoryTree::SetDirLabel(QLabel* label)
{
    dirLabel_ = label;
    UpdateDirLabel();
}

void TFrDirectoryTree::SetFileList(TFrFileListBox* fileList)
{
    if (fileList == fileList_)
        return;
    if (fileList_)
        fileList_->tree_ = nullptr;
    fileList_ = fileList;
    if (!fileList)
        return;
    fileList->tree_ = this;
    if (!Directory().isEmpty())
        fileList->SetDirectory(Directory());
}

void TFrDirectoryTree::SiblingInserted(QObject* sibling)
{
    if (auto* fileList = qobject_cast<TFrFileListBox*>(sibling); fileList && !fileList_)
        SetFileList(fileList);
}

void TFrDirectoryTree::SetDriveTypes(TDriveTypes value)
{
    if (!StoreChange(driveTypes_, value))
        return;
    RefreshDrives();
}

void TFrDirectoryTree::SetOpenCurrentDir(bool value)
{
    if (!StoreChange(openCurrentDir_, value))
        return;
    if (value)
        OpenDirectory(QDir::currentPath());
}

void TFrDirectoryTree::SetNetworkVolumeFormat(TNetworkVolumeFormat value)
{
    if (!StoreChange(networkVolumeFormat_, value))
        return;
    Reload();
}

void TFrDirectoryTree::SetShowHiddenDirs(bool value)
{
    if (!StoreChange(showHiddenDirs_, value))
        return;
    Reload();
}

QString TFrDirectoryTree::NodePath(const QTreeWidgetItem* node)
{
    return node ? node->data(0, PathRole).toString() : QString();
}

bool TFrDirectoryTree::ChildrenRead(const QTreeWidgetItem* node)
{
    return node && node->data(0, ChildrenReadRole).toBool();
}

void TFrDirectoryTree::SetUpNode(QTreeWidgetItem* node, const QString& path)
{
    node->setData(0, PathRole, path);
    node->setData(0, ChildrenReadRole, false);
    if (node->parent()) {
        node->setIcon(0, FolderIcon());
        node->setFlags(node->flags() | Qt::ItemIsEditable);
    }
}

void TFrDirectoryTree::AddPlaceholder(QTreeWidgetItem* node)
{
    auto* placeholder = new QTreeWidgetItem(node, {Placeholder});
    placeholder->setFlags(placeholder->flags() & ~Qt::ItemIsEditable);
}

void TFrDirectoryTree::ProbeChildren(QTreeWidgetItem* node)
{
    ProbeAll({node});
}

// The probes of all the nodes run at once; the window waits for them
// together, and only for the moment it may wait in this event. A node whose probe has not answered
// yet keeps (or gets) a placeholder, so it can be opened meanwhile.
void TFrDirectoryTree::ProbeAll(const QList<QTreeWidgetItem*>& nodes)
{
    QList<std::pair<QTreeWidgetItem*, std::shared_ptr<TVolumeWork>>> probes;
    for (QTreeWidgetItem* node : nodes) {
        const QString path = NodePath(node);
        if (path.isEmpty() || ChildrenRead(node) || IsPending(node))
            continue;
        probes.append({node, StartSubFolderRead(mountTable_, path, showHiddenDirs_, true)});
    }
    for (const auto& [node, work] : std::as_const(probes)) {
        if (work->Wait()) {
            ApplyProbe(node, work->Result().toStringList());
        } else {
            if (node->childCount() == 0)
                AddPlaceholder(node);
            Wait(node, work, true);
        }
    }
}

void TFrDirectoryTree::ApplyProbe(QTreeWidgetItem* node, const QStringList& names)
{
    if (ChildrenRead(node))
        return;
    node->setData(0, TimedOutRole, false);
    if (names.isEmpty())
        qDeleteAll(node->takeChildren());
    else if (node->childCount() == 0)
        AddPlaceholder(node);
}

bool TFrDirectoryTree::ReadChildren(QTreeWidgetItem* node)
{
    const QString path = NodePath(node);
    if (path.isEmpty() || ChildrenRead(node))
        return true;
    if (IsPending(node, false))
        return false;
    const auto work = StartSubFolderRead(mountTable_, path, showHiddenDirs_, false);
    if (work->Wait()) {
        FillChildren(node, work->Result().toStringList());
        return true;
    }
    if (node->childCount() == 0)
        AddPlaceholder(node);
    Wait(node, work, false);
    return false;
}

void TFrDirectoryTree::FillChildren(QTreeWidgetItem* node, QStringList names)
{
    const QString path = NodePath(node);
    qDeleteAll(node->takeChildren());
    node->setData(0, ChildrenReadRole, true);
    node->setData(0, TimedOutRole, false);
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    for (const QString& name : std::as_const(names)) {
        auto* child = new QTreeWidgetItem(node, {name});
        SetUpNode(child, path + name + "/");
    }
}

void TFrDirectoryTree::Expanding(QTreeWidgetItem* node)
{
    if (ChildrenRead(node))
        return;
    CursorGuard cursor;
    if (!ReadChildren(node))
        return;
    QList<QTreeWidgetItem*> children;
    for (int i = 0; i < node->childCount(); ++i)
        children << node->child(i);
    ProbeAll(children);
    ContinueOpen();
}

// A folder that was being opened through a node that has now been read.
void TFrDirectoryTree::ContinueOpen()
{
    if (pendingOpen_.isEmpty())
        return;
    const QString folder = pendingOpen_;
    // Late, from the event loop: a folder that has gone meanwhile is no error
    // to raise there.
    try {
        OpenDirectory(folder);
    } catch (const EInOutError&) {
        pendingOpen_.clear();
    }
}

void TFrDirectoryTree::Wait(QTreeWidgetItem* node, std::shared_ptr<TVolumeWork> work, bool probe)
{
    pending_.append({QPersistentModelIndex(indexFromItem(node)), std::move(work), probe,
                     std::chrono::steady_clock::now()});
    if (!pendingTimer_->isActive())
        pendingTimer_->start();
}

bool TFrDirectoryTree::IsPending(QTreeWidgetItem* node, std::optional<bool> probe) const
{
    const QModelIndex index = indexFromItem(node);
    return std::any_of(pending_.cbegin(), pending_.cend(), [&](const TPendingRead& read) {
        return read.node == index && (!probe || read.probe == *probe);
    });
}

// Answers that came late are put in their nodes; a node whose volume has not
// answered for long is marked timed out, and is asked again when the user
// opens or selects it.
void TFrDirectoryTree::CheckPending()
{
    const auto now = std::chrono::steady_clock::now();
    const QList<TPendingRead> reads = std::exchange(pending_, {});
    QList<TPendingRead> still;
    bool filled = false;
    for (const TPendingRead& read : reads) {
        QTreeWidgetItem* node = read.node.isValid() ? itemFromIndex(read.node) : nullptr;
        if (!node)
            continue;
        if (read.work->Done()) {
            const QStringList names = read.work->Result().toStringList();
            if (read.probe) {
                ApplyProbe(node, names);
            } else if (!ChildrenRead(node)) {
                FillChildren(node, names);
                QList<QTreeWidgetItem*> children;
                for (int i = 0; i < node->childCount(); ++i)
                    children << node->child(i);
                ProbeAll(children);
                filled = true;
            }
        } else if (now - read.started > VolumeGiveUpTime) {
            node->setData(0, TimedOutRole, true);
            if (node->childCount() == 0)
                AddPlaceholder(node);
        } else {
            still << read;
        }
    }
    pending_ << still;
    if (pending_.isEmpty())
        pendingTimer_->stop();
    if (filled)
        ContinueOpen();
}

bool TFrDirectoryTree::TimedOut(const QTreeWidgetItem* node)
{
    return node && node->data(0, TimedOutRole).toBool();
}

QStringList TFrDirectoryTree::GetDriveMask() const
{
    QStringList mountPoints;
    for (const TVolume& volume : mountTable_.Volumes())
        if (volume.Users &&
            (volume.Kind == dkNoRootDir || (driveTypes_ & TDriveTypes::fromInt(1 << volume.Kind))))
            mountPoints << volume.MountPoint;
    return mountPoints;
}

// Removable media, discs and volumes of a kind nobody knows are not touched
// until they are opened; the other new nodes are returned to be probed.
QTreeWidgetItem* TFrDirectoryTree::AddDriveNode(const QString& mountPoint, int index)
{
    const TVolume* volume = mountTable_.Find(mountPoint);
    const TDriveKind kind = volume ? volume->Kind : dkUnknown;
    const TVolumeDisplayName name =
        GetVolumeDisplayName(mountTable_, mountPoint, networkVolumeFormat_);
    serials_.insert(mountPoint, name.Serial);
    auto* node = new QTreeWidgetItem({name.Text});
    if (index < 0)
        addTopLevelItem(node);
    else
        insertTopLevelItem(index, node);
    SetUpNode(node, mountPoint == "/" ? mountPoint : mountPoint + "/");
    node->setIcon(0, VolumeIcon(kind));
    if (kind == dkUnknown || kind == dkNoRootDir || kind == dkRemovable || kind == dkCDROM) {
        AddPlaceholder(node);
        return nullptr;
    }
    return node;
}

// The user's home folder heads the tree, as in the desktop's file chooser,
// when the volume that holds it is shown.
QTreeWidgetItem* TFrDirectoryTree::AddHomeNode()
{
    const QString home = QDir::cleanPath(UserHome());
    const QString drive = DriveOf(home);
    if (home == "/" || !shownDrives_.contains(drive) || !FolderExists(mountTable_, home, true))
        return nullptr;
    auto* node = new QTreeWidgetItem({QStringLiteral("Home (%1)").arg(home)});
    insertTopLevelItem(0, node);
    SetUpNode(node, home + "/");
    node->setData(0, HomeRole, true);
    const QIcon icon = QIcon::fromTheme(QStringLiteral("user-home"));
    node->setIcon(0, icon.isNull() ? FolderIcon() : icon);
    return node;
}

QTreeWidgetItem* TFrDirectoryTree::HomeNode() const
{
    QTreeWidgetItem* first = topLevelItem(0);
    return first && first->data(0, HomeRole).toBool() ? first : nullptr;
}

// Pending events run while the volumes are read (only for a tree on screen);
// the updating flag keeps selection changes from being processed meanwhile.
void TFrDirectoryTree::PumpMessages()
{
    if (isVisible())
        QCoreApplication::processEvents();
}

void TFrDirectoryTree::LoadDrives()
{
    CursorGuard cursor;
    {
        TNodeUpdate update(this, &updating_);
        ClearNodes();
        PumpMessages();
        mountTable_ = ReadMountTable();
        shownDrives_ = GetDriveMask();
        QList<QTreeWidgetItem*> probed;
        for (const QString& mountPoint : std::as_const(shownDrives_)) {
            if (QTreeWidgetItem* node = AddDriveNode(mountPoint, -1))
                probed << node;
            PumpMessages();
        }
        if (QTreeWidgetItem* home = AddHomeNode())
            probed.prepend(home);
        ProbeAll(probed);
    }
    if (currentItem())
        scrollToItem(currentItem());
}

void TFrDirectoryTree::RefreshDrives()
{
    {
        TNodeUpdate update(this, &updating_);
        mountTable_ = ReadMountTable();
        const QStringList drives = GetDriveMask();
        for (const QString& gone : std::as_const(shownDrives_)) {
            if (drives.contains(gone))
                continue;
            if (QTreeWidgetItem* node = FindDriveNode(gone)) {
                RefreshNode(node);
                delete node;
            }
            serials_.remove(gone);
        }
        QList<QTreeWidgetItem*> probed;
        for (const QString& added : drives) {
            if (shownDrives_.contains(added))
                continue;
            const QString path = added == "/" ? added : added + "/";
            int index = HomeNode() ? 1 : 0;
            while (index < topLevelItemCount() && NodePath(topLevelItem(index)) <= path)
                ++index;
            if (QTreeWidgetItem* node = AddDriveNode(added, index))
                probed << node;
        }
        shownDrives_ = drives;
        ProbeAll(probed);
    }
    viewport()->update();
}

QTreeWidgetItem* TFrDirectoryTree::FindDriveNode(const QString& mountPoint) const
{
    const QString path = mountPoint == "/" ? mountPoint : mountPoint + "/";
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i) != HomeNode() && NodePath(topLevelItem(i)) == path)
            return topLevelItem(i);
    return nullptr;
}

void TFrDirectoryTree::RefreshNode(QTreeWidgetItem* node)
{
    // Closed, so that opening it again reads it again.
    node->setExpanded(false);
    qDeleteAll(node->takeChildren());
    node->setData(0, ChildrenReadRole, false);
    node->setData(0, TimedOutRole, false);
    ProbeChildren(node);
}

void TFrDirectoryTree::ClearNodes()
{
    TNodeUpdate update(this, &updating_);
    clear();
}

QString TFrDirectoryTree::GetDirectory() const
{
    const QString path = NodePath(currentItem());
    return path.size() > 1 ? path.chopped(1) : path;
}

QString TFrDirectoryTree::DriveOf(const QString& path) const
{
    if (path.isEmpty())
        return {};
    const TVolume* volume = mountTable_.Containing(path);
    return volume ? volume->MountPoint : QString();
}

QString TFrDirectoryTree::GetDrive() const
{
    return DriveOf(Directory());
}

void TFrDirectoryTree::OpenDirectory(const QString& path)
{
    if (path.isEmpty())
        return;
    // A network path (//server/share/dir) is mapped onto its mount point
    // before it is cleaned, which would take its leading "//" for "/".
    const QString native = NativePath(path);
    const QString mapped = native.startsWith("//") ? UncToDrivePath(mountTable_, native) : native;
    if (mapped.isEmpty())
        return;
    const QString full = QDir::cleanPath(QDir::current().absoluteFilePath(mapped));
    pendingOpen_.clear();
    if (full.isEmpty() || full == Directory())
        return;
    // A volume that does not answer at once is taken at its word: the walk
    // below stops where its folders have not been read yet.
    QString folder = full;
    if (!FolderExists(mountTable_, folder, true)) {
        folder.clear();
        for (int n = CountChar('/', full); n >= 1 && folder.isEmpty(); --n) {
            const QString ancestor = CopyToNthChar(full, '/', n);
            if (FolderExists(mountTable_, ancestor, true))
                folder = ancestor;
        }
        if (folder.isEmpty())
            throw EInOutError(FrFilSysString(SDirNotExist).replace("%s", path));
    }
    if (LastChar(folder) != '/')
        folder += '/';

    CursorGuard cursor;
    QTreeWidgetItem* node = nullptr;
    {
        TNodeUpdate update(this, nullptr);
        node = StartNode(folder);
        // One wait for the whole walk, however many levels it reads.
        const QStringList names = folder.mid(NodePath(node).size()).split('/', Qt::SkipEmptyParts);
        for (const QString& name : names) {
            if (!node)
                break;
            if (!ReadChildren(node)) {
                // Opened once the volume answers, unless the user goes elsewhere first.
                pendingOpen_ = full;
                return;
            }
            QTreeWidgetItem* found = nullptr;
            for (int i = 0; i < node->childCount() && !found; ++i)
                if (NodePath(node->child(i)) == NodePath(node) + name + "/")
                    found = node->child(i);
            node = found;
        }
    }
    if (!node)
        return;
    opening_ = true;
    setCurrentItem(node);
    opening_ = false;
    scrollToItem(node);
}

// The walk to a folder starts at the volume that holds it, so a nested mount
// opens under its own node, or at the home folder when that is nearer.
// A volume that is not one of the user's has no node of its own: its folders
// open through the volume that holds its mount point, unless it is of a kind
// the tree does not show.
QTreeWidgetItem* TFrDirectoryTree::StartNode(const QString& folder) const
{
    QString drive = DriveOf(folder == "/" ? folder : folder.chopped(1));
    for (const TVolume* volume = mountTable_.Find(drive); volume && !volume->Users;
         volume = mountTable_.Find(drive)) {
        if (volume->Kind != dkNoRootDir && !(driveTypes_ & TDriveTypes::fromInt(1 << volume->Kind)))
            return nullptr;
        drive = DriveOf(QFileInfo(drive).path());
    }
    QTreeWidgetItem* node = drive.isEmpty() ? nullptr : FindDriveNode(drive);
    QTreeWidgetItem* home = HomeNode();
    if (node && home && folder.startsWith(NodePath(home)) &&
        NodePath(home).size() > NodePath(node).size())
        return home;
    return node;
}

void TFrDirectoryTree::Reload()
{
    const QString kept = Directory();
    LoadDrives();
    OpenDirectory(kept);
}

void TFrDirectoryTree::UpdateDirLabel()
{
    if (dirLabel_)
        ShowPathInLabel(*dirLabel_, Directory(), width());
}

void TFrDirectoryTree::CurrentChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous)
{
    // What the selection leaves, remembered before the change is processed.
    rememberedDrive_ = previous ? DriveOf(NodePath(previous)) : QString();
    if (!opening_)
        pendingOpen_.clear();
    // A node whose volume gave no answer in time is asked again.
    if (current && TimedOut(current) && !updating_) {
        if (current->isExpanded())
            Expanding(current);
        else
            ProbeChildren(current);
    }
    Change(current);
}

void TFrDirectoryTree::Change(QTreeWidgetItem* node)
{
    if (destroying_ || updating_)
        return;
    if (!NodePath(node).isEmpty()) {
        // A medium that was changed, inserted or removed gets a fresh drive node.
        mountTable_ = ReadMountTable();
        const QString drive = DriveOf(NodePath(node));
        const QString serial = GetVolumeSerial(mountTable_, drive);
        if (serial != serials_.value(drive)) {
            if (QTreeWidgetItem* root = FindDriveNode(drive)) {
                const bool selectedUnder = node != root;
                RefreshNode(root);
                const TVolumeDisplayName name =
                    GetVolumeDisplayName(mountTable_, drive, networkVolumeFormat_);
                root->setText(0, name.Text);
                serials_.insert(drive, name.Serial);
                if (!name.Serial.isEmpty() && root->childCount() == 0)
                    AddPlaceholder(root);
                if (selectedUnder)
                    setCurrentItem(root);
            }
        }
    }
    if (Drive() != rememberedDrive_) {
        rememberedDrive_ = Drive();
        if (OnDriveChange)
            OnDriveChange(this);
    }
    if (fileList_ && !Directory().isEmpty())
        fileList_->SetDirectory(Directory());
    UpdateDirLabel();
    if (OnChange)
        OnChange(this);
}

void TFrDirectoryTree::Clicked()
{
    QTreeWidgetItem* node = currentItem();
    if (NodePath(node).isEmpty())
        return;
    const QString drive = DriveOf(NodePath(node));
    if (GetVolumeSerial(ReadMountTable(), drive) != serials_.value(drive)) {
        rememberedDrive_ = Drive();
        Change(node);
    } else if (OnClick) {
        OnClick(this);
    }
}

// Ctrl+H shows or hides the hidden (dot) folders, as in the desktop's file chooser.
void TFrDirectoryTree::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_H && event->modifiers() == Qt::ControlModifier) {
        SetShowHiddenDirs(!showHiddenDirs_);
        event->accept();
        return;
    }
    TFrCustomTreeView::keyPressEvent(event);
}

void TFrDirectoryTree::mouseDoubleClickEvent(QMouseEvent* event)
{
    TFrCustomTreeView::mouseDoubleClickEvent(event);
    if (OnDblClick)
        OnDblClick(this);
}

// Volumes came or went: their nodes are added or removed in order, the rest
// of the tree stays as it is.
void TFrDirectoryTree::MountTableChanged()
{
    rememberedDrive_ = Drive();
    RefreshDrives();
    Change(currentItem());
}

void TFrDirectoryTree::RenameNode(QTreeWidgetItem* node, const QString& text)
{
    const QString oldPath = NodePath(node);
    if (!node->parent() || oldPath.isEmpty() || text == node->text(0))
        return;
    const QString parentPath = NodePath(node->parent());
    const bool valid = !text.isEmpty() && !text.contains('/') && !text.contains(QChar(0)) &&
                       text != "." && text != "..";
    const QString newPath = parentPath + text;
    if (!valid || !RenameNoReplace(oldPath.chopped(1), newPath)) {
        Ui().MessageDlg(RenameErrorMessage(), mtError, mbOK);
        return;
    }
    node->setText(0, text);
    node->setData(0, PathRole, newPath + "/");
    // Folders below were read under the old name: read them again when opened.
    RefreshNode(node);
    if (node == currentItem())
        Change(node);
}
