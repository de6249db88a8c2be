// File names of the export: extensions and the temporary folder.
#pragma once

#include <QString>

// The name without the extension of its last part.
QString RemoveFileExt(const QString& fileName);
QString ReplaceFileExt(const QString& fileName, const QString& ext);
// The temporary folder's path of a file of that name.
QString TempFilePath(const QString& name);
