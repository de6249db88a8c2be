// The folder dialog on the directory tree: its settings, "&Select" follows
// whether the selected folder qualifies, confirming returns it with a
// trailing separator, double-click confirms only a qualifying folder; the
// root in a chroot, the user's mounts of a desktop, the path field, hidden
// folders and the keyboard alone.
#include "store/DlgSelectDBPath.h"

#include "StoreFixture.h"
#include "controls/FrFilSys.h"
#include "platform/MountTableUbuntuDesktop.h"
#include "store/SelectDBPath.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

namespace {

class DlgSelectDBPathTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(data_.File("store"));
        QDir().mkpath(data_.File("plain"));
        WriteAll(data_.File("store/tables.db"), QByteArray());
    }
    QPushButton* Select() { return dialog_.findChild<QPushButton*>("btnOK"); }
    TFrDirectoryTree* Tree() { return dialog_.findChild<TFrDirectoryTree*>("dirTree"); }
    // Double-clicks the selected folder's node as the user does.
    void DoubleClickSelected()
    {
        const QRect node = Tree()->visualItemRect(Tree()->currentItem());
        QTest::mouseDClick(Tree()->viewport(), Qt::LeftButton, {}, node.center());
    }

    TestFolder data_;
    TDlgSelectDBPath dialog_;
};

} // namespace

TEST_F(DlgSelectDBPathTest, FormAndTreeSettings)
{
    EXPECT_EQ(dialog_.windowTitle(), "Select Store Database");
    EXPECT_EQ(dialog_.size(), QSize(341, 305));
    EXPECT_TRUE(dialog_.windowFlags() & Qt::WindowStaysOnTopHint);
    ASSERT_NE(Select(), nullptr);
    EXPECT_EQ(Select()->text(), "&Select");
    EXPECT_TRUE(Select()->isDefault());
    EXPECT_FALSE(Select()->isEnabled());
    EXPECT_EQ(dialog_.findChild<QWidget*>("Panel1")->height(), 34);

    TFrDirectoryTree* tree = Tree();
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->DriveTypes(), dtUnknown | dtFixed | dtNetwork | dtRAM);
    EXPECT_TRUE(tree->FrameVisible());
    EXPECT_TRUE(tree->FrameFlat());
    EXPECT_EQ(tree->FrameFlatStyle(), fsGroove);
    EXPECT_EQ(tree->FrameStyle(), fsStatus);
    EXPECT_EQ(tree->indentation(), 19);
    EXPECT_FALSE(tree->HideSelection());
    EXPECT_TRUE(tree->RightClickSelect());
    EXPECT_TRUE(tree->ReadOnly()) << "no renaming in this dialog";

    dialog_.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_));
    EXPECT_EQ(QApplication::focusWidget(), dialog_.findChild<QPushButton*>("btnCancel"));
}

TEST_F(DlgSelectDBPathTest, SelectFollowsTheStartFolderWhenShown)
{
    const struct
    {
        const char* start; // below the data folder; "" for an empty path
        const char* validFileName;
        bool enabled;
    } cases[] = {{"store", "tables.db", true},
                 {"plain", "tables.db", false},
                 {"plain", "", true},
                 {"missing", "", false},
                 {"", "", false},
                 {"", "tables.db", false}};
    for (const auto& c : cases) {
        TDlgSelectDBPath dialog;
        const QString start = *c.start ? data_.File(c.start) : QString();
        dialog.SetStartPath(start);
        dialog.SetValidFileName(c.validFileName);
        dialog.show();
        EXPECT_EQ(dialog.findChild<QPushButton*>("btnOK")->isEnabled(), c.enabled)
            << c.start << " / " << c.validFileName;
        const QString directory = dialog.findChild<TFrDirectoryTree*>("dirTree")->Directory();
        if (*c.start) {
            EXPECT_EQ(directory, QString(c.start) == "missing" ? data_.Path() : start)
                << "the tree opens the start folder, or the nearest that exists";
        }
        dialog.hide();
    }
}

TEST_F(DlgSelectDBPathTest, ChoosingInTheTreeAndConfirming)
{
    dialog_.SetStartPath(data_.File("plain"));
    dialog_.SetValidFileName("tables.db");
    dialog_.show();
    ASSERT_FALSE(Select()->isEnabled());

    Tree()->SetDirectory(data_.File("store"));
    ASSERT_TRUE(Select()->isEnabled());
    Tree()->SetDirectory(data_.File("plain"));
    ASSERT_FALSE(Select()->isEnabled());
    Tree()->SetDirectory(data_.File("store"));
    Select()->click();
    EXPECT_EQ(dialog_.result(), QDialog::Accepted);
    EXPECT_EQ(dialog_.SelectedPath(), data_.File("store") + "/");
}

