#include "app/ResultExport.h"

#include "platform/core/Exceptions.h"

#include <algorithm>

TResultExport::TResultExport(TDataSet* result, QObject* owner) : TExportSelectedRows(owner)
{
    DataSet = result;
}

QList<TField*> TResultExport::VisibleFields() const
{
    QList<TField*> fields;
    for (int i = 0; i < DataSet->FieldCount(); ++i) {
        if (DataSet->Fields(i)->Visible())
            fields << DataSet->Fields(i);
    }
    return fields;
}

void TResultExport::SelectRows(const QList<int>& rows)
{
    if (rows.isEmpty())
        return;
    selected_.clear();
    for (int row : rows)
        selected_ << TBookmark(row);
    std::sort(selected_.begin(), selected_.end());
    DataSet->SetRecNo(rows.first() + 1);
}

int TResultExport::GetFieldCount()
{
    return int(VisibleFields().size());
}

TField* TResultExport::GetField(int index)
{
    const QList<TField*> fields = VisibleFields();
    return index >= 0 && index < fields.size() ? fields.at(index) : nullptr;
}

QString TResultExport::GetDefaultCaption(int index)
{
    const TField* field = GetField(index);
    return field ? field->DisplayLabel() : QString();
}

bool TResultExport::CurrentRowSelected() const
{
    return std::binary_search(selected_.begin(), selected_.end(), DataSet->GetBookmark());
}

bool TResultExport::CanExport()
{
    if (!DataSet)
        throw Exception(QStringLiteral("There is no result to export."));
    return CanExportDataSet(*DataSet);
}
