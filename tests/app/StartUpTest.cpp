// Start-up: the package read from an executable file, the password, the
// handover, and what a damaged package does.
#include "app/StartUp.h"

#include "AppFixture.h"
#include "app/MainViewer.h"
#include "package/PackageFile.h"
#include "package/QueryPackage.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace {

class StartUpTest : public AppTest
{
protected:
    // A stand-in executable: some program bytes and the package after them.
    QString Executable(const QueryPackage& package)
    {
        QByteArray bytes(4096, 'x');
        bytes += EncodeQueryPackage(package, bytes.size());
        const QString path = data_->File(QStringLiteral("runner"));
        WriteAll(path, bytes);
        return path;
    }
    QueryPackage WithPassword(const QString& password)
    {
        QueryPackage package;
        package.hasPassword = true;
        package.password = password;
        package.title = QStringLiteral("Locked");
        return package;
    }
    ScriptedUi ui;
};

TEST_F(StartUpTest, NoPackageGivesTheDefaults)
{
    const QString path = data_->File(QStringLiteral("plain"));
    WriteAll(path, QByteArray(100, 'x') + QByteArray(4, '\0'));
    TStartUpState state;
    state.title = QStringLiteral("stale");
    ASSERT_EQ(ReadStartUpState(path, state), TStartUpOutcome::Run);
    EXPECT_FALSE(state.hasPackage);
    EXPECT_TRUE(state.title.isEmpty() && state.description.isEmpty() && state.alias.isEmpty() &&
                state.sql.isEmpty());
    EXPECT_TRUE(state.sqlEditable);
    EXPECT_FALSE(state.showResults);
    EXPECT_TRUE(ui->History().isEmpty());

    WriteAll(path, QByteArray(100, 'x') + QByteArray("\xFF\xFF\xFF\xFF", 4)); // negative offset
    ASSERT_EQ(ReadStartUpState(path, state), TStartUpOutcome::Run);
    EXPECT_FALSE(state.hasPackage);
}

TEST_F(StartUpTest, PasswordIsAskedAndComparedExactly)
{
    const QString path = Executable(WithPassword(QStringLiteral("Secret")));
    TStartUpState state;

    ui->AnswerInput(QStringLiteral("Secret"));
    EXPECT_EQ(ReadStartUpState(path, state), TStartUpOutcome::Run);
    ASSERT_EQ(ui->History().size(), 1);
    EXPECT_EQ(ui->History()[0].caption, QStringLiteral("Enter Password"));
    EXPECT_EQ(ui->History()[0].text, QStringLiteral("Please enter Password"));
    EXPECT_EQ(state.title, QStringLiteral("Locked"));

    for (const std::optional<QString>& typed :
         {std::optional<QString>(QStringLiteral("secret")),
          std::optional<QString>(QStringLiteral("Secret ")), std::optional<QString>(),
          std::optional<QString>(QString())}) {
        ui->Clear();
        ui->AnswerInput(typed);
        EXPECT_EQ(ReadStartUpState(path, state), TStartUpOutcome::WrongPassword);
        EXPECT_EQ(ui->Texts().last(), QStringLiteral("Invalid Password."));
    }
}

TEST_F(StartUpTest, EmptyStoredPasswordPassesAnEmptyEntryOrCancel)
{
    const QString path = Executable(WithPassword(QString()));
    TStartUpState state;
    ui->AnswerInput(QString());
    EXPECT_EQ(ReadStartUpState(path, state), TStartUpOutcome::Run);
    ui->AnswerInput(std::nullopt);
    EXPECT_EQ(ReadStartUpState(path, state), TStartUpOutcome::Run);
    ui->AnswerInput(QStringLiteral("x"));
    EXPECT_EQ(ReadStartUpState(path, state), TStartUpOutcome::WrongPassword);
}

