// The INI reader and writer behind IniFile.h: every call parses the whole file
// into lines, and a change rewrites all of them, keeping the lines it does not
// understand exactly as they were.
#include "platform/core/IniFile.h"

#include "platform/core/Exceptions.h"
#include "platform/core/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSet>
#include <optional>

namespace {

struct TLine
{
    enum TKind
    {
        Other,
        Section,
        Value
    };
    TKind kind = Other;
    QString text; // the line as read, for Other lines and unchanged lines
    QString name; // section name or value name
    QString value;
};

struct TDocument
{
    QList<TLine> lines;
    bool crlf = false;
    bool bom = false;
};

bool SameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString TrimBlanks(const QString& s)
{
    qsizetype from = 0;
    qsizetype to = s.size();
    while (from < to && IsBlank(s[from]))
        ++from;
    while (to > from && IsBlank(s[to - 1]))
        --to;
    return s.mid(from, to - from);
}

// "name=value" as written by us keeps its value verbatim (a single blank is a
// real value, e.g. a thousand separator); the hand-written "name = value"
// layout has the blanks around the value dropped.
TLine ParseLine(const QString& text)
{
    TLine line;
    line.text = text;
    const QString trimmed = TrimBlanks(text);
    if (trimmed.startsWith(QLatin1Char('['))) {
        qsizetype close = trimmed.endsWith(QLatin1Char(']')) ? trimmed.size() - 1
                                                             : trimmed.indexOf(QLatin1Char(']'));
        if (close > 0) {
            line.kind = TLine::Section;
            line.name = TrimBlanks(trimmed.mid(1, close - 1));
        }
        return line;
    }
    if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
        return line;
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq < 0)
        return line;
    const QString name = TrimBlanks(text.left(eq));
    if (name.isEmpty())
        return line;
    line.kind = TLine::Value;
    line.name = name;
    line.value = text.mid(eq + 1);
    if (eq > 0 && IsBlank(text[eq - 1]))
        line.value = TrimBlanks(line.value);
    return line;
}

// True when the name was seen before (letter case ignored); remembers it.
bool SeenBefore(QSet<QString>& seen, const QString& name)
{
    const qsizetype before = seen.size();
    seen.insert(name.toCaseFolded());
    return seen.size() == before;
}

// A file that exists but cannot be read is an error only for writers: they
// would otherwise replace its contents with their one value.
TDocument Load(const QString& fileName, bool forWriting)
{
    TDocument doc;
    QFile file(fileName);
    if (!file.exists())
        return doc;
    if (!file.open(QIODevice::ReadOnly)) {
        if (forWriting)
            throw EInOutError(QStringLiteral("Cannot read the file \"%1\": %2")
                                  .arg(QDir::toNativeSeparators(fileName), file.errorString()));
        return doc;
    }
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        doc.bom = true;
        bytes.remove(0, 3);
    }
    QString text = DecodeUtf8OrWindows1252(bytes);
    doc.crlf = text.contains(QLatin1String("\r\n"));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the final line break
    for (const QString& line : lines)
        doc.lines.append(ParseLine(line));
    return doc;
}

QString Render(const TLine& line)
{
    if (line.kind == TLine::Value && line.text.isNull())
        return line.name + QLatin1Char('=') + line.value;
    if (line.kind == TLine::Section && line.text.isNull())
        return QLatin1Char('[') + line.name + QLatin1Char(']');
    return line.text;
}

void Save(const QString& fileName, const TDocument& doc)
{
    const QString eol = doc.crlf ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString text;
    for (const TLine& line : doc.lines)
        text += Render(line) + eol;
    QByteArray bytes = text.toUtf8();
    if (doc.bom)
        bytes.prepend("\xEF\xBB\xBF");

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EInOutError(QStringLiteral("Cannot write the file \"%1\": %2")
                              .arg(QDir::toNativeSeparators(fileName), file.errorString()));
}

std::optional<qsizetype> FindSection(const TDocument& doc, const QString& section)
{
    for (qsizetype i = 0; i < doc.lines.size(); ++i)
        if (doc.lines[i].kind == TLine::Section && SameName(doc.lines[i].name, section))
            return i;
    return std::nullopt;
}

// One past the last line of the section that starts at sectionLine.
qsizetype SectionEnd(const TDocument& doc, qsizetype sectionLine)
{
    qsizetype i = sectionLine + 1;
    while (i < doc.lines.size() && doc.lines[i].kind != TLine::Section)
        ++i;
    return i;
}

std::optional<qsizetype> FindValue(const TDocument& doc, const QString& section,
                                   const QString& ident)
{
    const auto start = FindSection(doc, section);
    if (!start)
        return std::nullopt;
    for (qsizetype i = *start + 1, end = SectionEnd(doc, *start); i < end; ++i)
        if (doc.lines[i].kind == TLine::Value && SameName(doc.lines[i].name, ident))
            return i;
    return std::nullopt;
}

// Names and values that would break the line structure are refused, so a bad
// value can never turn into other sections or values when read back.
void CheckText(const QString& what, const QString& text, const QString& forbidden)
{
    for (QChar c : text)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || forbidden.contains(c))
            throw EInOutError(
                QStringLiteral("The %1 \"%2\" cannot be stored in an INI file").arg(what, text));
}

void CheckSection(const QString& section)
{
    CheckText(QStringLiteral("section name"), section, QStringLiteral("]"));
    if (TrimBlanks(section).isEmpty() || TrimBlanks(section) != section)
        throw EInOutError(
            QStringLiteral("The section name \"%1\" cannot be stored in an INI file").arg(section));
}

