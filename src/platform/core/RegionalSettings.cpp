// Regional settings behind RegionalSettings.h: the system locale's patterns
// and symbols rewritten in the letters and codes of the settings, and the
// registry's overrides on top. Values are asked for per field and per row, so
// the overrides are read again only when the registry file has changed.
#include "platform/core/RegionalSettings.h"

#include "platform/core/Registry.h"

#include <QFile>
#include <QHash>
#include <QLocale>
#include <QMutex>
#include <cstddef>
#include <optional>
#include <sys/stat.h>

namespace {

const char* const kInternational = "\\Control Panel\\International";

// Locale ids of the common language and territory pairs.
const QHash<QString, quint32>& LocaleIds()
{
    static const QHash<QString, quint32> ids = {
        {"ar_SA", 0x0401}, {"bg_BG", 0x0402}, {"ca_ES", 0x0403}, {"zh_TW", 0x0404},
        {"cs_CZ", 0x0405}, {"da_DK", 0x0406}, {"de_DE", 0x0407}, {"el_GR", 0x0408},
        {"en_US", 0x0409}, {"fi_FI", 0x040B}, {"fr_FR", 0x040C}, {"he_IL", 0x040D},
        {"hu_HU", 0x040E}, {"is_IS", 0x040F}, {"it_IT", 0x0410}, {"ja_JP", 0x0411},
        {"ko_KR", 0x0412}, {"nl_NL", 0x0413}, {"nb_NO", 0x0414}, {"pl_PL", 0x0415},
        {"pt_BR", 0x0416}, {"ro_RO", 0x0418}, {"ru_RU", 0x0419}, {"hr_HR", 0x041A},
        {"sk_SK", 0x041B}, {"sv_SE", 0x041D}, {"th_TH", 0x041E}, {"tr_TR", 0x041F},
        {"id_ID", 0x0421}, {"uk_UA", 0x0422}, {"sl_SI", 0x0424}, {"et_EE", 0x0425},
        {"lv_LV", 0x0426}, {"lt_LT", 0x0427}, {"vi_VN", 0x042A}, {"hi_IN", 0x0439},
        {"zh_CN", 0x0804}, {"de_CH", 0x0807}, {"en_GB", 0x0809}, {"es_MX", 0x080A},
        {"fr_BE", 0x080C}, {"it_CH", 0x0810}, {"nl_BE", 0x0813}, {"nn_NO", 0x0814},
        {"pt_PT", 0x0816}, {"sv_FI", 0x081D}, {"zh_HK", 0x0C04}, {"de_AT", 0x0C07},
        {"en_AU", 0x0C09}, {"es_ES", 0x0C0A}, {"fr_CA", 0x0C0C}, {"de_LU", 0x1007},
        {"en_CA", 0x1009}, {"fr_CH", 0x100C}, {"en_NZ", 0x1409}, {"de_LI", 0x1407},
        {"fr_LU", 0x140C}, {"en_IE", 0x1809}, {"en_ZA", 0x1C09}, {"es_AR", 0x2C0A},
        {"en_IN", 0x4009},
    };
    return ids;
}

// A language whose territory is not listed takes its default territory.
const QHash<QString, quint32>& LanguageIds()
{
    static const QHash<QString, quint32> ids = {
        {"ar", 0x0401}, {"bg", 0x0402}, {"ca", 0x0403}, {"cs", 0x0405}, {"da", 0x0406},
        {"de", 0x0407}, {"el", 0x0408}, {"en", 0x0409}, {"es", 0x0C0A}, {"fi", 0x040B},
        {"fr", 0x040C}, {"he", 0x040D}, {"hu", 0x040E}, {"is", 0x040F}, {"it", 0x0410},
        {"ja", 0x0411}, {"ko", 0x0412}, {"nl", 0x0413}, {"nb", 0x0414}, {"pl", 0x0415},
        {"pt", 0x0416}, {"ro", 0x0418}, {"ru", 0x0419}, {"hr", 0x041A}, {"sk", 0x041B},
        {"sv", 0x041D}, {"th", 0x041E}, {"tr", 0x041F}, {"id", 0x0421}, {"uk", 0x0422},
        {"sl", 0x0424}, {"et", 0x0425}, {"lv", 0x0426}, {"lt", 0x0427}, {"vi", 0x042A},
        {"hi", 0x0439}, {"zh", 0x0804},
    };
    return ids;
}

QString LocaleIdOf(const QLocale& locale)
{
    const QString name = locale.name();
    quint32 id = LocaleIds().value(name, 0);
    if (id == 0)
        id = LanguageIds().value(name.section(QLatin1Char('_'), 0, 0), 0x0409);
    return QStringLiteral("%1").arg(id, 8, 16, QLatin1Char('0')).toUpper();
}

// Copies a quoted literal ('...') starting at i, moving i past it.
void CopyQuoted(const QString& pattern, qsizetype& i, QString& out)
{
    const qsizetype close = pattern.indexOf(QLatin1Char('\''), i + 1);
    const qsizetype end = close < 0 ? pattern.size() : close + 1;
    out += pattern.mid(i, end - i);
    i = end;
}

qsizetype RunLength(const QString& pattern, qsizetype i)
{
    qsizetype n = 1;
    while (i + n < pattern.size() && pattern[i + n] == pattern[i])
        ++n;
    return n;
}

// The letters are the same; a two-digit year becomes four digits, as the
// settings' own short dates have it, so dates never lose their century.
QString ShortDateOf(const QLocale& locale)
{
    const QString pattern = locale.dateFormat(QLocale::ShortFormat);
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        if (pattern[i] == QLatin1Char('\'')) {
            CopyQuoted(pattern, i, out);
            continue;
        }
        const qsizetype n = RunLength(pattern, i);
        out +=
            pattern[i] == QLatin1Char('y') && n == 2 ? QStringLiteral("yyyy") : pattern.mid(i, n);
        i += n;
    }
    return out;
}

