// The file list of FrFilSys.h. Entries carry the attributes a file list
// filters by, read off the file system: hidden = a leading dot, read-only =
// not writable by the user, directory = a folder, archive = a regular file,
// system = anything else (a device, socket or pipe); never a volume ID.
#include "controls/FrFilSys.h"
#include "platform/CursorGuard.h"
#include "platform/Interaction.h"
#include "platform/core/Exceptions.h"
#include "platform/core/StoreChange.h"

#include <QDir>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <algorithm>
#include <optional>

namespace {

// A mask as a file search reads it: the whole name, letter case aside
// ("*.txt" is not "a.txt.bak"); "*.*" is every name.
QRegularExpression MaskPattern(const QString& mask)
{
    const QString wildcard = mask == "*.*" ? QStringLiteral("*") : mask;
    return QRegularExpression(QRegularExpression::wildcardToRegularExpression(wildcard),
                              QRegularExpression::CaseInsensitiveOption);
}

// The entries of a folder with what the list filters and sorts by, read as
// volume work: on a volume not known to be local, off the GUI thread.
QList<TFrFileInfo> ReadEntries(const QString& folder)
{
    QList<TFrFileInfo> entries;
    const QFileInfoList found = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& entry : found)
        entries.append({entry.fileName(), FileAttributes(entry), entry.lastModified(), entry.size(),
                        entry.isDir(), QIcon()});
    return entries;
}

bool CompareItems(const TFrFileInfo& a, const TFrFileInfo& b)
{
    if (a.IsFolder != b.IsFolder)
        return a.IsFolder;
    return QString::localeAwareCompare(a.EntryName.toLower(), b.EntryName.toLower()) < 0;
}

} // namespace

TFrFileListBox::TFrFileListBox(QWidget* parent) : TFrCustomListBox(parent)
{
    UpdateItemHeight();
    connect(this, &QListWidget::currentRowChanged, this, [this] { Change(); });
    directory_ = QDir::currentPath();
    LoadFileNames();
    AnnounceToSiblings(this);
}

void TFrFileListBox::SetDirectory(const QString& path)
{
    const QString full = QDir::cleanPath(QDir(directory_).absoluteFilePath(path));
    if (full == directory_)
        return;
    const std::optional<bool> enterable = AskVolume(full, [full] {
        const QFileInfo folder(full);
        return folder.isDir() && folder.isExecutable();
    });
    if (!enterable.value_or(false))
        return;
    directory_ = full;
    LoadFileNames();
}

void TFrFileListBox::SetMask(const QString& mask)
{
    if (!StoreChange(mask_, mask))
        return;
    LoadFileNames();
}

void TFrFileListBox::SetFileType(TFileType value)
{
    if (!StoreChange(fileType_, value))
        return;
    LoadFileNames();
}

void TFrFileListBox::LoadFileNames()
{
    rebuilding_ = true;
    const auto done = qScopeGuard([this] { rebuilding_ = false; });
    const int attributeMask = int(fileType_ & ~TFileType(ftNormal));
    constexpr int searchedOnlyWhenAsked = ftHidden | ftSystem | ftDirectory;
    clear();
    itemInfo_.clear();

    const QStringList masks = mask_.split(';', Qt::SkipEmptyParts);
    QSet<QString> taken;
    std::optional<CursorGuard> busy;
    // A folder on a volume that does not answer in time lists nothing.
    const TMountTable table = ReadMountTable();
    const QString folder = directory_;
    const auto work = TVolumeWork::Start(
        table, folder, [folder] { return QVariant::fromValue(ReadEntries(folder)); });
    work->Wait();
    const QList<TFrFileInfo> entries = work->Result().value<QList<TFrFileInfo>>();
    const TVolume* volume = table.Containing(folder);
    directoryLocal_ = volume && volume->Local;
    for (const QString& mask : masks) {
        const QRegularExpression pattern = MaskPattern(mask);
        for (const TFrFileInfo& entry : entries) {
            const QString& name = entry.EntryName;
            const int attributes = entry.Attributes;
            if ((attributes & searchedOnlyWhenAsked & ~attributeMask) ||
                !pattern.match(name).hasMatch())
                continue;
            if (!(fileType_ & ftNormal) && !(attributes & attributeMask))
                continue;
            if (masks.size() > 1 && taken.contains(name))
                continue;
            taken.insert(name);
            TFrFileInfo info = entry;
            // An icon by content reads the file: on a slow volume by name only.
            if (showGlyphs_)
                info.Icon = directoryLocal_
                                ? ListedEntryIcon(QFileInfo(QDir(folder).filePath(name)))
                                : IconByName(name, entry.IsFolder);
            itemInfo_.append(info);
            if (itemInfo_.size() == 100)
                busy.emplace();
        }
    }
    std::stable_sort(itemInfo_.begin(), itemInfo_.end(), CompareItems);
    for (const TFrFileInfo& info : std::as_const(itemInfo_))
        addItem(info.EntryName);
    Change();
}

// A frame repaint while the names are read would show a half-built list.
void TFrFileListBox::RepaintFrame()
{
    if (!rebuilding_)
        TFrCustomListBox::RepaintFrame();
}

QString TFrFileListBox::FileName() const
{
    const QListWidgetItem* selected = currentItem();
    return selected && selected->isSelected() ? selected->text() : QString();
}

