// The directory tree over a temporary folder structure mounted as a volume of
// a captured mount table: lazy reading, placeholders, hidden folders, opening
// paths, nested mounts, renaming, folders removed from outside, volumes that
// come and go, and a network volume that never answers.
#include "FrameTestSupport.h"
#include "controls/FrFilSys.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QLineEdit>
#include <QSemaphore>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>

namespace {

class DirectoryTreeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* path :
             {"a/a1/a11", "a/a2", "B", "c", ".hidden/h1", "onlyhidden/.h", "net/n1"})
            ASSERT_TRUE(QDir().mkpath(Data(path)));
        Mount("26 1 8:1 / / rw - ext4 /dev/sda1 rw");
        Mount("40 26 8:16 / " + Data() + " rw - ext4 /dev/sdb rw");
        // The data folder's volume is a mount in the user's home folder.
        previous_ = SetMountSources({[this] { return mountinfo_.join('\n').toUtf8(); },
                                     "/nonexistent",
                                     "/nonexistent",
                                     Home(),
                                     {}});
    }
    void TearDown() override { SetMountSources(previous_); }

    QString Data(const QString& path = QString()) const
    {
        return path.isEmpty() ? folder_.Path() : folder_.File(path);
    }
    void Mount(const QString& line) { mountinfo_ << line; }
    QString Home() const { return QFileInfo(folder_.Path()).path(); }

    // The node of a folder, searched through the nodes that exist.
    static QTreeWidgetItem* Node(const TFrDirectoryTree& tree, const QString& folder)
    {
        const QString path = folder.endsWith('/') ? folder : folder + "/";
        QList<QTreeWidgetItem*> pending;
        for (int i = 0; i < tree.topLevelItemCount(); ++i)
            pending << tree.topLevelItem(i);
        while (!pending.isEmpty()) {
            QTreeWidgetItem* node = pending.takeFirst();
            if (TFrDirectoryTree::NodePath(node) == path)
                return node;
            for (int i = 0; i < node->childCount(); ++i)
                pending << node->child(i);
        }
        return nullptr;
    }
    static QStringList Texts(const QTreeWidgetItem* node)
    {
        QStringList texts;
        for (int i = 0; i < node->childCount(); ++i)
            texts << node->child(i)->text(0);
        return texts;
    }
    static QStringList TopLevelPaths(const TFrDirectoryTree& tree)
    {
        QStringList paths;
        for (int i = 0; i < tree.topLevelItemCount(); ++i)
            paths << TFrDirectoryTree::NodePath(tree.topLevelItem(i));
        return paths;
    }

    TempFolder folder_;
    QStringList mountinfo_;
    TMountSources previous_;
};

} // namespace

TEST_F(DirectoryTreeTest, VolumesOfTheChosenKinds)
{
    Mount("51 26 0:40 / /run rw - tmpfs tmpfs rw");
    Mount("52 26 0:41 / /proc rw - proc proc rw");
    TFrDirectoryTree tree;
    EXPECT_EQ(TopLevelPaths(tree), QStringList({Home() + "/", "/", Data() + "/"}))
        << "the home folder first; /run is no place of the user's";
    Mount("53 40 11:1 / " + Data("disc") + " ro - iso9660 /dev/sr1 ro");
    emit tree.findChild<TMountWatcher*>()->Changed();
    EXPECT_EQ(TopLevelPaths(tree), QStringList({Home() + "/", "/", Data() + "/", Data("disc/")}));
    EXPECT_EQ(Texts(Node(tree, Data("disc"))), QStringList({":"}))
        << "a disc is not touched while the volumes load";
    QTreeWidgetItem* data = Node(tree, Data());
    tree.SetDriveTypes(dtUnknown | dtFixed | dtNetwork | dtRAM);
    EXPECT_EQ(TopLevelPaths(tree), QStringList({Home() + "/", "/", Data() + "/"}));
    EXPECT_EQ(Node(tree, Data()), data) << "the other volumes stay as they are";
}

TEST_F(DirectoryTreeTest, FoldersAreReadLazilyBehindPlaceholders)
{
    TFrDirectoryTree tree;
    QTreeWidgetItem* data = Node(tree, Data());
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(Texts(data), QStringList({":"})) << "one placeholder until it is opened";
    EXPECT_FALSE(TFrDirectoryTree::ChildrenRead(data));

    data->setExpanded(true);
    EXPECT_TRUE(TFrDirectoryTree::ChildrenRead(data));
    EXPECT_EQ(Texts(data), QStringList({"a", "B", "c", "net", "onlyhidden"}));
    EXPECT_EQ(Texts(Node(tree, Data("a"))), QStringList({":"}));
    EXPECT_FALSE(TFrDirectoryTree::ChildrenRead(Node(tree, Data("a"))));
    EXPECT_EQ(Texts(Node(tree, Data("c"))), QStringList()) << "an empty folder has no button";
    EXPECT_EQ(Texts(Node(tree, Data("onlyhidden"))), QStringList());

    tree.SetShowHiddenDirs(true);
    data = Node(tree, Data());
    data->setExpanded(true);
    EXPECT_EQ(Texts(data), QStringList({".hidden", "a", "B", "c", "net", "onlyhidden"}));
    EXPECT_EQ(Texts(Node(tree, Data("onlyhidden"))), QStringList({":"}));
}