// A time zone dropped from a pattern leaves the brackets or the comma that
// set it apart ("HH:mm:ss, t", "h:mm:ss [t]"); they go with it.
QString WithoutZoneLeftovers(QString pattern)
{
    pattern.replace(QLatin1String("()"), QString());
    pattern.replace(QLatin1String("[]"), QString());
    pattern = pattern.simplified();
    while (pattern.endsWith(QLatin1Char(',')))
        pattern = pattern.chopped(1).trimmed();
    return pattern;
}

// "AP" and its variants become "tt", and so does "B", the day period some
// locales write ("Bh:mm:ss" reads 下午1:45:30), which the toolkit passes
// through as a letter; the time zone and milliseconds, which the settings
// have no letters for, are dropped with their brackets.
QString TimeFormatOf(const QLocale& locale)
{
    const QString pattern = locale.timeFormat(QLocale::LongFormat);
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('\'')) {
            CopyQuoted(pattern, i, out);
            continue;
        }
        const qsizetype n = RunLength(pattern, i);
        if (c == QLatin1Char('B') || c == QLatin1Char('b')) {
            out += QStringLiteral("tt");
            i += n;
            continue;
        }
        if (c == QLatin1Char('A') || c == QLatin1Char('a')) {
            out += QStringLiteral("tt");
            const QChar next = i + n < pattern.size() ? pattern[i + n] : QChar();
            i += n + (next == QLatin1Char('P') || next == QLatin1Char('p') ? 1 : 0);
            continue;
        }
        if (c != QLatin1Char('t') && c != QLatin1Char('z'))
            out += pattern.mid(i, n);
        i += n;
    }
    return WithoutZoneLeftovers(out);
}

// The first character between the pattern letters, outside quotes; what
// comes before the first letter ("'kl'. HH:mm:ss") separates nothing. Some
// locales put a word (Japanese "時"), a mark or an invisible direction mark
// there; none of those reads as a separator, so the fallback stands in, as a
// desktop's regional settings have it.
QString SeparatorIn(const QString& pattern, const QString& letters, const QString& fallback)
{
    bool quoted = false, afterLetter = false;
    for (QChar c : pattern) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && letters.contains(c))
            afterLetter = true;
        else if (!quoted && afterLetter && !c.isSpace())
            return c.isLetter() || c.isMark() || !c.isPrint() ? fallback : QString(c);
    }
    return fallback;
}

