// Quoting and checking of the names the engine writes into SQL.
#include "engine/SqlNames.h"

#include "platform/core/Exceptions.h"

#include <QRegularExpression>

QString QuoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString TableNameOf(const QString& name)
{
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        throw EDatabaseError(QStringLiteral("Invalid table name: %1").arg(name));
    QString table = name.trimmed();
    const qsizetype dot = table.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        table.truncate(dot);
    // "." and ".." name folders, never tables.
    if (table.trimmed().isEmpty() || table.count(QLatin1Char('.')) == table.size())
        throw EDatabaseError(QStringLiteral("Invalid table name: %1").arg(name));
    return table;
}

QString SafeDeclaredType(const QString& declared)
{
    static const QRegularExpression plain(
        QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*( +[A-Za-z_][A-Za-z0-9_]*)*"
                       "( *\\( *[+-]?[0-9]+( *, *[+-]?[0-9]+)? *\\))?$"));
    const QString type = declared.trimmed();
    if (type.isEmpty() || plain.match(type).hasMatch())
        return type;
    // The affinity rules of SQLite, in their order.
    const QString upper = type.toUpper();
    if (upper.contains(QLatin1String("INT")))
        return QStringLiteral("INTEGER");
    if (upper.contains(QLatin1String("CHAR")) || upper.contains(QLatin1String("CLOB")) ||
        upper.contains(QLatin1String("TEXT")))
        return QStringLiteral("TEXT");
    if (upper.contains(QLatin1String("BLOB")))
        return QStringLiteral("BLOB");
    if (upper.contains(QLatin1String("REAL")) || upper.contains(QLatin1String("FLOA")) ||
        upper.contains(QLatin1String("DOUB")))
        return QStringLiteral("REAL");
    return QStringLiteral("NUMERIC");
}
