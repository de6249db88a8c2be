#include "export/EC_Items.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QVariant>

TExportValue& TExportValues::Add()
{
    if (size_t(count_) == items_.size())
        items_.emplace_back();
    TExportValue& value = items_[size_t(count_++)];
    value.HasInfo = false;
    value.InBytes = false;
    return value;
}

// UTF-16 counts one unit per UTF-8 sequence, two for a four-byte one.
qsizetype TExportValue::TextLength() const
{
    if (!InBytes)
        return Value.size();
    qsizetype length = 0;
    for (const char c : Utf8) {
        const auto byte = static_cast<unsigned char>(c);
        length += (byte & 0xC0) != 0x80;
        length += byte >= 0xF0;
    }
    return length;
}

QStringList TExportValues::Strings() const
{
    QStringList strings;
    for (int i = 0; i < count_; ++i)
        strings << items_[size_t(i)].Value;
    return strings;
}

std::optional<TDateTime> StoredDateTime(const QVariant& value)
{
    static const QDate dayZero(1899, 12, 30);
    // Whole seconds, as the time's text gives them.
    const auto timeOfDay = [](const QTime& time) {
        return (time.msecsSinceStartOfDay() / 1000) / 86400.0;
    };
    switch (value.typeId()) {
    case QMetaType::QDate:
        return double(dayZero.daysTo(value.toDate()));
    case QMetaType::QTime:
        return timeOfDay(value.toTime());
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.toDateTime();
        return double(dayZero.daysTo(dateTime.date())) + timeOfDay(dateTime.time());
    }
    default:
        return std::nullopt;
    }
}
