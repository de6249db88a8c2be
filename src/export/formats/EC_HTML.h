// The HTML page writer: a colour template (one of nine built-in schemes or the
// user's own), then a title, time stamp and header, one table with a caption
// row, and the footer. Text from the data is escaped before line breaks are
// converted and links are found, so it always shows as written and can never
// add markup; the page is UTF-8 and says so.
#pragma once

#include "export/formats/EC_Text.h"

// The built-in template of a scheme: eleven ";"-separated fields.
QString HTMLTemplate(THTML_Template scheme);

// The N-th ";"-separated token of text, counting from 1; raises Exception
// when N is below 1 or text has fewer tokens.
QString GetToken(const QString& text, int n);

class THTMLExport : public TCustomTextExport
{
public:
    using TCustomTextExport::TCustomTextExport;

    void WriteHeader(const TExportColumns& columns) override;
    void WriteItem(const TExportValues& values, int itemIndex) override;
    void WriteFooter() override;
    bool TakesTextBytes() const override { return true; }

    QString GetTemplateField(int n) const { return GetToken(Template, n); }
    QString ConvertLineBreaks(const QString& text) const;
    QString AddAutoLinks(const QString& text) const;
    static QString CellText(const QString& text);

private:
    // Escaped, line breaks converted, links added.
    QString PageText(const QString& text) const;

    QString Template;
    QString rowStarts_[2]; // the row start of even and of odd items
};
