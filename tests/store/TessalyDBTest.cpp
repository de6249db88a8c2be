// The store database: finding the folder (store, alias, dialog), setting up
// the session and the component on it, the engine configuration switch, and
// the path helpers.
#include "store/TessalyDB.h"

#include "StoreFixture.h"
#include "engine/EngineConfig.h"
#include "engine/Session.h"
#include "platform/core/Exceptions.h"
#include "platform/core/IniFile.h"
#include "platform/core/SystemInfo.h"
#include "store/OptionsFile.h"
#include "store/SelectDBPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the scripted folder dialog was given and what it answers.
struct TDialogScript
{
    bool confirm = false;
    QString answer;
    int shown = 0;
    QString startPath;
    QString validFileName;
};

class TScriptedDialog : public TSelectDBPathDialog
{
public:
    explicit TScriptedDialog(TDialogScript& script) : script_(script) {}
    void SetStartPath(const QString& path) override { script_.startPath = path; }
    void SetValidFileName(const QString& name) override { script_.validFileName = name; }
    bool Execute() override
    {
        ++script_.shown;
        return script_.confirm;
    }
    QString SelectedPath() const override { return script_.answer; }

private:
    TDialogScript& script_;
};

const char* const kEntryKey = "\\Software\\Tessaly Software\\Orlo\\Alias:";

class TessalyDBTest : public StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        Session()->Close();
        Session()->SetPrivateDir(QString());
        previous_ =
            SetSelectDBPathFactory([this] { return std::make_unique<TScriptedDialog>(dialog_); });
        options_.SetParentKey("\\Software\\Tessaly Software\\");
        options_.SetRegPath("Orlo\\");
        options_.SetSection("Options");
    }
    void TearDown() override
    {
        SetSelectDBPathFactory(previous_);
        StoreTest::TearDown();
    }

    // A component set up as the main window sets it up, on this test's store.
    std::unique_ptr<TTessalyDatabase> MakeDatabase()
    {
        auto db = std::make_unique<TTessalyDatabase>();
        db->SetAliasName("KIVData3");
        db->SetDatabaseName("KIV");
        db->SetOptionsFile(&options_);
        return db;
    }
    QString MakeFolder(const QString& name, bool withTables = false)
    {
        const QString folder = data_.File(name);
        EXPECT_TRUE(QDir().mkpath(folder));
        if (withTables)
            WriteAll(folder + "/tables.db", QByteArray());
        return folder;
    }
    void StoreEntry(const QString& entry, const QString& folder)
    {
        WriteAll(ConfigFile("registry.ini"),
                 (QString("[") + kEntryKey + entry + "]\nDatabasePath=" + folder + "\n").toUtf8());
    }
    QString StoredPath(const QString& entry)
    {
        return TIniFile(ConfigFile("registry.ini"))
            .ReadString(QString(kEntryKey) + entry, "DatabasePath", "<none>");
    }
    static QStringList Files(const QString& folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }

    TOptionsFile options_;
    TestFolder data_;
    TDialogScript dialog_;
    ScriptedUi ui_;
    TSelectDBPathFactory previous_;
};

} // namespace

