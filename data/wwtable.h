#pragma once
// TwwTable: the component set's table. A TTable that carries per-field configuration lists for
// the data controls attached to it (picture masks, control kinds, lookup definitions), narrows
// its rows with row filters, can open the result of a query instead of a table, and checks every
// posted row against the pictures of its fields (the ones the Paradox table stores win over
// PictureMasks).
//
// Row filters: the wwFilter expressions (wwfilterparser.h) become the engine cursor's expression
// filter and OnFilter its record filter, so moves, RecordCount, RecNo and Locate all see only
// the rows both accept. OnFilter reads the fields of the row being filtered. OnFilterOptions:
// without ofoEnabled every row passes; ofoShowHourGlass shows the hourglass while rows are
// rejected and the arrow once they have been fetched; ofoCancelOnEscape looks at the keyboard
// queue every 100 rows (platform/keyqueue.h) and an Escape there removes ofoEnabled and fires
// OnFilterEscape.
//
// Query: when it has lines, opening runs them through the engine's query facility over the
// folder of the DatabaseName alias (the working folder without one): "QBE" when the first word
// is "query", else "SQL". The result is read-only; engine errors are raised as EDatabaseError
// with the engine's message.
//
// Other components never depend on this class: they ask a dataset by published-property name
// ("PictureMasks", "ControlType", "LookupFields", "LookupLinks", "OnInvalidValue",
// "OnFilterOptions", "MasterSource", "IndexName"), so any dataset that publishes them offers the
// capability.
//
// Line formats (a missing token reads as empty):
//   PictureMasks  name TAB mask TAB auto-fill TAB grid-editor; a flag is true only for "T"; the
//                 name is compared without regard to case, the first matching line counts.
//   ControlType   name;kind;parameters; the name is compared exactly, the last matching line
//                 counts (wwControlTypeOf).
//   LookupFields  field;database;table;display field;index name  or, with six tokens or more,
//                 field;database;table;display field;<ignored>;index field;...;<ignored>
//                 (wwParseLookupDefinition); line i of LookupLinks belongs to line i here.
//   LookupLinks   this table's field;lookup table's field;... (pairs).
//   wwFilter      one filter expression per line, combined with AND.
#include "data/table.h"
#include "platform/sets.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class TStrings;
class TStringList;

enum TwwOnFilterOption { ofoEnabled, ofoShowHourGlass, ofoCancelOnEscape };
using TwwOnFilterOptions = TSet<TwwOnFilterOption>;

// A field failed its picture on post.
using TwwInvalidValueEvent = std::function<void(TDataSet* DataSet, TField* Field)>;
// The per-row filter: Accept is preset to true.
using TwwTableFilterEvent = std::function<void(TDataSet* Table, bool& Accept)>;

class TwwTable : public TTable {
    RAVELDA_CLASS(TwwTable, TTable)
public:
    explicit TwwTable(TComponent* AOwner);
    ~TwwTable() override;

    // ---- The owned lists (setters copy the given list; nullptr empties it)
    TStrings* LookupFields() const;
    void SetLookupFields(const TStrings* Value);
    TStrings* LookupLinks() const;
    void SetLookupLinks(const TStrings* Value);
    TStrings* ControlType() const;
    void SetControlType(const TStrings* Value);
    TStrings* PictureMasks() const;
    void SetPictureMasks(const TStrings* Value);
    TStrings* wwFilter() const;
    void SetwwFilter(const TStrings* Value);
    // The query text: closes the table when open; lines clear TableName, IndexFieldNames,
    // MasterSource and MasterFields.
    TStrings* Query() const;
    void SetQuery(const TStrings* Value);
    // A non-empty name clears Query.
    void SetTableName(const QString& Value) override;

    // ---- Settings
    bool SyncSQLByRange() const { return syncSQLByRange_; }
    void SetSyncSQLByRange(bool Value) { syncSQLByRange_ = Value; }
    bool NarrowSearch() const { return narrowSearch_; }
    void SetNarrowSearch(bool Value) { narrowSearch_ = Value; }
    quint16 NarrowSearchUpperChar() const { return narrowSearchUpperChar_; }
    void SetNarrowSearchUpperChar(quint16 Value) { narrowSearchUpperChar_ = Value; }
    bool ValidateWithMask() const { return validateWithMask_; }
    void SetValidateWithMask(bool Value) { validateWithMask_ = Value; }
    TwwOnFilterOptions OnFilterOptions() const { return onFilterOptions_; }
    void SetOnFilterOptions(TwwOnFilterOptions Value);
    const TwwTableFilterEvent& OnFilter() const { return onFilter_; }
    void SetOnFilter(TwwTableFilterEvent Value);

    TwwInvalidValueEvent OnInvalidValue;
    TDataSetNotifyEvent OnFilterEscape;

