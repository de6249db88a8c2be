// What the program asks of the operating system: its own executable, the user
// and computer names, the temporary and configuration folders.
#pragma once

#include <QString>

// Full path of the running executable (/proc/self/exe).
QString ExecutablePath();

// The login name of the user, "Unknown" when it cannot be read.
QString UserName();
// The host name of the computer, "Unknown" when it cannot be read.
QString ComputerName();

// A name made safe for file names and SQL text: every blank becomes "_",
// every other character that is not an ASCII letter or digit becomes "0".
QString SanitizeName(const QString& name);
QString SanitizedUserName();
QString SanitizedComputerName();

// The user's temporary folder (honours TMPDIR), with a trailing "/".
QString TempFolder();

// $TESSALY_CONFIG_DIR, else $XDG_CONFIG_HOME/tessaly, else ~/.config/tessaly;
// without a trailing separator. The folder is not created here.
QString ConfigFolder();

// Turns the "\" of a setting or constant into "/" before a path reaches the OS.
QString NativePath(const QString& path);
