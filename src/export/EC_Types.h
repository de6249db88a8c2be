// The export types and option sets, and the type table. Their ordinals are
// part of the stored settings and never change; a set keeps member n in bit n.
#pragma once

#include <QFlags>
#include <QObject>
#include <QString>

namespace ExportTypes {
Q_NAMESPACE

enum TExportType : quint8
{
    xHTML = 0,
    xMicrosoft_Word = 1,
    xMicrosoft_Excel = 2,
    xText = 3,
    xRichText = 4,
    xText_Comma_Delimited = 5,
    xText_Tab_Delimited = 6,
    xDIF = 7,
    xSYLK = 8,
    xClipboard = 9,
    xExcel_Workbook = 10, // the .xlsx workbook, beyond the ten of the stored settings
};
Q_ENUM_NS(TExportType)
constexpr int kExportTypeCount = 10; // the types allowed by default
constexpr int kExportTypeLimit = 11; // every type

// One bit per export type, bit n for the type of ordinal n.
enum TExportTypeFlag : quint16
{
    tsHTML = 1 << xHTML,
    tsMicrosoft_Word = 1 << xMicrosoft_Word,
    tsMicrosoft_Excel = 1 << xMicrosoft_Excel,
    tsText = 1 << xText,
    tsRichText = 1 << xRichText,
    tsText_Comma_Delimited = 1 << xText_Comma_Delimited,
    tsText_Tab_Delimited = 1 << xText_Tab_Delimited,
    tsDIF = 1 << xDIF,
    tsSYLK = 1 << xSYLK,
    tsClipboard = 1 << xClipboard,
    tsExcel_Workbook = 1 << xExcel_Workbook,
};
Q_DECLARE_FLAGS(TExportTypeSet, TExportTypeFlag)
Q_FLAG_NS(TExportTypeSet)

enum TExportOption : quint16
{
    DetailedMode = 1 << 0,
    ExportAllWhenNoneSelected = 1 << 1,
    ExportInvisibleCols = 1 << 2,
    NumberRows = 1 << 3,
    SelectedRowsOnly = 1 << 4,
    ShowColHeaders = 1 << 5,
    ShowClipboardMsg = 1 << 6,
    ShowProgress = 1 << 7,
    TimeStamp = 1 << 8,
    TimeDisplaySeconds = 1 << 9,
    Time24HourFormat = 1 << 10,
};
Q_DECLARE_FLAGS(TExportOptions, TExportOption)
Q_FLAG_NS(TExportOptions)

enum THTML_Option : quint8
{
    htShowGridLines = 1 << 0,
    htColHeadersBold = 1 << 1,
    htAutoLink = 1 << 2,
    htOddRowColoring = 1 << 3,
    htDisplayTitle = 1 << 4,
    htHorzRules = 1 << 5,
    htIgnoreLineBreaks = 1 << 6,
};
Q_DECLARE_FLAGS(THTML_Options, THTML_Option)
Q_FLAG_NS(THTML_Options)

enum THTML_Template : quint8
{
    htClassic = 0,
    htSimple = 1,
    htPlain = 2,
    htMurky = 3,
    htMS_Money = 4,
    htColorful = 5,
    htGray = 6,
    htOlive = 7,
    htBW = 8,
};
Q_ENUM_NS(THTML_Template)

// The kind of an exported column; writers switch on it.
enum TExportColumnKind : quint8
{
    ckUnknown = 0,
    ckString = 1,
    ckMemo = 2,
    ckFmtMemo = 3,
    ckNumber = 4,
    ckCurrency = 5,
    ckBoolean = 6,
    ckDate = 7,
    ckTime = 8,
    ckDateTime = 9,
    ckDateTimeDate = 10,
    ckDateTimeTime = 11,
};
Q_ENUM_NS(TExportColumnKind)

inline TExportTypeFlag TypeFlag(TExportType type)
{
    return TExportTypeFlag(1 << type);
}
inline TExportTypeSet AllExportTypes()
{
    return TExportTypeSet::fromInt((1 << kExportTypeCount) - 1);
}

} // namespace ExportTypes

Q_DECLARE_OPERATORS_FOR_FLAGS(ExportTypes::TExportTypeSet)
Q_DECLARE_OPERATORS_FOR_FLAGS(ExportTypes::TExportOptions)
Q_DECLARE_OPERATORS_FOR_FLAGS(ExportTypes::THTML_Options)

using namespace ExportTypes;

// Display name ("Comma-Delimited Text (CSV)") and extension ("csv", empty for
// the clipboard) of each type, by ordinal.
QString ExportTypeName(TExportType type);
QString ExportTypeExt(TExportType type);
// The type whose display name equals name exactly; xText when none does.
TExportType ExportTypeFromName(const QString& name);
