#include "TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

ScriptedUi::ScriptedUi()
{
    auto ui = std::make_unique<ScriptedInteraction>();
    ui_ = ui.get();
    previous_ = SetUi(std::move(ui));
}

ScriptedUi::~ScriptedUi()
{
    SetUi(std::move(previous_));
}

TempFolder::TempFolder()
{
    EXPECT_TRUE(dir_.isValid());
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QString BinaryFolder()
{
    const QByteArray fromEnv = qgetenv("TESSALY_BIN_DIR");
    if (!fromEnv.isEmpty())
        return QString::fromLocal8Bit(fromEnv);
    return QFileInfo(QCoreApplication::applicationFilePath()).absolutePath() +
           QStringLiteral("/../bin");
}