TEST_F(DlgSelectDBPathTest, DoubleClickConfirmsOnlyAQualifyingFolder)
{
    dialog_.SetValidFileName("tables.db");
    dialog_.SetStartPath(data_.File("plain"));
    dialog_.show();
    DoubleClickSelected();
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_EQ(dialog_.SelectedPath(), data_.File("plain"));

    Tree()->SetDirectory(data_.File("store"));
    DoubleClickSelected();
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_EQ(dialog_.result(), QDialog::Accepted);
    EXPECT_EQ(dialog_.SelectedPath(), data_.File("store") + "/");
}

TEST_F(DlgSelectDBPathTest, RootQualifiesWithOneSeparator)
{
    dialog_.SetStartPath("/");
    dialog_.show();
    ASSERT_TRUE(Select()->isEnabled());
    Select()->click();
    EXPECT_EQ(dialog_.SelectedPath(), "/");
}

TEST(SelectDBPathFactory, InstalledFactoryIsUsedUntilReplaced)
{
    struct TFake : TSelectDBPathDialog
    {
        void SetStartPath(const QString&) override {}
        void SetValidFileName(const QString&) override {}
        bool Execute() override { return true; }
        QString SelectedPath() const override { return "/fake/"; }
    };
    const TSelectDBPathFactory previous =
        SetSelectDBPathFactory([] { return std::make_unique<TFake>(); });
    EXPECT_EQ(CreateSelectDBPathDialog()->SelectedPath(), "/fake/");
    SetSelectDBPathFactory(previous);
    EXPECT_NE(dynamic_cast<TDlgSelectDBPath*>(CreateSelectDBPathDialog().get()), nullptr);
}

namespace {

// The dialog over a mount table of the test's own, the data folder as home.
class DlgOverMountTable : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* path : {"store", ".local/share/db"})
            QDir().mkpath(data_.File(path));
        WriteAll(data_.File("store/tables.db"), QByteArray());
        WriteAll(data_.File(".local/share/db/tables.db"), QByteArray());
    }
    void TearDown() override
    {
        dialog_.reset();
        SetMountSources(previous_);
    }
    void Use(const QByteArray& mountinfo, const QString& home = QString())
    {
        previous_ = SetMountSources({[mountinfo] { return mountinfo; },
                                     "/nonexistent",
                                     "/nonexistent",
                                     home.isEmpty() ? data_.Path() : home,
                                     {}});
        dialog_ = std::make_unique<TDlgSelectDBPath>();
    }
    QPushButton* Select() { return dialog_->findChild<QPushButton*>("btnOK"); }
    TFrDirectoryTree* Tree() { return dialog_->findChild<TFrDirectoryTree*>("dirTree"); }
    QLineEdit* PathField() { return dialog_->findChild<QLineEdit*>("editPath"); }
    QStringList TopLevelPaths()
    {
        QStringList paths;
        for (int i = 0; i < Tree()->topLevelItemCount(); ++i)
            paths << TFrDirectoryTree::NodePath(Tree()->topLevelItem(i));
        return paths;
    }

    TestFolder data_;
    TMountSources previous_;
    std::unique_ptr<TDlgSelectDBPath> dialog_;
};

} // namespace

// A chroot's table has no "/"; a desktop's has snaps, /run, /boot/efi, /mnt
// and dot-folder mounts, none of them the user's places.
TEST_F(DlgOverMountTable, TheRootAndTheUsersPlacesWithTheRootInView)
{
    const struct
    {
        QByteArray mountinfo;
        QStringList paths;
    } cases[] = {
        {"21 20 0:20 / /proc rw - proc proc rw\n", {"/"}},
        {UbuntuDesktopMountInfo,
         {"/", "/home/ann/GoogleDrive/", "/home/ann/Nextcloud/", "/home/ann/server/"}},
    };
    for (const auto& c : cases) {
        Use(c.mountinfo, "/home/ann");
        dialog_->SetStartPath("/");
        dialog_->show();
        QStringList paths = TopLevelPaths();
        // As this machine has the folders: the home node, the stick GIO shows.
        paths.removeAll("/home/ann/");
        paths.removeAll("/media/ann/KINGSTON/");
        EXPECT_EQ(paths, c.paths);
        Select()->click();
        EXPECT_EQ(dialog_->SelectedPath(), "/");
        SetMountSources(previous_);
    }
    // A start folder that fits on the first page leaves the top in view,
    // though the tree was smaller while it opened it.
    for (int i = 0; i < 10; ++i)
        QDir().mkpath(data_.File("f%1").arg(i));
    Use("1 0 8:1 / / rw - ext4 /dev/x rw\n");
    dialog_->SetStartPath(data_.File("f9"));
    dialog_->show();
    EXPECT_EQ(Tree()->verticalScrollBar()->value(), 0);
}

