// The directory list, the file list and the drive combo box over temporary
// folder structures and captured mount tables: items, indentation, masks and
// attributes, typed paths, opening entries, the links between the controls
// and the tree, folders removed from outside, and the frame they draw.
#include "FrameTestSupport.h"
#include "controls/FrFilSys.h"
#include "platform/MountTableUbuntuDesktop.h"
#include "platform/core/Exceptions.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

inline void PrintTo(const QRect& rect, std::ostream* out)
{
    *out << rect.x() << ',' << rect.y() << ' ' << rect.width() << 'x' << rect.height();
}

namespace {

QStringList Items(const QListWidget& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.item(i)->text();
    return texts;
}

QStringList Items(const QComboBox& combo)
{
    QStringList texts;
    for (int i = 0; i < combo.count(); ++i)
        texts << combo.itemText(i);
    return texts;
}

QImage Pixels(const QIcon& icon)
{
    return icon.pixmap(16).toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage Solid(const QColor& color)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

// For the length of one test the icons come from a theme of the test's own:
// by icon name, a single colour.
class IconTheme
{
public:
    IconTheme(const QString& name, const QMap<QString, QString>& icons)
    {
        EXPECT_TRUE(QDir().mkpath(folder_.File(name + "/16")));
        WriteAll(folder_.File(name + "/index.theme"),
                 "[Icon Theme]\nDirectories=16\n[16]\nSize=16\nType=Fixed\n");
        for (auto icon = icons.begin(); icon != icons.end(); ++icon)
            EXPECT_TRUE(Solid(QColor(icon.value()))
                            .save(folder_.File(name + "/16/" + icon.key() + ".png")));
        QIcon::setThemeSearchPaths({folder_.Path()});
        QIcon::setFallbackSearchPaths({});
        QIcon::setThemeName(name);
    }
    ~IconTheme()
    {
        QIcon::setThemeSearchPaths(paths_);
        QIcon::setFallbackSearchPaths(fallbackPaths_);
        QIcon::setThemeName(previous_);
    }

private:
    TempFolder folder_;
    QStringList paths_ = QIcon::themeSearchPaths();
    QStringList fallbackPaths_ = QIcon::fallbackSearchPaths();
    QString previous_ = QIcon::themeName();
};

class FileSystemControlsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* path : {"a/b/c1", "a/b/C2", "a/b/.hid", "files/sub", "files/Zed"})
            ASSERT_TRUE(QDir().mkpath(Data(path)));
        for (const char* name : {"b.txt", "A.log", "c.TXT", "noext", ".hidden", "ro.dat"})
            WriteAll(Data(QString("files/") + name), "x");
        ::chmod(QFile::encodeName(Data("files/ro.dat")).constData(), 0444);
        ASSERT_EQ(::mkfifo(QFile::encodeName(Data("files/pipe")).constData(), 0644), 0);
        // The volumes: the machine's root, the data folder and a few others
        // that are never touched.
        QDir().mkpath(Data("dev"));
        WriteAll(Data("dev/sda1"), "");
        QDir().mkpath(Data("disk/by-label"));
        QFile::link(Data("dev/sda1"), Data("disk/by-label/SYSTEM"));
        QDir().mkpath(Data("sys/dev/block/8:16"));
        WriteAll(Data("sys/dev/block/8:16/removable"), "1\n");
        // The data folder's volume is a mount in the user's home folder; the
        // media's devices are no block devices of this machine.
        mountinfo_ = {"26 1 8:1 / / rw - ext4 " + Data("dev/sda1") + " rw",
                      "27 26 0:40 / /run rw - tmpfs tmpfs rw",
                      "28 26 0:50 / /media/share rw - cifs //Server/Share rw",
                      "29 26 11:0 / /media/cdrom ro - iso9660 " + Data("dev/sr0") + " ro",
                      "30 26 8:16 / /media/usb rw - vfat " + Data("dev/sdb") + " rw",
                      "31 26 0:5 / /proc rw - proc proc rw",
                      "40 26 8:32 / " + Data() + " rw - ext4 /dev/sdc rw"};
        previous_ = SetMountSources({[this] { return mountinfo_.join('\n').toUtf8(); },
                                     Data("disk"),
                                     Data("sys"),
                                     QFileInfo(Data()).path(),
                                     {}});
    }
    void TearDown() override
    {
        SetMountSources(previous_);
        SetShellOpener({});
    }
    QString Data(const QString& path = QString()) const
    {
        return path.isEmpty() ? folder_.Path() : folder_.File(path);
    }

    TempFolder folder_;
    QStringList mountinfo_;
    TMountSources previous_;
};

} // namespace

