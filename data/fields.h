#pragma once
// TField and its kinds: one column of the dataset's current record. Values live in the
// dataset's record buffers as QVariant (an invalid QVariant is Null): QString for strings and
// memos, qint64 for integers, double for floats and currency, QString digits for BCD, bool,
// QDate, QTime, QDateTime and QByteArray for bytes and blobs.
//
// A field is persistent (declared in a stored description, owned by the form, its parent
// component the dataset) or created by the dataset from the table's definitions on opening.
#include "data/db.h"
#include "platform/component.h"
#include "platform/events.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <functional>

class TField;
using TFieldNotifyEvent = std::function<void(TField* Sender)>;
using TFieldGetTextEvent = std::function<void(TField* Sender, QString& Text, bool DisplayText)>;
using TFieldSetTextEvent = std::function<void(TField* Sender, const QString& Text)>;

class TField : public TComponent {
    RAVELDA_CLASS(TField, TComponent)
public:
    explicit TField(TComponent* AOwner);
    ~TField() override;

    TDataSet* DataSet() const { return dataSet_; }
    void SetDataSet(TDataSet* Value);
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;

    const QString& FieldName() const { return fieldName_; }
    void SetFieldName(const QString& Value);
    QString DisplayLabel() const { return displayLabel_.isEmpty() ? fieldName_ : displayLabel_; }
    void SetDisplayLabel(const QString& Value);
    QString DisplayName() const { return DisplayLabel(); }
    int DisplayWidth() const { return displayWidth_ >= 0 ? displayWidth_ : DefaultDisplayWidth(); }
    void SetDisplayWidth(int Value);
    bool Visible() const { return visible_; }
    void SetVisible(bool Value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value) { readOnly_ = Value; }
    bool Required() const { return required_; }
    void SetRequired(bool Value) { required_ = Value; }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    // Position in the dataset's field list; setting it reorders the fields (layout changed).
    int Index() const;
    void SetIndex(int Value);
    TFieldKind FieldKind() const { return fieldKind_; }
    void SetFieldKind(TFieldKind Value);
    bool Calculated() const { return fieldKind_ == fkCalculated; }
    void SetCalculated(bool Value);
    bool Lookup() const { return fieldKind_ == fkLookup; }
    void SetLookup(bool Value);
    int Size() const { return size_; }
    void SetSize(int Value);
    TFieldType DataType() const { return dataType_; }
    // 1-based number of the table column the field is bound to (0 for calculated fields).
    int FieldNo() const { return fieldNo_; }
    const QString& EditMask() const { return editMask_; }
    void SetEditMask(const QString& Value) { editMask_ = Value; }
    bool IsBlob() const;
    bool CanModify() const;

    // Lookup definition: KeyFields of this dataset matched to LookupKeyFields of LookupDataSet,
    // showing LookupResultField.
    TDataSet* LookupDataSet() const { return lookupDataSet_; }
    void SetLookupDataSet(TDataSet* Value);
    const QString& KeyFields() const { return keyFields_; }
    void SetKeyFields(const QString& Value) { keyFields_ = Value; }
    const QString& LookupKeyFields() const { return lookupKeyFields_; }
    void SetLookupKeyFields(const QString& Value) { lookupKeyFields_ = Value; }
    const QString& LookupResultField() const { return lookupResultField_; }
    void SetLookupResultField(const QString& Value) { lookupResultField_ = Value; }

    // ---- Values of the current record
    bool IsNull() const { return !GetData().isValid(); }
    void Clear() { SetData(QVariant()); }
    QVariant Value() const { return GetData(); }
    virtual void SetValue(const QVariant& Value);
    virtual QString AsString() const;
    virtual void SetAsString(const QString& Value);
    virtual qint64 AsInteger() const;
    virtual void SetAsInteger(qint64 Value);
    virtual double AsFloat() const;
    virtual void SetAsFloat(double Value);
    virtual bool AsBoolean() const;
    virtual void SetAsBoolean(bool Value);
    virtual QDateTime AsDateTime() const;
    virtual void SetAsDateTime(const QDateTime& Value);
    // The text for editing (Text) and for display (DisplayText); OnGetText may supply both.
    QString Text() const { return GetTextFor(false); }
    void SetText(const QString& Value);
    QString DisplayText() const { return GetTextFor(true); }
    // Whether a typed character can be part of the field's text.
    virtual bool IsValidChar(QChar InputChar) const;
    // Asks the controls to focus the one that edits this field.
    void FocusControl();
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TFieldNotifyEvent OnChange;
    TFieldNotifyEvent OnValidate;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

