#include "export/EC_FileNames.h"

#include "platform/core/SystemInfo.h"

QString RemoveFileExt(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash =
        qMax(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
    return dot > slash ? fileName.left(dot) : fileName;
}

QString ReplaceFileExt(const QString& fileName, const QString& ext)
{
    return RemoveFileExt(fileName) + QLatin1Char('.') + ext;
}

QString TempFilePath(const QString& name)
{
    return TempFolder() + name;
}
