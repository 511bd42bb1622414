// TwwTable: published properties, the owned lists, the TableName/Query pair, opening and
// closing.
#include "data/wwtable.h"

#include "data/db.h"
#include "platform/messagebox.h"
#include "platform/properties.h"
#include "platform/strings.h"

#include <QScopeGuard>
#include <algorithm>

namespace {

const bool kEnumsRegistered = [] {
    RegisterEnum<TwwOnFilterOption>(QStringLiteral("TwwOnFilterOption"),
                                    {QStringLiteral("ofoEnabled"),
                                     QStringLiteral("ofoShowHourGlass"),
                                     QStringLiteral("ofoCancelOnEscape")});
    return true;
}();

void AssignList(TStringList& Target, const TStrings* Value) {
    if (Value)
        Target.Assign(Value);
    else
        Target.Clear();
}

} // namespace

RAVELDA_DEFINE_CLASS(TwwTable) {
    (void)kEnumsRegistered;
    c.Property("ControlType", &TwwTable::ControlType, &TwwTable::SetControlType);
    c.Property("LookupFields", &TwwTable::LookupFields, &TwwTable::SetLookupFields);
    c.Property("LookupLinks", &TwwTable::LookupLinks, &TwwTable::SetLookupLinks);
    c.Property("NarrowSearch", &TwwTable::NarrowSearch, &TwwTable::SetNarrowSearch).Default(false);
    c.Property("NarrowSearchUpperChar", &TwwTable::NarrowSearchUpperChar,
               &TwwTable::SetNarrowSearchUpperChar)
        .Default(255);
    c.Property("OnFilterOptions", &TwwTable::OnFilterOptions, &TwwTable::SetOnFilterOptions)
        .Default(TwwOnFilterOptions{ofoEnabled, ofoShowHourGlass});
    c.Property("PictureMasks", &TwwTable::PictureMasks, &TwwTable::SetPictureMasks);
    c.Property("Query", &TwwTable::Query, &TwwTable::SetQuery);
    c.Property("SyncSQLByRange", &TwwTable::SyncSQLByRange, &TwwTable::SetSyncSQLByRange)
        .Default(false);
    c.Property("ValidateWithMask", &TwwTable::ValidateWithMask, &TwwTable::SetValidateWithMask)
        .Default(true);
    c.Property("wwFilter", &TwwTable::wwFilter, &TwwTable::SetwwFilter);
    c.Event("OnFilter", &TwwTable::OnFilter, &TwwTable::SetOnFilter);
    c.Event("OnFilterEscape", &TwwTable::OnFilterEscape);
    c.Event("OnInvalidValue", &TwwTable::OnInvalidValue);
}

TwwTable::TwwTable(TComponent* AOwner)
    : TTable(AOwner), lookupFields_(std::make_unique<TStringList>()),
      lookupLinks_(std::make_unique<TStringList>()), controlType_(std::make_unique<TStringList>()),
      pictureMasks_(std::make_unique<TStringList>()), wwFilter_(std::make_unique<TStringList>()),
      query_(std::make_unique<TStringList>()), storedPictures_(std::make_unique<TStringList>()) {}

TwwTable::~TwwTable() {
    // Close here, while the lists the closing steps read still exist.
    Destroying();
    if (Active()) {
        try {
            Close();
        } catch (...) {
        }
    }
}

TStrings* TwwTable::LookupFields() const {
    return lookupFields_.get();
}
void TwwTable::SetLookupFields(const TStrings* Value) {
    AssignList(*lookupFields_, Value);
}
TStrings* TwwTable::LookupLinks() const {
    return lookupLinks_.get();
}
void TwwTable::SetLookupLinks(const TStrings* Value) {
    AssignList(*lookupLinks_, Value);
}
TStrings* TwwTable::ControlType() const {
    return controlType_.get();
}
void TwwTable::SetControlType(const TStrings* Value) {
    AssignList(*controlType_, Value);
}
TStrings* TwwTable::PictureMasks() const {
    return pictureMasks_.get();
}
void TwwTable::SetPictureMasks(const TStrings* Value) {
    AssignList(*pictureMasks_, Value);
}
TStrings* TwwTable::wwFilter() const {
    return wwFilter_.get();
}
TStrings* TwwTable::Query() const {
    return query_.get();
}
const TStrings* TwwTable::StoredPictures() const {
    return storedPictures_.get();
}

void TwwTable::SetTableName(const QString& Value) {
    TTable::SetTableName(Value);
    if (!Value.isEmpty()) query_->Clear();
}

void TwwTable::SetQuery(const TStrings* Value) {
    if (Active()) Close();
    if (Value && Value->Count() > 0) {
        TTable::SetTableName(QString());
        SetIndexFieldNames(QString());
        SetMasterSource(nullptr);
        SetMasterFields(QString());
    }
    if (Value != query_.get()) AssignList(*query_, Value);
}

bool TwwTable::IsParadox() const {
    // TTable has no table type to choose, so the type is always the default one and the name
    // decides.
    const QString name = TableName().toLower();
    if (name.contains(QLatin1String(".db")) && name.endsWith(QLatin1Char('b'))) return true;
    // The engine opens a name without extension as name.DB, so it is a Paradox table too.
    qsizetype start = name.lastIndexOf(QLatin1Char('/')) + 1;
    start = std::max(start, name.lastIndexOf(QLatin1Char(':')) + 1);
    const QString base = name.mid(start);
    return !base.isEmpty() && !base.contains(QLatin1Char('.'));
}

void TwwTable::InternalOpen() {
    paradoxOpen_ = false;
    expressionFilter_ = recordFilter_ = false;
    if (query_->Count() > 0) {
        const QString first = query_->Strings(0).toLower().trimmed();
        queryKind_ = first.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty) ==
                             QLatin1String("query")
                         ? QStringLiteral("QBE")
                         : QStringLiteral("SQL");
        TTable::SetTableName(QString());
        SetIndexFieldNames(QString());
        SetMasterSource(nullptr);
        SetMasterFields(QString());
    }
    openingCursor_ = true;
    {
        const auto opened = qScopeGuard([this] { openingCursor_ = false; });
        TTable::InternalOpen();
        // Preparing the cursor: the row filters the properties ask for.
        // A text that cannot be read is told, not passed over: the rows would all show.
        if (!CombinedFilter().isEmpty() && InstallExpressionFilter() == TFilterInstall::Failed)
            MessageDlg(QStringLiteral("Fail to set filter"), mtWarning, TMsgDlgButtons{mbOK});
        if (onFilter_) InstallRecordFilter();
    }
    paradoxOpen_ = IsParadox();
}

void TwwTable::InternalClose() {
    TTable::InternalClose();
    paradoxOpen_ = false;
    expressionFilter_ = recordFilter_ = false;
    inFilter_ = false;
    if (query_->Count() > 0) TTable::SetTableName(QString());
}
