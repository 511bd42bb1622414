// TDataSet: construction, the published properties, opening and closing, and the field list.
#include "data/dataset.h"

#include "data/datalink.h"
#include "data/datasource.h"
#include "data/fields.h"
#include "platform/properties.h"
#include "platform/strings.h"

#include <QScopeGuard>
#include <algorithm>
#include <set>

RAVELDA_DEFINE_CLASS(TDataSet) {
    c.Property("Active", &TDataSet::Active, &TDataSet::SetActive).Default(false);
    c.Property("AutoCalcFields", &TDataSet::AutoCalcFields, &TDataSet::SetAutoCalcFields)
        .Default(true);
    c.Event("BeforeOpen", &TDataSet::BeforeOpen);
    c.Event("AfterOpen", &TDataSet::AfterOpen);
    c.Event("BeforeClose", &TDataSet::BeforeClose);
    c.Event("AfterClose", &TDataSet::AfterClose);
    c.Event("BeforeInsert", &TDataSet::BeforeInsert);
    c.Event("AfterInsert", &TDataSet::AfterInsert);
    c.Event("BeforeEdit", &TDataSet::BeforeEdit);
    c.Event("AfterEdit", &TDataSet::AfterEdit);
    c.Event("BeforePost", &TDataSet::BeforePost);
    c.Event("AfterPost", &TDataSet::AfterPost);
    c.Event("BeforeCancel", &TDataSet::BeforeCancel);
    c.Event("AfterCancel", &TDataSet::AfterCancel);
    c.Event("BeforeDelete", &TDataSet::BeforeDelete);
    c.Event("AfterDelete", &TDataSet::AfterDelete);
    c.Event("BeforeScroll", &TDataSet::BeforeScroll);
    c.Event("AfterScroll", &TDataSet::AfterScroll);
    c.Event("OnNewRecord", &TDataSet::OnNewRecord);
    c.Event("OnCalcFields", &TDataSet::OnCalcFields);
}

static const bool dataClassesRegistered = (RegisterDataClasses(), true);

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {
    (void)dataClassesRegistered;
    AllocateBuffers(1);
}

TDataSet::~TDataSet() {
    Destroying();
    // Closing without events: nobody is left to hear them.
    if (Active()) {
        state_ = dsInactive;
        try {
            CloseCursor();
        } catch (...) {
        }
    }
    for (TDataSource* source : std::vector<TDataSource*>(dataSources_))
        source->SetDataSet(nullptr);
    DestroyDefaultFields();
    for (TField* field : std::vector<TField*>(fields_))
        field->SetDataSet(nullptr);
}

void TDataSet::Loaded() {
    TComponent::Loaded();
    if (streamedActive_) {
        streamedActive_ = false;
        SetActive(true);
    }
}

void TDataSet::CheckActive() const {
    if (!Active()) DatabaseError(QString::fromLatin1(dbtext::DataSetClosed));
}

void TDataSet::CheckInactive() const {
    if (Active()) DatabaseError(QString::fromLatin1(dbtext::DataSetOpen));
}

void TDataSet::SetActive(bool Value) {
    if (IsLoading()) {
        // A stored Active opens once loading has finished (alias and name are set by then).
        streamedActive_ = Value;
        return;
    }
    if (Value == Active()) return;
    if (Value) {
        Fire(BeforeOpen, this);
        OpenCursor();
        SetState(dsBrowse);
        Fire(AfterOpen, this);
    } else {
        if (!IsDestroying()) Fire(BeforeClose, this);
        SetState(dsInactive);
        CloseCursor();
        if (!IsDestroying()) Fire(AfterClose, this);
    }
}

