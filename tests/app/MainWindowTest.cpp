// The main window: its components, captions, pages and the page switch.
#include "AppFixture.h"
#include "app/MainViewer.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace {

class MainWindowTest : public AppTest
{
protected:
    template <typename T> T* Find(TformMain& form, const char* name)
    {
        T* child = form.findChild<T*>(QLatin1String(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    ScriptedUi ui;
};

TEST_F(MainWindowTest, HasEveryComponentUnderItsName)
{
    TformMain form;
    for (const char* name :
         {"PageControl1",  "tabDesc",   "memoDesc",   "tabSQL",     "memoSQL",      "pnlSQLTop",
          "Label1",        "cbAliases", "tabResults", "DBGrid1",    "DBNavigator1", "Panel1",
          "editTableName", "btnSave",   "btnExport",  "pnlBottom",  "btnExecute",   "btnChangeTab",
          "Animate1",      "Database1", "qryQuery",   "RegOptions", "DataSource1"})
        EXPECT_NE(form.findChild<QObject*>(QLatin1String(name)), nullptr) << name;
}

TEST_F(MainWindowTest, CreationSetsCaptionsTextsAndSize)
{
    TformMain form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Tessaly SQL Lantern  --  Ver. 2000 SR-4"));
    EXPECT_EQ(form.size(), QSize(425, 357));
    auto* pages = Find<QTabWidget>(form, "PageControl1");
    EXPECT_TRUE(pages->tabBar()->isHidden());
    EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("tabDesc"));

    auto* desc = Find<QPlainTextEdit>(form, "memoDesc");
    EXPECT_TRUE(desc->isReadOnly());
    EXPECT_EQ(desc->font().pixelSize(), 13);
    EXPECT_EQ(
        desc->toPlainText().split(QLatin1Char('\n')),
        QStringList(
            {QStringLiteral("To execute the attached query, click the \"Execute SQL\" button "),
             QStringLiteral("below."), QString(),
             QStringLiteral("If you would like to view the SQL, click the \"View SQL\" button.")}));

    EXPECT_FALSE(Find<QPushButton>(form, "btnExecute")->isEnabled());
    EXPECT_EQ(Find<QPushButton>(form, "btnExecute")->text(), QStringLiteral("Execute SQL"));
    EXPECT_EQ(Find<QPushButton>(form, "btnChangeTab")->text(), QStringLiteral("View/Edit SQL"));
    EXPECT_EQ(Find<QLineEdit>(form, "editTableName")->text(), QStringLiteral("NewTable"));
    EXPECT_EQ(Find<QPushButton>(form, "btnSave")->text(), QStringLiteral("Save"));
    EXPECT_EQ(Find<QPushButton>(form, "btnExport")->text(), QStringLiteral("Export"));
    EXPECT_EQ(Find<QLabel>(form, "Label1")->text(), QStringLiteral("Alias:"));
    EXPECT_TRUE(Find<QWidget>(form, "Animate1")->isHidden());
}

// At the window's own size each of the default description's four lines is
// laid out as one line, whatever the width of the desktop's font.
TEST_F(MainWindowTest, TheDefaultDescriptionReadsAsFourLines)
{
    TformMain form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* desc = Find<QPlainTextEdit>(form, "memoDesc");
    EXPECT_EQ(desc->font().pixelSize(), 13);
    const QTextDocument* document = desc->document();
    ASSERT_EQ(document->blockCount(), 4);
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        EXPECT_EQ(block.layout()->lineCount(), 1) << block.text().toStdString();
}

TEST_F(MainWindowTest, EmptyTitleAndDescriptionKeepTheDefaults)
{
    TformMain form;
    const QString description = Find<QPlainTextEdit>(form, "memoDesc")->toPlainText();
    form.SetTitle(QString());
    form.SetDescription(QString());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Tessaly SQL Lantern  --  Ver. 2000 SR-4"));
    EXPECT_EQ(Find<QPlainTextEdit>(form, "memoDesc")->toPlainText(), description);

    form.SetTitle(QStringLiteral("Monthly totals"));
    form.SetDescription(QStringLiteral("Über alles"));
    form.SetSQL(QString());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Monthly totals"));
    EXPECT_EQ(Find<QPlainTextEdit>(form, "memoDesc")->toPlainText(), QStringLiteral("Über alles"));
    EXPECT_TRUE(Find<QPlainTextEdit>(form, "memoSQL")->toPlainText().isEmpty());
}

struct PageSwitchCase
{
    bool editable;
    const char* returnCaption;
};

class PageSwitchTest : public MainWindowTest, public ::testing::WithParamInterface<PageSwitchCase>
{
};

TEST_P(PageSwitchTest, TogglesBetweenDescriptionAndSQLOnly)
{
    TformMain form;
    form.SetSQLEditable(GetParam().editable);
    auto* pages = Find<QTabWidget>(form, "PageControl1");
    auto* toggle = Find<QPushButton>(form, "btnChangeTab");
    EXPECT_EQ(Find<QPlainTextEdit>(form, "memoSQL")->isReadOnly(), !GetParam().editable);
    for (int round = 0; round < 3; ++round) {
        QTest::mouseClick(toggle, Qt::LeftButton);
        EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("tabSQL"));
        EXPECT_EQ(toggle->text(), QStringLiteral("View Description"));
        QTest::mouseClick(toggle, Qt::LeftButton);
        EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("tabDesc"));
        EXPECT_EQ(toggle->text(), QLatin1String(GetParam().returnCaption));
    }
}

INSTANTIATE_TEST_SUITE_P(Editor, PageSwitchTest,
                         ::testing::Values(PageSwitchCase{true, "View/Edit SQL"},
                                           PageSwitchCase{false, "View SQL"}),
                         [](const auto& info) {
                             return info.param.editable ? "Editable" : "ReadOnly";
                         });

} // namespace
