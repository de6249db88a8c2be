// Human-readable text, into a file or onto the clipboard.
//   TTextExport / TClipboardExport: the base's fixed-width layout, one line
//     per item.
//   TDetailedTextExport / TDetailedClipboardExport: one block per item, one
//     line per value, prefixed by its caption when captions are shown.
// The clipboard writers collect the whole text and hand it over in one call
// after the run, also after a cancel or a failure; beside the plain
// text they offer the same cells as an HTML table, so a paste into a
// spreadsheet or a word processor gives cells.
#pragma once

#include "export/formats/EC_Text.h"
#include "export/formats/ValueBytes.h"

// The detailed layout, shared by the file and the clipboard writer; every
// text ends with CR LF.
class TDetailedLayout
{
public:
    // Title with its dashes, time stamp, page header, each followed by an empty line.
    static QString HeaderText(const TExportXComponent& source);
    // One line per value ("caption: value" or the value alone), then an empty line.
    static QString ItemText(const TCustomExport& writer, const TExportColumns& columns,
                            int captionWidth, bool showCaptions, const TExportValues& values);
};

// The cells of a clipboard export as an HTML table, values escaped.
class TClipboardTable
{
public:
    void AddRow(const QStringList& cells, bool header = false);
    QString Html() const;

private:
    QString rows_;
};

class TTextExport : public TCustomTextExport
{
public:
    using TCustomTextExport::TCustomTextExport;
    void WriteHeader(const TExportColumns& columns) override;
    void WriteItem(const TExportValues& values, int itemIndex) override;
    void WriteFooter() override;
    bool TakesTextBytes() const override { return true; }

private:
    bool AppendFitBytes(TByteAppender& out, QByteArrayView utf8, int width) const;
};

class TDetailedTextExport : public TCustomTextExport
{
public:
    using TCustomTextExport::TCustomTextExport;
    void WriteHeader(const TExportColumns& columns) override;
    void WriteItem(const TExportValues& values, int itemIndex) override;
    void WriteFooter() override;
};

// Puts the collected text (and its table) on the clipboard after the run, and
// confirms a successful run when ShowClipboardMsg is set.
class TCustomClipboardExport : public TCustomExport
{
public:
    using TCustomExport::TCustomExport;
    void DeliverOutput() override;
    const QString& ClipboardText() const { return clipboardText_; }

protected:
    QString clipboardText_;
    TClipboardTable table_;
};

class TClipboardExport : public TCustomClipboardExport
{
public:
    using TCustomClipboardExport::TCustomClipboardExport;
    void WriteHeader(const TExportColumns& columns) override;
    void WriteItem(const TExportValues& values, int itemIndex) override;
    void WriteFooter() override;
};

class TDetailedClipboardExport : public TCustomClipboardExport
{
public:
    using TCustomClipboardExport::TCustomClipboardExport;
    void WriteHeader(const TExportColumns& columns) override;
    void WriteItem(const TExportValues& values, int itemIndex) override;
    void WriteFooter() override;
};
