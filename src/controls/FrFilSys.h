// The framed file-system controls. TFrDirectoryTree shows the machine's
// volumes as top-level nodes and their folders beneath them, read lazily:
// a folder's children are read when it is expanded or a path is opened
// through it, and until then a ":" placeholder child gives it its expand
// button. On Linux a volume is a real mounted file system, keyed by its mount
// point, read from the mount table (MountTable.h) without touching it.
#pragma once

#include "controls/FrTreeVw.h"
#include "platform/MountTable.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPersistentModelIndex>
#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QVariant>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QTimer;

namespace FrFs {
Q_NAMESPACE

// The kinds of volume, each bit at the platform's drive type code.
enum TDriveType
{
    dtUnknown = 1 << dkUnknown,
    dtNoDrive = 1 << dkNoRootDir,
    dtFloppy = 1 << dkRemovable,
    dtFixed = 1 << dkFixed,
    dtNetwork = 1 << dkRemote,
    dtCDROM = 1 << dkCDROM,
    dtRAM = 1 << dkRAMDisk
};
Q_DECLARE_FLAGS(TDriveTypes, TDriveType)
Q_FLAG_NS(TDriveTypes)

// The kinds of entry a file list shows, as the attribute bits of an entry.
enum TFileAttr
{
    ftReadOnly = 0x01,
    ftHidden = 0x02,
    ftSystem = 0x04,
    ftVolumeID = 0x08,
    ftDirectory = 0x10,
    ftArchive = 0x20,
    ftNormal = 0x80
};
Q_DECLARE_FLAGS(TFileType, TFileAttr)
Q_FLAG_NS(TFileType)

enum TTextCase
{
    tcLowerCase,
    tcUpperCase
};
Q_ENUM_NS(TTextCase)

enum TNetworkVolumeFormat
{
    nvfExplorer,
    nvfUNC,
    nvfVolumeOnly
};
Q_ENUM_NS(TNetworkVolumeFormat)

} // namespace FrFs

Q_DECLARE_OPERATORS_FOR_FLAGS(FrFs::TDriveTypes)
Q_DECLARE_OPERATORS_FOR_FLAGS(FrFs::TFileType)

using FrFs::TDriveType;
using FrFs::TDriveTypes;
using FrFs::TFileAttr;
using FrFs::TFileType;
using FrFs::TNetworkVolumeFormat;
using FrFs::TTextCase;
using enum FrFs::TFileAttr;
using enum FrFs::TTextCase;
using enum FrFs::TDriveType;
using enum FrFs::TNetworkVolumeFormat;

// The unit's string table.
inline constexpr int SFileNotExist = 42500;
inline constexpr int SDirNotExist = 42501;
QString FrFilSysString(int id);
// The message of a refused folder rename.
QString RenameErrorMessage();

struct TVolumeDisplayName
{
    QString Text;
    QString Serial; // empty when the volume could not be read
};

// A volume's node text: its label (else its mount point's last name) and
// mount point; a network volume named in the given style from its source.
TVolumeDisplayName GetVolumeDisplayName(const TMountTable& table, const QString& mountPoint,
                                        TNetworkVolumeFormat format);
QString GetVolumeSerial(const TMountTable& table, const QString& mountPoint);
// A volume's label (else its mount point's last name) in file-name case, as
// SYSTEM becomes System; empty when the volume is not in the table.
QString GetVolumeLabel(const TMountTable& table, const QString& mountPoint);
// A network volume's source, lower-cased or upper-cased; the volume label
// when the volume has no network source.
QString GetNetworkName(const TMountTable& table, const QString& mountPoint, TTextCase textCase);
// A network volume's source as //Server/Share; empty for other volumes.
QString GetUncRoot(const TMountTable& table, const QString& mountPoint);
// The server part of //Server/Share.
QString ServerOfUnc(const QString& root);
// A path under a network source rewritten onto its mount point; other paths
// unchanged; empty for a network path that no volume mounts.
QString UncToDrivePath(const TMountTable& table, const QString& path);
// The mount point of the volume that holds the process's current folder.
QString CurrentDriveRoot(const TMountTable& table);

// Reads the names of the sub-folders of a folder (hidden ones when asked),
// at most one when only their existence matters. An unreadable folder has
// none. Tests replace it to stand for a folder that answers late or never.
using TFolderReader =
    std::function<QStringList(const QString& folder, bool showHidden, bool firstOnly)>;
