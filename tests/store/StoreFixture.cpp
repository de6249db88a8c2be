#include "StoreFixture.h"

#include <QFile>

void StoreTest::SetUp()
{
    savedConfig_ = qgetenv("TESSALY_CONFIG_DIR");
    config_ = std::make_unique<TestFolder>();
    qputenv("TESSALY_CONFIG_DIR", config_->Path().toLocal8Bit());
}

void StoreTest::TearDown()
{
    qputenv("TESSALY_CONFIG_DIR", savedConfig_);
}

QByteArray StoreTest::RegistryText() const
{
    const QString name = ConfigFile("registry.ini");
    return QFile::exists(name) ? ReadAll(name) : QByteArray();
}
