// Which writer class serves which export type. Types whose writer this build
// does not have yet give no writer.
#include "export/EC_Main.h"
#include "export/formats/EC_DIF.h"
#include "export/formats/EC_HTML.h"
#include "export/formats/EC_PlainText.h"
#include "export/formats/EC_RTF.h"
#include "export/formats/EC_SYLK.h"
#include "export/formats/EC_Text.h"

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
    default:
        return nullptr;
    }
}