TEST_F(FileSystemControlsTest, DirectoryListShowsAncestorsAndSubFoldersIndented)
{
    TFrDirectoryListBox list;
    list.resize(400, 400);
    list.SetDirectory(Data("a/b"));
    QStringList expected{"/"};
    expected << Data("a/b").split('/', Qt::SkipEmptyParts) << "c1"
             << "C2";
    EXPECT_EQ(Items(list), expected) << "hidden folders are not listed";
    const int current = int(expected.size()) - 3;
    EXPECT_EQ(list.currentRow(), current);
    EXPECT_EQ(list.GetItemPath(current), Data("a/b"));
    EXPECT_EQ(list.GetItemPath(current + 1), Data("a/b/c1"));
    EXPECT_EQ(list.GetItemPath(0), "/");
    EXPECT_EQ(list.ItemOffset(1), 6);
    const int subLevel = int(Data("a/b").count('/')) + 1;
    EXPECT_EQ(list.ItemOffset(current + 1), subLevel * 4 + 2);
    EXPECT_EQ(list.ItemOffset(current + 2), subLevel * 4 + 2);

    // The painted glyph of a sub-folder starts at its offset.
    list.show();
    list.scrollToBottom();
    const QImage image = list.viewport()->grab().toImage();
    const QRect row = list.visualItemRect(list.item(current + 2));
    const QRgb base = image.pixel(row.right() - 1, row.center().y());
    int firstInk = -1;
    for (int x = 0; x < row.width() && firstInk < 0; ++x)
        for (int y = row.top(); y <= row.bottom() && firstInk < 0; ++y)
            if (image.pixel(row.left() + x, y) != base)
                firstInk = x;
    EXPECT_EQ(firstInk, subLevel * 4 + 2);
}

TEST_F(FileSystemControlsTest, DirectoryListStepsUpFromAFolderRemovedFromOutside)
{
    QWidget form;
    auto* list = new TFrDirectoryListBox(&form);
    auto* files = new TFrFileListBox(&form);
    ASSERT_EQ(list->FileList(), files) << "a file list placed beside the list is linked";
    list->SetDirectory(Data("a/b/c1"));
    EXPECT_EQ(files->Directory(), Data("a/b/c1"));
    ASSERT_TRUE(QDir(Data("a/b")).removeRecursively());
    list->BuildList();
    EXPECT_EQ(list->Directory(), Data("a"));
    EXPECT_EQ(files->Directory(), Data("a")) << "the file list follows";
    list->SetDirectory("/nonexistent-folder/x/y");
    EXPECT_EQ(list->Directory(), "/") << "the walk up ends at the root";
}

TEST_F(FileSystemControlsTest, FileListMasksAndAttributes)
{
    const bool root = ::geteuid() == 0;
    const struct
    {
        const char* mask;
        TFileType type;
        QStringList items;
    } cases[] = {
        {"*.*", ftNormal, {"A.log", "b.txt", "c.TXT", "noext", "ro.dat"}},
        {"*.txt;*.t*", ftNormal, {"b.txt", "c.TXT"}},
        {"*.*",
         ftNormal | ftDirectory,
         {"sub", "Zed", "A.log", "b.txt", "c.TXT", "noext", "ro.dat"}},
        {"*", ftHidden, {".hidden"}},
        {"*", ftSystem, {"pipe"}},
        {"*", ftArchive, {"A.log", "b.txt", "c.TXT", "noext", "ro.dat"}},
        {"*", ftDirectory, {"sub", "Zed"}},
        {"*", ftVolumeID, {}},
        {"*", ftReadOnly, root ? QStringList() : QStringList{"ro.dat"}},
    };
    TFrFileListBox list;
    list.SetDirectory(Data("files"));
    for (const auto& c : cases) {
        list.SetFileType(c.type);
        list.SetMask(c.mask);
        EXPECT_EQ(Items(list), c.items) << c.mask << " " << c.type.toInt();
        ASSERT_EQ(list.ItemInfo().size(), list.count());
        for (int i = 0; i < list.count(); ++i)
            EXPECT_EQ(list.ItemInfo()[i].EntryName, list.item(i)->text());
    }
}