TEST_F(StartUpTest, DamagedPackageIsReportedAndStopsStartUp)
{
    QByteArray bytes(64, 'x');
    bytes += QByteArray("\x00\x01\x01", 3);     // flags
    bytes += QByteArray("\x00\x00\x10\x00", 4); // a title of 1 MiB that is not there
    bytes += QByteArray("\x40\x00\x00\x00", 4); // the package starts at 64
    const QString path = data_->File(QStringLiteral("damaged"));
    WriteAll(path, bytes);
    TStartUpState state;
    EXPECT_EQ(ReadStartUpState(path, state), TStartUpOutcome::Damaged);
    ASSERT_EQ(ui->History().size(), 1);
    EXPECT_EQ(ui->History()[0].kind, ScriptedInteraction::Kind::Error);
    EXPECT_TRUE(
        ui->Texts()[0].startsWith(QStringLiteral("The query package of this program is damaged: ")))
        << ui->Texts()[0].toStdString();
}

TEST_F(StartUpTest, HandOverSetsTheWindowFromThePackage)
{
    WriteAliases({{QStringLiteral("KIVData3"), MakeOrdersDatabase()}});
    QueryPackage package;
    package.sqlEditable = false;
    package.showResults = true;
    package.title = QStringLiteral("Orders");
    package.description = QStringLiteral("Line one\r\nLine two");
    package.alias = QStringLiteral("kivdata3");
    package.sql = QStringLiteral("SELECT * FROM ORDERS");
    TStartUpState state;
    ASSERT_EQ(ReadStartUpState(Executable(package), state), TStartUpOutcome::Run);

    TformMain form;
    form.HandOver(state);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Orders"));
    EXPECT_EQ(form.findChild<QPlainTextEdit*>(QStringLiteral("memoDesc"))->toPlainText(),
              QStringLiteral("Line one\nLine two"));
    auto* sql = form.findChild<QPlainTextEdit*>(QStringLiteral("memoSQL"));
    EXPECT_EQ(sql->toPlainText(), QStringLiteral("SELECT * FROM ORDERS"));
    EXPECT_TRUE(sql->isReadOnly());
    EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("btnChangeTab"))->text(),
              QStringLiteral("View SQL"));
    EXPECT_TRUE(form.ShowResults());
    EXPECT_EQ(form.CurrentAlias(), QStringLiteral("kivdata3"));
    EXPECT_TRUE(form.findChild<QPushButton*>(QStringLiteral("btnExecute"))->isEnabled());
    EXPECT_TRUE(ui->Texts().isEmpty());
}

TEST_F(StartUpTest, APackageFileWinsOverTheAttachedPackageAndNamesTheWindow)
{
    WriteAliases({{QStringLiteral("KIVData3"), MakeOrdersDatabase()}});
    QueryPackage package;
    package.title = QStringLiteral("Orders");
    package.alias = QStringLiteral("KIVData3");
    const QString file = data_->File(QStringLiteral("orders.tqp"));
    WriteAll(file, EncodePackageFile(package));
    TStartUpState state;
    ASSERT_EQ(ReadStartUp(Executable(WithPassword("attached")), file, state), TStartUpOutcome::Run);
    TformMain form;
    form.HandOver(state);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Orders - orders.tqp"));
    EXPECT_TRUE(ui->History().isEmpty()); // the attached package's password is not asked for
}

TEST_F(StartUpTest, ADamagedPackageFileIsReportedWithItsName)
{
    const QByteArray whole = EncodePackageFile(WithPassword("pw"));
    QList<QByteArray> damaged = {whole.mid(1), whole + "x", "SELECT 1"};
    for (qsizetype size = 0; size < whole.size(); ++size)
        damaged << whole.left(size);
    const QString file = data_->File(QStringLiteral("q.tqp"));
    for (const QByteArray& bytes : damaged) {
        WriteAll(file, bytes);
        TStartUpState state;
        ui->Clear();
        EXPECT_EQ(ReadStartUp(Executable(QueryPackage()), file, state), TStartUpOutcome::Damaged);
        EXPECT_TRUE(
            ui->Texts().value(0).startsWith("The query package file " + file + " is damaged: "))
            << bytes.toHex(' ').constData();
    }
}

} // namespace
