#include "export/EC_Items.h"

#include "engine/DisplayFormat.h"

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

TDateTime StoredDateTime(const TDateTimeParts& parts)
{
    static const qint64 dayZero = TDateTimeParts().julianDay;
    // Whole seconds, as the time's text gives them.
    const int seconds = parts.hour * 3600 + parts.minute * 60 + parts.second;
    return double(parts.julianDay - dayZero) + seconds / 86400.0;
}

std::optional<TDateTime> StoredDateTime(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QDate:
        return StoredDateTime(TDateTimeParts::Of(value.toDate(), QTime()));
    case QMetaType::QTime:
        return StoredDateTime(TDateTimeParts::Of(QDate(), value.toTime()));
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.toDateTime();
        return StoredDateTime(TDateTimeParts::Of(dateTime.date(), dateTime.time()));
    }
    default:
        return std::nullopt;
    }
}