TEST_F(FileSystemControlsTest, FileListItemHeightAndGlyphs)
{
    TFrFileListBox list;
    list.SetDirectory(Data("files"));
    QFont small = list.font();
    small.setPixelSize(6);
    list.setFont(small);
    EXPECT_EQ(list.ItemHeight(), 18);
    EXPECT_FALSE(list.ItemInfo().first().Icon.isNull());
    list.SetShowGlyphs(false);
    EXPECT_EQ(list.ItemHeight(), FontItemHeight(small) - 3);
    list.LoadFileNames();
    EXPECT_TRUE(list.ItemInfo().first().Icon.isNull()) << "no icons fetched without glyphs";
}

TEST_F(FileSystemControlsTest, FileListTypedPaths)
{
    TFrFileListBox list;
    list.SetDirectory(Data("a"));
    list.SetFileType(ftNormal);
    list.ApplyPath(Data("files") + "/*.txt");
    EXPECT_EQ(list.Directory(), Data("files"));
    EXPECT_EQ(list.Mask(), "*.txt");
    list.ApplyPath("ro.dat");
    EXPECT_EQ(list.Mask(), "ro.dat") << "a file outside the mask becomes the mask";
    EXPECT_EQ(list.FileName(), "ro.dat");
    EXPECT_EQ(list.FilePath(), Data("files/ro.dat"));
    try {
        list.ApplyPath("missing.txt");
        ADD_FAILURE() << "a missing file is refused";
    } catch (const EInOutError& error) {
        EXPECT_STREQ(error.what(), "The missing.txt file does not exist");
    }
}

TEST_F(FileSystemControlsTest, FileListOpensFoldersAndFiles)
{
    ScriptedUi ui;
    QStringList opened;
    bool opens = false;
    SetShellOpener([&](const QString& path) {
        opened << path;
        return opens;
    });
    TFrFileListBox list;
    list.SetDirectory(Data("files"));
    list.SetFileType(ftNormal | ftDirectory);
    list.SetFileName("sub");
    list.OpenSelected();
    EXPECT_EQ(list.Directory(), Data("files/sub")) << "a folder entry opens the folder";

    list.SetDirectory(Data("files"));
    list.SetFileName("b.txt");
    list.OpenSelected();
    EXPECT_TRUE(opened.isEmpty()) << "files open only with AllowOpen";
    list.SetAllowOpen(true);
    list.OpenSelected();
    EXPECT_EQ(opened, QStringList{Data("files/b.txt")});
    EXPECT_EQ(ui->Texts(), QStringList{"Could not open file."});
    opens = true;
    ui->Clear();
    list.OpenSelected();
    EXPECT_TRUE(ui->Texts().isEmpty());
}

TEST_F(FileSystemControlsTest, TreeListAndComboLinkedTogether)
{
    QWidget form;
    auto* tree = new TFrDirectoryTree(&form);
    auto* files = new TFrFileListBox(&form);
    EXPECT_EQ(tree->FileList(), files);
    EXPECT_EQ(files->DirectoryTree(), tree);
    tree->SetDirectory(Data("files"));
    EXPECT_EQ(files->Directory(), Data("files")) << "selecting a folder updates the list";
    files->ApplyPath(Data("a") + "/*");
    EXPECT_EQ(tree->Directory(), Data("a")) << "a typed folder opens in the tree";

    auto* dirs = new TFrDirectoryListBox(&form);
    auto* combo = new TFrDriveComboBox(&form);
    EXPECT_EQ(combo->DirList(), dirs);
    EXPECT_EQ(dirs->FileList(), files) << "a file list links a directory list placed after it";
    combo->SetDrive(Data("a"));
    EXPECT_EQ(dirs->Directory(), Data()) << "choosing a volume moves the list to it";
    EXPECT_EQ(files->Directory(), Data());
    dirs->SetDirectory("/run");
    EXPECT_EQ(combo->Drive(), "/") << "the combo follows the list onto the volume it shows";
    EXPECT_EQ(dirs->Directory(), "/run");

    delete files;
    EXPECT_EQ(tree->FileList(), nullptr);
    EXPECT_EQ(dirs->FileList(), nullptr);
}