void TFrFileListBox::SetFileName(const QString& name)
{
    if (name == FileName())
        return;
    int found = -1;
    // Names differ by letter case here: "Readme" is not "README".
    for (int i = 0; i < count() && found < 0; ++i)
        if (item(i)->text() == name)
            found = i;
    setCurrentRow(found);
    if (found < 0)
        clearSelection();
    Change();
}

QString TFrFileListBox::FilePath() const
{
    return QDir(directory_).filePath(FileName());
}

void TFrFileListBox::ApplyPath(const QString& text)
{
    if (text.isEmpty() || text == FilePath())
        return;
    const QDir here(directory_);
    // A path that names a folder is all folder.
    const bool folder = QFileInfo(here.absoluteFilePath(text)).isDir();
    const int slash = folder ? int(text.size()) : int(text.lastIndexOf('/'));
    const QString folderPart = folder ? text + "/" : text.left(slash + 1);
    const QString filePart = text.mid(slash + 1);
    if (dirList_)
        dirList_->SetDirectory(here.absoluteFilePath(text));
    if (tree_ && !folderPart.isEmpty())
        tree_->OpenDirectory(here.absoluteFilePath(folderPart));
    if (!dirList_ && !tree_ && !folderPart.isEmpty())
        SetDirectory(folderPart);
    if (filePart.contains('*') || filePart.contains('?')) {
        SetMask(filePart);
    } else if (!filePart.isEmpty()) {
        SetFileName(filePart);
        if (!QFileInfo::exists(QDir(directory_).filePath(filePart)))
            throw EInOutError(FrFilSysString(SFileNotExist).replace("%s", text));
        if (FileName().isEmpty()) {
            SetMask(filePart);
            SetFileName(filePart);
        }
    }
}

void TFrFileListBox::OpenSelected()
{
    const QString name = FileName();
    if (name.isEmpty())
        return;
    const QString full = QDir(directory_).filePath(name);
    if (QFileInfo(full).isDir()) {
        setUpdatesEnabled(false);
        const auto restore = qScopeGuard([this] { setUpdatesEnabled(true); });
        ApplyPath(name);
    } else if (allowOpen_ && !ShellOpen(full)) {
        Ui().MessageDlg(QStringLiteral("Could not open file."), mtInformation, mbOK);
    }
}

void TFrFileListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    TFrCustomListBox::mouseDoubleClickEvent(event);
    OpenSelected();
}

void TFrFileListBox::SetColumns(int value)
{
    if (value == columns_)
        return;
    // A list of columns keeps room for them: at least 3 pixels wide.
    constexpr int columnsMinimumWidth = 3;
    if (columns_ <= 0 && value > 0) {
        ownMinimumWidth_ = minimumWidth();
        setMinimumWidth(std::max(ownMinimumWidth_, columnsMinimumWidth));
    } else if (columns_ > 0 && value <= 0) {
        setMinimumWidth(ownMinimumWidth_);
    }
    columns_ = value;
    setWrapping(value > 0);
    doItemsLayout();
}

int TFrFileListBox::ItemWidth() const
{
    return columns_ > 0 ? viewport()->width() / columns_ : TFrCustomListBox::ItemWidth();
}

void TFrFileListBox::SetShowGlyphs(bool value)
{
    if (!StoreChange(showGlyphs_, value))
        return;
    UpdateItemHeight();
    if (value)
        LoadFileNames();
    viewport()->update();
}

void TFrFileListBox::SetShowLongNames(bool value)
{
    if (!StoreChange(showLongNames_, value))
        return;
    LoadFileNames();
}

void TFrFileListBox::UpdateItemHeight()
{
    const int height = FontItemHeight(font()) - 3;
    SetItemHeight(showGlyphs_ ? std::max(height, 18) : height);
}

void TFrFileListBox::changeEvent(QEvent* event)
{
    TFrCustomListBox::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        UpdateItemHeight();
}

void TFrFileListBox::PaintItem(QPainter& canvas, int index, QRect rect) const
{
    if (showGlyphs_)
        rect.setLeft(rect.left() + 24);
    const int offset = (rect.height() - QFontMetrics(canvas.font()).height()) / 2;
    canvas.setClipRect(rect);
    canvas.drawText(QRect(rect.left() + 2, rect.top() + offset, rect.width(), rect.height()),
                    Qt::AlignLeft | Qt::AlignTop, item(index)->text());
    if (!showGlyphs_ || index >= itemInfo_.size())
        return;
    canvas.setClipping(false);
    const QPoint at(rect.left() - 20, rect.top() + offset - 1);
    const QIcon& icon = itemInfo_[index].Icon;
    if (item(index)->isSelected() && directoryLocal_)
        canvas.drawPixmap(at, EntryIcon(QFileInfo(QDir(directory_).filePath(item(index)->text())))
                                  .pixmap(16, QIcon::Selected));
    else if (!icon.isNull())
        canvas.drawPixmap(at, icon.pixmap(16));
}

void TFrFileListBox::SiblingInserted(QObject* sibling)
{
    if (auto* dirList = qobject_cast<TFrDirectoryListBox*>(sibling);
        dirList && !dirList->FileList())
        dirList->SetFileList(this);
    else if (auto* tree = qobject_cast<TFrDirectoryTree*>(sibling); tree && !tree->FileList())
        tree->SetFileList(this);
}

void TFrFileListBox::Change()
{
    if (OnChange)
        OnChange(this);
}
