// Field values as text, by type and regional settings.
#include "engine/Field.h"

#include "engine/DataSet.h"
#include "engine/DisplayFormat.h"
#include "engine/FieldValue.h"
#include "engine/FormatSettings.h"
#include "platform/core/ByteAppend.h"
#include "platform/core/Exceptions.h"
#include "platform/core/StoreChange.h"

#include <QDateTime>
#include <charconv>

namespace {

bool IsNumber(const QVariant& value)
{
    const int type = value.typeId();
    return type == QMetaType::LongLong || type == QMetaType::Double || type == QMetaType::Int;
}

// "(MEMO)", or "(memo)" for null, for fields that are not shown as text.
QString Placeholder(TFieldType type, bool null)
{
    QString name;
    switch (type) {
    case ftMemo:
        name = QStringLiteral("MEMO");
        break;
    case ftFmtMemo:
        name = QStringLiteral("FMTMEMO");
        break;
    case ftGraphic:
        name = QStringLiteral("GRAPHIC");
        break;
    case ftBytes:
        name = QStringLiteral("BYTES");
        break;
    case ftVarBytes:
        name = QStringLiteral("VARBYTES");
        break;
    default:
        name = QStringLiteral("BLOB");
        break;
    }
    return QLatin1Char('(') + (null ? name.toLower() : name) + QLatin1Char(')');
}

bool IsIntegral(TFieldType type)
{
    return type == ftSmallint || type == ftInteger || type == ftWord || type == ftAutoInc ||
           type == ftLargeint;
}

bool IsFloating(TFieldType type)
{
    return type == ftFloat || type == ftCurrency || type == ftBCD;
}

bool IsDateOrTime(TFieldType type)
{
    return type == ftDate || type == ftTime || type == ftDateTime;
}

bool IsText(TFieldType type)
{
    return type == ftString || type == ftFixedChar || type == ftWideString;
}

// A decimal too precise for a double, kept as its text in a number field
// ("-12345678901234567890.5"), with the regional decimal separator the
// field's other numbers are shown with.
QString DecimalText(const QString& text, TFieldType type, const TFormatSettings& s)
{
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (!IsFloating(type) || point < 0 || s.decimalSeparator == QLatin1Char('.'))
        return text;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && i != point &&
            !(i == 0 && c == QLatin1Char('-')))
            return text;
    }
    QString local = text;
    local[point] = s.decimalSeparator;
    return local;
}

// Whether bytes are well-formed UTF-8 that reads back as itself: no overlong
// forms, surrogates or code points past U+10FFFF, and no leading byte-order mark.
bool IsPlainUtf8(const unsigned char* p, qsizetype size)
{
    const unsigned char* const end = p + size;
    if (size >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        return false;
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int more;
        unsigned char low = 0x80, high = 0xBF; // the range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0)
                low = 0xA0;
            else if (c == 0xED)
                high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (end - p <= more || p[1] < low || p[1] > high)
            return false;
        for (int i = 2; i <= more; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
        }
        p += more + 1;
    }
    return true;
}

// Days since 30 December 1899, the time of day as the fraction.
double DayCount(const QDate& date, const QTime& time)
{
    const double days = date.isValid() ? double(QDate(1899, 12, 30).daysTo(date)) : 0.0;
    const double fraction = time.isValid() ? time.msecsSinceStartOfDay() / 86400000.0 : 0.0;
    return days < 0 ? days - fraction : days + fraction;
}

// A column's text, stored as TEXT, when it reads back as itself.
const char* PlainStoredText(sqlite3_stmt* row, int column, int& size)
{
    const unsigned char* const text = sqlite3_column_text(row, column);
    size = sqlite3_column_bytes(row, column);
    return IsPlainUtf8(text, size) ? reinterpret_cast<const char*>(text) : nullptr;
}

} // namespace

bool IsBinary(TFieldType type)
{
    switch (type) {
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
        return true;
    default:
        return false;
    }
}

TField::TField(TDataSet* dataSet, int index, const QString& fieldName, TFieldType dataType,
               int size)
    : dataSet_(dataSet), index_(index), fieldName_(fieldName), dataType_(dataType), size_(size),
      settings_(TFormatSettings::Current()),
      dateText_(std::make_unique<TDateTimeFormat>(QStringLiteral("ddddd"), *settings_)),
      timeText_(std::make_unique<TDateTimeFormat>(QStringLiteral("tt"), *settings_)),
      dateTimeText_(std::make_unique<TDateTimeFormat>(QStringLiteral("c"), *settings_))
{
}

TField::~TField() = default;

