// Test entry point: a headless application, a private configuration folder
// and a private temporary folder for this test process, removed at the end.
#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The C locale's regional settings and messages, whatever the machine's,
    // for this process and the programs it starts; tests that need others pin them.
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("LANGUAGE", "C");
    QTemporaryDir sandbox;
    if (!sandbox.isValid())
        return 2;
    const QString config = sandbox.filePath(QStringLiteral("config"));
    const QString temp = sandbox.filePath(QStringLiteral("tmp"));
    QDir().mkpath(config);
    QDir().mkpath(temp);
    qputenv("TESSALY_CONFIG_DIR", config.toLocal8Bit());
    qputenv("TMPDIR", temp.toLocal8Bit());

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
