// The framed file-system controls. TFrDirectoryTree shows the machine's
// volumes as top-level nodes and their folders beneath them, read lazily:
// a folder's children are read when it is expanded or a path is opened
// through it, and until then a ":" placeholder child gives it its expand
// button. On Linux a volume is a real mounted file system, keyed by its mount
// point, read from the mount table (MountTable.h) without touching it.
#pragma once

#include "controls/FrTreeVw.h"
#include "platform/MountTable.h"

#include <QLabel>
#include <QPointer>
#include <QStringList>
#include <functional>

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

enum TNetworkVolumeFormat
{
    nvfExplorer,
    nvfUNC,
    nvfVolumeOnly
};
Q_ENUM_NS(TNetworkVolumeFormat)

} // namespace FrFs

Q_DECLARE_OPERATORS_FOR_FLAGS(FrFs::TDriveTypes)

using FrFs::TDriveType;
using FrFs::TDriveTypes;
using FrFs::TNetworkVolumeFormat;
using enum FrFs::TDriveType;
using enum FrFs::TNetworkVolumeFormat;

// The unit's string table.
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
// none. Tests replace it to stand for a folder that never answers.
using TFolderReader =
    std::function<QStringList(const QString& folder, bool showHidden, bool firstOnly)>;
TFolderReader SetFolderReader(TFolderReader reader);
// The sub-folders of a folder, unsorted. On a network volume the reading runs
// off the GUI thread and is given up after a moment: a server that does not
// answer leaves the folder without children instead of freezing the window.
QStringList ReadSubFolders(const TMountTable& table, const QString& folder, bool showHidden,
                           bool firstOnly);
// Whether the folder exists, with the same bounded wait on a network volume.
bool FolderExists(const TMountTable& table, const QString& folder);

class TFrDirectoryTree : public TFrCustomTreeView
{
    Q_OBJECT
    Q_PROPERTY(QLabel* DirLabel READ DirLabel WRITE SetDirLabel)
    Q_PROPERTY(FrFs::TDriveTypes DriveTypes READ DriveTypes WRITE SetDriveTypes)
    Q_PROPERTY(bool OpenCurrentDir READ OpenCurrentDir WRITE SetOpenCurrentDir)
    Q_PROPERTY(FrFs::TNetworkVolumeFormat NetworkVolumeFormat READ NetworkVolumeFormat WRITE
                   SetNetworkVolumeFormat)
    Q_PROPERTY(bool ShowHiddenDirs READ ShowHiddenDirs WRITE SetShowHiddenDirs)
    Q_PROPERTY(QString Directory READ Directory WRITE SetDirectory STORED false)
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

    // Renames the node's folder to a sibling named text; shows the error and
    // changes nothing when that fails. The label editor ends here.
    void RenameNode(QTreeWidgetItem* node, const QString& text);

protected:
    void FrameVisibleChanged() override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void CreateWnd();
    void DestroyWnd();
    void SetUpNode(QTreeWidgetItem* node, const QString& path);
    void AddDriveNode(const QString& mountPoint, int index);
    void AddPlaceholder(QTreeWidgetItem* node);
    void ProbeChildren(QTreeWidgetItem* node);
    void ReadChildren(QTreeWidgetItem* node);
    QTreeWidgetItem* FindDriveNode(const QString& mountPoint) const;
    void Expanding(QTreeWidgetItem* node);
    void CurrentChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void Change(QTreeWidgetItem* node);
    void Clicked();
    void MountTableChanged();
    QString DriveOf(const QString& path) const;
    void PumpMessages();

    QPointer<QLabel> dirLabel_;
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
};
