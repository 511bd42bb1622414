#pragma once
// Shared types of the dataset layer: states, data events, field types, bookmarks, field
// definitions and the error helpers whose texts callers and tests rely on.
#include "data/alignment.h"
#include "platform/exceptions.h"
#include "platform/sets.h"

#include <QString>
#include <QVariant>
#include <cstdint>
#include <string>
#include <vector>

class TDataSet;
class TDataSource;
class TDataLink;
class TField;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields };

inline bool IsEditMode(TDataSetState s) {
    return s == dsEdit || s == dsInsert;
}

// What a dataset tells its data sources and links. Info carries the field (deFieldChange,
// deFocusControl as TField**) or the buffer slide (deDataSetScroll).
enum TDataEvent {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode,
    dePropertyChange,
    deFieldListChange,
    deFocusControl
};

enum TFieldType {
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
    ftParadoxOle
};

// The names used in messages ("String", "Smallint", "Integer", …).
QString FieldTypeName(TFieldType type);

enum TFieldKind { fkData, fkCalculated, fkLookup };

enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;

enum TResyncModeFlag { rmExact, rmCenter };
using TResyncMode = TSet<TResyncModeFlag>;

enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };

// How a record buffer relates to the rows of the underlying cursor.
enum TBookmarkFlag {
    bfCurrent,  // holds a stored row (its bookmark is set)
    bfBOF,      // a new row in an empty dataset
    bfEOF,      // a new row after the last one (append)
    bfInserted, // a new row before the row whose bookmark it keeps
};

// Comparison results of bookmarks (CompareBookmarks).
enum : int { bmBeforeRow = -1, bmSameRow = 0, bmAfterRow = 1, bmSameKeyRow = 2 };

// An opaque token of one row. Copyable; an empty bookmark marks no row.
class TBookmark {
public:
    TBookmark() = default;
    explicit TBookmark(std::string data) : data_(std::move(data)) {}
    bool IsEmpty() const { return data_.empty(); }
    const std::string& Data() const { return data_; }
    void Clear() { data_.clear(); }
    bool operator==(const TBookmark&) const = default;

private:
    std::string data_;
};

// One column of the underlying table as the dataset found it when opening.
struct TFieldDef {
    QString Name;
    TFieldType DataType = ftUnknown;
    int Size = 0;
    int FieldNo = 0; // 1-based
    bool Required = false;
};

class TFieldDefs {
public:
    int Count() const { return static_cast<int>(defs_.size()); }
    const TFieldDef& Items(int Index) const { return defs_.at(static_cast<size_t>(Index)); }
    // Case-insensitive; -1 when absent.
    int IndexOf(const QString& Name) const;
    const TFieldDef* Find(const QString& Name) const;
    void Add(TFieldDef def) { defs_.push_back(std::move(def)); }
    void Clear() { defs_.clear(); }

private:
    std::vector<TFieldDef> defs_;
};

// One record in the dataset's window of buffers: a value per field slot (an invalid QVariant is
// Null), and the row it stands for.
struct TRecordBuffer {
    std::vector<QVariant> Values;
    TBookmark Bookmark; // the row's (bfCurrent) or the row a new one was inserted before
    TBookmarkFlag Flag = bfCurrent;
    // What the stored row held when it was read into this buffer (opaque, from the storage): a
    // post or delete of the row is refused when another writer changed or deleted it since.
    std::string Version;
};

// Registers the dataset layer's classes by name (done once on first use of TDataSet).
void RegisterDataClasses();

// Raises EDatabaseError with the message.
[[noreturn]] void DatabaseError(const QString& Message);

// The texts of the dataset layer's own errors.
namespace dbtext {
inline constexpr const char* FieldNotFound = "Field '%1' not found";
inline constexpr const char* FieldTypeMismatch =
    "Type mismatch for field '%1', expecting: %2 actual: %3";
inline constexpr const char* FieldSizeMismatch =
    "Size mismatch for field '%1', expecting: %2 actual: %3";
inline constexpr const char* DataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* DataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* DataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* NotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* DataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* FieldReadOnly = "Field '%1' cannot be modified";
inline constexpr const char* FieldRequired = "Field '%1' must have a value";
inline constexpr const char* InvalidInteger = "'%1' is not a valid integer value";
inline constexpr const char* InvalidFloat = "'%1' is not a valid floating point value";
inline constexpr const char* InvalidBoolean = "'%1' is not a valid boolean value";
inline constexpr const char* InvalidDate = "'%1' is not a valid date";
inline constexpr const char* InvalidTime = "'%1' is not a valid time";
inline constexpr const char* InvalidDateTime = "'%1' is not a valid date and time";
inline constexpr const char* FieldRangeError =
    "%1 is not a valid value for field '%2'. The allowed range is %3 to %4";
inline constexpr const char* CircularDataLink = "Circular datalinks are not allowed";
inline constexpr const char* RecordNotFound = "Record not found";
inline constexpr const char* RecordDeleted = "Record/Key deleted.";
inline constexpr const char* MissingDataSet = "Missing data set";
inline constexpr const char* FieldAccess = "Cannot access field '%1' as type %2";
inline constexpr const char* FieldIndexError = "Field index out of range";
inline constexpr const char* NotCalculated = "Field '%1' is not a calculated field";
inline constexpr const char* CodePageRefused =
    "Field '%1' cannot hold the character '%2' (the table's code page %3 has no such character)";
} // namespace dbtext