TFolderReader SetFolderReader(TFolderReader reader);

// Runs on the work's own thread before each piece of work on a volume that is
// not known to be local, given its mount point. Benchmarks make such a volume
// answer slowly with it, every kind of work alike.
using TVolumeWorkHook = std::function<void(const QString& mountPoint)>;
TVolumeWorkHook SetVolumeWorkHook(TVolumeWorkHook hook);

// How long the GUI thread waits for work on a volume that is not known to be
// local before it goes on without the answer.
inline constexpr std::chrono::milliseconds VolumeWaitTime{30};
// How long the tree waits in the background for such a volume before it
// marks the folder timed out, to be asked again when the user opens or
// selects it.
inline constexpr std::chrono::milliseconds VolumeGiveUpTime{2000};

// Work on the volume that holds a path. On a local volume it is done before
// Start returns; on any other it runs on a thread of its own, so a volume
// that never answers costs a thread, never the window.
class TVolumeWork
{
public:
    static std::shared_ptr<TVolumeWork> Start(const TMountTable& table, const QString& path,
                                              std::function<QVariant()> work);
    // Waits until the work is done or the deadline passes; true when done.
    bool WaitUntil(std::chrono::steady_clock::time_point deadline);
    // Waits as the GUI thread may: all its waits while it handles one event
    // share one VolumeWaitTime, however many controls ask, so one event never
    // adds up several. True when done.
    bool Wait();
    bool Done() const;
    // The work's answer; empty until it is done.
    QVariant Result() const;

private:
    TVolumeWork() = default;
    struct TState;
    std::shared_ptr<TState> state_;
};

// The sub-folders of a folder (a QStringList), read as volume work.
std::shared_ptr<TVolumeWork> StartSubFolderRead(const TMountTable& table, const QString& folder,
                                                bool showHidden, bool firstOnly);
// The sub-folders of a folder, unsorted; none when the volume does not answer
// in VolumeWaitTime.
QStringList ReadSubFolders(const TMountTable& table, const QString& folder, bool showHidden,
                           bool firstOnly);
// Whether the folder exists; noAnswer when its volume does not answer in time.
bool FolderExists(const TMountTable& table, const QString& folder, bool noAnswer = false);
// A yes-or-no question about a path, asked as volume work; no answer when
// the volume does not answer in time.
std::optional<bool> AskVolume(const QString& path, std::function<bool()> question);

// Shows a path in a label, shortened in the middle to fit the label's width,
// or the given width when the label sizes itself.
void ShowPathInLabel(QLabel& label, const QString& path, int autoSizeWidth);

// One of the unit's glyphs (FRFILBMP_...), transparent where it shows its
// bottom-left pixel's colour.
QPixmap FrFilSysGlyph(const char* name);

// The TFileAttr bits of an entry: hidden is a leading dot; read-only is what
// the user (the effective user) may not write; a folder is a directory; a
// regular file is an archive; anything else (device, socket, pipe) is system.
int FileAttributes(const QFileInfo& entry);
// The desktop theme's small icon of an entry, else the unit's glyph for its
// kind: a folder, a program (a regular file the user may run) or any other
// file. A file of an unknown type always has the glyph.
QIcon EntryIcon(const QFileInfo& entry);
// The same, fetched once per extension and icon theme for the life of the
// process; folders, programs and the per-file extensions (.exe, .lnk, .ico,
// .scr) are fetched each time, their icons being their own.
QIcon ListedEntryIcon(const QFileInfo& entry);
// An entry's icon from its name alone, for a volume that may be slow to
// answer: the theme's icon for the type the extension gives, else a glyph.
QIcon IconByName(const QString& name, bool isFolder);

// Opens a file in the desktop's default application for its type; false
// when there is none or it cannot be started. Tests replace it.
using TShellOpener = std::function<bool(const QString& path)>;
TShellOpener SetShellOpener(TShellOpener opener);
bool ShellOpen(const QString& path);

// The long and short forms of a path: both are the full path itself here,
// where names have no short form.
QString LongPathName(const QString& path);
QString ShortPathName(const QString& path);

class TFrDirectoryTree;
class TFrDirectoryListBox;
class TFrFileListBox;
class TFrDriveComboBox;