    // ---- Used by the dataset
    int Slot() const { return slot_; }
    void Bind(int Slot, int FieldNo) {
        slot_ = Slot;
        fieldNo_ = FieldNo;
    }
    void Change() { Fire(OnChange, this); }
    bool DisplayLabelStored() const { return !displayLabel_.isEmpty(); }
    bool DisplayWidthStored() const { return displayWidth_ >= 0; }
    bool AlignmentIsDefault() const { return alignment_ == DefaultAlignment(); }
    bool CreatedByDataSet() const { return createdByDataSet_; }
    void SetCreatedByDataSet(bool Value) { createdByDataSet_ = Value; }
    // Converts a value to this field's value kind (for Locate and Lookup); raises like the
    // setters when the value cannot become one; sets OutOfRange when it cannot be stored.
    virtual QVariant ConvertValue(const QVariant& Value, bool& OutOfRange) const;

protected:
    void SetDataType(TFieldType Value) { dataType_ = Value; }
    virtual int DefaultDisplayWidth() const { return 10; }
    virtual TAlignment DefaultAlignment() const { return taLeftJustify; }
    virtual QString GetText(bool DisplayText) const {
        (void)DisplayText;
        return AsString();
    }
    QVariant GetData() const;
    // Validates (OnValidate) and stores a value of the field's kind.
    void SetData(const QVariant& Value);
    [[noreturn]] void AccessError(const char* TypeName) const;
    // Size changes are refused while the dataset is open.
    void CheckInactive() const;

private:
    QString GetTextFor(bool Display) const;

    TDataSet* dataSet_ = nullptr;
    TDataSet* lookupDataSet_ = nullptr;
    QString fieldName_;
    QString displayLabel_;
    QString editMask_;
    QString keyFields_, lookupKeyFields_, lookupResultField_;
    int displayWidth_ = -1;
    int size_ = 0;
    int slot_ = -1;
    int fieldNo_ = 0;
    bool visible_ = true;
    bool readOnly_ = false;
    bool required_ = false;
    bool createdByDataSet_ = false;
    TAlignment alignment_ = taLeftJustify;
    TFieldKind fieldKind_ = fkData;
    TFieldType dataType_ = ftUnknown;
};

class TStringField : public TField {
    RAVELDA_CLASS(TStringField, TField)
public:
    explicit TStringField(TComponent* AOwner);
    QString AsString() const override;
    // Cut to Size characters (as the table stores them).
    void SetAsString(const QString& Value) override;
    qint64 AsInteger() const override;
    void SetAsInteger(qint64 Value) override;
    double AsFloat() const override;
    void SetAsFloat(double Value) override;
    bool AsBoolean() const override;
    void SetAsBoolean(bool Value) override;
    void SetValue(const QVariant& Value) override;
    QVariant ConvertValue(const QVariant& Value, bool& OutOfRange) const override;

protected:
    int DefaultDisplayWidth() const override { return Size(); }
};

// Number formats in the classic notation ("#,##0.00", sections separated by ";").
class TNumericField : public TField {
    RAVELDA_CLASS(TNumericField, TField)
public:
    explicit TNumericField(TComponent* AOwner);
    const QString& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const QString& Value);
    const QString& EditFormat() const { return editFormat_; }
    void SetEditFormat(const QString& Value);

protected:
    TAlignment DefaultAlignment() const override { return taRightJustify; }
    int DefaultDisplayWidth() const override { return 10; }

private:
    QString displayFormat_, editFormat_;
};

class TIntegerField : public TNumericField {
    RAVELDA_CLASS(TIntegerField, TNumericField)
public:
    explicit TIntegerField(TComponent* AOwner);
    qint64 MinValue() const { return minValue_; }
    void SetMinValue(qint64 Value) { minValue_ = Value; }
    qint64 MaxValue() const { return maxValue_; }
    void SetMaxValue(qint64 Value) { maxValue_ = Value; }

