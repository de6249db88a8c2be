// The folder dialog on the directory tree: its settings, "&Select" follows
// whether the selected folder qualifies, confirming returns it with a
// trailing separator, double-click confirms only a qualifying folder.
#include "store/DlgSelectDBPath.h"

#include "StoreFixture.h"
#include "controls/FrFilSys.h"
#include "store/SelectDBPath.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTest>
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