TEST_F(FileSystemControlsTest, DriveComboTextsAndGlyphs)
{
    TFrDriveComboBox combo;
    const QStringList volumes{"/", "/media/cdrom", "/media/share", "/media/usb", Data()};
    EXPECT_EQ(combo.MountPoints(), volumes) << "pseudo file systems and /run are no volumes";
    const QStringList lower{
        "/: System", "/media/cdrom: Cdrom", "/media/share: //server/share",
        "/media/usb:", Data() + ": " + GetVolumeLabel(ReadMountTable(), Data())};
    EXPECT_EQ(Items(combo), lower);
    const char* glyphs[] = {"FRFILBMP_FIXEDDISK", "FRFILBMP_CDROM", "FRFILBMP_NETDRIVE",
                            "FRFILBMP_FLOPPY", "FRFILBMP_FIXEDDISK"};
    for (int i = 0; i < combo.count(); ++i)
        EXPECT_EQ(combo.itemIcon(i).pixmap(16).toImage().convertToFormat(QImage::Format_ARGB32),
                  FrFilSysGlyph(glyphs[i]).toImage().convertToFormat(QImage::Format_ARGB32))
            << glyphs[i];
    combo.SetTextCase(tcUpperCase);
    EXPECT_EQ(combo.itemText(2), "/media/share: //SERVER/SHARE");
    combo.SetDriveTypes(dtFixed | dtUnknown | dtNoDrive);
    EXPECT_EQ(combo.MountPoints(), (QStringList{"/", Data()}));
    EXPECT_EQ(GetVolumeLabel(ReadMountTable(), "/gone"), "") << "an unreadable volume";
}

// The combo lists what the tree lists: "/" always, then the user's places,
// never snaps, /run, /boot/efi, /mnt or a mount in a dot folder.
TEST_F(FileSystemControlsTest, DriveComboListsTheRootAndTheUsersMounts)
{
    const struct
    {
        QByteArray mountinfo;
        QStringList mountPoints;
    } cases[] = {
        {"21 20 0:20 / /proc rw - proc proc rw\n", {"/"}},
        {UbuntuDesktopMountInfo,
         {"/", "/home/ann/GoogleDrive", "/home/ann/Nextcloud", "/home/ann/server"}},
    };
    for (const auto& c : cases) {
        SetMountSources(
            {[&c] { return c.mountinfo; }, "/nonexistent", "/nonexistent", "/home/ann", {}});
        TFrDriveComboBox combo;
        QStringList mountPoints = combo.MountPoints();
        mountPoints.removeAll(
            "/media/ann/KINGSTON"); // as this machine's /media/ann lets GIO see it
        EXPECT_EQ(mountPoints, c.mountPoints);
    }
}

TEST_F(FileSystemControlsTest, FrameSettingsReachEveryControl)
{
    FixedPalette palette;
    QWidget form;
    TFrFrameController controller;
    auto* dirs = new TFrDirectoryListBox(&form);
    auto* files = new TFrFileListBox(&form);
    auto* combo = new TFrDriveComboBox(&form);
    for (TFrFramedControl* control : std::initializer_list<TFrFramedControl*>{dirs, files, combo})
        control->SetFrameController(&controller);
    controller.SetFrameColor(RGB(255, 0, 0));
    controller.SetFrameVisible(true);
    EXPECT_TRUE(dirs->FrameVisible() && files->FrameVisible() && combo->FrameVisible());
    EXPECT_EQ(files->frameStyle(), QFrame::Panel | QFrame::Plain);
    EXPECT_FALSE(StoredProperties(*combo).contains("FlatButtons"));
    controller.SetFrameVisible(false);
    EXPECT_EQ(files->frameStyle(), QFrame::StyledPanel | QFrame::Sunken);
    controller.SetFrameVisible(true);

    combo->resize(200, 24);
    const auto pixel = [&](int x, int y) { return combo->grab().toImage().pixel(x, y); };
    EXPECT_EQ(pixel(0, 0), ToQColor(RGB(255, 0, 0)).rgb()) << "the flat frame in FrameColor";
    const int scroll = combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int cx = combo->width() - scroll - 2 + scroll / 2 - 1, cy = 2 + combo->height() / 2;
    EXPECT_TRUE(combo->ButtonFlat());
    EXPECT_EQ(pixel(cx, cy - 3), qRgb(0, 0, 0)) << "the flat button's triangle";
    EXPECT_EQ(pixel(cx + 4, cy - 1), ToQColor(clWindow).rgb()) << "on the control's colour";
    combo->UpdateFrameState(true, true);
    EXPECT_FALSE(combo->ButtonFlat()) << "hovered: the platform's button";
    EXPECT_NE(pixel(cx + 4, cy - 1), ToQColor(clWindow).rgb());
}

