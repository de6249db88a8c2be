// Choosing the alias at start-up: the list, the look-up, the fallbacks and the
// connection they lead to.
#include "AppFixture.h"
#include "app/MainViewer.h"
#include "store/TessalyDB.h"

#include <QComboBox>
#include <QPushButton>

namespace {

class SetAliasTest : public AppTest
{
protected:
    QComboBox* Aliases(TformMain& form)
    {
        return form.findChild<QComboBox*>(QStringLiteral("cbAliases"));
    }
    QStringList Items(TformMain& form)
    {
        QStringList items;
        for (int i = 0; i < Aliases(form)->count(); ++i)
            items << Aliases(form)->itemText(i);
        return items;
    }
    bool ExecuteEnabled(TformMain& form)
    {
        return form.findChild<QPushButton*>(QStringLiteral("btnExecute"))->isEnabled();
    }
    ScriptedUi ui;
};

TEST_F(SetAliasTest, ListsEntriesAndAliasesInOneSortedList)
{
    const QString folder = MakeOrdersDatabase();
    WriteEntries({{QStringLiteral("Standard"), folder}, {QStringLiteral("Training"), folder}});
    WriteAliases({{QStringLiteral("zeta"), folder},
                  {QStringLiteral("Alpha"), folder},
                  {QStringLiteral("KIVData3"), folder}});
    TformMain form;
    EXPECT_EQ(Items(form), QStringList({QStringLiteral("<Standard>"), QStringLiteral("<Training>"),
                                        QStringLiteral("Alpha"), QStringLiteral("KIVData3"),
                                        QStringLiteral("zeta")}));
}

TEST_F(SetAliasTest, FindsAnEntryInOtherLetterCaseWithoutAMessage)
{
    const QString folder = MakeOrdersDatabase();
    WriteEntries({{QStringLiteral("Standard"), folder + QLatin1Char('/')}});
    TformMain form;
    form.SetAlias(QStringLiteral("<STANDARD>"));
    EXPECT_TRUE(ui->Texts().isEmpty()) << ui->Texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(form.CurrentAlias(), QStringLiteral("<STANDARD>"));
    EXPECT_EQ(Aliases(form)->currentText(), QStringLiteral("<Standard>"));
    EXPECT_TRUE(form.Database()->Connected());
    EXPECT_EQ(form.Database()->Folder(), folder);
    EXPECT_TRUE(ExecuteEnabled(form));
}

struct FallbackCase
{
    const char* name;
    QStringList entries;
    QStringList aliases;
    QString expected;
    QString selected; // what the combo shows afterwards
};

void PrintTo(const FallbackCase& fallback, std::ostream* out)
{
    *out << fallback.name;
}

class FallbackTest : public SetAliasTest, public ::testing::WithParamInterface<FallbackCase>
{
};

TEST_P(FallbackTest, MissingAliasIsReportedAndReplaced)
{
    const QString folder = MakeOrdersDatabase();
    QList<std::pair<QString, QString>> entries, aliases;
    for (const QString& entry : GetParam().entries)
        entries.append({entry, folder});
    for (const QString& alias : GetParam().aliases)
        aliases.append({alias, folder});
    WriteEntries(entries);
    WriteAliases(aliases);

    TformMain form;
    form.SetAlias(QStringLiteral("Missing"));
    ASSERT_FALSE(ui->Texts().isEmpty());
    EXPECT_EQ(ui->Texts().first(), QStringLiteral("Alias \"Missing\" does not exists."));
    EXPECT_EQ(form.CurrentAlias(), GetParam().expected);
    EXPECT_EQ(Aliases(form)->currentText(), GetParam().selected);
    EXPECT_TRUE(form.Database()->Connected());
    EXPECT_TRUE(ExecuteEnabled(form));
}

INSTANTIATE_TEST_SUITE_P(
    Order, FallbackTest,
    ::testing::Values(
        FallbackCase{"StandardFirst",
                     {"Standard", "Training"},
                     {"KIVData3", "BrackenData"},
                     "<Standard>",
                     "<Standard>"},
        FallbackCase{
            "TrainingLeadsToKIVData3", {"Training"}, {"KIVData3", "Zeta"}, "<KIVData3>", ""},
        FallbackCase{"KIVData3BeforeDemo",
                     {},
                     {"BrackenData", "KIVDemoData3", "KIVData3"},
                     "KIVData3",
                     "KIVData3"},
        FallbackCase{"DemoBeforeBracken",
                     {},
                     {"Zeta", "BrackenData", "KIVDemoData3"},
                     "KIVDemoData3",
                     "KIVDemoData3"},
        FallbackCase{"Bracken", {}, {"Zeta", "BrackenData"}, "BrackenData", "BrackenData"},
        FallbackCase{"FirstOfTheSortedList", {}, {"Zeta", "alpha", "Mid"}, "alpha", "alpha"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SetAliasTest, TrainingPassesTheEntryNameKIVData3ToTheStore)
{
    // The entry "KIVData3" has a folder of its own in the store; "<Training>" leads there.
    const QString training = MakeOrdersDatabase(QStringLiteral("training"));
    const QString kiv = MakeOrdersDatabase(QStringLiteral("kivdata3"));
    WriteEntries({{QStringLiteral("Training"), training}, {QStringLiteral("KIVData3"), kiv}});
    WriteAliases({{QStringLiteral("KIVData3"), training}});
    TformMain form;
    form.SetAlias(QStringLiteral("Elsewhere"));
    EXPECT_EQ(form.CurrentAlias(), QStringLiteral("<KIVData3>"));
    EXPECT_EQ(form.Database()->Folder(), kiv);
}

TEST_F(SetAliasTest, EmptyAliasIsReportedWithTwoAdjacentQuotes)
{
    WriteAliases({{QStringLiteral("KIVData3"), MakeOrdersDatabase()}});
    TformMain form;
    form.SetAlias(QString());
    ASSERT_FALSE(ui->Texts().isEmpty());
    EXPECT_EQ(ui->Texts().first(), QStringLiteral("Alias \"\" does not exists."));
    EXPECT_EQ(form.CurrentAlias(), QStringLiteral("KIVData3"));
}

TEST_F(SetAliasTest, ChoosingAnotherEntryChangesNothing)
{
    const QString first = MakeOrdersDatabase(QStringLiteral("first"));
    const QString second = MakeOrdersDatabase(QStringLiteral("second"));
    WriteAliases({{QStringLiteral("First"), first}, {QStringLiteral("Second"), second}});
    TformMain form;
    form.SetAlias(QStringLiteral("First"));
    Aliases(form)->setCurrentIndex(Aliases(form)->findText(QStringLiteral("Second")));
    EXPECT_EQ(form.CurrentAlias(), QStringLiteral("First"));
    EXPECT_EQ(form.Database()->Folder(), first);
}

TEST_F(SetAliasTest, NoAliasAtAllSaysSoAndKeepsExecuteDisabled)
{
    TformMain form;
    form.SetAlias(QStringLiteral("<Standard>"));
    ASSERT_EQ(ui->Texts().size(), 1);
    EXPECT_TRUE(ui->Texts().first().startsWith(QStringLiteral("No database is configured.")));
    EXPECT_FALSE(form.Database()->Connected());
    EXPECT_FALSE(ExecuteEnabled(form));
}

TEST_F(SetAliasTest, AnAliasWhoseFolderIsGoneRaisesTheEnginesError)
{
    WriteAliases({{QStringLiteral("KIVData3"), data_->File(QStringLiteral("missing"))}});
    TformMain form;
    EXPECT_ANY_THROW(form.SetAlias(QStringLiteral("KIVData3")));
    EXPECT_FALSE(ExecuteEnabled(form));
}

} // namespace
