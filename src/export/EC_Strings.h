// The export texts, each by its string-table id (65504..65535). Every text
// the user sees from the export units comes from here.
#pragma once

#include <QString>

enum TExportStringId
{
    sCancelButton = 65504,
    sChooseFormat = 65505,
    sViewOnScreen = 65506,
    sExportToFile = 65507,
    sPageFooter = 65508,
    sItemCaption = 65509,
    sExporting = 65510,
    sCreated = 65511,
    sClipboardDone = 65512,
    sExportFailed = 65513,
    sFileExportFailed = 65514,
    sViewFailed = 65515,
    sNoData = 65516,
    sExcelWorkbookName = 65517,
    sTypeNameFirst = 65520, // 65520..65529: the display names in type order
    sExportNItems = 65532,
    sExportItems = 65533,
    sElapsed = 65534,
    sOkButton = 65535,
};

// The text of an id; empty for an id the table does not hold.
QString LoadStr(int id);
