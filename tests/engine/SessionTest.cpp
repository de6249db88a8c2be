// The session: aliases, table names, the private and network control
// folders, and how a database name is resolved to a folder.
#include "engine/Session.h"

#include "engine/Database.h"
#include "engine/Query.h"
#include "platform/core/Exceptions.h"
#include "support/EngineTestSupport.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class SessionTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        Session()->Close();
        Session()->SetPrivateDir(QString());
    }

    static QStringList AnswerFiles(const QString& folder)
    {
        return QDir(folder).entryList({QStringLiteral("*.answer")}, QDir::Files);
    }
};

TEST_F(SessionTest, AliasesComeFromEngineCfgInFileOrder)
{
    WriteEngineConfig(
        "[\\SYSTEM\\INIT\\]\nLOCAL SHARE=FALSE\n"
        "[\\DATABASES\\KIVData3\\DB INFO\\]\nPATH=/home/ann/kiv\nDEFAULT DRIVER=PARADOX\n"
        "[\\DATABASES\\Remote\\DB INFO\\]\nSERVER NAME=//srv/share\n"
        "[\\DATABASES\\Broken\\]\nPATH=/x\n");
    EXPECT_EQ(Session()->AliasNames(),
              (QStringList{QStringLiteral("KIVData3"), QStringLiteral("Remote")}));
    EXPECT_TRUE(Session()->IsAlias(QStringLiteral("kivdata3")));
    EXPECT_FALSE(Session()->IsAlias(QStringLiteral("Broken")));
    EXPECT_FALSE(Session()->IsAlias(QString()));
    EXPECT_EQ(Session()->AliasParams(QStringLiteral("KIVDATA3")),
              (QStringList{QStringLiteral("PATH=/home/ann/kiv"),
                           QStringLiteral("DEFAULT DRIVER=PARADOX")}));
    EXPECT_THROW(Session()->AliasParams(QStringLiteral("Nobody")), EDatabaseError);

    Session()->AddAlias(QStringLiteral("Remote"), {QStringLiteral("PATH=/srv/data")});
    EXPECT_EQ(Session()->AliasParams(QStringLiteral("Remote")),
              QStringList{QStringLiteral("PATH=/srv/data")});
    Session()->AddAlias(QStringLiteral("New"), {QStringLiteral("PATH=/tmp")});
    EXPECT_EQ(Session()->AliasNames().last(), QStringLiteral("New"));
    EXPECT_THROW(Session()->AddAlias(QStringLiteral("a\\b"), {}), EDatabaseError);
    EXPECT_THROW(Session()->AddAlias(QStringLiteral("a]b"), {}), EDatabaseError);
}

TEST_F(SessionTest, TableNamesAreSortedWithoutSystemTables)
{
    TempFolder folder;
    EXPECT_TRUE(Session()->TableNames(folder.Path()).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(folder.File(QStringLiteral("tables.db"))))
        << "listing never creates the tables file";
    RunOnFolder(folder.Path(),
                QStringLiteral(
                    "CREATE TABLE orders (ID INTEGER PRIMARY KEY AUTOINCREMENT);"
                    "CREATE TABLE Customers (ID INTEGER); CREATE VIEW BIG AS SELECT * FROM orders;"
                    "CREATE INDEX ix ON Customers (ID); INSERT INTO orders DEFAULT VALUES;"));
    EXPECT_EQ(Session()->TableNames(folder.Path()),
              (QStringList{QStringLiteral("BIG"), QStringLiteral("Customers"),
                           QStringLiteral("orders")}));
}

