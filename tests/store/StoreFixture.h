// A fresh configuration folder per test (registry file, engine.cfg), put back afterwards.
#pragma once

#include "support/TestSupport.h"

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// Failure messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

// The support helper shares its name with the temporary-folder look-up.
using TestFolder = class TempFolder;

class StoreTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    QString ConfigFile(const QString& name) const { return config_->File(name); }
    // The registry file's text, empty when it does not exist.
    QByteArray RegistryText() const;

    std::unique_ptr<TestFolder> config_;
    QByteArray savedConfig_;
};
