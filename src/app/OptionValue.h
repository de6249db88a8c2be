// The value that follows a command-line option, shared by every option parser
// of the runner so they all word a missing value alike.
#pragma once

#include <QString>
#include <QStringList>

// Moves i onto the value after the option at arguments[i] and copies it to
// target; without one, error names the option and false is returned.
bool TakeOptionValue(const QStringList& arguments, qsizetype& i, QString& target, QString& error);