TEST_F(SessionTest, ThePrivateFolderHoldsAnswersAndIsCleanedOnClose)
{
    TempFolder data;
    const QString own = Session()->PrivateDir();
    EXPECT_TRUE(own.startsWith(QDir::tempPath() + QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo(own).isDir());

    TempFolder chosen;
    const QString privateDir = chosen.File(QStringLiteral("sub/private"));
    Session()->SetPrivateDir(privateDir);
    EXPECT_EQ(Session()->PrivateDir(), privateDir);
    WriteAll(chosen.File(QStringLiteral("keep.txt")), "not ours");

    TQuery first, second;
    for (TQuery* query : {&first, &second}) {
        query->SetDatabaseName(data.Path());
        query->SetSQLText(QStringLiteral("SELECT 1 AS ONE"));
        query->Open();
    }
    const QStringList files = AnswerFiles(privateDir);
    ASSERT_EQ(files.size(), 2) << "the missing private folder was created";
    const QRegularExpression name(QStringLiteral("^tq-%1-\\d+-\\w+\\.answer$").arg(getpid()));
    for (const QString& file : files)
        EXPECT_TRUE(name.match(file).hasMatch()) << file.toStdString();

    // Removed under the session, the folder is made again before the next answer.
    first.Close();
    second.Close();
    EXPECT_TRUE(AnswerFiles(privateDir).isEmpty());
    QDir(privateDir).removeRecursively();
    first.Open();
    EXPECT_EQ(AnswerFiles(privateDir).size(), 1);

    Session()->Close();
    EXPECT_FALSE(first.Active()) << "closing the session closes its datasets";
    EXPECT_TRUE(AnswerFiles(privateDir).isEmpty());
    EXPECT_TRUE(QFileInfo::exists(chosen.File(QStringLiteral("keep.txt"))));
    EXPECT_FALSE(Session()->Active());
}

TEST_F(SessionTest, TheNetworkFolderMustBeAWritableFolder)
{
    TempFolder good, other;
    Session()->SetNetFileDir(good.Path());
    EXPECT_EQ(Session()->NetFileDir(), good.Path());
    EXPECT_THROW(Session()->SetNetFileDir(good.File(QStringLiteral("missing"))), EDatabaseError);
    WriteAll(good.File(QStringLiteral("file")), "x");
    EXPECT_THROW(Session()->SetNetFileDir(good.File(QStringLiteral("file"))), EDatabaseError);
    EXPECT_EQ(Session()->NetFileDir(), good.Path()) << "a refused folder keeps the one in force";
    Session()->SetNetFileDir(other.Path() + QStringLiteral("\\"));
    EXPECT_EQ(Session()->NetFileDir(), other.Path() + QStringLiteral("\\"));
    Session()->SetNetFileDir(QString());
}

TEST_F(SessionTest, DatabaseNamesResolveByComponentThenAliasThenFolder)
{
    TempFolder byAlias, byComponent, byPath;
    QDir().mkpath(byPath.File(QStringLiteral("a/b")));
    WriteEngineConfig(QStringLiteral("[\\DATABASES\\KIV\\DB INFO\\]\nPATH=%1\\\n"
                                     "[\\DATABASES\\Gone\\DB INFO\\]\nPATH=/no/such/folder\n"
                                     "[\\DATABASES\\Srv\\DB INFO\\]\nSERVER NAME=%2\n")
                          .arg(byAlias.Path(), byPath.Path())
                          .toUtf8());
    EXPECT_EQ(Session()->ResolveFolder(QStringLiteral("kiv")), byAlias.Path())
        << "alias PATH, trailing separator dropped";
    EXPECT_EQ(Session()->ResolveFolder(QStringLiteral("Srv")), byPath.Path());
    EXPECT_THROW(Session()->ResolveFolder(QStringLiteral("Gone")), EDatabaseError);
    EXPECT_EQ(Session()->ResolveFolder(byPath.Path() + QStringLiteral("\\a\\b\\")),
              byPath.File(QStringLiteral("a/b")));
    EXPECT_THROW(Session()->ResolveFolder(QStringLiteral("/no/such/folder")), EDatabaseError);
    EXPECT_THROW(Session()->ResolveFolder(QString()), EDatabaseError);

    {
        TDatabase database;
        database.SetDatabaseName(QStringLiteral("KIV"));
        database.SetDriverName(QStringLiteral("STANDARD"));
        database.Params() << QStringLiteral("PATH=") + byComponent.Path();
        EXPECT_TRUE(Session()->Databases().contains(&database));
        try {
            Session()->ResolveFolder(QStringLiteral("KIV"));
            ADD_FAILURE() << "a database component that is not connected must not be bypassed";
        } catch (const EDatabaseError& error) {
            EXPECT_EQ(error.Message(), QStringLiteral("Database KIV is not connected"));
        }
        database.Open();
        EXPECT_TRUE(database.Connected());
        EXPECT_EQ(database.Folder(), byComponent.Path());
        EXPECT_EQ(Session()->ResolveFolder(QStringLiteral("kiv")), byComponent.Path());
        EXPECT_EQ(Session()->FindDatabase(QStringLiteral("Kiv")), &database);
        Session()->Close();
        EXPECT_FALSE(database.Connected()) << "closing the session closes its databases";
    }
    EXPECT_EQ(Session()->FindDatabase(QStringLiteral("KIV")), nullptr);
    EXPECT_EQ(Session()->ResolveFolder(QStringLiteral("KIV")), byAlias.Path());
}

TEST_F(SessionTest, DatabaseComponentsConnectThroughAliasOrPath)
{
    TempFolder folder;
    WriteEngineConfig(
        QStringLiteral("[\\DATABASES\\Data\\DB INFO\\]\nPATH=%1\n").arg(folder.Path()).toUtf8());
    TDatabase database;
    database.SetDatabaseName(QStringLiteral("D"));
    database.SetAliasName(QStringLiteral("Data"));
    database.SetConnected(true);
    EXPECT_EQ(database.Folder(), folder.Path());
    database.SetDriverName(QStringLiteral("STANDARD"));
    EXPECT_FALSE(database.Connected()) << "changing the connection disconnects";
    EXPECT_TRUE(database.AliasName().isEmpty()) << "a driver clears the alias";
    EXPECT_THROW(database.Open(), EDatabaseError) << "no PATH parameter";
    database.Params() =
        QStringList{QStringLiteral("PATH=") + folder.File(QStringLiteral("missing"))};
    EXPECT_THROW(database.Open(), EDatabaseError);
    EXPECT_FALSE(database.Connected());
    database.SetAliasName(QStringLiteral("Unknown"));
    EXPECT_TRUE(database.DriverName().isEmpty());
    EXPECT_THROW(database.Open(), EDatabaseError);
}

} // namespace