TEST(StorePaths, IncludeSlashParentFolderAndValidity)
{
    EXPECT_EQ(IncludeSlash(""), "");
    EXPECT_EQ(IncludeSlash("/a"), "/a/");
    EXPECT_EQ(IncludeSlash("/a/"), "/a/");
    EXPECT_EQ(IncludeSlash("C:\\a\\"), "C:\\a\\");

    const struct
    {
        const char* path;
        const char* parent;
    } parents[] = {{"/", "/"},
                   {"C:\\", "C:\\"},
                   {"/home/ann/kiv/", "/home/ann/"},
                   {"/home/ann/kiv", "/home/ann/"},
                   {"\\data\\kiv\\", "\\data\\"},
                   {"kiv", "kiv/"},
                   {"/kiv", "/"},
                   {"", ""}};
    for (const auto& c : parents)
        EXPECT_EQ(ParentFolder(c.path), c.parent) << c.path;

    TestFolder dir;
    WriteAll(dir.File("tables.db"), QByteArray());
    QDir().mkpath(dir.File("empty"));
    EXPECT_TRUE(IsValidStorePath(dir.Path(), ""));
    EXPECT_TRUE(IsValidStorePath(dir.Path(), "tables.db"));
    EXPECT_TRUE(IsValidStorePath(dir.Path() + "/", "tables.db"));
    EXPECT_FALSE(IsValidStorePath(dir.File("empty"), "tables.db"));
    EXPECT_TRUE(IsValidStorePath(dir.File("empty"), ""));
    EXPECT_FALSE(IsValidStorePath(dir.File("missing"), ""));
    EXPECT_FALSE(IsValidStorePath(dir.File("tables.db"), "")) << "a file is no folder";
    EXPECT_FALSE(IsValidStorePath("", "")) << "an empty path is not the current folder";
    QDir::setCurrent(dir.Path());
    EXPECT_FALSE(IsValidStorePath("", "tables.db"));
}

TEST_F(TessalyDBTest, DefaultsOfTheComponent)
{
    const TTessalyDatabase db;
    EXPECT_TRUE(db.AllowSelectDB());
    EXPECT_TRUE(db.CheckForAlias());
    EXPECT_TRUE(db.DeleteTempDir());
    EXPECT_EQ(db.OptionsFile(), nullptr);
    EXPECT_TRUE(db.SetTempDir());
    EXPECT_TRUE(db.SetNetDir());
    EXPECT_FALSE(db.SetLocalShare());
    EXPECT_EQ(db.TempDir(), "");
    EXPECT_EQ(db.ValidFileName(), "");
    EXPECT_EQ(db.CreatedTempDir(), "");
}

TEST_F(TessalyDBTest, ListEntriesKeepsAliasSectionsInStoreOrder)
{
    WriteAll(ConfigFile("registry.ini"), "[\\Software\\Tessaly Software\\Orlo\\Alias:Standard]\n"
                                         "[\\Software\\Tessaly Software\\Orlo\\Options]\n"
                                         "[\\Software\\Tessaly Software\\Orlo\\alias:Training]\n"
                                         "[\\Software\\Tessaly Software\\Orlo\\Aliases]\n");
    auto db = MakeDatabase();
    QStringList list{"stale"};
    db->ListEntries(list);
    EXPECT_EQ(list, QStringList({"Standard", "Training"}));

    db->SetOptionsFile(nullptr);
    db->ListEntries(list);
    EXPECT_TRUE(list.isEmpty());
}

TEST_F(TessalyDBTest, OptionsFileGoingAwayClearsTheReference)
{
    auto options = std::make_unique<TOptionsFile>();
    TTessalyDatabase db;
    db.SetOptionsFile(options.get());
    options.reset();
    EXPECT_EQ(db.OptionsFile(), nullptr);
}

TEST_F(TessalyDBTest, StoredFolderIsUsedWithoutDialogAndNotWrittenBack)
{
    const QString folder = MakeFolder("kiv", true);
    StoreEntry("Standard", folder);
    const QByteArray before = RegistryText();
    auto db = MakeDatabase();
    db->SetAllowSelectDB(false);
    ASSERT_TRUE(db->SetDatabase("Standard", QString()));
    EXPECT_EQ(dialog_.shown, 0);
    EXPECT_EQ(RegistryText(), before);
    EXPECT_EQ(db->AliasName(), "");
    EXPECT_EQ(db->DriverName(), "STANDARD");
    EXPECT_EQ(db->Params(),
              QStringList({"PATH=" + folder, "ENABLE BCD=FALSE", "DEFAULT DRIVER=PARADOX"}));
    EXPECT_EQ(Session()->NetFileDir(), data_.Path() + "/");
    db->Open();
    EXPECT_EQ(db->Folder(), folder);
    EXPECT_TRUE(ui_->History().isEmpty());

    EXPECT_THROW(
        {
            try {
                db->SetDatabase("Standard", QString());
            } catch (const EDatabaseError& e) {
                EXPECT_EQ(e.Message(), "Can not set database while connected");
                throw;
            }
        },
        EDatabaseError);
}

