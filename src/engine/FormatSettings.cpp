// Taking the regional settings for field texts.
#include "engine/FormatSettings.h"

#include "platform/core/RegionalSettings.h"
#include "platform/core/Registry.h"

#include <QLocale>
#include <QRegularExpression>
#include <mutex>
#include <sys/stat.h>

namespace {

// Copies a picture, rewriting each run of one letter outside quotes.
template <typename F> QString Translate(const QString& picture, F&& rewrite)
{
    QString result;
    for (qsizetype i = 0; i < picture.size();) {
        const QChar c = picture.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype close = picture.indexOf(c, i + 1);
            const qsizetype stop = close < 0 ? picture.size() : close + 1;
            result += picture.mid(i, stop - i);
            i = stop;
            continue;
        }
        qsizetype j = i;
        while (j < picture.size() && picture.at(j) == c)
            ++j;
        result += rewrite(c, int(j - i));
        i = j;
    }
    return result;
}

TFormatSettings Read()
{
    TFormatSettings s;
    s.decimalSeparator = Regional::DecimalSeparator();
    s.thousandSeparator = Regional::ThousandSeparator();
    s.dateSeparator = Regional::DateSeparator();
    s.timeSeparator = Regional::TimeSeparator();
    s.shortDateFormat = DatePictureToFormat(Regional::ShortDateFormat());
    const QString longDate = Regional::Value(QStringLiteral("sLongDate"));
    if (!longDate.isEmpty())
        s.longDateFormat = DatePictureToFormat(longDate);
    s.longTimeFormat = TimePictureToFormat(Regional::TimeFormat());
    static const QRegularExpression seconds(QStringLiteral("[^hnHN]s+"));
    s.shortTimeFormat = QString(s.longTimeFormat).remove(seconds);
    s.amSymbol = Regional::AmSymbol();
    s.pmSymbol = Regional::PmSymbol();
    s.currencySymbol = Regional::CurrencySymbol();
    s.currencyDigits = Regional::CurrencyDigits();
    s.currencyFormat = Regional::CurrencyFormat();
    s.negativeCurrencyFormat = Regional::NegativeCurrencyFormat();
    const QLocale locale = QLocale::system();
    for (int month = 1; month <= 12; ++month) {
        s.shortMonthNames << locale.monthName(month, QLocale::ShortFormat);
        s.longMonthNames << locale.monthName(month, QLocale::LongFormat);
    }
    for (int day : {7, 1, 2, 3, 4, 5, 6}) {
        s.shortDayNames << locale.dayName(day, QLocale::ShortFormat);
        s.longDayNames << locale.dayName(day, QLocale::LongFormat);
    }
    return s;
}

// What identifies one state of the registry file: every write renames a new
// file into place, so the inode changes too.
QString FileStamp(const QString& fileName)
{
    struct stat info;
    if (stat(fileName.toLocal8Bit().constData(), &info) != 0)
        return fileName;
    return QStringLiteral("%1:%2:%3:%4.%5")
        .arg(fileName)
        .arg(qulonglong(info.st_ino))
        .arg(qlonglong(info.st_size))
        .arg(qlonglong(info.st_mtim.tv_sec))
        .arg(qlonglong(info.st_mtim.tv_nsec));
}

} // namespace

QString DatePictureToFormat(const QString& picture)
{
    return Translate(picture, [](QChar c, int n) {
        if (c == QLatin1Char('g'))
            return QString(); // no eras
        if (c.isLetter())
            return QString(n, c.toLower());
        return QString(n, c);
    });
}

QString TimePictureToFormat(const QString& picture)
{
    return Translate(picture, [](QChar c, int n) {
        switch (c.unicode()) {
        case 'H':
        case 'h':
            return QString(n, QLatin1Char('h'));
        case 'm':
        case 'M':
            return QString(n, QLatin1Char('n'));
        case 't':
            return QStringLiteral("ampm");
        default:
            return QString(n, c);
        }
    });
}

std::shared_ptr<const TFormatSettings> TFormatSettings::Current()
{
    static std::mutex mutex;
    static QString stamp;
    static std::shared_ptr<const TFormatSettings> current;
    const QString now = FileStamp(TRegistry::DefaultFileName());
    std::lock_guard lock(mutex);
    if (!current || now != stamp) {
        current = std::make_shared<const TFormatSettings>(Read());
        stamp = now;
    }
    return current;
}