// A process id that no process has: a child that has ended and been reaped.
qint64 DeadPid()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST_F(SessionTest, OnlyOurOwnLeftoversOfDeadRunsAreRemoved)
{
    TempFolder parent;
    TempFolder elsewhere;
    const QString dead = QString::number(DeadPid());
    const QString live = QString::number(qint64(::getpid()));
    const auto makeFolder = [&](const QString& name, bool marked, const QString& pid) {
        const QString folder = parent.File(name);
        QDir().mkpath(folder);
        if (marked)
            WriteAll(folder + "/.tessaly-private", "");
        WriteAll(folder + "/tq-" + pid + "-1-abc.answer", "x");
        WriteAll(folder + "/tq-" + pid + "-1-abc.answer-journal", "x");
        return folder;
    };
    const QString gone = makeFolder("tq-private-" + dead + "-AbC123", true, dead);
    const QString withNotes = makeFolder("tq-private-" + dead + "-notes1", true, dead);
    WriteAll(withNotes + "/notes.txt", "x");
    const QString unmarked = makeFolder("tq-private-" + dead + "-nomark", false, dead);
    const QString living = makeFolder("tq-private-" + live + "-living", true, live);
    const QString older = makeFolder("tq-private-Xy12Zw", true, dead);
    WriteAll(elsewhere.File(".tessaly-private"), "");
    WriteAll(elsewhere.File("tq-" + dead + "-1-abc.answer"), "x");
    ASSERT_TRUE(QFile::link(elsewhere.Path(), parent.File("tq-private-" + dead + "-linked")));

    RemoveDeadRunPrivateFolders(parent.Path());

    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_EQ(QDir(withNotes).entryList(QDir::Files | QDir::Hidden),
              QStringList({".tessaly-private", "notes.txt"}));
    EXPECT_EQ(QDir(unmarked).entryList(QDir::Files).size(), 2) << "not marked: not ours";
    EXPECT_EQ(QDir(living).entryList(QDir::Files | QDir::Hidden).size(), 3) << "its run lives";
    EXPECT_EQ(QDir(older).entryList(QDir::Files | QDir::Hidden).size(), 3) << "no process id";
    EXPECT_EQ(QDir(elsewhere.Path()).entryList(QDir::Files | QDir::Hidden).size(), 2)
        << "a link is never followed";
}

TEST_F(SessionTest, TheSessionsOwnFolderIsNamedAfterTheProcessAndMarked)
{
    const QString own = Session()->PrivateDir();
    EXPECT_TRUE(
        QFileInfo(own).fileName().startsWith(QStringLiteral("tq-private-%1-").arg(getpid())));
    EXPECT_TRUE(QFileInfo::exists(own + "/.tessaly-private"));
    Session()->Close();
    EXPECT_FALSE(QFileInfo::exists(own));
}
