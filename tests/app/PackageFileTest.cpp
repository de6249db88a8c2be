// A package file made by the real packager, opened by the real runner: in
// batch mode it behaves as the same package attached to the runner does, it
// wins over an attached one, its damage stops everything; in the window its
// caption names it.
#include "AppFixture.h"
#include "app/MainViewer.h"
#include "app/StartUp.h"
#include "package/QueryPackage.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>

namespace {

struct Outcome
{
    int status = -1;
    QString out;
    QString err;
    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Outcome& o)
{
    return os << o.status << " out[" << o.out.toStdString() << "] err[" << o.err.toStdString()
              << "]";
}

class PackageFileTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        runner_ = BinaryFolder() + QStringLiteral("/tessaly-query");
        folder_ = MakeOrdersDatabase();
        WriteAliases({{QStringLiteral("KIVData3"), folder_}});
        WriteAll(data_->File(QStringLiteral("right")), "Tr0ub4dor\n");
        WriteAll(data_->File(QStringLiteral("wrong")), "tr0ub4dor\n");
        WriteAll(data_->File(QStringLiteral("other.sql")), "SELECT COUNT(*) AS N FROM ORDERS\n");
    }

    // Packs the script as `output` for the alias KIVData3 unless extra names
    // one: a package file when it ends in .tqp, else onto a copy of the runner.
    QString Pack(const QString& output, const QString& script, const QStringList& extra = {})
    {
        const QString sql = data_->File(QStringLiteral("script.sql"));
        WriteAll(sql, script.toUtf8());
        const QString path = data_->File(output);
        QStringList arguments = {QStringLiteral("--output"), path, QStringLiteral("--sql-file"),
                                 sql};
        if (!output.endsWith(QStringLiteral(".tqp")))
            arguments << QStringLiteral("--runner") << runner_;
        if (!extra.contains(QStringLiteral("--alias")))
            arguments << QStringLiteral("--alias") << QStringLiteral("KIVData3");
        const Outcome packed =
            Run(BinaryFolder() + QStringLiteral("/tessaly-pack"), arguments + extra);
        EXPECT_EQ(packed.status, 0) << packed;
        return path;
    }

    Outcome Run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TESSALY_CONFIG_DIR"), ConfigDir());
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(data_->Path());
        process.start(program, arguments);
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "timed out";
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QString runner_;
    QString folder_;
};

TEST_F(PackageFileTest, BatchModeRunsItAsTheSamePackageAttached)
{
    const QString count = QStringLiteral("SELECT COUNT(*) AS N FROM ORDERS WHERE TOTAL > 100");
    const QString rows = QStringLiteral("N\n3\n");
    const struct
    {
        const char* name;
        QStringList pack;
        QStringList run;
        int status;
        QString out;
        QString errStart;
    } cases[] = {
        {"plain", {}, {}, 0, rows, QStringLiteral("Query Executed\n")},
        {"right password",
         {QStringLiteral("--password"), QStringLiteral("Tr0ub4dor")},
         {QStringLiteral("--password-file"), QStringLiteral("right")},
         0,
         rows,
         QStringLiteral("Query Executed\n")},
        {"wrong password",
         {QStringLiteral("--password"), QStringLiteral("Tr0ub4dor")},
         {QStringLiteral("--password-file"), QStringLiteral("wrong")},
         3,
         QString(),
         QStringLiteral("Invalid Password.\n")},
        {"read-only SQL refuses a script",
         {},
         {QStringLiteral("--sql-file"), QStringLiteral("other.sql")},
         2,
         QString(),
         QStringLiteral("The SQL of this query package may not be changed.\n")},
        {"editable SQL takes a script",
         {QStringLiteral("--editable")},
         {QStringLiteral("--sql-file"), QStringLiteral("other.sql")},
         0,
         QStringLiteral("N\n5\n"),
         QStringLiteral("Query Executed\n")},
        {"missing alias falls back",
         {QStringLiteral("--alias"), QStringLiteral("Gone")},
         {},
         0,
         rows,
         QStringLiteral("Alias \"Gone\" does not exists.\n")},
    };
    for (const auto& c : cases) {
        const Outcome file =
            Run(runner_, QStringList{QStringLiteral("--batch"),
                                     Pack(QStringLiteral("orders.tqp"), count, c.pack)} +
                             c.run);
        EXPECT_EQ(file.status, c.status) << c.name << ": " << file;
        EXPECT_EQ(file.out, c.out) << c.name;
        EXPECT_TRUE(file.err.startsWith(c.errStart)) << c.name << ": " << file;
        const Outcome attached = Run(Pack(QStringLiteral("orders"), count, c.pack),
                                     QStringList{QStringLiteral("--batch")} + c.run);
        EXPECT_EQ(file, attached) << c.name;
    }
}