    // ---- State
    // Whether this is a Paradox table: a name that contains ".db" and ends in "b" (lower-cased),
    // or a name without extension (the engine opens it as name.DB).
    bool IsParadox() const;
    // True until the stored pictures have been read (or a read was tried).
    bool PicturesUnread() const { return picturesUnread_; }
    // Set at each opening: a cursor is open on a Paradox table.
    bool ParadoxOpen() const { return paradoxOpen_; }
    // "SQL" or "QBE", chosen when a query text opens; empty before.
    const QString& QueryKind() const { return queryKind_; }
    // The picture the table stores for the field of exactly this name, empty when none. The
    // first call reads the pictures (once in the object's life, opening the table's files for
    // the read when the table is closed; not at design time while closed).
    QString StoredPicture(const QString& FieldName);
    // Lines of field name, TAB, picture, as read.
    const TStrings* StoredPictures() const;

    // ---- Row filters
    // The combined expression of the wwFilter lines (empty when they hold none).
    QString CombinedFilter() const;
    // Whether the engine cursor has the expression filter / the record filter now.
    bool ExpressionFilterInstalled() const { return expressionFilter_; }
    bool RecordFilterInstalled() const { return recordFilter_; }
    // Set while OnFilter runs.
    bool InFilter() const { return inFilter_; }
    // The rows OnFilter has looked at with ofoCancelOnEscape, 0 to 31999.
    int EscapeCounter() const { return escapeCounter_; }
    // False while a row filter is in use (OnFilter assigned or a combined expression).
    bool IsSequenced() const override;
    // The dataset's data events, then the arrow-cursor rule of the record filter.
    void DataEvent(TDataEvent Event, intptr_t Info) override;

protected:
    void InternalOpen() override;
    void InternalClose() override;
    // The table, or the result of the query when Query has lines.
    std::shared_ptr<ravelda::engine::Table> CreateHandle() override;
    int GetNextRecords() override;
    // Checks each field's value against its picture after the inherited hook.
    void DoBeforePost() override;
    // Drops list lines that name no field, then the inherited hook.
    void DoOnCalcFields() override;

private:
    void ReadStoredPictures();
    void PruneFieldLists();
    std::shared_ptr<ravelda::engine::Table> RunQuery();
    enum class TFilterInstall { Installed, FieldNotFound, Failed };
    // Builds and installs the combined expression (none when empty). On failure no expression
    // filter is left; FieldNotFound: the warning naming the operand has been shown.
    TFilterInstall InstallExpressionFilter();
    void InstallRecordFilter();
    void RemoveRecordFilter();
    bool FilterRow(const std::vector<ravelda::engine::Value>& Row);
    // Re-reads the rows around the current one after a record filter change.
    void ResyncAtCurrentRow();
    void RestoreArrowCursor();

    std::unique_ptr<TStringList> lookupFields_, lookupLinks_, controlType_, pictureMasks_,
        wwFilter_, query_, storedPictures_;
    bool syncSQLByRange_ = false;
    bool narrowSearch_ = false;
    quint16 narrowSearchUpperChar_ = 255;
    bool validateWithMask_ = true;
    TwwOnFilterOptions onFilterOptions_{ofoEnabled, ofoShowHourGlass};
    TwwTableFilterEvent onFilter_;
    bool picturesUnread_ = true;
    bool paradoxOpen_ = false;
    QString queryKind_;
    // Row filters.
    bool expressionFilter_ = false;
    bool recordFilter_ = false;
    bool inFilter_ = false;
    bool hourGlass_ = false;
    bool openingCursor_ = false; // fields are not bound yet: every row passes
    int escapeCounter_ = 0;
    TRecordBuffer filterRow_;
};

// ---- Field pictures

// A field's picture for validation and cell editing. With no PictureMasks line both flags are
// true; a line's missing flag tokens read as false.
struct TwwFieldPicture {
    QString Mask;
    bool AutoFill = true;       // append the fixed characters that must come next
    bool UsePictureMask = true; // the grid's cell editor applies the mask
};

// The picture of a field for a component (a dataset, a grid, an editor): the component's
// "PictureMasks" line for the field, and, when the component is a TwwTable and
// UseStoredPictures is set, the table's stored picture, which wins and rewrites a PictureMasks
// line that has a mask in place (keeping its flags).
TwwFieldPicture wwPictureByField(TComponent* Component, const QString& FieldName,
                                 bool UseStoredPictures);

// ---- Line formats

// The i-th token of a line split at Separator; empty when the line has fewer.
QString wwGetToken(const QString& Line, QChar Separator, int Index);

// The ControlType entry of a field: the last line whose first ";" token equals FieldName
// exactly. Kind is the second token; Parameters the rest after the second ";" (the whole line
// when it has none), at most 255 characters. False when no line names the field.
bool wwControlTypeOf(const TStrings* List, const QString& FieldName, QString& Kind,
                     QString& Parameters);

struct TwwLookupDefinition {
    QString LookupField;  // the lookup field of this table
    QString DatabaseName; // of the lookup table
    QString TableName;
    QString DisplayField;    // the lookup table's field to show
    QString IndexName;       // with fewer than six tokens
    QStringList IndexFields; // with six tokens or more
};
TwwLookupDefinition wwParseLookupDefinition(const QString& Line);
// The (this table's field, lookup table's field) pairs of a LookupLinks line; an odd last token
// pairs with an empty name.
std::vector<std::pair<QString, QString>> wwParseLookupLinks(const QString& Line);
