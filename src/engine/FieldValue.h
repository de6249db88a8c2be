// The value a field holds, read from an SQLite column: a null QVariant,
// qint64, double, bool, QDate, QTime, QDateTime (UTC, no zone shift), QString
// or QByteArray by the field's type. Dates are ISO 8601 text
// ("2024-05-01", "2024-05-01 13:45:00", "13:45:00") or Julian day numbers. A
// value that does not fit its field's type is kept as it is stored (text,
// number or bytes), so nothing is lost on the way to the screen.
#pragma once

#include "engine/Field.h"

#include <QVariant>
#include <sqlite3.h>

struct TDateTimeParts;

QVariant FieldValueOf(sqlite3_stmt* stmt, int column, TFieldType type);

// The calendar parts of a date, time or date-time field's stored value, as
// FieldValueOf reads it (a date field's day at midnight, a time field's time
// on day zero), without a QVariant; false when it is null or no value of the
// field's kind (FieldValueOf then keeps it as stored).
bool StoredDateTimeParts(sqlite3_stmt* stmt, int column, TFieldType type, TDateTimeParts* parts);

// Parses ISO 8601 date and/or time text; false when the text is neither.
bool ParseIsoDateTime(const QString& text, QDate* date, QTime* time);
