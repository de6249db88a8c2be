// The type table: display names from the string table, extensions by ordinal.
#include "export/EC_Types.h"

#include "export/EC_Strings.h"

namespace {

const char* const kExtensions[kExportTypeLimit] = {"htm", "doc", "xls", "txt", "rtf", "csv",
                                                   "txt", "dif", "slk", "",    "xlsx"};

} // namespace

QString ExportTypeName(TExportType type)
{
    if (type == xExcel_Workbook)
        return LoadStr(sExcelWorkbookName);
    return LoadStr(int(sTypeNameFirst) + int(type));
}

QString ExportTypeExt(TExportType type)
{
    return QString::fromLatin1(kExtensions[type]);
}

TExportType ExportTypeFromName(const QString& name)
{
    for (int i = 0; i < kExportTypeLimit; ++i) {
        if (ExportTypeName(TExportType(i)) == name)
            return TExportType(i);
    }
    return xText;
}
