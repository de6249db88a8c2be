#include "app/ExportSettings.h"

#include "export/EC_Component.h"

void ApplyResultsExportSettings(TExportXComponent& exporter)
{
    exporter.SetOptions(NumberRows | ShowColHeaders | ShowClipboardMsg | ShowProgress | TimeStamp);
    exporter.SetHTML_Options(htColHeadersBold | htAutoLink | htOddRowColoring);
    exporter.SetExportType(xMicrosoft_Excel);
    exporter.SetAllowedTypes(AllExportTypes() | tsExcel_Workbook);
    exporter.SetTruncateSymbol(QStringLiteral("-"));
    TXL_Options* xl = exporter.XL_Options();
    xl->PrintGridlines = false;
    xl->PrintHeadings = false;
    xl->PageFooter = QStringLiteral("Page &P of &N");
    const auto font = [](const char* family, int pixels, bool bold, bool italic, bool underline) {
        QFont f(QString::fromLatin1(family));
        f.setPixelSize(pixels);
        f.setBold(bold);
        f.setItalic(italic);
        f.setUnderline(underline);
        return f;
    };
    TPrint_Options* print = exporter.Print_Options();
    print->DefaultFont = font("Courier New", 11, false, false, false);
    print->DetailedTitle = font("Arial", 21, true, false, true);
    print->DetailedHeader = font("Arial", 16, false, true, false);
    print->DetailedFooter = font("Arial", 16, false, true, false);
    print->DetailedFont = font("Courier New", 12, false, false, false);
    exporter.Loaded();
}
