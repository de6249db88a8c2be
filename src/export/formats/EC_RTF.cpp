#include "export/formats/EC_RTF.h"

#include "engine/DisplayFormat.h"
#include "export/formats/ValueBytes.h"
#include "platform/core/Windows1252.h"

#include <algorithm>

namespace {

// Four %1..%4: left, right, top and bottom margin.
const char* const kPrologue =
    R"({\rtf1\ansi\ansicpg1252\uc1\deff0\deflang1033\deflangfe1033{\fonttbl{\f0\froman\fcharset0\fprq2{\*\panose 02020603050405020304}Times New Roman;}{\f1\fswiss\fcharset0\fprq2{\*\panose 020b0604020202020204}Arial;}}{\colortbl;\red0\green0\blue0;)"
    "\r\n"
    R"(\red0\green0\blue255;\red0\green255\blue255;\red0\green255\blue0;\red255\green0\blue255;\red255\green0\blue0;\red255\green255\blue0;\red255\green255\blue255;\red0\green0\blue128;\red0\green128\blue128;\red0\green128\blue0;\red128\green0\blue128;)"
    "\r\n"
    R"(\red128\green0\blue0;\red128\green128\blue0;\red128\green128\blue128;\red192\green192\blue192;}{\stylesheet{\nowidctlpar\widctlpar\adjustright\fs20\cgrid\snext0 Normal;}{\s1\keepn\nowidctlpar\widctlpar\outlinelevel0\adjustright\b\f1\fs28\cgrid)"
    "\r\n"
    R"(\sbasedon0\snext0 heading 1;}{\*\cs10\additive Default Paragraph Font;}}{\info{\nofcharsws0}{\vern71}}\widowctrl\ftnbj\aenddoc\hyphcaps0\formshade\viewkind4\viewscale109\viewzk2\pgbrdrhead\pgbrdrfoot\fet0\sectd\linex0\endnhere\sectdefaultcl )"
    "\r\n"
    R"(\margl%1\margr%2\margt%3\margb%4)"
    "\r\n"
    R"({\*\pnseclvl1\pnucrm\pnstart1\pnindent720\pnhang)"
    "\r\n"
    R"({\pntxta .}}{\*\pnseclvl2\pnucltr\pnstart1\pnindent720\pnhang{\pntxta .}}{\*\pnseclvl3\pndec\pnstart1\pnindent720\pnhang{\pntxta .}}{\*\pnseclvl4\pnlcltr\pnstart1\pnindent720\pnhang{\pntxta )}}{\*\pnseclvl5\pndec\pnstart1\pnindent720\pnhang{\pntxtb (})"
    "\r\n"
    R"({\pntxta )}}{\*\pnseclvl6\pnlcltr\pnstart1\pnindent720\pnhang{\pntxtb (}{\pntxta )}}{\*\pnseclvl7\pnlcrm\pnstart1\pnindent720\pnhang{\pntxtb (}{\pntxta )}}{\*\pnseclvl8\pnlcltr\pnstart1\pnindent720\pnhang{\pntxtb (}{\pntxta )}}{\*\pnseclvl9)"
    "\r\n"
    R"(\pnlcrm\pnstart1\pnindent720\pnhang{\pntxtb (}{\pntxta )}}\pard)";

const char* const kTitle =
    R"(\plain\s1\keepn\nowidctlpar\widctlpar\outlinelevel0\adjustright\b\f1\fs28\cgrid {%1}\fs16\par\par)";
const char* const kBodyStart =
    R"(\pard\plain\nowidctlpar\widctlpar\adjustright\fs20\cgrid {\f1\fs16)";
const char* const kCellEnd = R"(\cell )";
const char* const kMiddleRow =
    R"(}\pard\nowidctlpar\widctlpar\intbl\adjustright{\f1\fs16\row}\pard\nowidctlpar\widctlpar\intbl\adjustright{\f1\fs16)";
const char* const kFooter =
    R"(}\pard\nowidctlpar\widctlpar\intbl\adjustright{\f1\fs16\row}\pard\nowidctlpar\widctlpar\adjustright{\f1\fs16\par %1}})";

const TRichTextExport::TRowDefinition kCaptionRow = {
    R"(}\trowd\trgaph108\trleft-108\trbrdrt\brdrs\brdrw30\brdrcf1\trbrdrb\brdrs\brdrw30\brdrcf1\clvertalt\clbrdrt)",
    R"(\brdrs\brdrw30\brdrcf1\clbrdrb\brdrs\brdrw15\brdrcf1\cltxlrtb\cellx%1)",
    R"(\brdrs\brdrw30\brdrcf1\clbrdrb\brdrs\brdrw15\brdrcf1\cltxlrtb\cellx%1\clvertalt\clbrdrt)",
    R"(\pard\nowidctlpar\widctlpar\intbl\adjustright{\b\f1\fs16)"};

// The blanks before "{\i" and "{\f1" belong to this set only.
const TRichTextExport::TRowDefinition kFirstItemRow = {
    R"(}\pard\nowidctlpar\widctlpar\intbl\adjustright {\i\f1\fs16\row}\trowd\trgaph108\trleft-108\trbrdrt\brdrs\brdrw30\brdrcf1\trbrdrb\brdrs\brdrw30\brdrcf1)",
    R"(\clvertalt\cltxlrtb\cellx%1)", R"(\clvertalt\cltxlrtb\cellx%1)",
    R"(\pard\nowidctlpar\widctlpar\intbl\adjustright {\f1\fs16)"};

const TRichTextExport::TRowDefinition kLastItemRow = {
    R"(}\pard\nowidctlpar\widctlpar\intbl\adjustright{\f1\fs16\row}\trowd\trgaph108\trleft-108\trbrdrt\brdrs\brdrw30\brdrcf1\trbrdrb\brdrs\brdrw30\brdrcf1\clvertalt\clbrdrb)",
    R"(\brdrs\brdrw30\brdrcf1\cltxlrtb\cellx%1)",
    R"(\brdrs\brdrw30\brdrcf1\cltxlrtb\cellx%1\clvertalt\clbrdrb)",
    R"(\pard\nowidctlpar\widctlpar\intbl\adjustright{\f1\fs16)"};

const int kTwipsPerCharacter = 90;
// The text width of the narrower of the two usual papers (A4, 11906 twips;
// Letter is 12240), less the margins: a wider table is narrowed to fit it.
const int kPaperWidth = 11906;
const int kMinTextWidth = 1440;

// Columns past the right margin would be cut off the page. A table wider than
// the text is narrowed by capping its widest columns at one width, so narrow
// columns keep theirs and long texts wrap in their cells.
void FitToWidth(QList<qint64>& widths, qint64 available)
{
    qint64 total = 0;
    for (qint64 width : widths)
        total += width;
    if (total <= available || widths.isEmpty())
        return;
    QList<qint64> ascending = widths;
    std::sort(ascending.begin(), ascending.end());
    qint64 remaining = available;
    qint64 cap = 0;
    for (qsizetype i = 0; i < ascending.size(); ++i) {
        const qint64 left = ascending.size() - i;
        if (ascending[i] * left > remaining) {
            cap = remaining / left;
            break;
        }
        remaining -= ascending[i];
    }
    qint64 fitted = 0;
    for (qint64& width : widths)
        fitted += (width = qMin(width, cap));
    widths.last() += available - fitted; // what the division left over
}

QString InsertBeforeChar(const QString& text, QChar c, QChar before)
{
    QString result;
    result.reserve(text.size());
    for (QChar ch : text) {
        if (ch == c)
            result += before;
        result += ch;
    }
    return result;
}

// RTFText of UTF-8 text appended in one pass: every character is changed
// by at most one of its steps. False, with nothing appended, for bytes that
// are no UTF-8.
bool AppendRTFText(TByteAppender& out, QByteArrayView utf8)
{
    static constexpr char kHex[] = "0123456789abcdef";
    const qsizetype start = out.Size();
    const char* p = utf8.data();
    const char* const end = p + utf8.size();
    while (p < end) {
        const char* run = p;
        while (p < end && static_cast<unsigned char>(*p) >= 32 &&
               static_cast<unsigned char>(*p) < 128 && *p != '\\' && *p != '{' && *p != '}')
            ++p;
        out.Add(QByteArrayView(run, p - run));
        if (p == end)
            break;
        const char c = *p;
        if (static_cast<unsigned char>(c) < 32) {
            if (c == '\t')
                out.Add("\\tab ");
            else if (c == '\n')
                out.Add("\\par\r\n");
            ++p;
            continue;
        }
        if (static_cast<unsigned char>(c) < 128) {
            out.Add('\\');
            out.Add(c);
            ++p;
            continue;
        }
        char32_t codePoint = 0;
        if (!NextCodePoint(p, end, codePoint)) {
            out.Truncate(start);
            return false;
        }
        unsigned char byte = 0;
        if (codePoint < 0x10000 && Windows1252Byte(QChar(char16_t(codePoint)), &byte)) {
            const char hex[] = {'\\', '\'', kHex[byte >> 4], kHex[byte & 15]};
            out.Add(QByteArrayView(hex, 4));
            continue;
        }
        // Each UTF-16 unit of the character as a signed number.
        char16_t units[2];
        const int count = codePoint < 0x10000 ? 1 : 2;
        if (count == 1) {
            units[0] = char16_t(codePoint);
        } else {
            units[0] = QChar::highSurrogate(codePoint);
            units[1] = QChar::lowSurrogate(codePoint);
        }
        for (int i = 0; i < count; ++i) {
            out.Add("\\u");
            out.AddInteger(int(qint16(units[i])));
            out.Add('?');
        }
    }
    return true;
}

} // namespace

