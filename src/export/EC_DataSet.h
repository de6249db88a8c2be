// The dataset as an export source: each exported field a column, each record
// an item. The user's place in the dataset is kept and given back, and the
// dataset's controls stay still while the export walks it.
#pragma once

#include "engine/DataSet.h"
#include "export/EC_Component.h"

#include <QPointer>

class TExportDataSet : public TSharewareExportComponent
{
    Q_OBJECT
    Q_PROPERTY(QStringList ColWidths READ ColWidths WRITE SetColWidths)
public:
    explicit TExportDataSet(QObject* owner = nullptr);

    // Every non-blank line must be an integer of at least 1.
    void SetColWidths(const QStringList& lines) override;

    // The column kind of a field by its type, display format and currency flag.
    static TExportColumnKind FieldKind(const TField* field);
    static bool IsExportableType(TFieldType type);
    // The record count of a desktop-format table; -1 (unknown) for anything else.
    int GetTableRecordCount() const;

    void OpenSource() override;
    void CloseSource() override;
    void GetColumns(TExportColumns& columns) override;
    void GetItemValues(TExportValues& values) override;
    bool HasMoreItems() override;
    bool ForEachItem(TExportValues& values, bool textBytes, const TItemWriter& write) override;
    // Without a selection, the records of a large dataset whose stored rows
    // can be read in ranges on any thread.
    std::optional<bool> ForEachItemInPieces(bool textBytes, const TItemMaker& make,
                                            const TPieceTaker& take) override;

    virtual int GetFieldCount() = 0;
    virtual TField* GetField(int index) = 0;
    virtual bool IsFieldExported(TField* field);

protected:
    QPointer<TDataSet> DataSet;
    TBookmark SavedPlace = -1;

private:
    struct ExportedField
    {
        TField* field;
        bool memo;
        // Without a display format or money form the display text is the value's text.
        bool displayIsText;
    };
    std::vector<ExportedField> exported_; // the exported fields of this run, in column order

    static void FillValue(const ExportedField& exported, const QVariant& raw, TExportValue& value);

protected:
    // The values of one record of a walk, counted as the next item (GetItem's rules).
    void RecordValues(const TRecordTexts& record, bool textBytes, TExportValues& values);
    // The values of the record that is item number `item`, counted by the caller.
    void FillRecordValues(const TRecordTexts& record, bool textBytes, qint64 item,
                          TExportValues& values) const;
    // While a walk runs, HasMoreItems answers from the items it hands out:
    // a writer may ask whether another item follows the one it writes.
    struct WalkGuard
    {
        WalkGuard(TExportDataSet& source, qint64 items) : source(source)
        {
            source.walkItems_ = items;
        }
        ~WalkGuard() { source.walkItems_ = -1; }
        TExportDataSet& source;
    };
    bool Walking() const { return walkItems_ >= 0; }
    // Walks chosen records in one pass, in the dataset's order whatever order
    // they were chosen in; records that no longer exist are passed over.
    bool WalkRecords(std::vector<TBookmark> rows, TExportValues& values, bool textBytes,
                     const TItemWriter& write);

private:
    qint64 walkItems_ = -1; // the items of the walk in progress; -1: none
};