TEST_F(DirectoryTreeTest, OpeningAPathReadsOnlyTheNodesOnTheWay)
{
    Mount("60 40 0:70 / " + Data("net") + " rw - cifs //srv/Share rw");
    TFrDirectoryTree tree;
    tree.SetDirectory(Data("a/a1/a11"));
    EXPECT_EQ(tree.Directory(), Data("a/a1/a11"));
    EXPECT_TRUE(TFrDirectoryTree::ChildrenRead(Node(tree, Data("a"))));
    EXPECT_FALSE(TFrDirectoryTree::ChildrenRead(Node(tree, Data("a/a2"))));
    EXPECT_FALSE(TFrDirectoryTree::ChildrenRead(Node(tree, Data("B"))));

    const struct
    {
        QString path;
        QString directory;
    } cases[] = {
        {Data("a/missing/deeper"), Data("a")},
        {Data("a/../B"), Data("B")},
        {Data("c/"), Data("c")},
        {Data("A"), Data("a")}, // no such folder: its parent, the volume
        {"/", "/"},
        {"//nobody/share/x", "/"}, // a network path no volume mounts: nothing happens
        {"//srv/Share/n1/../n1", Data("net/n1")}, // mapped onto its mount point, then cleaned
    };
    for (const auto& c : cases) {
        tree.SetDirectory(c.path);
        const QString expected = c.path == Data("A") ? Data() : c.directory;
        // A share answers later.
        EXPECT_TRUE(QTest::qWaitFor([&] { return tree.Directory() == expected; }, 2000))
            << c.path.toStdString() << " opened " << tree.Directory().toStdString();
    }
}

TEST_F(DirectoryTreeTest, AFolderOnAnExcludedVolumeLeavesTheSelection)
{
    Mount("50 40 11:0 / " + Data("c") + " ro - iso9660 /dev/sr0 ro");
    TFrDirectoryTree tree;
    tree.SetDriveTypes(dtUnknown | dtFixed | dtNetwork | dtRAM);
    tree.SetDirectory(Data("B"));
    tree.SetDirectory(Data("c"));
    EXPECT_EQ(tree.Directory(), Data("B"));
}

TEST_F(DirectoryTreeTest, ANestedMountIsAVolumeAndAFolder)
{
    Mount("41 40 8:32 / " + Data("a") + " rw - ext4 /dev/sdc rw");
    TFrDirectoryTree tree;
    EXPECT_EQ(TopLevelPaths(tree), QStringList({Home() + "/", "/", Data() + "/", Data("a") + "/"}));
    tree.SetDirectory(Data("a/a1"));
    QTreeWidgetItem* node = tree.currentItem();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(TFrDirectoryTree::NodePath(node->parent()), Data("a") + "/");
    EXPECT_EQ(node->parent()->parent(), nullptr) << "opened under its own volume";
    EXPECT_EQ(tree.Drive(), Data("a"));
    Node(tree, Data())->setExpanded(true);
    EXPECT_TRUE(Texts(Node(tree, Data())).contains("a"));
}

TEST_F(DirectoryTreeTest, ShowingTheFrameRebuildsTheVolumesAndSelectsNothing)
{
    TFrDirectoryTree tree;
    tree.SetDirectory(Data("a/a1"));
    tree.SetFrameVisible(true);
    EXPECT_EQ(tree.Directory(), "");
    EXPECT_NE(Node(tree, Data()), nullptr);
    EXPECT_FALSE(TFrDirectoryTree::ChildrenRead(Node(tree, Data()))) << "built anew";
}

TEST_F(DirectoryTreeTest, DriveChangeAndLabelFollowTheSelection)
{
    TFrDirectoryTree tree;
    QLabel label;
    tree.SetDirLabel(&label);
    int driveChanges = 0, changes = 0;
    tree.OnDriveChange = [&](QObject* sender) { driveChanges += sender == &tree; };
    tree.OnChange = [&](QObject*) { ++changes; };
    tree.SetDirectory(Data("B"));
    EXPECT_EQ(driveChanges, 1);
    EXPECT_EQ(tree.Drive(), Data());
    EXPECT_EQ(label.text(),
              tree.fontMetrics().elidedText(Data("B"), Qt::ElideMiddle, tree.width()));
    tree.SetDirectory(Data("a/a1"));
    EXPECT_EQ(driveChanges, 1) << "the same volume";
    tree.SetDirectory("/");
    EXPECT_EQ(driveChanges, 2);
    EXPECT_EQ(changes, 3);
}

