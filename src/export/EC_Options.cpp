#include "export/EC_Options.h"

#include "export/EC_Strings.h"

namespace {

QFont MakeFont(const char* family, int points, bool bold = false, bool italic = false,
               bool underline = false)
{
    QFont font(QString::fromLatin1(family), points);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    return font;
}

} // namespace

TPrint_Options::TPrint_Options(QObject* owner)
    : QObject(owner), DefaultFont(MakeFont("Courier New", 8)),
      DetailedTitle(MakeFont("Arial", 16, true, false, true)),
      DetailedHeader(MakeFont("Arial", 12, false, true)),
      DetailedFooter(MakeFont("Arial", 12, false, true)), DetailedFont(MakeFont("Courier New", 9))
{
}

void TPrint_Options::Assign(const TPrint_Options& other)
{
    DefaultFont = other.DefaultFont;
    DetailedTitle = other.DetailedTitle;
    DetailedHeader = other.DetailedHeader;
    DetailedFooter = other.DetailedFooter;
    DetailedFont = other.DetailedFont;
}

TXL_Options::TXL_Options(QObject* owner) : QObject(owner), PageFooter(LoadStr(sPageFooter)) {}

void TXL_Options::Assign(const TXL_Options& other)
{
    PrintGridlines = other.PrintGridlines;
    PrintHeadings = other.PrintHeadings;
    PageHeader = other.PageHeader;
    PageFooter = other.PageFooter;
}

TRTF_Options::TRTF_Options(QObject* owner) : QObject(owner) {}

void TRTF_Options::Assign(const TRTF_Options& other)
{
    LeftMargin = other.LeftMargin;
    RightMargin = other.RightMargin;
    TopMargin = other.TopMargin;
    BottomMargin = other.BottomMargin;
}