void TDataSet::OpenCursor() {
    auto undoOpen = qScopeGuard([this] {
        try {
            InternalClose();
        } catch (...) {
        }
        DestroyDefaultFields();
        fieldDefs_.Clear();
        buffers_.clear();
        bufferCount_ = 1;
        recordCount_ = 0;
        AllocateBuffers(1);
    });
    fieldDefs_.Clear();
    InternalOpen();
    BindFields();
    int wanted = 1;
    for (TDataSource* source : dataSources_)
        for (int i = 0; i < source->DataLinkCount(); ++i)
            wanted = std::max(wanted, source->DataLinks(i)->BufferCount());
    buffers_.clear();
    bufferCount_ = wanted;
    AllocateBuffers(wanted);
    ClearBuffers();
    InternalFirst();
    GetNextRecords();
    bof_ = true;
    eof_ = recordCount_ == 0;
    undoOpen.dismiss();
}

void TDataSet::CloseCursor() {
    InternalClose();
    DestroyDefaultFields();
    for (TField* field : fields_)
        field->Bind(-1, 0);
    fieldDefs_.Clear();
    recordCount_ = 0;
    activeRecord_ = 0;
    currentRecord_ = -1;
    bof_ = eof_ = true;
    modified_ = false;
    const int count = std::max(1, bufferCount_);
    buffers_.clear();
    bufferCount_ = count;
    AllocateBuffers(count);
}

// Persistent fields bind by name and must match the table's type and size; without persistent
// fields the dataset creates one field per column.
void TDataSet::BindFields() {
    bool persistent = false;
    for (TField* field : fields_)
        if (!field->CreatedByDataSet()) persistent = true;
    if (!persistent) CreateDefaultFields();
    for (TField* field : fields_) {
        if (field->FieldKind() != fkData) continue;
        const int i = fieldDefs_.IndexOf(field->FieldName());
        if (i < 0)
            DatabaseError(QString::fromLatin1(dbtext::FieldNotFound).arg(field->FieldName()));
        const TFieldDef& def = fieldDefs_.Items(i);
        if (def.DataType != field->DataType())
            DatabaseError(QString::fromLatin1(dbtext::FieldTypeMismatch)
                              .arg(field->FieldName(), FieldTypeName(field->DataType()),
                                   FieldTypeName(def.DataType)));
        const bool sized = def.DataType == ftString || def.DataType == ftBytes ||
                           def.DataType == ftVarBytes || def.DataType == ftBCD || field->IsBlob();
        if (sized && def.Size != field->Size())
            DatabaseError(QString::fromLatin1(dbtext::FieldSizeMismatch)
                              .arg(field->FieldName())
                              .arg(field->Size())
                              .arg(def.Size));
    }
    int slot = fieldDefs_.Count();
    calcFieldCount_ = 0;
    for (TField* field : fields_) {
        if (field->FieldKind() == fkData) {
            const int i = fieldDefs_.IndexOf(field->FieldName());
            field->Bind(i, fieldDefs_.Items(i).FieldNo);
        } else {
            field->Bind(slot++, 0);
            ++calcFieldCount_;
        }
    }
    slotCount_ = slot;
}

void TDataSet::CreateDefaultFields() {
    for (int i = 0; i < fieldDefs_.Count(); ++i) {
        const TFieldDef& def = fieldDefs_.Items(i);
        const TClassInfo* cls = FieldClassOf(def.DataType);
        if (!cls) continue;
        // Owned by the dataset and destroyed when it closes.
        auto* field = static_cast<TField*>(cls->CreateComponent(this));
        field->SetCreatedByDataSet(true);
        if (auto* blob = dynamic_cast<TBlobField*>(field)) blob->SetBlobType(def.DataType);
        if (def.DataType == ftString || def.DataType == ftBytes || def.DataType == ftVarBytes ||
            def.DataType == ftBCD || field->IsBlob())
            field->SetSize(def.Size);
        field->SetFieldName(def.Name);
        field->SetRequired(def.Required);
        field->SetDataSet(this);
    }
    defaultFields_ = true;
}

void TDataSet::DestroyDefaultFields() {
    for (TField* field : std::vector<TField*>(fields_))
        if (field->CreatedByDataSet()) delete field;
    defaultFields_ = false;
}

