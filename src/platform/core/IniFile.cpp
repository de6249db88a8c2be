// The INI reader and writer behind IniFile.h: every call parses the whole file
// into lines, and a change rewrites all of them, giving back the bytes of the
// lines it did not change exactly as they were.
#include "platform/core/IniFile.h"

#include "platform/core/AtomicFile.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QStringDecoder>
#include <optional>

namespace {

// A line as read keeps its bytes, so a rewrite gives back every line it did
// not change exactly: its encoding, its line end, even a lone carriage return.
struct TLine
{
    enum TKind
    {
        Other,
        Section,
        Value
    };
    TKind kind = Other;
    QString text; // the line as read, without its line end
    QString name; // section name or value name
    QString value;
    QByteArray raw; // the bytes as read, without the line end; null for new or changed lines
    QByteArray end; // "\n", "\r\n", or empty for a last line without one

    void Changed() { raw = QByteArray(); }
};

struct TDocument
{
    QList<TLine> lines;
    QByteArray eol = "\n"; // for added lines: CR LF when the file has any
    bool bom = false;
    bool utf8 = true; // else the file is Windows-1252, and new lines follow it
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
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString probe = utf8.decode(bytes);
    doc.utf8 = !utf8.hasError();
    if (bytes.contains("\r\n"))
        doc.eol = "\r\n";
    // A line feed byte never occurs inside a UTF-8 sequence, so lines split as bytes.
    for (qsizetype from = 0; from < bytes.size();) {
        const qsizetype lf = bytes.indexOf('\n', from);
        const qsizetype stop = lf < 0 ? bytes.size() : lf;
        const bool crlf = lf > from && bytes[lf - 1] == '\r';
        const QByteArray raw = bytes.mid(from, stop - from - (crlf ? 1 : 0));
        TLine line = ParseLine(doc.utf8 ? QString::fromUtf8(raw) : DecodeWindows1252(raw));
        line.raw = raw.isNull() ? QByteArray("") : raw;
        line.end = lf < 0 ? QByteArray() : crlf ? QByteArray("\r\n") : QByteArray("\n");
        doc.lines.append(line);
        from = lf < 0 ? bytes.size() : lf + 1;
    }
    return doc;
}

QString Render(const TLine& line)
{
    if (line.kind == TLine::Value)
        return line.name + QLatin1Char('=') + line.value;
    if (line.kind == TLine::Section)
        return QLatin1Char('[') + line.name + QLatin1Char(']');
    return line.text;
}

bool FitsWindows1252(const QString& text)
{
    unsigned char byte;
    for (QChar c : text)
        if (!Windows1252Byte(c, &byte))
            return false;
    return true;
}

// New lines are written in the file's encoding. Only when a new line has a
// character that Windows-1252 lacks does the whole file become UTF-8: the
// text of every line stays, though the bytes of the old ones change.
void ChooseEncoding(TDocument& doc)
{
    if (doc.utf8)
        return;
    for (const TLine& line : doc.lines)
        if (line.raw.isNull() && !FitsWindows1252(Render(line))) {
            for (TLine& old : doc.lines)
                if (!old.raw.isNull())
                    old.raw = DecodeWindows1252(old.raw).toUtf8();
            doc.utf8 = true;
            return;
        }
}

void Save(const QString& fileName, TDocument& doc)
{
    ChooseEncoding(doc);
    QByteArray bytes = doc.bom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    for (qsizetype i = 0; i < doc.lines.size(); ++i) {
        const TLine& line = doc.lines[i];
        if (!line.raw.isNull())
            bytes += line.raw;
        else
            bytes += doc.utf8 ? Render(line).toUtf8() : EncodeWindows1252(Render(line));
        if (!line.end.isEmpty())
            bytes += line.end;
        else if (i + 1 < doc.lines.size())
            // A former last line gets a line end; after a lone CR only CR LF
            // keeps that CR in the line.
            bytes += bytes.endsWith('\r') ? QByteArray("\r\n") : doc.eol;
    }
    ReplaceFileContents(fileName, bytes);
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
        blank.end = doc.eol;
        doc.lines.append(blank);
    }
    TLine header;
    header.kind = TLine::Section;
    header.name = section;
    header.end = doc.eol;
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
            existing.Changed(); // rendered afresh, keeping the name as first written
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
        added.end = doc.eol;
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
