// The string table of the export units.
#include "export/EC_Strings.h"

#include <QHash>

namespace {

const QHash<int, QString>& Table()
{
    static const QHash<int, QString> table = {
        {sCancelButton, QStringLiteral("&Cancel")},
        {sChooseFormat, QStringLiteral("Please choose an Export Format")},
        {sViewOnScreen, QStringLiteral("&View on Screen")},
        {sExportToFile, QStringLiteral("Export to &File")},
        {sPageFooter, QStringLiteral("Page &P of &N")},
        {sItemCaption, QStringLiteral("Item")},
        {sExporting, QStringLiteral("Exporting...")},
        {sCreated, QStringLiteral("Created:")},
        {sClipboardDone, QStringLiteral("Successfully Exported to Clipboard")},
        {sExportFailed, QStringLiteral("Export Failed.")},
        {sFileExportFailed,
         QStringLiteral("Export failed. Try again with a different file name. Please ensure that "
                        "there is enough room on the destination drive and that the target drive "
                        "is not write-protected.\r\n\r\nNetwork users: Please ensure that the "
                        "network drive/folder you are trying to write to is connected and "
                        "accessible.")},
        {sViewFailed,
         QStringLiteral("Error occured while trying to view data exported to the %s format.\r\n\r\n"
                        "If this problem persists, you may want to consider re-installing the %s "
                        "Viewer Application.")},
        {sNoData, QStringLiteral("There is no Data to Export.")},
        {sExcelWorkbookName, QStringLiteral("Microsoft Excel Workbook")},
        {sTypeNameFirst + 0, QStringLiteral("HTML")},
        {sTypeNameFirst + 1, QStringLiteral("Microsoft Word")},
        {sTypeNameFirst + 2, QStringLiteral("Microsoft Excel")},
        {sTypeNameFirst + 3, QStringLiteral("Text")},
        {sTypeNameFirst + 4, QStringLiteral("Rich Text")},
        {sTypeNameFirst + 5, QStringLiteral("Comma-Delimited Text (CSV)")},
        {sTypeNameFirst + 6, QStringLiteral("Tab-Delimited Text")},
        {sTypeNameFirst + 7, QStringLiteral("Data Interchange Format (DIF)")},
        {sTypeNameFirst + 8, QStringLiteral("SYLK Format")},
        {sTypeNameFirst + 9, QStringLiteral("Clipboard")},
        {sExportNItems, QStringLiteral("Export %d Items")},
        {sExportItems, QStringLiteral("Export Items")},
        {sElapsed, QStringLiteral("%d Items Exported in %.2f Seconds.")},
        {sOkButton, QStringLiteral("&Ok")},
    };
    return table;
}

} // namespace

QString LoadStr(int id)
{
    return Table().value(id);
}