TField* TDataSet::Fields(int Index) const {
    if (Index < 0 || Index >= FieldCount())
        DatabaseError(QString::fromLatin1(dbtext::FieldIndexError));
    return fields_[static_cast<size_t>(Index)];
}

TField* TDataSet::FindField(const QString& FieldName) const {
    for (TField* field : fields_)
        if (field->FieldName().compare(FieldName, Qt::CaseInsensitive) == 0) return field;
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& FieldName) const {
    TField* field = FindField(FieldName);
    if (!field) DatabaseError(QString::fromLatin1(dbtext::FieldNotFound).arg(FieldName));
    return field;
}

std::vector<TField*> TDataSet::GetFieldList(const QString& FieldNames) const {
    std::vector<TField*> list;
    for (const QString& name : FieldNames.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        list.push_back(FieldByName(name.trimmed()));
    return list;
}

void TDataSet::GetFieldNames(TStrings* List) const {
    List->BeginUpdate();
    List->Clear();
    if (fields_.empty() && Active()) {
        for (int i = 0; i < fieldDefs_.Count(); ++i)
            List->Add(fieldDefs_.Items(i).Name);
    } else {
        for (TField* field : fields_)
            List->Add(field->FieldName());
    }
    List->EndUpdate();
}

void TDataSet::AddField(TField* Field) {
    if (std::find(fields_.begin(), fields_.end(), Field) != fields_.end()) return;
    if (Active() && !Field->CreatedByDataSet()) CheckInactive();
    fields_.push_back(Field);
    if (Active() && !Field->CreatedByDataSet()) DataEvent(deFieldListChange, 0);
}

void TDataSet::RemoveField(TField* Field) {
    auto it = std::find(fields_.begin(), fields_.end(), Field);
    if (it == fields_.end()) return;
    fields_.erase(it);
    if (Active() && !Field->CreatedByDataSet() && !IsDestroying()) DataEvent(deFieldListChange, 0);
}

void TDataSet::MoveField(TField* Field, int NewIndex) {
    auto it = std::find(fields_.begin(), fields_.end(), Field);
    if (it == fields_.end()) return;
    const int count = FieldCount();
    if (NewIndex < 0) NewIndex = 0;
    if (NewIndex >= count) NewIndex = count - 1;
    const int old = static_cast<int>(it - fields_.begin());
    if (old == NewIndex) return;
    fields_.erase(it);
    fields_.insert(fields_.begin() + NewIndex, Field);
    DataEvent(deLayoutChange, 0);
}

bool TDataSet::IsLinkedTo(const TDataSource* Source) const {
    std::set<const TDataSet*> seen;
    const TDataSet* ds = this;
    while (ds && seen.insert(ds).second) {
        TDataSource* master = ds->GetDataSource();
        if (!master) return false;
        if (master == Source) return true;
        ds = master->DataSet();
    }
    return false;
}

int TFieldDefs::IndexOf(const QString& Name) const {
    for (size_t i = 0; i < defs_.size(); ++i)
        if (defs_[i].Name.compare(Name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    return -1;
}

const TFieldDef* TFieldDefs::Find(const QString& Name) const {
    const int i = IndexOf(Name);
    return i < 0 ? nullptr : &defs_[static_cast<size_t>(i)];
}

void DatabaseError(const QString& Message) {
    throw EDatabaseError(Message);
}

QString FieldTypeName(TFieldType type) {
    static const char* const names[] = {
        "Unknown",  "String", "Smallint", "Integer", "Word",     "Boolean",   "Float",
        "Currency", "BCD",    "Date",     "Time",    "DateTime", "Bytes",     "VarBytes",
        "AutoInc",  "Blob",   "Memo",     "Graphic", "FmtMemo",  "ParadoxOle"};
    const auto i = static_cast<size_t>(type);
    return i < std::size(names) ? QString::fromLatin1(names[i]) : QStringLiteral("Unknown");
}