TEST_F(TessalyDBTest, FolderLackingTheValidFileGoesToTheDialog)
{
    const QString lacking = MakeFolder("lacking");
    const QString good = MakeFolder("good", true);
    StoreEntry("Standard", lacking);
    auto db = MakeDatabase();
    db->SetValidFileName("tables.db");

    dialog_.confirm = false;
    EXPECT_FALSE(db->SetDatabase("Standard", QString()));
    EXPECT_EQ(dialog_.shown, 1);
    EXPECT_EQ(dialog_.startPath, lacking);
    EXPECT_EQ(dialog_.validFileName, "tables.db");
    EXPECT_EQ(db->AliasName(), "KIVData3") << "a cancelled choice changes nothing";
    EXPECT_TRUE(db->Params().isEmpty());
    EXPECT_EQ(StoredPath("Standard"), lacking);

    dialog_.confirm = true;
    dialog_.answer = good; // written back with its trailing separator
    EXPECT_TRUE(db->SetDatabase("Standard", QString()));
    EXPECT_EQ(StoredPath("Standard"), good + "/");
    EXPECT_EQ(db->Params().first(), "PATH=" + good + "/");
    db->Open();
    EXPECT_EQ(db->Folder(), good);

    // Not allowed to ask: no dialog, no change.
    db->Close();
    StoreEntry("Standard", lacking);
    db->SetAllowSelectDB(false);
    EXPECT_FALSE(db->SetDatabase("Standard", QString()));
    EXPECT_EQ(dialog_.shown, 2);
}

TEST_F(TessalyDBTest, AliasFolderIsTheFallbackAndStoredOnlyWhenValid)
{
    const QString folder = MakeFolder("some/folder");
    WriteAll(ConfigFile("engine.cfg"), ("[\\SYSTEM\\INIT\\]\nLOCAL SHARE=FALSE\n"
                                        "[\\DATABASES\\KIVData3\\DB INFO\\]\nPATH=" +
                                        folder +
                                        "\n[\\DATABASES\\Server\\DB INFO\\]\n"
                                        "SERVER NAME=/srv/db\n"
                                        "[\\DATABASES\\Gone\\DB INFO\\]\n"
                                        "PATH=/no/such/folder\n")
                                           .toUtf8());
    auto db = MakeDatabase();
    db->SetAllowSelectDB(false);
    EXPECT_EQ(db->AliasPath("kivdata3"), folder + "/");
    EXPECT_EQ(db->AliasPath("Server"), "/srv/db/");
    EXPECT_EQ(db->AliasPath("Nobody"), "");

    ASSERT_TRUE(db->SetDatabase("KIVData3", "KIVData3"));
    EXPECT_EQ(StoredPath("KIVData3"), folder + "/");
    EXPECT_EQ(db->Params().first(), "PATH=" + folder + "/");

    EXPECT_FALSE(db->SetDatabase("Gone", "Gone"));
    EXPECT_EQ(StoredPath("Gone"), "<none>");

    db->SetCheckForAlias(false);
    EXPECT_FALSE(db->SetDatabase("Other", "KIVData3"));
    EXPECT_EQ(StoredPath("Other"), "<none>");
}

TEST_F(TessalyDBTest, RefusedNetworkFolderBeepsSaysSoAndFails)
{
    // The dialog's answer is taken as it is; its parent does not exist.
    dialog_.confirm = true;
    dialog_.answer = data_.File("no/such/parent/db/");
    const QString before = Session()->NetFileDir();
    auto db = MakeDatabase();
    EXPECT_FALSE(db->SetDatabase("Standard", QString()));
    ASSERT_EQ(ui_->History().size(), 2);
    EXPECT_EQ(ui_->History()[0].kind, ScriptedInteraction::Kind::Beep);
    EXPECT_EQ(ui_->History()[1].kind, ScriptedInteraction::Kind::Message);
    EXPECT_EQ(ui_->History()[1].text,
              "Unable to set NETwork DIRectory.  Another database application is currently\r"
              "running with incompatible settings.  Close the conflicting application\r"
              "before opening this program.  If there are no other programs open,\r"
              "reboot the computer and try again.  If you still get this message,\r"
              "call Tessaly Software technical support.");
    EXPECT_EQ(Session()->NetFileDir(), before);
    EXPECT_EQ(db->DriverName(), "STANDARD") << "the component is still set up";
    EXPECT_EQ(db->Params().first(), "PATH=" + data_.File("no/such/parent/db/"));
}

