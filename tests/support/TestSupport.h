// Helpers shared by the tests of every layer.
#pragma once

#include "support/ScriptedInteraction.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// Installs a ScriptedInteraction for one test and puts the previous one back.
class ScriptedUi
{
public:
    ScriptedUi();
    ~ScriptedUi();
    ScriptedInteraction* operator->() { return ui_; }
    ScriptedInteraction& operator*() { return *ui_; }

private:
    ScriptedInteraction* ui_;
    std::unique_ptr<Interaction> previous_;
};

// A fresh folder for one test, removed afterwards.
class TempFolder
{
public:
    TempFolder();
    QString Path() const { return dir_.path(); }
    QString File(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// Whole-file helpers that fail the test on an I/O error.
QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);

// The folder of the built executables (tessaly-query, tessaly-pack).
QString BinaryFolder();