void TField::SetDisplayFormat(const QString& format)
{
    if (!StoreChange(displayFormat_, format))
        return;
    displayDates_.reset();
    displayNumbers_.reset();
    if (!format.isEmpty()) {
        displayDates_ = std::make_unique<TDateTimeFormat>(format, *settings_);
        displayNumbers_ = std::make_unique<TNumberFormat>(format, *settings_);
    }
}

int TField::Size() const
{
    if (size_ < 0)
        size_ = dataSet_ ? dataSet_->InternalFieldSize(index_) : 0;
    return size_;
}

QString TField::DisplayLabel() const
{
    return displayLabel_.isEmpty() ? fieldName_ : displayLabel_;
}

int TField::DisplayWidth() const
{
    if (displayWidth_ >= 0)
        return displayWidth_;
    switch (dataType_) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
        return Size();
    case ftSmallint:
        return 6;
    case ftInteger:
    case ftAutoInc:
        return 11;
    case ftLargeint:
        return 15;
    case ftWord:
        return 5;
    case ftBoolean:
        return 5;
    case ftDate:
    case ftTime:
        return 10;
    case ftDateTime:
        return 18;
    case ftBytes:
    case ftVarBytes:
        return size_ > 0 ? size_ * 2 : 10;
    default:
        return 10; // floats, BCD, currency, memos, blobs
    }
}

QVariant TField::Value() const
{
    return dataSet_ ? dataSet_->CurrentValue(index_) : QVariant();
}

bool TField::IsNull() const
{
    return Value().isNull();
}

QString TField::AsString() const
{
    return AsStringOf(Value());
}

QString TField::DisplayText() const
{
    return DisplayTextOf(Value());
}

double TField::AsFloat() const
{
    const QVariant value = Value();
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return 0.0;
    case QMetaType::Bool:
        return value.toBool() ? 1.0 : 0.0;
    case QMetaType::QDate:
        return DayCount(value.toDate(), QTime());
    case QMetaType::QTime:
        return DayCount(QDate(), value.toTime());
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return DayCount(dt.date(), dt.time());
    }
    case QMetaType::QString: {
        bool ok = false;
        QString text = value.toString().trimmed();
        const double number =
            text.replace(settings_->decimalSeparator, QLatin1Char('.')).toDouble(&ok);
        if (!ok)
            throw EConvertError(
                QStringLiteral("'%1' is not a valid floating point value").arg(value.toString()));
        return number;
    }
    default:
        if (IsNumber(value))
            return value.toDouble();
        throw EConvertError(
            QStringLiteral("Field '%1' cannot be read as a number").arg(fieldName_));
    }
}

bool TField::AsBoolean() const
{
    const QVariant value = Value();
    if (value.isNull())
        return false;
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (IsNumber(value))
        return value.toDouble() != 0.0;
    const QString text = value.toString().trimmed();
    const QChar first = text.isEmpty() ? QChar() : text.at(0).toUpper();
    if (first == QLatin1Char('T') || first == QLatin1Char('Y'))
        return true;
    if (first == QLatin1Char('F') || first == QLatin1Char('N'))
        return false;
    throw EConvertError(QStringLiteral("'%1' is not a valid boolean value").arg(text));
}

QString TField::AsStringOf(const QVariant& value) const
{
    const TFormatSettings& s = *settings_;
    if (IsBinary(dataType_) && (value.isNull() || value.typeId() == QMetaType::QByteArray))
        return Placeholder(dataType_, value.isNull());
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QString();
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::LongLong:
    case QMetaType::Int:
        return QString::number(value.toLongLong());
    case QMetaType::Double:
        return FloatText(value.toDouble(), s);
    case QMetaType::QDate:
        return dateText_->Format(value.toDate(), QTime());
    case QMetaType::QTime:
        return timeText_->Format(QDate(), value.toTime());
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return dateTimeText_->Format(dt.date(), dt.time());
    }
    case QMetaType::QByteArray:
        return Placeholder(ftBlob, false);
    case QMetaType::QString:
        return DecimalText(value.toString(), dataType_, s);
    default:
        return value.toString();
    }
}

QString TField::DisplayTextOf(const QVariant& value) const
{
    if (dataType_ == ftMemo || dataType_ == ftFmtMemo)
        return Placeholder(dataType_, value.isNull());
    if (value.isNull())
        return AsStringOf(value);
    if (IsNumber(value) && displayNumbers_)
        return displayNumbers_->Format(value.toDouble());
    if (IsNumber(value) && currency_)
        return CurrencyText(value.toDouble(), *settings_);
    if (displayDates_) {
        switch (value.typeId()) {
        case QMetaType::QDate:
            return displayDates_->Format(value.toDate(), QTime());
        case QMetaType::QTime:
            return displayDates_->Format(QDate(), value.toTime());
        case QMetaType::QDateTime: {
            const QDateTime dt = value.toDateTime();
            return displayDates_->Format(dt.date(), dt.time());
        }
        default:
            break;
        }
    }
    return AsStringOf(value);
}