// The file-system controls link a partner placed beside them (same parent)
// when they have no partner of that kind yet. A newly built control tells
// its siblings, and each takes what it lacks.
class TFrSiblingListener
{
public:
    virtual ~TFrSiblingListener() = default;
    virtual void SiblingInserted(QObject* sibling) = 0;
};
void AnnounceToSiblings(QWidget* control);

// A list box with the framed-control property family: the base of the file
// list and the directory list. Items are painted by the control itself.
class TFrCustomListBox : public TFrFramedView<QListWidget>
{
    Q_OBJECT
    FR_FRAMED_CONTROL_PROPERTIES
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
public:
    explicit TFrCustomListBox(QWidget* parent = nullptr);

    // The colour repaints the frame too when it is shown.
    void SetColor(TColor value) override;
    int ItemHeight() const { return itemHeight_; }

    // Paints one item into its rectangle; the list fills the background.
    virtual void PaintItem(QPainter& canvas, int index, QRect rect) const = 0;
    // Items are as wide as the list.
    virtual int ItemWidth() const { return viewport()->width(); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void SetItemHeight(int height);
    void FrameVisibleChanged() override;
    void ApplyPalette();

private:
    int itemHeight_ = 16;
};

// The current folder's ancestors from "/", the folder itself and its
// sub-folders, one a line, indented by level. A folder that no longer exists
// gives way to its nearest existing ancestor when the list is built.
class TFrDirectoryListBox : public TFrCustomListBox, public TFrSiblingListener
{
    Q_OBJECT
    Q_PROPERTY(QString Directory READ Directory WRITE SetDirectory STORED false)
    Q_PROPERTY(bool ShowLongNames READ ShowLongNames WRITE SetShowLongNames)
    Q_PROPERTY(QLabel* DirLabel READ DirLabel WRITE SetDirLabel)
    Q_PROPERTY(TFrFileListBox* FileList READ FileList WRITE SetFileList)
public:
    explicit TFrDirectoryListBox(QWidget* parent = nullptr);

    QString Directory() const { return directory_; }
    void SetDirectory(const QString& path);
    QString LongDirectory() const { return LongPathName(directory_); }
    bool ShowLongNames() const { return showLongNames_; }
    void SetShowLongNames(bool value);
    QLabel* DirLabel() const { return dirLabel_; }
    void SetDirLabel(QLabel* label);
    TFrFileListBox* FileList() const { return fileList_; }
    void SetFileList(TFrFileListBox* fileList);
    // The combo box that this list follows; set by the combo's DirList setter.
    TFrDriveComboBox* DriveCombo() const { return driveCombo_; }

    // The full path of an item: an ancestor, the folder or a sub-folder.
    QString GetItemPath(int index) const;
    // The level offset of an item's glyph: sub-folders sit one level below
    // the current folder, whatever their place in the list.
    int ItemOffset(int index) const;
    const QPixmap& OpenedGlyph() const { return opened_; }
    const QPixmap& ClosedGlyph() const { return closed_; }
    const QPixmap& CurrentGlyph() const { return current_; }

    // Reads the folder again, stepping up from a folder that has gone.
    void BuildList();
    void UpdateDirLabel();
    void PaintItem(QPainter& canvas, int index, QRect rect) const override;
    void SiblingInserted(QObject* sibling) override;

    std::function<void(QObject*)> OnChange;

private:
    friend class TFrDriveComboBox;
    // Reads the folder again; true when it had gone and an ancestor took its place.
    bool Rebuild();
    void Change();
    void OpenItem(QListWidgetItem* item);
    const QPixmap* GlyphOf(int index) const;

