#include "export/formats/EC_HTML.h"

#include "engine/DisplayFormat.h"
#include "export/formats/ValueBytes.h"
#include "platform/core/Exceptions.h"

#include <algorithm>
#include <array>

namespace {

const std::array<const char*, 9> kTemplates = {
    "#333399;#69EF7D;#FF00FF;#00FF00;#FFFFFF;Arial,Helvetica;#FF0000;#FFFFFF;##006BCE;#FFFFFF;"
    "007AEC",
    "#FFFFFF;blue;purple;red;#004080;Arial,Helvetica;#336699;#FFFFFF;#FFFFFF;#000000;#FFFFCF",
    "#FFFFFF;blue;purple;red;#000000;;#068FE6;#FFFFFF;#FFFFFF;#000000;#FFFCD9",
    "#317676;#FFE760;#CCCC39;#FFFF00;#FFFFFF;Arial,Helvetica;#3A9393;#FFFFFF;#004040;#FFE760;"
    "#000000",
    "#FFFFFF;blue;purple;red;#000080;Arial,Helvetica;#CEC6B5;#000000;#DEE7DE;#000000;FFFBF0",
    "#339966;#0066CC;#923FC1;red;#FFFFFF;Geneva,Arial,Helvetica;#CC0033;#FFFFFF;#FFFFFF;#000000;"
    "#FAF100",
    "#FFFFFF;blue;purple;red;#000000;Arial,Helvetica;#808080;#FFFFFF;#FFFFFF;#000000;#EEEEEE",
    "#FFFFFF;blue;purple;red;#000000;Verdana,Arial,Helvetica;#CFC890;#000000;#FFFFFF;#5F605F;"
    "#FFFFCF",
    "#FFFFFF;blue;purple;red;#000000;Arial,Helvetica;#000000;#FFFFFF;#FFFFFF;#000000;#F3F3F3",
};

// Searched in this order; only these ever start a link.
const std::array<const char*, 7> kLinkMarkers = {"http://", "https://", "ftp://", "news://",
                                                 "nntp://", "mailto:",  "@"};

bool EndsLink(QChar c)
{
    return c.unicode() <= 32 || c.unicode() == 255;
}

QString StripMailTo(const QString& href)
{
    const qsizetype at = href.toLower().indexOf(QLatin1String("mailto:"));
    return at < 0 ? href : href.mid(at + 7);
}

// Moves the text before the link at pos, and the link, from remaining to the
// result; an "@" that is no address moves over as plain text.
void MakeLink(qsizetype pos, QString& remaining, QString& result)
{
    qsizetype end = pos;
    while (end < remaining.size() && !EndsLink(remaining[end]))
        ++end;
    QString href;
    if (remaining[pos] == QLatin1Char('@')) {
        qsizetype start = pos;
        while (start > 0 && !EndsLink(remaining[start - 1]))
            --start;
        const QString address = remaining.mid(start, end - start);
        const QString domain = address.mid(address.indexOf(QLatin1Char('@')) + 1);
        if (address.startsWith(QLatin1Char('@')) || !domain.contains(QLatin1Char('.')) ||
            domain.startsWith(QLatin1Char('.'))) {
            result += remaining.left(pos + 1);
            remaining.remove(0, pos + 1);
            return;
        }
        href = QStringLiteral("mailto:") + address;
        pos = start;
    } else {
        href = remaining.mid(pos, end - pos);
    }
    // The text is escaped already, so href holds no raw quote or "&".
    result +=
        remaining.left(pos) + QStringLiteral("<a href=\"%1\">%2</a>").arg(href, StripMailTo(href));
    remaining.remove(0, end);
}

// A cell of UTF-8 text that PageText leaves as it is, trimmed as CellText
// trims; false, with nothing appended, for any other text.
bool AppendPlainCell(TByteAppender& out, QByteArrayView utf8)
{
    const bool plain = std::none_of(utf8.begin(), utf8.end(), [](char c) {
        return static_cast<unsigned char>(c) < 32 || c == '&' || c == '<' || c == '>' || c == '"' ||
               c == ':' || c == '@';
    });
    if (!plain)
        return false;
    // Only the blank is left at or below 32, and UTF-8 has no other byte that low.
    qsizetype begin = 0, end = utf8.size();
    while (begin < end && utf8[begin] == ' ')
        ++begin;
    while (end > begin && utf8[end - 1] == ' ')
        --end;
    out.Add("<td>");
    out.Add(begin == end ? QByteArrayView("&nbsp;") : utf8.sliced(begin, end - begin));
    out.Add("</td>\r\n");
    return true;
}

} // namespace

QString HTMLTemplate(THTML_Template scheme)
{
    return QString::fromLatin1(kTemplates.at(size_t(scheme)));
}

QString GetToken(const QString& text, int n)
{
    const auto noToken = [&] {
        return Exception(
            QStringLiteral("There is no Token \"%1\" in the String \"%2\"").arg(n).arg(text));
    };
    if (n <= 0)
        throw noToken();
    qsizetype from = 0;
    for (int i = 1;; ++i) {
        const qsizetype separator = text.indexOf(QLatin1Char(';'), from);
        if (separator < 0) {
            if (i < n)
                throw noToken();
            return text.mid(from);
        }
        if (i == n)
            return text.mid(from, separator - from);
        from = separator + 1;
    }
}

QString THTMLExport::ConvertLineBreaks(const QString& text) const
{
    if (Source->HTML_Options().testFlag(htIgnoreLineBreaks))
        return ConvertControlChars(text, QString(), QStringLiteral("\r\n"));
    return ConvertControlChars(text, QStringLiteral("&nbsp&nbsp&nbsp"), QStringLiteral("<br>\r\n"));
}

