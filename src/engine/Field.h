// A field of an open dataset: its type, its display settings, and the value it
// holds in the dataset's current record, as text the way a desktop database's
// field objects give it.
#pragma once

#include <QString>
#include <QVariant>
#include <memory>

class TDataSet;
struct sqlite3_stmt;
class TDateTimeFormat;
struct TDateTimeParts;
class TNumberFormat;
struct TFormatSettings;

// The field data types of the component layer, in their customary order.
enum TFieldType
{
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftADT,
    ftArray,
    ftReference,
    ftDataSet
};

// Types whose values are bytes, not text: shown as a placeholder such as "(BLOB)".
bool IsBinary(TFieldType type);

// The field type of a declared column type (INTEGER, SMALLINT, REAL, FLOAT,
// NUMERIC/DECIMAL, CURRENCY/MONEY, BOOLEAN, DATE, TIME, DATETIME/TIMESTAMP,
// CHAR(n)/VARCHAR(n)/TEXT, MEMO/CLOB, BLOB ...); *size receives n of CHAR(n),
// *currency whether the type is a money type. An empty declaration gives ftUnknown.
TFieldType FieldTypeOfDeclared(const QString& declared, int* size = nullptr,
                               bool* currency = nullptr);

class TField
{
public:
    TField(TDataSet* dataSet, int index, const QString& fieldName, TFieldType dataType, int size);
    ~TField();

    TDataSet* DataSet() const { return dataSet_; }
    int Index() const { return index_; }
    const QString& FieldName() const { return fieldName_; }
    TFieldType DataType() const { return dataType_; }
    // Declared length of a character field (one without a declared length:
    // its longest value, measured when first asked); for other types 0.
    int Size() const;

    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    // The column caption; the field name unless set.
    QString DisplayLabel() const;
    void SetDisplayLabel(const QString& label) { displayLabel_ = label; }
    // Width in characters; by type unless set.
    int DisplayWidth() const;
    void SetDisplayWidth(int width) { displayWidth_ = width; }
    // Money fields show their display text as currency.
    bool Currency() const { return currency_; }
    void SetCurrency(bool currency) { currency_ = currency; }
    // Format pattern of the display text in the desktop-database letters
    // ("dd/mm/yyyy", "hh:nn am/pm", "#,##0.00"); empty: the regional defaults.
    const QString& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const QString& format);

    // The value in the dataset's current record: a null QVariant, qint64,
    // double, bool, QDate, QTime, QDateTime, QString or QByteArray by type.
    QVariant Value() const;
    bool IsNull() const;
    QString AsString() const;
    QString DisplayText() const;
    double AsFloat() const;
    bool AsBoolean() const;

    // The same texts for any value of this field, for readers that page
    // through a dataset without moving its cursor (the result grid).
    //   integers: plain; floats, BCD and currency: up to 15 significant digits
    //   with the regional decimal separator (a currency field's display text
    //   is money in the regional form); booleans "True"/"False"; dates by the
    //   short date format, times by the time format, date-times both (no time
    //   at exactly midnight); memos: the text, display text "(MEMO)", null
    //   "(memo)" (formatted memos "(FMTMEMO)"); binary fields cannot be shown
    //   as text: "(BLOB)", "(GRAPHIC)", "(BYTES)", "(VARBYTES)" (null: lower
    //   case) for both texts. A value of another kind than its field's type
    //   (text in a number column) is shown as it is. Null is "" otherwise.
    //   A DisplayFormat applies to the display text of numbers and dates.
    QString AsStringOf(const QVariant& value) const;
    QString DisplayTextOf(const QVariant& value) const;
    // DisplayTextOf appended in UTF-8, without a QString for the common values
    // (numbers, booleans, dates), for readers that write every value out.
    void AppendDisplayText(const QVariant& value, QByteArray& utf8) const;
    // The same for the value stored in a column of a row of SQLite (the field's
    // own type decides what it holds); text goes over as it is stored.
    void AppendDisplayText(sqlite3_stmt* row, int column, QByteArray& utf8) const;
    // A date, time or date-time field's display text of the value stored in a
    // column, appended in UTF-8 straight from the stored text or number, with
    // the calendar parts it shows; false, with nothing appended, when the value
    // is null or no value of the field's kind (read it through FieldValueOf).
    bool AppendDateTimeText(sqlite3_stmt* row, int column, QByteArray& utf8,
                            TDateTimeParts& parts) const;
    // A text field's text stored in a column of a row, as UTF-8 that reads
    // back as itself (so it is AsString and the display text byte for byte);
    // nullptr when the field is no text field or the value is not such text.
    const char* StoredText(sqlite3_stmt* row, int column, int& size) const;

private:
    // Whether the display text is AsString's (no display format, money or placeholder).
    bool PlainDisplay() const;

    TDataSet* dataSet_;
    int index_;
    QString fieldName_;
    TFieldType dataType_;
    mutable int size_; // -1 until a size taken from the values is asked for
    bool visible_ = true;
    QString displayLabel_;
    int displayWidth_ = -1;
    bool currency_ = false;
    QString displayFormat_;
    std::shared_ptr<const TFormatSettings> settings_; // the regional settings at creation
    // The patterns of the texts, read once: AsString's dates, times and
    // date-times, and the display format's for dates and for numbers.
    std::unique_ptr<const TDateTimeFormat> dateText_, timeText_, dateTimeText_;
    std::unique_ptr<const TDateTimeFormat> displayDates_;
    std::unique_ptr<const TNumberFormat> displayNumbers_;
};
