// The mount watcher signals a volume that comes and goes. Mounting needs a
// private mount namespace, so the test runs itself again under unshare and
// is skipped where that is not allowed.
#include "platform/MountTable.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const char* const ChildVariable = "TESSALY_MOUNT_WATCHER_CHILD";

bool RunCommand(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// Inside the private namespace: mount a RAM disk on a folder and take it away.
void WatchAVolumeComeAndGo()
{
    TempFolder folder;
    TMountWatcher watcher;
    int changes = 0;
    QObject::connect(&watcher, &TMountWatcher::Changed, [&] { ++changes; });
    QTest::qWait(200);
    ASSERT_EQ(changes, 0) << "nothing changed yet";
    ASSERT_TRUE(RunCommand("mount", {"-t", "tmpfs", "none", folder.Path()}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes == 1; }, 5000));
    EXPECT_NE(ReadMountTable().Find(folder.Path()), nullptr);
    ASSERT_TRUE(RunCommand("umount", {folder.Path()}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return changes == 2; }, 5000));
    EXPECT_EQ(ReadMountTable().Find(folder.Path()), nullptr);
}

} // namespace

TEST(MountWatcher, SignalsAVolumeThatComesAndGoes)
{
    if (qEnvironmentVariableIsSet(ChildVariable)) {
        WatchAVolumeComeAndGo();
        return;
    }
    if (!RunCommand("unshare", {"-m", "true"}))
        GTEST_SKIP() << "mounting in a private namespace is not allowed here";
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(ChildVariable, "1");
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start("unshare", {"-m", QCoreApplication::applicationFilePath(),
                            "--gtest_filter=MountWatcher.SignalsAVolumeThatComesAndGoes"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}