QString THTMLExport::AddAutoLinks(const QString& text) const
{
    if (!Source->HTML_Options().testFlag(htAutoLink))
        return text;
    QString result;
    QString remaining = text;
    for (;;) {
        const QString lower = remaining.toLower();
        qsizetype first = -1;
        for (const char* marker : kLinkMarkers) {
            const qsizetype at = lower.indexOf(QLatin1String(marker));
            if (at >= 0 && (first < 0 || at < first))
                first = at;
        }
        if (first < 0)
            break;
        MakeLink(first, remaining, result);
    }
    return result + remaining;
}

QString THTMLExport::CellText(const QString& text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return begin == end ? QStringLiteral("&nbsp;") : text.mid(begin, end - begin);
}

// Escapes, line breaks and links all start at one of these characters
// (every link marker holds ":" or "@"): text without them stays as it is.
QString THTMLExport::PageText(const QString& text) const
{
    const bool plain = std::none_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 32 || u == '&' || u == '<' || u == '>' || u == '"' || u == ':' || u == '@';
    });
    return plain ? text : AddAutoLinks(ConvertLineBreaks(text.toHtmlEscaped()));
}

void THTMLExport::WriteHeader(const TExportColumns& columns)
{
    TCustomTextExport::WriteHeader(columns);
    const THTML_Options options = Source->HTML_Options();
    Template = IsBlank(Source->HTML_CustomTemplate()) ? HTMLTemplate(Source->HTML_Template())
                                                      : Source->HTML_CustomTemplate();
    const QString title = ConvertLineBreaks(Source->Title().toHtmlEscaped());
    WriteLine(QStringLiteral("<html><head><meta charset=\"utf-8\"><title>%1</title></head>\r\n"
                             "<body bgcolor=\"%2\" link=\"%3\" vlink=\"%4\" text=\"%5\" "
                             "alink=\"%6\">\r\n<font color=\"%7\" face=\"%8\">")
                  .arg(title, GetTemplateField(1), GetTemplateField(2), GetTemplateField(3),
                       GetTemplateField(10), GetTemplateField(4), GetTemplateField(5),
                       GetTemplateField(6)));
    if (options.testFlag(htDisplayTitle))
        WriteLine(QStringLiteral("<h1>%1</h1>").arg(title));
    if (Source->Options().testFlag(TimeStamp))
        WriteLine(TimeStampText() + QStringLiteral("<br><br>"));
    const QString header = ListText(Source->Header());
    if (IsNotBlank(header)) {
        QString line = PageText(header);
        if (!options.testFlag(htIgnoreLineBreaks))
            line += options.testFlag(htHorzRules) ? QStringLiteral("<hr>") : QStringLiteral("<br>");
        WriteLine(line);
    }
    WriteLine(QStringLiteral("<table cellspacing=\"0\" cellpadding=\"4\" border=\"%1\" "
                             "bgcolor=\"%2\">")
                  .arg(options.testFlag(htShowGridLines) ? 1 : 0)
                  .arg(GetTemplateField(9)));
    // The row starts are the same for every odd and every even item.
    for (int odd = 0; odd < 2; ++odd)
        rowStarts_[odd] = options.testFlag(htOddRowColoring)
                              ? QStringLiteral("<tr valign=\"top\" bgcolor=\"%1\">")
                                    .arg(GetTemplateField(odd ? 11 : 9))
                              : QStringLiteral("<tr valign=\"top\">");
    if (!Source->Options().testFlag(ShowColHeaders))
        return;
    const bool bold = options.testFlag(htColHeadersBold);
    const QString captionColor = GetTemplateField(8);
    WriteLine(QStringLiteral("<tr valign=\"top\" bgcolor=\"%1\">").arg(GetTemplateField(7)));
    for (const TExportColumn& column : columns)
        WriteLine(QStringLiteral("<td>%1<font color=\"%2\">%3</font>%4</td>")
                      .arg(bold ? QStringLiteral("<b>") : QString(), captionColor,
                           CellText(ConvertLineBreaks(column.Caption.toHtmlEscaped())),
                           bold ? QStringLiteral("</b>") : QString()));
    WriteLine(QStringLiteral("</tr>"));
}

void THTMLExport::WriteItem(const TExportValues& values, int itemIndex)
{
    TCustomTextExport::WriteItem(values, itemIndex);
    WriteLine(rowStarts_[itemIndex % 2]);
    {
        TByteAppender out(Output().Bytes());
        for (int i = 0; i < values.Count(); ++i) {
            if (values[i].InBytes && AppendPlainCell(out, values[i].Utf8))
                continue;
            const QString text = values[i].InBytes ? values[i].Text() : GetDisplayValue(values, i);
            QByteArray& bytes = out.Settle();
            bytes += "<td>";
            AppendUtf8(bytes, CellText(PageText(text)));
            bytes += "</td>\r\n";
        }
        out.Add("</tr>\r\n");
    }
    Output().FlushWhenFull();
}

void THTMLExport::WriteFooter()
{
    TCustomTextExport::WriteFooter();
    const THTML_Options options = Source->HTML_Options();
    Write(QStringLiteral("</table>"));
    if (IsNotBlank(ListText(Source->Footer()))) {
        QString rule;
        if (!options.testFlag(htIgnoreLineBreaks))
            rule = options.testFlag(htHorzRules) ? QStringLiteral("<hr>") : QStringLiteral("<br>");
        WriteLine(rule + PageText(ListText(Source->Run().FormattedFooter)));
    }
    Write(QStringLiteral("</font></body></html>"));
}