    QString directory_;
    bool showLongNames_ = true;
    QPointer<QLabel> dirLabel_;
    QPointer<TFrFileListBox> fileList_;
    QPointer<TFrDriveComboBox> driveCombo_;
    QPixmap opened_, closed_, current_;
    int currentIndex_ = 0; // the item of the folder itself
};

// One listed entry of a file list.
struct TFrFileInfo
{
    QString EntryName;
    int Attributes = 0; // TFileAttr bits
    QDateTime TimeStamp;
    qint64 FileSize = 0;
    bool IsFolder = false;
    QIcon Icon;
};

// The files of one folder with their icons, folders first, then files, each
// group in case-insensitive name order; several masks separated by ";".
class TFrFileListBox : public TFrCustomListBox, public TFrSiblingListener
{
    Q_OBJECT
    Q_PROPERTY(QString Directory READ Directory WRITE SetDirectory STORED false)
    Q_PROPERTY(QString Mask READ Mask WRITE SetMask)
    Q_PROPERTY(FrFs::TFileType FileType READ FileType WRITE SetFileType)
    Q_PROPERTY(QString FileName READ FileName WRITE SetFileName STORED false)
    Q_PROPERTY(bool AllowOpen READ AllowOpen WRITE SetAllowOpen)
    Q_PROPERTY(int Columns READ Columns WRITE SetColumns)
    Q_PROPERTY(bool ShowGlyphs READ ShowGlyphs WRITE SetShowGlyphs)
    Q_PROPERTY(bool ShowLongNames READ ShowLongNames WRITE SetShowLongNames)
public:
    explicit TFrFileListBox(QWidget* parent = nullptr);

    QString Directory() const { return directory_; }
    // A folder that cannot be entered leaves Directory as it was.
    void SetDirectory(const QString& path);
    QString Mask() const { return mask_; }
    void SetMask(const QString& mask);
    TFileType FileType() const { return fileType_; }
    void SetFileType(TFileType value);
    // The selected item's text; empty without a selection.
    QString FileName() const;
    void SetFileName(const QString& name);
    // The folder and the selected name joined.
    QString FilePath() const;
    QString LongFilePath() const { return LongPathName(FilePath()); }
    QString ShortFilePath() const { return ShortPathName(FilePath()); }
    bool AllowOpen() const { return allowOpen_; }
    void SetAllowOpen(bool value) { allowOpen_ = value; }
    // With columns the items run down into that many columns across the
    // width and the list scrolls sideways to further ones; 0 is one column.
    int Columns() const { return columns_; }
    void SetColumns(int value);
    int ItemWidth() const override;
    bool ShowGlyphs() const { return showGlyphs_; }
    void SetShowGlyphs(bool value);
    bool ShowLongNames() const { return showLongNames_; }
    void SetShowLongNames(bool value);
    const QList<TFrFileInfo>& ItemInfo() const { return itemInfo_; }
    TFrDirectoryListBox* DirList() const { return dirList_; }
    TFrDirectoryTree* DirectoryTree() const { return tree_; }

    // A typed path: a folder, a mask (with * or ?) or a file, alone or after
    // a folder. A file that does not exist raises EInOutError.
    void ApplyPath(const QString& text);
    // Reads the folder into the list.
    void LoadFileNames();
    // A folder entry opens the folder; a file opens in its application when
    // AllowOpen.
    void OpenSelected();
    void RepaintFrame() override;
    void PaintItem(QPainter& canvas, int index, QRect rect) const override;
    void SiblingInserted(QObject* sibling) override;

    std::function<void(QObject*)> OnChange;

protected:
    void changeEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    friend class TFrDirectoryListBox;
    friend class TFrDirectoryTree;
    void UpdateItemHeight();
    void Change();

    QString directory_;
    QString mask_ = QStringLiteral("*.*");
    TFileType fileType_ = ftNormal;
    bool allowOpen_ = false;
    int columns_ = 0;
    int ownMinimumWidth_ = 0; // the minimum width before columns were set
    bool showGlyphs_ = true;
    bool showLongNames_ = true;
    bool rebuilding_ = false;
    bool directoryLocal_ = true;  // on a volume known to be local: icons may read files
    QList<TFrFileInfo> itemInfo_; // parallel to the items
    QPointer<TFrDirectoryListBox> dirList_;
    QPointer<TFrDirectoryTree> tree_;
};

class TFrDirectoryTree : public TFrCustomTreeView, public TFrSiblingListener
{
    Q_OBJECT
    Q_PROPERTY(QLabel* DirLabel READ DirLabel WRITE SetDirLabel)
    Q_PROPERTY(FrFs::TDriveTypes DriveTypes READ DriveTypes WRITE SetDriveTypes)
    Q_PROPERTY(bool OpenCurrentDir READ OpenCurrentDir WRITE SetOpenCurrentDir)
    Q_PROPERTY(FrFs::TNetworkVolumeFormat NetworkVolumeFormat READ NetworkVolumeFormat WRITE
                   SetNetworkVolumeFormat)
    Q_PROPERTY(bool ShowHiddenDirs READ ShowHiddenDirs WRITE SetShowHiddenDirs)
    Q_PROPERTY(QString Directory READ Directory WRITE SetDirectory STORED false)
    Q_PROPERTY(TFrFileListBox* FileList READ FileList WRITE SetFileList)
public:
    explicit TFrDirectoryTree(QWidget* parent = nullptr);
    ~TFrDirectoryTree() override;