    QString AsString() const override;
    void SetAsString(const QString& Value) override;
    qint64 AsInteger() const override;
    void SetAsInteger(qint64 Value) override;
    double AsFloat() const override;
    void SetAsFloat(double Value) override;
    void SetValue(const QVariant& Value) override;
    bool IsValidChar(QChar InputChar) const override;
    QVariant ConvertValue(const QVariant& Value, bool& OutOfRange) const override;

protected:
    // The range of the stored type.
    void SetTypeRange(qint64 Min, qint64 Max);
    QString GetText(bool DisplayText) const override;

private:
    bool InRange(double Value) const;
    [[noreturn]] void RangeError(const QString& ValueText) const;
    qint64 LowBound() const;
    qint64 HighBound() const;
    qint64 typeMin_, typeMax_;
    qint64 minValue_ = 0, maxValue_ = 0; // both 0: the type's range
};

class TSmallintField : public TIntegerField {
    RAVELDA_CLASS(TSmallintField, TIntegerField)
public:
    explicit TSmallintField(TComponent* AOwner);
};

class TWordField : public TIntegerField {
    RAVELDA_CLASS(TWordField, TIntegerField)
public:
    explicit TWordField(TComponent* AOwner);
};

class TAutoIncField : public TIntegerField {
    RAVELDA_CLASS(TAutoIncField, TIntegerField)
public:
    explicit TAutoIncField(TComponent* AOwner);
};

class TFloatField : public TNumericField {
    RAVELDA_CLASS(TFloatField, TNumericField)
public:
    explicit TFloatField(TComponent* AOwner);
    bool Currency() const { return currency_; }
    void SetCurrency(bool Value) { currency_ = Value; }
    int Precision() const { return precision_; }
    void SetPrecision(int Value) { precision_ = Value < 2 ? 2 : (Value > 15 ? 15 : Value); }
    double MinValue() const { return minValue_; }
    void SetMinValue(double Value) { minValue_ = Value; }
    double MaxValue() const { return maxValue_; }
    void SetMaxValue(double Value) { maxValue_ = Value; }

    QString AsString() const override;
    void SetAsString(const QString& Value) override;
    qint64 AsInteger() const override;
    void SetAsInteger(qint64 Value) override;
    double AsFloat() const override;
    void SetAsFloat(double Value) override;
    void SetValue(const QVariant& Value) override;
    bool IsValidChar(QChar InputChar) const override;
    QVariant ConvertValue(const QVariant& Value, bool& OutOfRange) const override;
    bool CurrencyIsDefault() const { return currency_ == DefaultCurrency(); }

protected:
    virtual bool DefaultCurrency() const { return false; }
    QString GetText(bool DisplayText) const override;

private:
    bool currency_ = false;
    int precision_ = 15;
    double minValue_ = 0, maxValue_ = 0;
};

class TCurrencyField : public TFloatField {
    RAVELDA_CLASS(TCurrencyField, TFloatField)
public:
    explicit TCurrencyField(TComponent* AOwner);

protected:
    bool DefaultCurrency() const override { return true; }
};

// Exact decimals (Paradox "#"); Size is the number of decimals.
class TBCDField : public TNumericField {
    RAVELDA_CLASS(TBCDField, TNumericField)
public:
    explicit TBCDField(TComponent* AOwner);
    QString AsString() const override;
    void SetAsString(const QString& Value) override;
    qint64 AsInteger() const override;
    void SetAsInteger(qint64 Value) override;
    double AsFloat() const override;
    void SetAsFloat(double Value) override;
    void SetValue(const QVariant& Value) override;
    bool IsValidChar(QChar InputChar) const override;
    QVariant ConvertValue(const QVariant& Value, bool& OutOfRange) const override;

protected:
    QString GetText(bool DisplayText) const override;
};

