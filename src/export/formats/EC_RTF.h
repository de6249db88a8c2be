// The rich-text writer of both "Rich Text" and "Microsoft Word": a fixed
// prologue (fonts, colours, styles, margins), title, time stamp and header,
// then a bordered table written row by row: each row's output ends the row
// before it, the first and the last item row bring their own definitions and
// the rows between reuse the one in force. The file is Windows-1252: bytes
// 128..255 of the code page as \'hh and any other character as \uN? (its
// UTF-16 units as signed numbers), so the whole file is ASCII.
#pragma once

#include "export/formats/EC_Text.h"

// "\" doubled, then "{" and "}" preceded by a backslash.
QString EscapeRTFChars(const QString& text);
// Characters above 127 as \'hh when the code page has them, else as \uN?.
QString HexEscapeHighChars(const QString& text);

class TRichTextExport : public TCustomTextExport
{
public:
    TRichTextExport(TExportXComponent* source, TExportType exportType, const QString& fileName);

    void WriteHeader(const TExportColumns& columns) override;
    void WriteItem(const TExportValues& values, int itemIndex) override;
    void WriteFooter() override;
    bool TakesTextBytes() const override { return true; }

    static QString RTFText(const QString& text);

    // The four parts of a row definition; CellEnd and CellMiddle take the
    // cell's right edge in twips.
    struct TRowDefinition
    {
        const char* RowStart;
        const char* CellEnd;
        const char* CellMiddle;
        const char* RowEnd;
    };
    void WriteRowDefinition(const TRowDefinition& definition);

private:
    // A fixed piece of markup, ASCII, as one line.
    void WriteAsciiLine(const char* text);
};