    QLabel* DirLabel() const { return dirLabel_; }
    virtual void SetDirLabel(QLabel* label);
    TDriveTypes DriveTypes() const { return driveTypes_; }
    virtual void SetDriveTypes(TDriveTypes value);
    bool OpenCurrentDir() const { return openCurrentDir_; }
    void SetOpenCurrentDir(bool value);
    TNetworkVolumeFormat NetworkVolumeFormat() const { return networkVolumeFormat_; }
    virtual void SetNetworkVolumeFormat(TNetworkVolumeFormat value);
    bool ShowHiddenDirs() const { return showHiddenDirs_; }
    virtual void SetShowHiddenDirs(bool value);
    // The file list kept on the selected folder; it knows this tree back.
    TFrFileListBox* FileList() const { return fileList_; }
    virtual void SetFileList(TFrFileListBox* fileList);
    void SiblingInserted(QObject* sibling) override;

    // The selected folder without its trailing "/" ("/" itself for the root);
    // empty without a selection.
    QString Directory() const { return GetDirectory(); }
    void SetDirectory(const QString& path) { OpenDirectory(path); }
    // The mount point of the volume that holds Directory; empty without one.
    QString Drive() const { return GetDrive(); }

    std::function<void(QObject*)> OnChange;
    std::function<void(QObject*)> OnClick;
    std::function<void(QObject*)> OnDblClick;
    std::function<void(QObject*)> OnDriveChange;

    virtual void LoadDrives();
    virtual void RefreshDrives();
    virtual void ClearNodes();
    virtual void RefreshNode(QTreeWidgetItem* node);
    virtual QString GetDirectory() const;
    virtual void OpenDirectory(const QString& path);
    virtual QString GetDrive() const;
    // The mount points of the volumes of the kinds in DriveTypes.
    virtual QStringList GetDriveMask() const;
    virtual void UpdateDirLabel();
    virtual void Reload();

    // The folder a node stands for, with a trailing "/"; empty for a placeholder.
    static QString NodePath(const QTreeWidgetItem* node);
    static bool ChildrenRead(const QTreeWidgetItem* node);
    // The node's volume gave no answer in time; it is asked again when the
    // node is opened or selected.
    static bool TimedOut(const QTreeWidgetItem* node);
    // The user's home folder, the first top-level node; none when its volume
    // is not shown.
    QTreeWidgetItem* HomeNode() const;
    // Whether answers from volumes that are slow to answer are still awaited.
    bool Pending() const { return !pending_.isEmpty(); }

    // Renames the node's folder to a sibling named text; shows the error and
    // changes nothing when that fails. The label editor ends here.
    void RenameNode(QTreeWidgetItem* node, const QString& text);

protected:
    void FrameVisibleChanged() override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // A folder read whose answer the tree awaits in the background.
    struct TPendingRead
    {
        QPersistentModelIndex node;
        std::shared_ptr<TVolumeWork> work;
        bool probe; // only whether it has sub-folders
        std::chrono::steady_clock::time_point started;
    };

    void CreateWnd();
    void DestroyWnd();
    void SetUpNode(QTreeWidgetItem* node, const QString& path);
    QTreeWidgetItem* AddDriveNode(const QString& mountPoint, int index);
    QTreeWidgetItem* AddHomeNode();
    void AddPlaceholder(QTreeWidgetItem* node);
    void ProbeChildren(QTreeWidgetItem* node);
    void ProbeAll(const QList<QTreeWidgetItem*>& nodes);
    void ApplyProbe(QTreeWidgetItem* node, const QStringList& names);
    // True when the children are read; false while the volume's answer is awaited.
    bool ReadChildren(QTreeWidgetItem* node);
    void FillChildren(QTreeWidgetItem* node, QStringList names);
    void Wait(QTreeWidgetItem* node, std::shared_ptr<TVolumeWork> work, bool probe);
    bool IsPending(QTreeWidgetItem* node, std::optional<bool> probe = std::nullopt) const;
    void CheckPending();
    void ContinueOpen();
    QTreeWidgetItem* StartNode(const QString& folder) const;
    QTreeWidgetItem* FindDriveNode(const QString& mountPoint) const;
    void Expanding(QTreeWidgetItem* node);
    void CurrentChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void Change(QTreeWidgetItem* node);
    void Clicked();
    void MountTableChanged();
    QString DriveOf(const QString& path) const;
    void PumpMessages();