TEST_F(FileSystemControlsTest, FileListColumnsRunDownThenAcross)
{
    ASSERT_TRUE(QDir().mkpath(Data("many")));
    for (int i = 0; i < 20; ++i)
        WriteAll(Data(QString("many/f%1").arg(i, 2, 10, QChar('0'))), "x");
    TFrFileListBox list;
    list.SetDirectory(Data("many"));
    list.resize(300, 4 * list.ItemHeight() + 20);
    list.show();
    for (const int columns : {0, 3, 2, 0}) {
        list.SetColumns(columns);
        // The items follow the width once the scroll bars have come or gone:
        // columns beyond the width scroll sideways, never down.
        const auto width = [&] { return list.viewport()->width() / std::max(columns, 1); };
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return list.visualItemRect(list.item(0)).width() == width() &&
                       list.horizontalScrollBar()->isVisible() == (columns > 0) &&
                       list.verticalScrollBar()->isVisible() == (columns == 0);
            },
            2000))
            << "columns " << columns;
        const int height = list.ItemHeight();
        const int rows = columns > 0 ? list.viewport()->height() / height : list.count();
        ASSERT_TRUE(columns == 0 || (rows > 1 && rows * columns < list.count()));
        for (int i = 0; i < list.count(); ++i)
            EXPECT_EQ(list.visualItemRect(list.item(i)),
                      QRect(i / rows * width(), i % rows * height, width(), height))
                << "columns " << columns << " item " << i;
        // The wheel turns the way the list scrolls.
        QScrollBar* scrolled = columns > 0 ? list.horizontalScrollBar() : list.verticalScrollBar();
        scrolled->setValue(0);
        QWheelEvent down(QPointF(5, 5), list.mapToGlobal(QPointF(5, 5)), {}, {0, -120},
                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list.viewport(), &down);
        EXPECT_GT(scrolled->value(), 0) << "columns " << columns;
        scrolled->setValue(0);
    }

    const struct
    {
        int ownMinimum, columns, asked, width;
    } widths[] = {{0, 0, 1, 1}, {0, 2, 1, 3}, {0, 2, 0, 3}, {0, 2, 7, 7}, {5, 2, 1, 5}};
    for (const auto& w : widths) {
        TFrFileListBox narrow;
        narrow.setMinimumWidth(w.ownMinimum);
        narrow.SetColumns(w.columns);
        narrow.resize(w.asked, 50);
        EXPECT_EQ(narrow.width(), w.width) << w.columns << " columns, asked " << w.asked;
        narrow.SetColumns(0);
        EXPECT_EQ(narrow.minimumWidth(), w.ownMinimum) << "one column gives back the width";
    }
}

TEST_F(FileSystemControlsTest, FileListGlyphsWhereTheThemeHasNoIcon)
{
    ASSERT_TRUE(QDir().mkpath(Data("kinds/sub")));
    WriteAll(Data("kinds/tool"), QByteArray("\x01\x02\x00\x03", 4));
    ::chmod(QFile::encodeName(Data("kinds/tool")).constData(), 0755);
    WriteAll(Data("kinds/data.bin"), QByteArray("\x01\x02\x00\x03", 4));
    WriteAll(Data("kinds/notes.txt"), "text");
    WriteAll(Data("kinds/CMakeLists.txt"), "project(x)"); // a type of its own, not plain text
    // An unknown type has the glyph even where the theme has an icon for it.
    const QMap<QString, QString> someIcons{
        {"folder", "red"}, {"text-plain", "green"}, {"application-octet-stream", "blue"}};
    const struct
    {
        const char* theme;
        QMap<QString, QString> themeIcons;
        QStringList icons; // a glyph or a colour
    } cases[] = {
        {"NoIcons",
         {},
         {"FRFILBMP_CLOSEDFOLDER", "FRFILBMP_UNKNOWNFILE", "FRFILBMP_UNKNOWNFILE",
          "FRFILBMP_UNKNOWNFILE", "FRFILBMP_EXECUTABLE"}},
        {"SomeIcons",
         someIcons,
         {"red", "FRFILBMP_UNKNOWNFILE", "FRFILBMP_UNKNOWNFILE", "green", "FRFILBMP_EXECUTABLE"}},
    };
    for (const auto& c : cases) {
        IconTheme theme(c.theme, c.themeIcons);
        TFrFileListBox list;
        list.SetFileType(ftNormal | ftDirectory);
        list.SetDirectory(Data("kinds"));
        ASSERT_EQ(Items(list),
                  (QStringList{"sub", "CMakeLists.txt", "data.bin", "notes.txt", "tool"}));
        for (int i = 0; i < list.count(); ++i) {
            const QString& icon = c.icons[i];
            EXPECT_EQ(Pixels(list.ItemInfo()[i].Icon), icon.startsWith("FRFILBMP")
                                                           ? Pixels(FrFilSysGlyph(qPrintable(icon)))
                                                           : Solid(QColor(icon)))
                << c.theme << " " << qPrintable(icon);
        }
    }
}

