// The directory list of FrFilSys.h. Items run from "/" down to the current
// folder, then its sub-folders; each item's glyph says which of the three it
// is, and the sub-folders all sit one level below the current folder.
#include "controls/FrFilSys.h"
#include "platform/core/StoreChange.h"

#include <QDir>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

TFrDirectoryListBox::TFrDirectoryListBox(QWidget* parent)
    : TFrCustomListBox(parent), opened_(FrFilSysGlyph("FRFILBMP_OPENFOLDER")),
      closed_(FrFilSysGlyph("FRFILBMP_CLOSEDFOLDER")),
      current_(FrFilSysGlyph("FRFILBMP_CURRENTFOLDER"))
{
    SetItemHeight(std::max(FontItemHeight(font()), opened_.height()));
    connect(this, &QListWidget::itemDoubleClicked, this, &TFrDirectoryListBox::OpenItem);
    connect(this, &QListWidget::itemActivated, this, &TFrDirectoryListBox::OpenItem);
    SetDirectory(QDir::currentPath());
    AnnounceToSiblings(this);
}

void TFrDirectoryListBox::SetDirectory(const QString& path)
{
    const QString full = LongPathName(path);
    if (!StoreChange(directory_, full))
        return;
    Rebuild();
    Change();
}

void TFrDirectoryListBox::BuildList()
{
    if (Rebuild())
        Change();
}

bool TFrDirectoryListBox::Rebuild()
{
    const TMountTable table = ReadMountTable();
    // The walk ends at "/", which always exists: the fall-back terminates.
    QString folder = directory_.isEmpty() ? QStringLiteral("/") : directory_;
    while (folder != "/" && !FolderExists(table, folder, true))
        folder = QFileInfo(folder).path();
    const bool movedUp = folder != directory_;
    directory_ = folder;

    clear();
    const QStringList names = folder.split('/', Qt::SkipEmptyParts);
    addItem(QStringLiteral("/"));
    for (const QString& name : names)
        addItem(name);
    currentIndex_ = count() - 1;
    QStringList subFolders = ReadSubFolders(table, folder, false, false);
    std::stable_sort(subFolders.begin(), subFolders.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    addItems(subFolders);
    setCurrentRow(currentIndex_);
    return movedUp;
}

QString TFrDirectoryListBox::GetItemPath(int index) const
{
    if (index < 0 || index >= count())
        return {};
    if (index > currentIndex_)
        return (directory_ == "/" ? directory_ : directory_ + "/") + item(index)->text();
    QString path;
    for (int i = 1; i <= index; ++i)
        path += "/" + item(i)->text();
    return path.isEmpty() ? QStringLiteral("/") : path;
}

const QPixmap* TFrDirectoryListBox::GlyphOf(int index) const
{
    if (index < currentIndex_)
        return &opened_;
    return index == currentIndex_ ? &current_ : &closed_;
}

int TFrDirectoryListBox::ItemOffset(int index) const
{
    const int level = GlyphOf(index) == &closed_ ? CountChar('/', directory_) + 1 : index;
    return level * 4 + 2;
}

void TFrDirectoryListBox::PaintItem(QPainter& canvas, int index, QRect rect) const
{
    constexpr int glyphColumn = 16;
    const int offset = ItemOffset(index);
    const int textTop = rect.top() + (rect.height() - QFontMetrics(canvas.font()).height()) / 2;
    const QRect textRect(rect.left() + glyphColumn + offset + 4, textTop, rect.width(),
                         rect.height());
    canvas.setClipRect(rect);
    // Names here have no short form: the long name is the item's text.
    canvas.drawText(textRect, Qt::AlignLeft | Qt::AlignTop, item(index)->text());
    const QPixmap* glyph = GlyphOf(index);
    canvas.drawPixmap(rect.left() + offset,
                      (rect.top() + rect.top() + rect.height() - glyph->height()) / 2, *glyph);
}

void TFrDirectoryListBox::SetShowLongNames(bool value)
{
    if (!StoreChange(showLongNames_, value))
        return;
    BuildList();
    UpdateDirLabel();
}

void TFrDirectoryListBox::SetDirLabel(QLabel* label)
{
    dirLabel_ = label;
    UpdateDirLabel();
}

void TFrDirectoryListBox::UpdateDirLabel()
{
    if (dirLabel_)
        ShowPathInLabel(*dirLabel_, showLongNames_ ? LongDirectory() : directory_, width());
}

void TFrDirectoryListBox::SetFileList(TFrFileListBox* fileList)
{
    if (fileList == fileList_)
        return;
    if (fileList_)
        fileList_->dirList_ = nullptr;
    fileList_ = fileList;
    if (fileList) {
        fileList->dirList_ = this;
        fileList->SetDirectory(directory_);
    }
}

void TFrDirectoryListBox::SiblingInserted(QObject* sibling)
{
    if (auto* fileList = qobject_cast<TFrFileListBox*>(sibling); fileList && !fileList_)
        SetFileList(fileList);
    else if (auto* combo = qobject_cast<TFrDriveComboBox*>(sibling); combo && !combo->DirList())
        combo->SetDirList(this);
}

void TFrDirectoryListBox::Change()
{
    if (fileList_)
        fileList_->SetDirectory(directory_);
    if (driveCombo_)
        driveCombo_->SetDrive(directory_);
    UpdateDirLabel();
    if (OnChange)
        OnChange(this);
}

void TFrDirectoryListBox::OpenItem(QListWidgetItem* item)
{
    if (item)
        SetDirectory(GetItemPath(row(item)));
}