    QPointer<QLabel> dirLabel_;
    QPointer<TFrFileListBox> fileList_;
    TDriveTypes driveTypes_ =
        TDriveTypes(dtUnknown | dtFloppy | dtFixed | dtNetwork | dtCDROM | dtRAM);
    bool openCurrentDir_ = false;
    TNetworkVolumeFormat networkVolumeFormat_ = nvfExplorer;
    bool showHiddenDirs_ = false;

    TMountTable mountTable_;
    QStringList shownDrives_;         // the mount points shown, in order
    QHash<QString, QString> serials_; // the last known serial per mount point
    QString rememberedDrive_;
    bool updating_ = false;
    bool destroying_ = false;
    QString savedDirectory_;
    TMountWatcher* watcher_;
    QList<TPendingRead> pending_;
    QTimer* pendingTimer_;
    QString pendingOpen_; // the folder to open once its volume answers
    bool opening_ = false;
};

// The machine's volumes in a drop-down list, filtered by kind, each with its
// glyph, mount point and label or network name; it can drive a directory
// list. The frame is painted in the client area, over the platform's look,
// with a flat drop-down button while idle.
class TFrDriveComboBox : public QComboBox, public TFrFramedControl, public TFrSiblingListener
{
    Q_OBJECT
    FR_FRAMED_CONTROL_PROPERTIES
    Q_PROPERTY(bool FlatButtons READ FlatButtons WRITE SetFlatButtons)
    Q_PROPERTY(FrFs::TDriveTypes DriveTypes READ DriveTypes WRITE SetDriveTypes)
    Q_PROPERTY(FrFs::TTextCase TextCase READ TextCase WRITE SetTextCase)
    Q_PROPERTY(QString Drive READ Drive WRITE SetDrive STORED false)
    Q_PROPERTY(TFrDirectoryListBox* DirList READ DirList WRITE SetDirList)
public:
    explicit TFrDriveComboBox(QWidget* parent = nullptr);

    // The colour fills the field and the list, not only the frame.
    void SetColor(TColor value) override;
    Q_INVOKABLE bool IsFlatButtonsStored() const { return IsFrameSettingStored(); }

    bool FlatButtons() const { return flatButtons_; }
    virtual void SetFlatButtons(bool value);
    TDriveTypes DriveTypes() const { return driveTypes_; }
    void SetDriveTypes(TDriveTypes value);
    TTextCase TextCase() const { return textCase_; }
    void SetTextCase(TTextCase value);
    // The mount point of the chosen volume.
    QString Drive() const;
    // Chooses the volume that holds the path.
    void SetDrive(const QString& path);
    TFrDirectoryListBox* DirList() const { return dirList_; }
    void SetDirList(TFrDirectoryListBox* dirList);
    // The mount point of each item, in item order.
    const QStringList& MountPoints() const { return mountPoints_; }
    // Whether the drop-down button is drawn flat now (idle, FlatButtons).
    bool ButtonFlat() const;

    // Lists the volumes again.
    void BuildList();
    void UpdateFrameState(bool isMouseEvent, bool value) override;
    // Every frame setting just repaints the control.
    void RepaintFrame() override;
    void SiblingInserted(QObject* sibling) override;

    std::function<void(QObject*)> OnChange;

protected:
    void FrameVisibleChanged() override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Chosen(int index);

    bool flatButtons_ = true;
    bool focused_ = false;
    TDriveTypes driveTypes_ = TDriveTypes(dtFloppy | dtFixed | dtNetwork | dtCDROM | dtRAM);
    TTextCase textCase_ = tcLowerCase;
    QStringList mountPoints_;
    QPointer<TFrDirectoryListBox> dirList_;
};