TEST_F(PackageFileTest, ThePackageFileWinsOverTheAttachedPackage)
{
    const QString file = Pack(QStringLiteral("file.tqp"), QStringLiteral("SELECT 'file' AS WHO"));
    const QString packed =
        Pack(QStringLiteral("packed"), QStringLiteral("SELECT 'attached' AS WHO"),
             {QStringLiteral("--password"), QStringLiteral("Tr0ub4dor")});
    // The attached package's password is not asked for either.
    const Outcome run = Run(packed, {QStringLiteral("--batch"), file});
    EXPECT_EQ(run, (Outcome{0, QStringLiteral("WHO\nfile\n"), QStringLiteral("Query Executed\n")}));
}

TEST_F(PackageFileTest, ADamagedOrTruncatedFileRunsNothingAndExitsWithTwo)
{
    const QString file =
        Pack(QStringLiteral("make.tqp"), QStringLiteral("CREATE TABLE RAN (X INTEGER)"));
    const QByteArray whole = ReadAll(file);
    QByteArray offset = whole;
    offset.replace(offset.size() - 4, 4, QByteArray("\xF0\xFF\xFF\x7F", 4));
    for (const QByteArray& bytes : {whole.left(4), whole.left(20), whole.chopped(1), offset,
                                    whole.mid(1), QByteArray("CREATE TABLE RAN (X INTEGER)\n")}) {
        WriteAll(file, bytes);
        const Outcome run = Run(runner_, {QStringLiteral("--batch"), file});
        EXPECT_EQ(run.status, 2) << run;
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(
            run.err.startsWith(QStringLiteral("The query package file %1 is damaged: ").arg(file)))
            << run;
    }
    EXPECT_FALSE(TablesIn(folder_).contains(QStringLiteral("RAN")));
    // Without its signature, under a script's name, it is still a script.
    WriteAll(data_->File(QStringLiteral("make.sql")), "CREATE TABLE RAN (X INTEGER)\n");
    EXPECT_EQ(Run(runner_, {QStringLiteral("--batch"), QStringLiteral("make.sql"),
                            QStringLiteral("--alias"), QStringLiteral("KIVData3")})
                  .status,
              0);
    EXPECT_TRUE(TablesIn(folder_).contains(QStringLiteral("RAN")));
}

TEST_F(PackageFileTest, TheWindowShowsThePackageAndNamesTheFile)
{
    WriteAll(data_->File(QStringLiteral("about.txt")), "Read me\n");
    const QString file = Pack(QStringLiteral("orders.tqp"), QStringLiteral("SELECT * FROM ORDERS"),
                              {QStringLiteral("--title"), QStringLiteral("Orders"),
                               QStringLiteral("--description-file"), data_->File("about.txt"),
                               QStringLiteral("--password"), QStringLiteral("pw"),
                               QStringLiteral("--show-results")});
    // A runner carrying a package of its own: the file wins.
    const QString packed = Pack(QStringLiteral("packed"), QStringLiteral("SELECT 1"),
                                {QStringLiteral("--title"), QStringLiteral("Attached")});
    ScriptedUi ui;
    ui->AnswerInput(QStringLiteral("pw"));
    TStartUpState state;
    ASSERT_EQ(ReadStartUp(packed, file, state), TStartUpOutcome::Run);
    {
        TformMain form;
        HandOver(form, state);
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Orders - orders.tqp"));
        EXPECT_EQ(form.findChild<QPlainTextEdit*>(QStringLiteral("memoDesc"))->toPlainText(),
                  QStringLiteral("Read me"));
        auto* sql = form.findChild<QPlainTextEdit*>(QStringLiteral("memoSQL"));
        EXPECT_EQ(sql->toPlainText(), QStringLiteral("SELECT * FROM ORDERS"));
        EXPECT_TRUE(sql->isReadOnly());
        EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("btnChangeTab"))->text(),
                  QStringLiteral("View SQL"));
        EXPECT_TRUE(form.ShowResults());
        EXPECT_EQ(form.CurrentAlias(), QStringLiteral("KIVData3"));
    }
    ASSERT_EQ(ui->History().size(), 1); // the password question, nothing else
    EXPECT_EQ(ui->History()[0].caption, QStringLiteral("Enter Password"));

    // The real runner keeps its window open on the file.
    QProcess window;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TESSALY_CONFIG_DIR"), ConfigDir());
    window.setProcessEnvironment(env);
    window.start(runner_, {Pack(QStringLiteral("open.tqp"), QStringLiteral("SELECT 1"))});
    ASSERT_TRUE(window.waitForStarted());
    EXPECT_FALSE(window.waitForFinished(3000)) << window.readAllStandardError().toStdString();
    window.terminate();
    window.waitForFinished(10000);
}

} // namespace