QString EscapeRTFChars(const QString& text)
{
    const QChar backslash = QLatin1Char('\\');
    return InsertBeforeChar(
        InsertBeforeChar(InsertBeforeChar(text, backslash, backslash), QLatin1Char('{'), backslash),
        QLatin1Char('}'), backslash);
}

// A character beyond U+FFFF is two UTF-16 units in the string already, so
// each surrogate becomes its own \uN?.
QString HexEscapeHighChars(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        unsigned char byte = 0;
        if (c.unicode() < 128)
            result += c;
        else if (Windows1252Byte(c, &byte)) {
            const char* const hex = "0123456789abcdef";
            result += QLatin1String("\\'");
            result += QLatin1Char(hex[byte >> 4]);
            result += QLatin1Char(hex[byte & 15]);
        } else
            result += QStringLiteral("\\u%1?").arg(int(qint16(c.unicode())));
    }
    return result;
}

TRichTextExport::TRichTextExport(TExportXComponent* source, TExportType exportType,
                                 const QString& fileName)
    : TCustomTextExport(source, exportType, fileName)
{
    Source->Run().ColumnPadding = 5;
}

// Each step changes only the characters it is for, and adds none the later
// ones are for, so a step whose characters the text lacks is left out.
QString TRichTextExport::RTFText(const QString& text)
{
    bool special = false, high = false, control = false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        special = special || u == '\\' || u == '{' || u == '}';
        high = high || u >= 128;
        control = control || u < 32;
    }
    QString result = special ? EscapeRTFChars(text) : text;
    if (high)
        result = HexEscapeHighChars(result);
    if (control)
        result = ConvertControlChars(result, QStringLiteral("\\tab "), QStringLiteral("\\par\r\n"));
    return result;
}