// Serialises the read-modify-write of one file between objects and programs,
// so two writers never lose each other's change.
template <typename Change> void Modify(const QString& fileName, Change change)
{
    const QString folder = QFileInfo(fileName).absolutePath();
    if (!QDir().mkpath(folder))
        throw EInOutError(QStringLiteral("Cannot create the folder \"%1\"")
                              .arg(QDir::toNativeSeparators(folder)));
    QLockFile lock(fileName + QStringLiteral(".lock"));
    if (!lock.tryLock(10000))
        throw EInOutError(
            QStringLiteral("Cannot lock the file \"%1\"").arg(QDir::toNativeSeparators(fileName)));
    TDocument doc = Load(fileName, true);
    if (change(doc))
        Save(fileName, doc);
}

// Appends an empty section, separated from what comes before by a blank line.
qsizetype AppendSection(TDocument& doc, const QString& section)
{
    if (!doc.lines.isEmpty() && !TrimBlanks(doc.lines.last().text).isEmpty()) {
        TLine blank;
        blank.text = QStringLiteral("");
        doc.lines.append(blank);
    }
    TLine header;
    header.kind = TLine::Section;
    header.name = section;
    doc.lines.append(header);
    return doc.lines.size() - 1;
}

} // namespace

TIniFile::TIniFile(const QString& fileName) : fileName_(fileName) {}

QString TIniFile::ReadString(const QString& section, const QString& ident,
                             const QString& defaultValue) const
{
    const TDocument doc = Load(fileName_, false);
    const auto line = FindValue(doc, section, ident);
    return line ? doc.lines[*line].value : defaultValue;
}

void TIniFile::WriteString(const QString& section, const QString& ident, const QString& value)
{
    CheckSection(section);
    CheckText(QStringLiteral("value name"), ident, QStringLiteral("="));
    if (TrimBlanks(ident).isEmpty() || TrimBlanks(ident) != ident || ident.startsWith('[') ||
        ident.startsWith(';'))
        throw EInOutError(
            QStringLiteral("The value name \"%1\" cannot be stored in an INI file").arg(ident));
    CheckText(QStringLiteral("value"), value, QString());

    Modify(fileName_, [&](TDocument& doc) {
        if (const auto line = FindValue(doc, section, ident)) {
            TLine& existing = doc.lines[*line];
            if (existing.value == value)
                return false;
            existing.value = value;
            existing.text = QString(); // rendered afresh, keeping the name as first written
            return true;
        }
        auto start = FindSection(doc, section);
        if (!start)
            start = AppendSection(doc, section);
        // After the section's last value, so blank lines and comments that
        // separate it from the next section stay where they are.
        qsizetype at = *start + 1;
        for (qsizetype i = at, end = SectionEnd(doc, *start); i < end; ++i)
            if (doc.lines[i].kind == TLine::Value)
                at = i + 1;
        TLine added;
        added.kind = TLine::Value;
        added.name = ident;
        added.value = value;
        doc.lines.insert(at, added);
        return true;
    });
}

bool TIniFile::SectionExists(const QString& section) const
{
    return FindSection(Load(fileName_, false), section).has_value();
}

bool TIniFile::ValueExists(const QString& section, const QString& ident) const
{
    return FindValue(Load(fileName_, false), section, ident).has_value();
}

QStringList TIniFile::ReadSections() const
{
    // Seen names in case-folded form: a file of many sections is read in one pass.
    QStringList result;
    QSet<QString> seen;
    for (const TLine& line : Load(fileName_, false).lines)
        if (line.kind == TLine::Section && !SeenBefore(seen, line.name))
            result.append(line.name);
    return result;
}

QStringList TIniFile::ReadSection(const QString& section) const
{
    const TDocument doc = Load(fileName_, false);
    QStringList result;
    QSet<QString> seen;
    if (const auto start = FindSection(doc, section))
        for (qsizetype i = *start + 1, end = SectionEnd(doc, *start); i < end; ++i)
            if (doc.lines[i].kind == TLine::Value && !SeenBefore(seen, doc.lines[i].name))
                result.append(doc.lines[i].name);
    return result;
}

QStringList TIniFile::ReadSectionValues(const QString& section) const
{
    const TDocument doc = Load(fileName_, false);
    QStringList result;
    if (const auto start = FindSection(doc, section))
        for (qsizetype i = *start + 1, end = SectionEnd(doc, *start); i < end; ++i)
            if (doc.lines[i].kind == TLine::Value)
                result.append(doc.lines[i].name + QLatin1Char('=') + doc.lines[i].value);
    return result;
}

void TIniFile::CreateSection(const QString& section)
{
    CheckSection(section);
    Modify(fileName_, [&](TDocument& doc) {
        if (FindSection(doc, section))
            return false;
        AppendSection(doc, section);
        return true;
    });
}

void TIniFile::EraseSection(const QString& section)
{
    if (!QFile::exists(fileName_))
        return;
    Modify(fileName_, [&](TDocument& doc) {
        bool changed = false;
        // Every copy of the section goes, so an older duplicate cannot reappear.
        while (const auto start = FindSection(doc, section)) {
            doc.lines.remove(*start, SectionEnd(doc, *start) - *start);
            changed = true;
        }
        return changed;
    });
}

void TIniFile::DeleteKey(const QString& section, const QString& ident)
{
    if (!QFile::exists(fileName_))
        return;
    Modify(fileName_, [&](TDocument& doc) {
        const auto line = FindValue(doc, section, ident);
        if (!line)
            return false;
        doc.lines.remove(*line);
        return true;
    });
}