// A currency amount as a shape: S symbol, N number, - sign, brackets, blank.
QString AmountShape(const QLocale& locale, const QString& amount)
{
    const QString symbol = locale.currencySymbol();
    const QString minus = locale.negativeSign();
    QString shape;
    for (qsizetype i = 0; i < amount.size();) {
        QChar kind;
        qsizetype len = 1;
        if (!symbol.isEmpty() && amount.mid(i, symbol.size()) == symbol) {
            kind = QLatin1Char('S');
            len = symbol.size();
        } else if (amount[i].isDigit() || locale.decimalPoint().contains(amount[i])) {
            kind = QLatin1Char('N');
        } else if (minus.contains(amount[i]) || amount[i] == QLatin1Char('-') ||
                   amount[i] == QChar(0x2212)) {
            kind = QLatin1Char('-');
        } else if (amount[i] == QLatin1Char('(') || amount[i] == QLatin1Char(')')) {
            kind = amount[i];
        } else if (amount[i].isSpace()) {
            kind = QLatin1Char(' ');
        }
        if (!kind.isNull() && !shape.endsWith(kind))
            shape += kind;
        i += len;
    }
    return shape;
}

// The number of the shape in shapes, -1 when it is none of them.
template <std::size_t count>
int FormOfShape(const char* const (&shapes)[count], const QString& shape)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (shape == QLatin1String(shapes[i]))
            return int(i);
    }
    return -1;
}

int PositiveCurrencyOf(const QLocale& locale)
{
    const int form = FormOfShape(Regional::kPositiveCurrencyShapes,
                                 AmountShape(locale, locale.toCurrencyString(1.0)));
    return form < 0 ? 0 : form;
}

int NegativeCurrencyOf(const QLocale& locale)
{
    const int form = FormOfShape(Regional::kNegativeCurrencyShapes,
                                 AmountShape(locale, locale.toCurrencyString(-1.0)));
    if (form >= 0)
        return form;
    static const int plainMinus[] = {1, 5, 9, 8}; // by the positive form
    return plainMinus[PositiveCurrencyOf(locale)];
}

int CurrencyDigitsOf(const QLocale& locale)
{
    const QString amount = locale.toCurrencyString(1.0);
    const qsizetype point = amount.indexOf(locale.decimalPoint());
    int digits = 0;
    if (point >= 0)
        for (qsizetype i = point + locale.decimalPoint().size();
             i < amount.size() && amount[i].isDigit(); ++i)
            ++digits;
    return digits;
}

using TValues = QHash<QString, QString>; // by lower-case name

TValues ValuesOf(const QLocale& given)
{
    const bool posix = given.language() == QLocale::C;
    const QLocale locale = posix ? QLocale(QLocale::English, QLocale::UnitedStates) : given;
    const QString shortDate = ShortDateOf(locale);
    const QString timeFormat = TimeFormatOf(locale);
    const QString decimal = locale.decimalPoint();
    return {
        {"locale", LocaleIdOf(locale)},
        {"slist", decimal == QLatin1String(",") ? QStringLiteral(";") : QStringLiteral(",")},
        {"sdecimal", decimal},
        {"sthousand", locale.groupSeparator()},
        {"sshortdate", shortDate},
        {"sdate", SeparatorIn(shortDate, QStringLiteral("dMyg"), QStringLiteral("/"))},
        {"stimeformat", timeFormat},
        {"stime", SeparatorIn(timeFormat, QStringLiteral("hHmst"), QStringLiteral(":"))},
        {"s1159", locale.amText()},
        {"s2359", locale.pmText()},
        {"scurrency", locale.currencySymbol()},
        {"icurrdigits", QString::number(CurrencyDigitsOf(locale))},
        {"icurrency", QString::number(PositiveCurrencyOf(locale))},
        {"inegcurr", QString::number(NegativeCurrencyOf(locale))},
    };
}