class TBooleanField : public TField {
    RAVELDA_CLASS(TBooleanField, TField)
public:
    explicit TBooleanField(TComponent* AOwner);
    // "True;False" by default: the texts for true and false.
    const QString& DisplayValues() const { return displayValues_; }
    void SetDisplayValues(const QString& Value);
    QString AsString() const override;
    void SetAsString(const QString& Value) override;
    bool AsBoolean() const override;
    void SetAsBoolean(bool Value) override;
    qint64 AsInteger() const override;
    void SetAsInteger(qint64 Value) override;
    void SetValue(const QVariant& Value) override;
    QVariant ConvertValue(const QVariant& Value, bool& OutOfRange) const override;

protected:
    int DefaultDisplayWidth() const override;

private:
    bool ParseText(const QString& Text, bool& Result) const;
    QString displayValues_ = QStringLiteral("True;False");
    QString trueText_ = QStringLiteral("True"), falseText_ = QStringLiteral("False");
};

// Formats in the classic notation ("dd/mm/yyyy hh:nn:ss"); empty: dd/mm/yyyy and hh:nn:ss.
class TDateTimeField : public TField {
    RAVELDA_CLASS(TDateTimeField, TField)
public:
    explicit TDateTimeField(TComponent* AOwner);
    const QString& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const QString& Value);
    QString AsString() const override;
    void SetAsString(const QString& Value) override;
    QDateTime AsDateTime() const override;
    void SetAsDateTime(const QDateTime& Value) override;
    double AsFloat() const override;
    void SetAsFloat(double Value) override;
    void SetValue(const QVariant& Value) override;
    QVariant ConvertValue(const QVariant& Value, bool& OutOfRange) const override;

protected:
    int DefaultDisplayWidth() const override;
    QString GetText(bool DisplayText) const override;
    QString DefaultFormat() const;

private:
    QVariant FromDateTime(const QDateTime& Value) const;
    QString displayFormat_;
};

class TDateField : public TDateTimeField {
    RAVELDA_CLASS(TDateField, TDateTimeField)
public:
    explicit TDateField(TComponent* AOwner);
};

class TTimeField : public TDateTimeField {
    RAVELDA_CLASS(TTimeField, TDateTimeField)
public:
    explicit TTimeField(TComponent* AOwner);
};

// Fixed-length raw bytes.
class TBytesField : public TField {
    RAVELDA_CLASS(TBytesField, TField)
public:
    explicit TBytesField(TComponent* AOwner);
    QByteArray AsBytes() const { return GetData().toByteArray(); }
    void SetAsBytes(const QByteArray& Value);
    // Hexadecimal digits.
    QString AsString() const override;
    void SetAsString(const QString& Value) override;
    void SetValue(const QVariant& Value) override;

protected:
    QString GetText(bool DisplayText) const override;
    int DefaultDisplayWidth() const override { return Size() * 2; }
};

// Blobs: memo text, formatted memo, graphic and binary data, kept in the table's .MB file.
class TBlobField : public TField {
    RAVELDA_CLASS(TBlobField, TField)
public:
    explicit TBlobField(TComponent* AOwner);
    QByteArray AsBytes() const;
    void SetAsBytes(const QByteArray& Value);
    QString AsString() const override;
    void SetAsString(const QString& Value) override;
    void SetValue(const QVariant& Value) override;
    // Memos hold text; the other kinds bytes.
    bool IsText() const { return DataType() == ftMemo; }

    // Formatted memos and OLE data are blob fields of those types.
    void SetBlobType(TFieldType Type) { SetDataType(Type); }

protected:
    QString GetText(bool DisplayText) const override;
};

class TMemoField : public TBlobField {
    RAVELDA_CLASS(TMemoField, TBlobField)
public:
    explicit TMemoField(TComponent* AOwner);
};

class TGraphicField : public TBlobField {
    RAVELDA_CLASS(TGraphicField, TBlobField)
public:
    explicit TGraphicField(TComponent* AOwner);
};

// The field class for a data type (nullptr for ftUnknown).
const TClassInfo* FieldClassOf(TFieldType Type);
// Formats a number in the classic notation: "0" digit, "#" optional digit, "." decimal point,
// "," thousands, "E+"/"E-" exponent, quoted literals, up to three ";" sections.
QString FormatFloat(const QString& Format, double Value);
// A date/time in the classic notation ("dd/mm/yyyy hh:nn:ss", "am/pm").
QString FormatDateTime(const QString& Format, const QDateTime& Value);