bool TField::PlainDisplay() const
{
    return !displayNumbers_ && !displayDates_ && !currency_ && !IsBinary(dataType_) &&
           dataType_ != ftMemo && dataType_ != ftFmtMemo;
}

void TField::AppendDisplayText(const QVariant& value, QByteArray& utf8) const
{
    // The common values of a field without display settings; the rest as DisplayTextOf.
    // Dates are formatted in a room of the thread's, as fields are read on several.
    thread_local QString room;
    if (PlainDisplay()) {
        switch (value.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int: {
            char text[24];
            const char* const end = std::to_chars(text, text + sizeof text, value.toLongLong()).ptr;
            AppendBytes(utf8, text, end - text);
            return;
        }
        case QMetaType::Bool:
            AppendBytes(utf8, value.toBool() ? QByteArrayView("True") : QByteArrayView("False"));
            return;
        case QMetaType::Double:
            AppendFloatTextUtf8(utf8, value.toDouble(), *settings_);
            return;
        case QMetaType::QDate:
            dateText_->FormatInto(room, value.toDate(), QTime());
            AppendUtf8(utf8, room);
            return;
        case QMetaType::QTime:
            timeText_->FormatInto(room, QDate(), value.toTime());
            AppendUtf8(utf8, room);
            return;
        case QMetaType::QDateTime: {
            const QDateTime dt = value.toDateTime();
            dateTimeText_->FormatInto(room, dt.date(), dt.time());
            AppendUtf8(utf8, room);
            return;
        }
        case QMetaType::QString:
            AppendUtf8(utf8, DecimalText(*static_cast<const QString*>(value.constData()), dataType_,
                                         *settings_));
            return;
        default:
            break;
        }
    }
    AppendUtf8(utf8, DisplayTextOf(value));
}

const char* TField::StoredText(sqlite3_stmt* row, int column, int& size) const
{
    if (!IsText(dataType_) || sqlite3_column_type(row, column) != SQLITE_TEXT)
        return nullptr;
    return PlainStoredText(row, column, size);
}

bool TField::AppendDateTimeText(sqlite3_stmt* row, int column, QByteArray& utf8,
                                TDateTimeParts& parts) const
{
    // The pattern DisplayTextOf takes for the value of this field's kind.
    if (!IsDateOrTime(dataType_) || !StoredDateTimeParts(row, column, dataType_, &parts))
        return false;
    const TDateTimeFormat& format = displayDates_         ? *displayDates_
                                    : dataType_ == ftDate ? *dateText_
                                    : dataType_ == ftTime ? *timeText_
                                                          : *dateTimeText_;
    return format.AppendText(utf8, parts);
}

void TField::AppendDisplayText(sqlite3_stmt* row, int column, QByteArray& utf8) const
{
    // The column's storage is asked once: every value of a result comes this way.
    const int storage = sqlite3_column_type(row, column);
    int size = 0;
    if (storage == SQLITE_TEXT && IsText(dataType_)) {
        // A text field's stored text is its display text: the bytes go over
        // as they are when they read back as themselves.
        if (const char* text = PlainStoredText(row, column, size)) {
            AppendBytes(utf8, text, size);
            return;
        }
    } else if ((storage == SQLITE_INTEGER || storage == SQLITE_FLOAT) && PlainDisplay()) {
        // Stored numbers in number and boolean fields, as FieldValueOf reads them.
        if (storage == SQLITE_INTEGER && IsIntegral(dataType_)) {
            char text[24];
            const char* const end =
                std::to_chars(text, text + sizeof text, sqlite3_column_int64(row, column)).ptr;
            AppendBytes(utf8, text, end - text);
            return;
        }
        if (IsFloating(dataType_)) {
            AppendFloatTextUtf8(utf8, sqlite3_column_double(row, column), *settings_);
            return;
        }
        if (storage == SQLITE_INTEGER && dataType_ == ftBoolean) {
            AppendBytes(utf8, sqlite3_column_int64(row, column) != 0 ? QByteArrayView("True")
                                                                     : QByteArrayView("False"));
            return;
        }
    }
    TDateTimeParts parts;
    if (storage != SQLITE_NULL && AppendDateTimeText(row, column, utf8, parts))
        return;
    AppendDisplayText(FieldValueOf(row, column, dataType_), utf8);
}