TEST_F(FileSystemControlsTest, ReadOnlyIsWhatTheUserMayNotWrite)
{
    // Root may write anything: the attributes are read by an ordinary user,
    // in a folder that user can reach.
    QTemporaryDir folder(QStringLiteral("/tmp/tessaly-read-only-XXXXXX"));
    ASSERT_TRUE(folder.isValid());
    const struct
    {
        const char* name;
        mode_t mode;
        int attributes;
    } cases[] = {{"ro.txt", 0444, ftArchive | ftReadOnly},
                 {"rw.txt", 0666, ftArchive},
                 {"ro-dir", 0555, ftDirectory | ftReadOnly},
                 {"rw-dir", 0777, ftDirectory}};
    ::chmod(QFile::encodeName(folder.path()).constData(), 0755);
    for (const auto& c : cases) {
        const QString path = folder.filePath(c.name);
        if (QString(c.name).endsWith("dir"))
            ASSERT_TRUE(QDir().mkpath(path));
        else
            WriteAll(path, "x");
        ::chmod(QFile::encodeName(path).constData(), c.mode);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::geteuid() == 0 && (::setegid(65534) != 0 || ::seteuid(65534) != 0))
                ::_exit(255);
            ::_exit(FileAttributes(QFileInfo(path)));
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), c.attributes) << c.name;
    }
}

// Masks and typed names match whole names; names differ by letter case.
TEST_F(FileSystemControlsTest, MasksMatchWholeNamesAndNamesKeepTheirCase)
{
    ASSERT_TRUE(QDir().mkpath(Data("m")));
    for (const char* name : {"a.txt", "a.txt.bak", "n.db", "n.dbf", "d.db~", "README", "Readme"})
        WriteAll(Data(QString("m/") + name), "x");
    const struct
    {
        const char* mask;
        QStringList items;
    } cases[] = {{"*.txt", {"a.txt"}},
                 {"*.db", {"n.db"}},
                 {"*.db;*.txt", {"a.txt", "n.db"}},
                 {"read*", {"README", "Readme"}}};
    TFrFileListBox list;
    list.SetDirectory(Data("m"));
    for (const auto& c : cases) {
        list.SetMask(c.mask);
        EXPECT_EQ(Items(list), c.items) << c.mask;
    }
    list.ApplyPath("a.txt"); // outside the mask: the typed name becomes the mask
    EXPECT_EQ(Items(list), QStringList({"a.txt"}));
    list.SetMask("*");
    for (const char* name : {"Readme", "README", "readme"}) {
        list.SetFileName(name);
        EXPECT_EQ(list.FileName(), QString(name) == "readme" ? "" : name);
    }
}

TEST_F(FileSystemControlsTest, AFolderThatHasGoneChangesTheListOnce)
{
    TFrDirectoryListBox list;
    int changes = 0;
    list.OnChange = [&](QObject*) { ++changes; };
    list.SetDirectory(Data("a/gone/deeper"));
    EXPECT_EQ(list.Directory(), Data("a"));
    EXPECT_EQ(changes, 1);
}

TEST_F(FileSystemControlsTest, TheDriveCombosColourFillsItsField)
{
    TFrDriveComboBox combo;
    combo.resize(300, 28);
    combo.SetColor(RGB(0, 160, 0));
    const QColor field = combo.grab().toImage().pixelColor(200, 14);
    EXPECT_GT(field.green(), 100);
    EXPECT_LT(field.red() + field.blue(), 120) << "green, as the colour says";
}