TEST_F(DirectoryTreeTest, RenamingInPlace)
{
    ScriptedUi ui;
    TFrDirectoryTree tree;
    tree.SetReadOnly(false);
    tree.SetDirectory(Data("a/a2"));
    tree.show();
    QTreeWidgetItem* node = tree.currentItem();
    QTest::keyClick(&tree, Qt::Key_F2);
    auto* editor = tree.findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr) << "F2 edits the selected folder";
    EXPECT_GE(editor->geometry().right(), tree.viewport()->width() - 2)
        << "the editor has room for a longer name";
    editor->setText("renamed");
    QTest::keyClick(editor, Qt::Key_Return); // the editor commits from the event loop
    ASSERT_TRUE(QTest::qWaitFor([&] { return QDir(Data("a/renamed")).exists(); }));
    EXPECT_FALSE(QDir(Data("a/a2")).exists());
    EXPECT_EQ(node->text(0), "renamed");
    EXPECT_EQ(tree.Directory(), Data("a/renamed"));
    EXPECT_TRUE(ui->History().isEmpty());

    // Each refused name shows the message and changes nothing; not even an
    // empty folder of that name is replaced.
    ASSERT_TRUE(QDir().mkpath(Data("a/empty")));
    const char* refused[] = {"a1", "empty", "x/y", "", "..", "."};
    for (const char* name : refused) {
        ui->Clear();
        tree.RenameNode(node, name);
        ASSERT_EQ(ui->History().size(), 1) << name;
        EXPECT_EQ(ui->History()[0].text, "A directory name cannot contain any of the following "
                                         "characters:\r\\ / : * ? \" < > |");
        EXPECT_EQ(ui->History()[0].type, mtError);
        EXPECT_EQ(node->text(0), "renamed") << name;
        EXPECT_TRUE(QDir(Data("a/renamed")).exists()) << name;
        EXPECT_TRUE(QDir(Data("a/a1/a11")).exists()) << name << ": nothing was replaced";
        EXPECT_TRUE(QDir(Data("a/empty")).exists()) << name << ": nothing was replaced";
    }
}

TEST_F(DirectoryTreeTest, NoEditingWhenReadOnlyOrOnAVolume)
{
    TFrDirectoryTree tree;
    tree.show();
    tree.SetDirectory(Data("a"));
    QTest::keyClick(&tree, Qt::Key_F2);
    EXPECT_EQ(tree.findChild<QLineEdit*>(), nullptr) << "read-only by default";
    tree.SetReadOnly(false);
    tree.SetDirectory(Data());
    QTest::keyClick(&tree, Qt::Key_F2);
    EXPECT_EQ(tree.findChild<QLineEdit*>(), nullptr) << "a volume node cannot be renamed";
}

TEST_F(DirectoryTreeTest, FoldersRemovedFromOutside)
{
    ScriptedUi ui;
    TFrDirectoryTree tree;
    tree.SetDirectory(Data("a"));
    QTreeWidgetItem* data = Node(tree, Data());
    ASSERT_TRUE(Texts(data).contains("c"));
    ASSERT_TRUE(QDir(Data("c")).removeRecursively());
    ASSERT_TRUE(QDir(Data("a")).removeRecursively());
    tree.currentItem()->setExpanded(true); // "a" is gone: no children, no error
    EXPECT_EQ(Texts(tree.currentItem()), QStringList());
    tree.RefreshNode(data);
    data->setExpanded(true);
    EXPECT_EQ(Texts(data), QStringList({"B", "net", "onlyhidden"}));
    EXPECT_TRUE(ui->History().isEmpty());
}

TEST_F(DirectoryTreeTest, VolumesComeAndGoWithTheMountTable)
{
    Mount("50 26 11:0 / /media/cd ro - iso9660 /dev/sr0 ro");
    TFrDirectoryTree tree;
    tree.SetDirectory(Data("B"));
    QTreeWidgetItem* data = Node(tree, Data());
    mountinfo_.removeLast();
    Mount("51 26 0:40 / /run rw - tmpfs tmpfs rw");
    Mount("52 40 0:41 / " + Data("c") + " rw - ext4 /dev/sdd rw");
    Mount("53 26 0:42 / " + Home() + "/0 rw - ext4 /dev/sde rw");
    auto* watcher = tree.findChild<TMountWatcher*>();
    ASSERT_NE(watcher, nullptr);
    emit watcher->Changed();
    EXPECT_EQ(TopLevelPaths(tree),
              QStringList({Home() + "/", "/", Home() + "/0/", Data() + "/", Data("c/")}));
    EXPECT_EQ(Node(tree, Data()), data) << "the other volumes stay as they are";
    EXPECT_EQ(tree.Directory(), Data("B"));
}

