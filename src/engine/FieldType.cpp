// The field type of a declared column type. Names are matched as whole words
// (after upper-casing and folding blanks); a "(n)" after a character type is
// its size. Names this table does not know fall back to SQLite's affinity
// rules, except numeric-affinity names, which leave the type to the values.
#include "engine/Field.h"

#include <QHash>
#include <QRegularExpression>

namespace {

struct Known
{
    TFieldType type;
    bool sized; // a "(n)" gives the field's size
    bool currency;
};

const QHash<QString, Known>& KnownTypes()
{
    static const QHash<QString, Known> types = {
        {QStringLiteral("INTEGER"), {ftInteger, false, false}},
        {QStringLiteral("INT"), {ftInteger, false, false}},
        {QStringLiteral("MEDIUMINT"), {ftInteger, false, false}},
        {QStringLiteral("LONG"), {ftInteger, false, false}},
        {QStringLiteral("BIGINT"), {ftLargeint, false, false}},
        {QStringLiteral("LARGEINT"), {ftLargeint, false, false}},
        {QStringLiteral("INT8"), {ftLargeint, false, false}},
        {QStringLiteral("INT64"), {ftLargeint, false, false}},
        {QStringLiteral("UNSIGNED BIG INT"), {ftLargeint, false, false}},
        {QStringLiteral("SMALLINT"), {ftSmallint, false, false}},
        {QStringLiteral("SHORT"), {ftSmallint, false, false}},
        {QStringLiteral("TINYINT"), {ftSmallint, false, false}},
        {QStringLiteral("INT2"), {ftSmallint, false, false}},
        {QStringLiteral("WORD"), {ftWord, false, false}},
        {QStringLiteral("AUTOINC"), {ftAutoInc, false, false}},
        {QStringLiteral("AUTOINCREMENT"), {ftAutoInc, false, false}},
        {QStringLiteral("REAL"), {ftFloat, false, false}},
        {QStringLiteral("FLOAT"), {ftFloat, false, false}},
        {QStringLiteral("DOUBLE"), {ftFloat, false, false}},
        {QStringLiteral("DOUBLE PRECISION"), {ftFloat, false, false}},
        {QStringLiteral("NUMBER"), {ftFloat, false, false}},
        {QStringLiteral("NUMERIC"), {ftBCD, false, false}},
        {QStringLiteral("DECIMAL"), {ftBCD, false, false}},
        {QStringLiteral("BCD"), {ftBCD, false, false}},
        {QStringLiteral("CURRENCY"), {ftCurrency, false, true}},
        {QStringLiteral("MONEY"), {ftCurrency, false, true}},
        {QStringLiteral("BOOLEAN"), {ftBoolean, false, false}},
        {QStringLiteral("BOOL"), {ftBoolean, false, false}},
        {QStringLiteral("LOGICAL"), {ftBoolean, false, false}},
        {QStringLiteral("DATE"), {ftDate, false, false}},
        {QStringLiteral("TIME"), {ftTime, false, false}},
        {QStringLiteral("DATETIME"), {ftDateTime, false, false}},
        {QStringLiteral("TIMESTAMP"), {ftDateTime, false, false}},
        {QStringLiteral("CHAR"), {ftString, true, false}},
        {QStringLiteral("CHARACTER"), {ftString, true, false}},
        {QStringLiteral("NCHAR"), {ftString, true, false}},
        {QStringLiteral("VARCHAR"), {ftString, true, false}},
        {QStringLiteral("NVARCHAR"), {ftString, true, false}},
        {QStringLiteral("VARCHAR2"), {ftString, true, false}},
        {QStringLiteral("VARYING CHARACTER"), {ftString, true, false}},
        {QStringLiteral("NATIVE CHARACTER"), {ftString, true, false}},
        {QStringLiteral("STRING"), {ftString, true, false}},
        {QStringLiteral("TEXT"), {ftString, false, false}},
        {QStringLiteral("ALPHA"), {ftString, true, false}},
        {QStringLiteral("MEMO"), {ftMemo, false, false}},
        {QStringLiteral("CLOB"), {ftMemo, false, false}},
        {QStringLiteral("LONGTEXT"), {ftMemo, false, false}},
        {QStringLiteral("MEDIUMTEXT"), {ftMemo, false, false}},
        {QStringLiteral("NTEXT"), {ftMemo, false, false}},
        {QStringLiteral("FMTMEMO"), {ftFmtMemo, false, false}},
        {QStringLiteral("BLOB"), {ftBlob, false, false}},
        {QStringLiteral("BINARY"), {ftBlob, false, false}},
        {QStringLiteral("VARBINARY"), {ftBlob, false, false}},
        {QStringLiteral("LONGBLOB"), {ftBlob, false, false}},
        {QStringLiteral("GRAPHIC"), {ftGraphic, false, false}},
        {QStringLiteral("IMAGE"), {ftGraphic, false, false}},
        {QStringLiteral("BYTES"), {ftBytes, true, false}},
        {QStringLiteral("VARBYTES"), {ftVarBytes, true, false}},
    };
    return types;
}

} // namespace

TFieldType FieldTypeOfDeclared(const QString& declared, int* size, bool* currency)
{
    static const QRegularExpression shape(
        QStringLiteral("^([^(]*?)\\s*(?:\\(\\s*([0-9]+)\\s*(?:,\\s*[0-9]+\\s*)?\\))?\\s*$"));
    if (size)
        *size = 0;
    if (currency)
        *currency = false;
    const QString upper = declared.trimmed().toUpper();
    if (upper.isEmpty())
        return ftUnknown;
    const QRegularExpressionMatch match = shape.match(upper);
    const QString name = match.hasMatch() ? match.captured(1).simplified() : upper.simplified();
    if (auto known = KnownTypes().constFind(name); known != KnownTypes().constEnd()) {
        if (size && known->sized && match.hasMatch() && !match.captured(2).isEmpty())
            *size = match.captured(2).toInt();
        if (currency)
            *currency = known->currency;
        return known->type;
    }
    if (upper.contains(QLatin1String("INT")))
        return ftInteger;
    if (upper.contains(QLatin1String("CHAR")) || upper.contains(QLatin1String("TEXT"))) {
        if (size && match.hasMatch())
            *size = match.captured(2).toInt();
        return ftString;
    }
    if (upper.contains(QLatin1String("CLOB")))
        return ftMemo;
    if (upper.contains(QLatin1String("BLOB")))
        return ftBlob;
    if (upper.contains(QLatin1String("REAL")) || upper.contains(QLatin1String("FLOA")) ||
        upper.contains(QLatin1String("DOUB")))
        return ftFloat;
    return ftUnknown;
}
