// Package files made by the real packager, opened by the real runner.
#include "AppFixture.h"
#include "app/MainViewer.h"
#include "app/StartUp.h"

#include <QPlainTextEdit>
#include <QProcess>

namespace {

class PackageFileTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        WriteAliases({{QStringLiteral("KIVData3"), MakeOrdersDatabase()}});
        WriteAll(data_->File("q.sql"), "SELECT COUNT(*) AS N FROM ORDERS WHERE TOTAL > 100\n");
    }

    // "status|standard output|standard error" of a program run in the data folder.
    QString Run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TESSALY_CONFIG_DIR"), ConfigDir());
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(data_->Path());
        process.start(program, arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        return QString::number(process.exitCode()) + '|' + process.readAllStandardOutput() + '|' +
               process.readAllStandardError();
    }

    // Packs q.sql for KIVData3 as `output`: a package file when it ends in .tqp.
    QString Pack(const QString& output, const QStringList& extra = {})
    {
        QStringList args = {"--output", output, "--sql-file", "q.sql", "--alias", "KIVData3"};
        if (!output.endsWith(".tqp"))
            args << "--runner" << runner;
        EXPECT_TRUE(Run(BinaryFolder() + "/tessaly-pack", args + extra).startsWith("0|"));
        return data_->File(output);
    }

    const QString runner = BinaryFolder() + "/tessaly-query";
};

TEST_F(PackageFileTest, BatchModeRunsItAsTheSamePackageAttached)
{
    WriteAll(data_->File("wrong"), "Pw\n");
    const struct
    {
        QStringList pack, run;
        QString outcome;
    } cases[] = {
        {{}, {}, "0|N\n3\n|Query Executed\n"},
        {{"--password", "pw"}, {"--password-file", "wrong"}, "3||Invalid Password.\n"},
        {{}, {"--sql-file", "q.sql"}, "2||The SQL of this query package may not be changed.\n"},
    };
    for (const auto& c : cases) {
        const QString file = Run(runner, QStringList{"--batch", Pack("q.tqp", c.pack)} + c.run);
        EXPECT_EQ(file.toStdString(), c.outcome.toStdString());
        EXPECT_EQ(Run(Pack("q", c.pack), QStringList{"--batch"} + c.run), file);
    }
}

TEST_F(PackageFileTest, DamageIsReportedAndNothingRuns)
{
    WriteAll(data_->File("q.sql"), "CREATE TABLE RAN (X INTEGER)");
    const QByteArray whole = ReadAll(Pack("q.tqp"));
    QList<QByteArray> damaged = {whole.mid(1), whole + "x", "CREATE TABLE RAN (X INTEGER)"};
    for (qsizetype size = 0; size < whole.size(); ++size)
        damaged << whole.left(size);
    ScriptedUi ui;
    for (const QByteArray& bytes : damaged) {
        WriteAll(data_->File("q.tqp"), bytes);
        TStartUpState state;
        EXPECT_EQ(ReadStartUp(runner, data_->File("q.tqp"), state), TStartUpOutcome::Damaged)
            << bytes.toHex(' ').constData();
    }
    EXPECT_EQ(ui->History().size(), damaged.size());
    EXPECT_TRUE(Run(runner, {"--batch", "q.tqp"})
                    .startsWith("2||The query package file q.tqp is damaged: "));
    EXPECT_FALSE(TablesIn(data_->File("kiv")).contains("RAN"));
}

TEST_F(PackageFileTest, TheWindowTakesItOverAnAttachedPackageAndNamesIt)
{
    const QString file = Pack("orders.tqp", {"--title", "Orders"});
    TStartUpState state;
    ASSERT_EQ(ReadStartUp(Pack("packed", {"--title", "Attached", "--editable"}), file, state),
              TStartUpOutcome::Run);
    TformMain form;
    HandOver(form, state);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Orders - orders.tqp"));
    EXPECT_TRUE(form.findChild<QPlainTextEdit*>(QStringLiteral("memoSQL"))->isReadOnly());
}

} // namespace