TEST_F(DirectoryTreeTest, ANewMediumIsSeenWhenItsVolumeIsSelected)
{
    Mount("50 40 11:0 / " + Data("c") + " ro - iso9660 /dev/sr0 ro");
    TFrDirectoryTree tree;
    QTreeWidgetItem* disc = Node(tree, Data("c"));
    ASSERT_NE(disc, nullptr);
    ASSERT_EQ(disc->parent(), nullptr);
    disc->setExpanded(true);
    ASSERT_TRUE(TFrDirectoryTree::ChildrenRead(disc));
    tree.SetDirectory(Data("B"));
    mountinfo_.last().replace("11:0", "11:1"); // another disc, another serial
    tree.setCurrentItem(disc);
    EXPECT_FALSE(TFrDirectoryTree::ChildrenRead(disc)) << "the drive node was refreshed";
    EXPECT_EQ(Texts(disc), QStringList({":"})) << "a readable disc gets its button back";
}

// A share whose folder reads (all, or only the probes) wait at a gate the
// test opens: it answers late, or, the gate shut, not at all.
struct SlowShare
{
    SlowShare(const QString& folder, bool probesOnly)
    {
        previous = SetFolderReader(
            [=, gate = gate, count = count](const QString& path, bool, bool firstOnly) {
                if (path.startsWith(folder) && (firstOnly || !probesOnly)) {
                    const int now = ++count->waiting;
                    for (int max = count->most; now > max;)
                        count->most.compare_exchange_weak(max, now);
                    gate->acquire();
                    --count->waiting;
                }
                return QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
            });
    }
    ~SlowShare()
    {
        gate->release(1000);
        SetFolderReader(previous);
    }
    std::shared_ptr<QSemaphore> gate = std::make_shared<QSemaphore>();
    struct Count
    {
        std::atomic<int> waiting{0}, most{0};
    };
    std::shared_ptr<Count> count = std::make_shared<Count>();
    TFolderReader previous;
};

TEST_F(DirectoryTreeTest, AShareThatAnswersLateOrNotAtAllFreezesNothing)
{
    Mount("60 40 0:70 / " + Data("net") + " rw - nfs4 deadserver:/export rw");
    SlowShare share(Data("net"), false);
    TFrDirectoryTree tree; // probes the share while the volumes load
    QTreeWidgetItem* node = Node(tree, Data("net"));
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return share.count->waiting == 1; }))
        << "the tree came back while the share hangs";
    EXPECT_EQ(Texts(node), QStringList({":"})) << "it can be opened meanwhile";
    node->setExpanded(true);
    tree.SetDirectory(Data("net/n1"));
    EXPECT_FALSE(TFrDirectoryTree::ChildrenRead(node));

    // No answer for long: the node is marked, and opened again it is asked again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return TFrDirectoryTree::TimedOut(node) && !tree.Pending(); },
                                10000));
    share.gate->release(1000);
    node->setExpanded(false);
    node->setExpanded(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return TFrDirectoryTree::ChildrenRead(node); }));
    EXPECT_EQ(tree.Directory(), Data("net/n1")) << "the folder asked for opens once read";
}

TEST_F(DirectoryTreeTest, TheSubFoldersOfAShareAreProbedTogether)
{
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(QDir().mkpath(Data("net/d%1").arg(i)));
    ASSERT_TRUE(QDir().mkpath(Data("net/d7/deeper")));
    Mount("60 40 0:70 / " + Data("net") + " rw - fuse.rclone gdrive: rw");
    SlowShare share(Data("net/"), true);
    TFrDirectoryTree tree;
    QTreeWidgetItem* node = Node(tree, Data("net"));
    share.gate->release(1); // the share's own probe
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tree.Pending(); }));
    node->setExpanded(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return share.count->most == 21; }))
        << "all probes at once, none on the window's thread";
    ASSERT_EQ(node->childCount(), 21); // n1 and d0..d19
    share.gate->release(21);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tree.Pending(); }));
    EXPECT_EQ(Texts(Node(tree, Data("net/d7"))), QStringList({":"}));
    EXPECT_EQ(Texts(Node(tree, Data("net/d8"))), QStringList()) << "late answers arrive";
}