// What identifies one version of the registry file: a rewrite renames a new
// file into place, a hand edit changes its time or size.
struct TFileStamp
{
    QString name;
    bool exists = false;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const TFileStamp& o) const
    {
        return name == o.name && exists == o.exists && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

TFileStamp StampOf(const QString& name)
{
    TFileStamp stamp;
    stamp.name = name;
    struct stat info;
    if (stat(QFile::encodeName(name).constData(), &info) == 0) {
        stamp.exists = true;
        stamp.inode = info.st_ino;
        stamp.size = info.st_size;
        stamp.modified = info.st_mtim;
        stamp.changed = info.st_ctim;
    }
    return stamp;
}

TValues ReadOverrides(const QString& fileName)
{
    TValues values;
    TRegistry reg(fileName);
    if (reg.OpenKeyReadOnly(QString::fromLatin1(kInternational)))
        for (const QString& name : reg.GetValueNames())
            values.insert(name.toLower(), reg.ReadString(name));
    return values;
}

std::optional<QString> Override(const QString& name)
{
    static QMutex mutex;
    static std::optional<TFileStamp> stamp;
    static TValues overrides;

    const QMutexLocker lock(&mutex);
    const TFileStamp now = StampOf(TRegistry::DefaultFileName());
    if (!stamp || !(*stamp == now)) {
        overrides = now.exists ? ReadOverrides(now.name) : TValues();
        stamp = now;
    }
    const auto it = overrides.constFind(name.toLower());
    if (it == overrides.constEnd())
        return std::nullopt;
    return *it;
}

QString SystemValue(const QString& name)
{
    static const TValues values = ValuesOf(QLocale::system());
    return values.value(name.toLower());
}

// A character setting left empty falls back to the locale's.
QChar CharValue(const char* name)
{
    QString value = Regional::Value(QString::fromLatin1(name));
    if (value.isEmpty())
        value = SystemValue(QString::fromLatin1(name));
    return value.isEmpty() ? QChar() : value[0];
}

// A pattern setting left empty falls back to the locale's.
QString PatternValue(const char* name)
{
    const QString value = Regional::Value(QString::fromLatin1(name));
    return value.isEmpty() ? SystemValue(QString::fromLatin1(name)) : value;
}

// A number setting that is not a number in range falls back to the locale's.
int IntValue(const char* name, int highest)
{
    bool ok = false;
    const int value = Regional::Value(QString::fromLatin1(name)).trimmed().toInt(&ok);
    if (ok && value >= 0 && value <= highest)
        return value;
    return SystemValue(QString::fromLatin1(name)).toInt();
}

} // namespace

namespace Regional {

QString LocaleValue(const QLocale& locale, const QString& name)
{
    return ValuesOf(locale).value(name.toLower());
}

QString Value(const QString& name)
{
    if (const auto value = Override(name))
        return *value;
    return SystemValue(name);
}

QString LocaleId()
{
    return Value(QStringLiteral("Locale"));
}
QChar ListSeparator()
{
    return CharValue("sList");
}
QChar DecimalSeparator()
{
    return CharValue("sDecimal");
}
QChar ThousandSeparator()
{
    return CharValue("sThousand");
}
QChar DateSeparator()
{
    return CharValue("sDate");
}
QChar TimeSeparator()
{
    return CharValue("sTime");
}
QString ShortDateFormat()
{
    return PatternValue("sShortDate");
}
QString TimeFormat()
{
    return PatternValue("sTimeFormat");
}
QString AmSymbol()
{
    return Value(QStringLiteral("s1159"));
}
QString PmSymbol()
{
    return Value(QStringLiteral("s2359"));
}
QString CurrencySymbol()
{
    return Value(QStringLiteral("sCurrency"));
}
int CurrencyDigits()
{
    return IntValue("iCurrDigits", 9);
}
int CurrencyFormat()
{
    return IntValue("iCurrency", 3);
}
int NegativeCurrencyFormat()
{
    return IntValue("iNegCurr", 15);
}

} // namespace Regional