void TRichTextExport::WriteRowDefinition(const TRowDefinition& definition)
{
    const int count = int(Columns.size());
    QList<qint64> widths;
    for (int i = 0; i < count; ++i) {
        const int width = i == 0 && Source->Options().testFlag(NumberRows) ? 6 : ColumnWidth(i) + 3;
        widths << qint64(width) * kTwipsPerCharacter;
    }
    const TRTF_Options* margins = Source->Word_RTF_Options();
    FitToWidth(widths, qMax(kPaperWidth - int(margins->LeftMargin) - int(margins->RightMargin),
                            kMinTextWidth));
    QList<qint64> rightEdges;
    qint64 x = 0;
    for (qint64 width : widths)
        rightEdges << (x += width);
    for (int i = 0; i < count; ++i) {
        QString pattern;
        if (count == 1)
            pattern = QString::fromLatin1(definition.RowStart) + QLatin1String(definition.CellEnd) +
                      QLatin1String(definition.RowEnd);
        else if (i == 0)
            pattern =
                QString::fromLatin1(definition.RowStart) + QLatin1String(definition.CellMiddle);
        else if (i == count - 1)
            pattern = QString::fromLatin1(definition.CellEnd) + QLatin1String(definition.RowEnd);
        else
            pattern = QString::fromLatin1(definition.CellMiddle);
        WriteLine(pattern.arg(rightEdges[i]));
    }
}

