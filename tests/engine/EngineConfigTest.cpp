// engine.cfg: the default file, and the configuration list that edits the
// records of one configuration path.
#include "engine/EngineConfig.h"

#include "platform/core/Exceptions.h"
#include "platform/core/SystemInfo.h"
#include "support/EngineTestSupport.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(EngineConfig, AMissingFileIsCreatedWithTheSystemSection)
{
    QFile::remove(EngineConfigPath());
    EXPECT_EQ(EngineConfigFile(), EngineConfigPath());
    const QByteArray text = ReadAll(EngineConfigPath());
    EXPECT_TRUE(text.contains("[\\SYSTEM\\INIT\\]")) << text.toStdString();
    EXPECT_TRUE(text.contains("LOCAL SHARE=FALSE")) << text.toStdString();
}

TEST(EngineConfig, TheListWalksModifiesAndWritesOneSection)
{
    WriteEngineConfig("; hand-written\n"
                      "[\\SYSTEM\\INIT\\]\n"
                      "LOCAL SHARE=FALSE\n"
                      "VERSION=4.0\n"
                      "[\\DATABASES\\KIV\\DB INFO\\]\n"
                      "PATH=/home/ann/kiv\n");
    {
        TConfigList list(QStringLiteral("\\SYSTEM\\INIT\\"));
        QStringList seen;
        while (list.Next()) {
            seen << list.Name() + QLatin1Char('=') + list.Value();
            if (list.Name() == QLatin1String("LOCAL SHARE"))
                list.Modify(QStringLiteral("True"));
        }
        EXPECT_EQ(seen, (QStringList{QStringLiteral("LOCAL SHARE=FALSE"),
                                     QStringLiteral("VERSION=4.0")}));
        EXPECT_FALSE(list.Next()) << "stays past the end";
        EXPECT_TRUE(ReadAll(EngineConfigPath()).contains("LOCAL SHARE=FALSE"))
            << "written on Close";
        list.Close();
    }
    const QByteArray text = ReadAll(EngineConfigPath());
    EXPECT_TRUE(text.contains("LOCAL SHARE=True")) << text.toStdString();
    EXPECT_TRUE(text.contains("; hand-written")) << "other lines are kept";
    EXPECT_TRUE(text.contains("PATH=/home/ann/kiv"));
    EXPECT_TRUE(text.contains("VERSION=4.0"));
    EXPECT_EQ(QDir(ConfigFolder()).entryList(QDir::Files),
              QStringList{QStringLiteral("engine.cfg")})
        << "no temporary file is left behind";
}

TEST(EngineConfig, TheDestructorWritesPendingChanges)
{
    WriteEngineConfig("[\\SYSTEM\\INIT\\]\nLOCAL SHARE=FALSE\n");
    {
        TConfigList list(QStringLiteral("\\system\\init\\"));
        ASSERT_TRUE(list.Next());
        list.Modify(QStringLiteral("TRUE"));
    }
    EXPECT_TRUE(ReadAll(EngineConfigPath()).contains("LOCAL SHARE=TRUE"));
}

TEST(EngineConfig, UnknownPathsAndMissingRecordsRaise)
{
    WriteEngineConfig("[\\SYSTEM\\INIT\\]\nLOCAL SHARE=FALSE\n");
    EXPECT_THROW(TConfigList(QStringLiteral("\\SYSTEM\\NOWHERE\\")), EDatabaseError);
    TConfigList list(QStringLiteral("\\SYSTEM\\INIT\\"));
    EXPECT_THROW(list.Name(), EDatabaseError) << "no current record before Next";
    EXPECT_THROW(list.Modify(QStringLiteral("x")), EDatabaseError);
    ASSERT_TRUE(list.Next());
    list.Close();
    EXPECT_THROW(list.Modify(QStringLiteral("x")), EDatabaseError) << "closed";
}

} // namespace
