// Which writer class serves which export type. Types whose writer this build
// does not have yet give no writer.
#include "export/EC_Main.h"
#include "export/formats/EC_BIFF.h"
#include "export/formats/EC_Text.h"
#include "export/formats/EC_XLSX.h"

std::unique_ptr<TCustomExport> CreateExportWriter(TExportXComponent* source, TExportType type,
                                                  const QString& fileName)
{
    switch (type) {
    case xText_Comma_Delimited:
        return std::make_unique<TCSVExport>(source, type, fileName);
    case xText_Tab_Delimited:
        return std::make_unique<TTabExport>(source, type, fileName);
    case xMicrosoft_Excel:
        return std::make_unique<TBIFFExport>(source, type, fileName);
    case xExcel_Workbook:
        return std::make_unique<TXLSXExport>(source, type, fileName);
    default:
        return nullptr;
    }
}
