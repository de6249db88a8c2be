// Which writer class serves which export type.
#include "export/EC_Writer.h"
#include "export/formats/EC_BIFF.h"
#include "export/formats/EC_DIF.h"
#include "export/formats/EC_HTML.h"
#include "export/formats/EC_PlainText.h"
#include "export/formats/EC_RTF.h"
#include "export/formats/EC_SYLK.h"
#include "export/formats/EC_Text.h"
#include "export/formats/EC_XLSX.h"
#include "platform/core/Exceptions.h"

std::unique_ptr<TCustomExport> CreateExportWriter(TExportXComponent* source, TExportType type,
                                                  const QString& fileName)
{
    switch (type) {
    case xText_Comma_Delimited:
        return std::make_unique<TCSVExport>(source, type, fileName);
    case xText_Tab_Delimited:
        return std::make_unique<TTabExport>(source, type, fileName);
    case xHTML:
        return std::make_unique<THTMLExport>(source, type, fileName);
    case xMicrosoft_Word:
    case xRichText:
        return std::make_unique<TRichTextExport>(source, type, fileName);
    case xText:
        if (source->Options().testFlag(DetailedMode))
            return std::make_unique<TDetailedTextExport>(source, type, fileName);
        return std::make_unique<TTextExport>(source, type, fileName);
    case xClipboard:
        if (source->Options().testFlag(DetailedMode))
            return std::make_unique<TDetailedClipboardExport>(source, type, fileName);
        return std::make_unique<TClipboardExport>(source, type, fileName);
    case xDIF:
        return std::make_unique<TDIFExport>(source, type, fileName);
    case xSYLK:
        return std::make_unique<TSYLKExport>(source, type, fileName);
    case xMicrosoft_Excel:
        return std::make_unique<TBIFFExport>(source, type, fileName);
    case xExcel_Workbook:
        return std::make_unique<TXLSXExport>(source, type, fileName);
    }
    throw EConvertError(QStringLiteral("Unknown export type %1").arg(int(type)));
}
