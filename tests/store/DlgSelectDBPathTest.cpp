// The folder dialog: "&Select" follows whether the selected folder qualifies,
// confirming returns it with a trailing separator, double-click confirms only
// a qualifying folder.
#include "store/DlgSelectDBPath.h"

#include "StoreFixture.h"
#include "store/SelectDBPath.h"

#include <QDir>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTreeView>
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
    QTreeView* Tree() { return dialog_.findChild<QTreeView*>("dirTree"); }
    QModelIndex IndexOf(const QString& path)
    {
        return static_cast<QFileSystemModel*>(Tree()->model())->index(path);
    }

    TestFolder data_;
    TDlgSelectDBPath dialog_;
};

} // namespace

TEST_F(DlgSelectDBPathTest, IsCaptionedAndStartsWithSelectDisabled)
{
    EXPECT_EQ(dialog_.windowTitle(), "Select Store Database");
    ASSERT_NE(Select(), nullptr);
    EXPECT_EQ(Select()->text(), "&Select");
    EXPECT_FALSE(Select()->isEnabled());
    EXPECT_NE(dialog_.findChild<QPushButton*>("btnCancel"), nullptr);
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
        if (*c.start && c.enabled) {
            EXPECT_EQ(dialog.Directory(), start);
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

    Tree()->setCurrentIndex(IndexOf(data_.File("store")));
    ASSERT_TRUE(Select()->isEnabled());
    Select()->click();
    EXPECT_EQ(dialog_.result(), QDialog::Accepted);
    EXPECT_EQ(dialog_.SelectedPath(), data_.File("store") + "/");
}

TEST_F(DlgSelectDBPathTest, DoubleClickConfirmsOnlyAQualifyingFolder)
{
    dialog_.SetValidFileName("tables.db");
    dialog_.SetStartPath(data_.File("plain"));
    dialog_.show();
    emit Tree()->doubleClicked(IndexOf(data_.File("plain")));
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_EQ(dialog_.SelectedPath(), data_.File("plain"));

    Tree()->setCurrentIndex(IndexOf(data_.File("store")));
    emit Tree()->doubleClicked(IndexOf(data_.File("store")));
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