TEST_F(DlgOverMountTable, SelectReturnsOnlyAFolderTheTreeShowsSelected)
{
    Use("1 0 8:1 / / rw - ext4 /dev/x rw\n");
    const struct
    {
        QString start;
        QString selected; // empty: Select disabled
    } cases[] = {
        {data_.File(".local/share/db"), data_.File(".local/share/db/")}, // hidden: shown
        {data_.File("store/gone"), ""}, // the tree falls back to store: not chosen yet
    };
    for (const auto& c : cases) {
        TDlgSelectDBPath dialog;
        dialog.SetValidFileName("tables.db");
        dialog.SetStartPath(c.start);
        dialog.show();
        auto* select = dialog.findChild<QPushButton*>("btnOK");
        EXPECT_EQ(select->isEnabled(), !c.selected.isEmpty()) << c.start.toStdString();
        select->click();
        EXPECT_EQ(dialog.SelectedPath(), c.selected.isEmpty() ? c.start : c.selected);
    }
    dialog_->SetStartPath(data_.File("store"));
    dialog_->show();
    ASSERT_TRUE(Select()->isEnabled());
    Tree()->clearSelection();
    EXPECT_FALSE(Select()->isEnabled()) << "nothing shown selected, nothing to return";
}

// A share that answers after the window's wait: Select follows its late answer.
TEST_F(DlgOverMountTable, SelectFollowsTheLateAnswerOfASlowShare)
{
    const QString share = data_.File("store");
    Use("1 0 8:1 / / rw - ext4 /dev/x rw\n2 1 0:50 / " + share.toUtf8() +
        " rw - nfs server:/store rw\n");
    const TVolumeWorkHook previousHook =
        SetVolumeWorkHook([](const QString&) { QThread::msleep(300); });
    dialog_->SetValidFileName("tables.db");
    dialog_->SetStartPath(share);
    dialog_->show();
    EXPECT_FALSE(Select()->isEnabled()) << "no answer yet";
    EXPECT_TRUE(QTest::qWaitFor([&] { return Select()->isEnabled(); }, 5000));
    Select()->click();
    SetVolumeWorkHook(previousHook);
    EXPECT_EQ(dialog_->SelectedPath(), share + "/");
}

// Home heads the tree; Ctrl+L, a path typed into the field, "~" typed in
// the tree, Ctrl+H, Enter: no mouse at all.
TEST_F(DlgOverMountTable, KeyboardOnlyFromPathFieldToSelect)
{
    Use("1 0 8:1 / / rw - ext4 /dev/x rw\n");
    dialog_->SetValidFileName("tables.db");
    dialog_->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog_.get()));
    EXPECT_EQ(TopLevelPaths(), QStringList({data_.Path() + "/", "/"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), PathField());
    QTest::keyClicks(PathField(), data_.Path()); // in place of the folder shown
    QTest::keyClick(PathField(), Qt::Key_Return);
    EXPECT_TRUE(dialog_->isVisible() && !PathField()->isVisible()) << "Enter opens the folder";
    ASSERT_EQ(QApplication::focusWidget(), Tree());
    EXPECT_EQ(Tree()->Directory(), data_.Path());
    EXPECT_EQ(dialog_->findChild<QLineEdit*>("lblSelected")->text(), data_.Path())
        << "the whole path under the tree";
    const auto shown = [&](const char* name) {
        Tree()->currentItem()->setExpanded(true);
        return !Tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive).isEmpty();
    };
    EXPECT_FALSE(shown(".local"));
    QTest::keyClick(Tree(), Qt::Key_H, Qt::ControlModifier);
    EXPECT_TRUE(shown(".local"));
    EXPECT_EQ(Tree()->Directory(), data_.Path()) << "the selection stays";

    QTest::keyClick(Tree(), Qt::Key_AsciiTilde, Qt::NoModifier, 0);
    QTest::keyClicks(QApplication::focusWidget(), "/store");
    EXPECT_EQ(PathField()->text(), "~/store");
    QTest::keyClick(PathField(), Qt::Key_Enter);
    EXPECT_EQ(Tree()->Directory(), data_.File("store"));
    QTest::keyClick(Tree(), Qt::Key_Return);
    EXPECT_EQ(dialog_->result(), QDialog::Accepted);
    EXPECT_EQ(dialog_->SelectedPath(), data_.File("store/"));
}