TEST_F(TessalyDBTest, LocalShareSwitchAndEngineConfigValues)
{
    WriteAll(ConfigFile("engine.cfg"), "[\\SYSTEM\\INIT\\]\nVERSION=4.0\nLOCAL SHARE=FALSE\n");
    const QString folder = MakeFolder("kiv");
    StoreEntry("Standard", folder);
    auto db = MakeDatabase();
    db->SetSetLocalShare(true);
    ASSERT_TRUE(db->SetDatabase("Standard", QString()));
    EXPECT_EQ(ReadAll(ConfigFile("engine.cfg")),
              QByteArray("[\\SYSTEM\\INIT\\]\nVERSION=4.0\nLOCAL SHARE=True\n"));

    const auto messageOf = [](const QString& pathAndName) -> QString {
        try {
            SetEngineConfigValue(pathAndName, "x");
        } catch (const EDatabaseError& e) {
            return e.Message();
        }
        return "<no error>";
    };
    EXPECT_EQ(messageOf("\\SYSTEM\\INIT\\LOCAL SHARE"),
              "Invalid parameter passed to function.  There must be a semi-colon delimited sting "
              "passed");
    EXPECT_EQ(messageOf("\\SYSTEM\\INIT\\;local share"),
              "\\SYSTEM\\INIT\\;local share entry was not found in configuration file");
    EXPECT_NE(messageOf("\\NO\\SUCH\\PATH\\;X"), "<no error>") << "the engine's own error";
    EXPECT_EQ(ReadAll(ConfigFile("engine.cfg")),
              QByteArray("[\\SYSTEM\\INIT\\]\nVERSION=4.0\nLOCAL SHARE=True\n"));
    SetEngineConfigValue("\\SYSTEM\\INIT\\;VERSION", "5.0");
    EXPECT_EQ(TIniFile(ConfigFile("engine.cfg")).ReadString("\\SYSTEM\\INIT\\", "VERSION", ""),
              "5.0");
}

TEST_F(TessalyDBTest, AllDatabasesConnectedWalksTheSession)
{
    const QString folder = MakeFolder("kiv");
    StoreEntry("Standard", folder);
    auto first = MakeDatabase();
    ASSERT_TRUE(first->SetDatabase("Standard", QString()));
    first->Open();
    EXPECT_TRUE(first->AllDatabasesConnected());
    auto second = MakeDatabase();
    second->SetDatabaseName("Other");
    EXPECT_FALSE(first->AllDatabasesConnected());
    second.reset();
    EXPECT_TRUE(first->AllDatabasesConnected());
}

// Removes a path without following it when it is a link.
void RemovePath(const QString& path)
{
    if (QFileInfo(path).isSymLink())
        QFile::remove(path);
    else
        QDir(path).removeRecursively();
}