void TRichTextExport::WriteHeader(const TExportColumns& columns)
{
    TCustomTextExport::WriteHeader(columns);
    const TRTF_Options* margins = Source->Word_RTF_Options();
    WriteLine(QString::fromLatin1(kPrologue)
                  .arg(margins->LeftMargin)
                  .arg(margins->RightMargin)
                  .arg(margins->TopMargin)
                  .arg(margins->BottomMargin));
    if (IsNotBlank(Source->Title()))
        WriteLine(QString::fromLatin1(kTitle).arg(RTFText(Source->Title())));
    WriteLine(QString::fromLatin1(kBodyStart));
    // The stamp keeps its braces but, like all text here, goes out as ASCII.
    if (Source->Options().testFlag(TimeStamp))
        WriteLine(HexEscapeHighChars(TimeStampText()) + QStringLiteral("\\par\\par"));
    const QString header = ListText(Source->Header());
    if (IsNotBlank(header))
        WriteLine(RTFText(header) + QStringLiteral("\\par"));
    if (!Source->Options().testFlag(ShowColHeaders))
        return;
    WriteRowDefinition(kCaptionRow);
    for (const TExportColumn& column : columns)
        WriteLine(RTFText(column.Caption) + QLatin1String(kCellEnd));
}

void TRichTextExport::WriteAsciiLine(const char* text)
{
    Output().Append(QByteArrayView(text));
    Output().Append("\r\n");
}

void TRichTextExport::WriteItem(const TExportValues& values, int itemIndex)
{
    TCustomTextExport::WriteItem(values, itemIndex);
    if (itemIndex == 1)
        WriteRowDefinition(kFirstItemRow);
    else if (Source->HasMoreItems())
        WriteAsciiLine(kMiddleRow);
    else
        WriteRowDefinition(kLastItemRow);
    {
        TByteAppender out(Output().Bytes());
        for (int i = 0; i < values.Count(); ++i) {
            if (!values[i].InBytes || !AppendRTFText(out, values[i].Utf8))
                AppendUtf8(out.Settle(), RTFText(values[i].InBytes ? values[i].Text()
                                                                   : GetDisplayValue(values, i)));
            out.Add(kCellEnd);
            out.Add("\r\n");
        }
    }
    Output().FlushWhenFull();
    for (size_t i = size_t(values.Count()); i < Columns.size(); ++i)
        WriteAsciiLine(kCellEnd);
}

void TRichTextExport::WriteFooter()
{
    TCustomTextExport::WriteFooter();
    WriteLine(QString::fromLatin1(kFooter).arg(RTFText(ListText(Source->Run().FormattedFooter))));
}