TEST_F(TessalyDBTest, DerivedPrivateFolderIsUsedOnlyWhenItIsOurs)
{
    const QString folder = MakeFolder("kiv");
    StoreEntry("Standard", folder);
    const QString user = TempFolder() + SanitizedUserName();
    const QString derived = user + "/SQLLantern/";
    const QString link = user + "/SQLLantern";
    TestFolder elsewhere; // someone's documents
    const QString dead = "tq-999999992-1-abc.answer";
    const struct
    {
        const char* name;
        std::function<bool()> arrange; // false: the case cannot be made here
        bool used;                     // the derived folder, else a fresh one
        QStringList leftAfter;         // in the derived folder (or the link's target) after the end
    } cases[] = {
        {"missing, with the user's folder: both made",
         [&] {
             RemovePath(user);
             return true;
         },
         true,
         {}},
        {"ours: dead runs' answers go, files we did not name stay",
         [&] {
             QDir().mkpath(derived + "sub");
             WriteAll(derived + ".tessaly-private", "");
             WriteAll(derived + dead, "x");
             WriteAll(derived + "notes.txt", "x");
             return true;
         },
         true,
         {".tessaly-private", "notes.txt", "sub"}},
        {"an empty folder of the user's becomes ours",
         [&] { return QDir().mkpath(derived); },
         true,
         {}},
        {"someone's files without our marker: another folder, nothing touched",
         [&] {
             QDir().mkpath(derived);
             WriteAll(derived + dead, "x");
             WriteAll(derived + "notes.txt", "x");
             return true;
         },
         false,
         {"notes.txt", dead}},
        {"a link: another folder, its target untouched",
         [&] {
             WriteAll(elsewhere.File(dead), "x");
             return QFile::link(elsewhere.Path(), link);
         },
         false,
         {dead}},
        {"the user's folder is a link: a folder beside it",
         [&] {
             RemovePath(user);
             WriteAll(elsewhere.File(dead), "x");
             return QFile::link(elsewhere.Path(), user);
         },
         false,
         {dead}},
        {"the user's folder is open to others: a folder beside it",
         [&] {
             QDir().mkpath(derived);
             WriteAll(derived + dead, "x");
             return ::chmod(QFile::encodeName(user).constData(), 0777) == 0;
         },
         false,
         {dead}},
        {"the user's folder is another user's: a folder beside it",
         [&] {
             QDir().mkpath(derived);
             WriteAll(derived + dead, "x");
             return ::getuid() == 0 &&
                    ::chown(QFile::encodeName(user).constData(), 65534, 65534) == 0;
         },
         false,
         {dead}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Session()->SetPrivateDir(QString());
        RemovePath(user);
        QDir().mkpath(user);
        QFile::setPermissions(user, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ExeOwner);
        if (!c.arrange())
            continue;
        QString used;
        {
            auto db = MakeDatabase();
            db->SetTempDir("\\SQLLantern");
            ASSERT_TRUE(db->SetDatabase("Standard", QString()));
            used = db->CreatedTempDir();
            EXPECT_EQ(Session()->PrivateDir(), used);
            EXPECT_TRUE(QFile::exists(used + "/.tessaly-private"));
            if (c.used) {
                EXPECT_EQ(used, derived);
                EXPECT_EQ(QFileInfo(user).permissions() & 0x0077, 0) << "the user's folder is 0700";
            } else {
                EXPECT_TRUE(used.contains("/tq-private-")) << used.toStdString();
            }
            db->Open();
        }
        EXPECT_FALSE(!c.used && QFileInfo::exists(used)) << "a fresh folder goes at the end";
        const bool linked = QFileInfo(link).isSymLink() || QFileInfo(user).isSymLink();
        EXPECT_EQ(Files(linked ? elsewhere.Path() : derived), c.leftAfter);
        QFile::remove(elsewhere.File(dead));
        ::chown(QFile::encodeName(user).constData(), ::getuid(), ::getgid());
    }
    RemovePath(user);
}

TEST_F(TessalyDBTest, FoldersThisProgramDoesNotOwnAreNeverEmptied)
{
    const QString folder = MakeFolder("kiv");
    StoreEntry("Standard", folder);
    TestFolder work;
    WriteAll(work.File("precious.txt"), "x");
    const QString savedCurrent = QDir::currentPath();
    QDir::setCurrent(work.Path());

    { // No TempDir: the session keeps a folder of its own, not the current one.
        auto db = MakeDatabase();
        ASSERT_TRUE(db->SetDatabase("Standard", QString()));
        EXPECT_EQ(db->CreatedTempDir(), "");
        EXPECT_NE(QDir(Session()->PrivateDir()).canonicalPath(), QDir(work.Path()).canonicalPath());
        db->DeleteFilesIn(work.Path());
        db->DeleteFilesIn(QString());
    }
    EXPECT_TRUE(QFile::exists(work.File("precious.txt")));

    { // An ordinary folder (here the current one) is used as it is, and left as it was.
        auto db = MakeDatabase();
        db->SetTempDir(".");
        ASSERT_TRUE(db->SetDatabase("Standard", QString()));
        EXPECT_EQ(db->CreatedTempDir(), ".");
        EXPECT_EQ(Session()->PrivateDir(), ".");
    }
    EXPECT_EQ(Files(work.Path()), QStringList({"precious.txt"}));

    { // One this program creates is marked as its own, and goes at the end.
        auto db = MakeDatabase();
        db->SetTempDir("made/here");
        ASSERT_TRUE(db->SetDatabase("Standard", QString()));
        EXPECT_TRUE(QFile::exists(work.File("made/here/.tessaly-private")));
        WriteAll(work.File("made/here/tq-999999993-1-x.answer"), "x");
    }
    EXPECT_FALSE(QFileInfo::exists(work.File("made/here")));
    EXPECT_EQ(Files(work.Path()), QStringList({"made", "precious.txt"}));
    QDir::setCurrent(savedCurrent);
}

TEST_F(TessalyDBTest, TwoRunnersShareOnePrivateFolder)
{
    const QString folder = MakeFolder("kiv");
    StoreEntry("Standard", folder);
    const QString shared = TempFolder() + SanitizedUserName() + "/SQLLantern/";

    auto first = MakeDatabase();
    first->SetTempDir("\\SQLLantern");
    ASSERT_TRUE(first->SetDatabase("Standard", QString()));
    first->Open();

    // Another live runner (its lock held) with an open answer, and the remains
    // of one that died (lock not held).
    const QString liveLock = shared + ".tessaly-999999991-1.lock";
    WriteAll(liveLock, QByteArray());
    QFile held(liveLock);
    ASSERT_TRUE(held.open(QIODevice::ReadWrite));
    ASSERT_EQ(flock(held.handle(), LOCK_EX | LOCK_NB), 0);
    WriteAll(shared + "tq-999999991-1-abc.answer", "live");
    WriteAll(shared + "tq-999999991-1-abc.answer-journal", "live");
    WriteAll(shared + ".tessaly-999999992-1.lock", QByteArray());
    WriteAll(shared + "tq-999999992-4-xyz.answer", "dead");

    // A second runner starting on the folder (a fresh session of its own).
    first->Close();
    Session()->SetPrivateDir(QString());
    auto second = MakeDatabase();
    second->SetTempDir("\\SQLLantern");
    ASSERT_TRUE(second->SetDatabase("Standard", QString()));
    second->Open();
    QStringList left = Files(shared);
    EXPECT_TRUE(left.contains("tq-999999991-1-abc.answer"));
    EXPECT_TRUE(left.contains("tq-999999991-1-abc.answer-journal"));
    EXPECT_TRUE(left.contains(".tessaly-999999991-1.lock"));
    EXPECT_FALSE(left.contains("tq-999999992-4-xyz.answer"));
    EXPECT_FALSE(left.contains(".tessaly-999999992-1.lock"));
    EXPECT_TRUE(left.contains(".tessaly-private"));
    EXPECT_EQ(left.filter(QString(".tessaly-%1-").arg(getpid())).size(), 2)
        << "each component holds its own lock: " << left.join(' ').toStdString();

    // The second runner ends: the folder stays for the others.
    second.reset();
    left = Files(shared);
    EXPECT_TRUE(left.contains("tq-999999991-1-abc.answer"));
    EXPECT_EQ(left.filter(QString(".tessaly-%1-").arg(getpid())).size(), 1);

    // The other runner ends; the first one's end removes the folder.
    held.close();
    first.reset();
    EXPECT_FALSE(QFileInfo::exists(shared)) << Files(shared).join(' ').toStdString();
}
