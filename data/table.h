#pragma once
// TTable: a dataset over one table of the engine, named by DatabaseName (an alias; empty: the
// TableName is a path) and TableName. Rows come in the table's cursor order (primary key order
// for keyed tables). Engine failures surface as EDatabaseError with the engine's message.
#include "data/dataset.h"

#include <memory>
#include <string>
#include <vector>

namespace ravelda::engine {
class Table;
class Cursor;
class Value;
} // namespace ravelda::engine

class TTable : public TDataSet {
    RAVELDA_CLASS(TTable, TDataSet)
public:
    explicit TTable(TComponent* AOwner);
    ~TTable() override;

    const QString& DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const QString& Value);
    const QString& TableName() const { return tableName_; }
    virtual void SetTableName(const QString& Value);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value);
    bool Exclusive() const { return exclusive_; }
    void SetExclusive(bool Value);
    const QString& IndexFieldNames() const { return indexFieldNames_; }
    void SetIndexFieldNames(const QString& Value) { indexFieldNames_ = Value; }
    const QString& IndexName() const { return indexName_; }
    void SetIndexName(const QString& Value) { indexName_ = Value; }
    TDataSource* MasterSource() const { return masterSource_; }
    void SetMasterSource(TDataSource* Value);
    const QString& MasterFields() const { return masterFields_; }
    void SetMasterFields(const QString& Value) { masterFields_ = Value; }

    int RecordCount() const override;
    int RecNo() const override;
    void SetRecNo(int Value) override;
    bool IsSequenced() const override;
    bool BookmarkValid(const TBookmark& Bookmark) const override;
    int CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) const override;
    TDataSource* GetDataSource() const override { return masterSource_; }
    void ValidateFieldText(const TField* Field, QString& Text) const override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // The open engine table (nullptr while closed).
    ravelda::engine::Table* Handle() const { return table_.get(); }
    // The open engine cursor (nullptr while closed).
    ravelda::engine::Cursor* CursorHandle() const { return cursor_.get(); }
    // Whether the open table is a Paradox table (every table of this engine is).
    bool IsParadoxTable() const { return table_ != nullptr; }
    // The picture the table stores for a field number (1-based), empty when none or closed.
    QString FieldPicture(int FieldNo) const;

protected:
    void InternalOpen() override;
    void InternalClose() override;
    void InternalFirst() override;
    void InternalLast() override;
    TGetResult GetRecord(TRecordBuffer& Buffer, TGetMode GetMode) override;
    void InternalSetToRecord(const TRecordBuffer& Buffer) override;
    void InternalEdit(TRecordBuffer& Buffer) override;
    void InternalPost(const TRecordBuffer& Buffer, bool Inserting) override;
    void InternalDelete() override;
    void InternalRefresh() override;
    bool InternalGotoBookmark(const TBookmark& Bookmark) override;
    bool LocateRecord(const std::vector<TField*>& Fields, const std::vector<QVariant>& Values,
                      TLocateOptions Options) override;
    bool GetCanModify() const override;

    // Creating the cursor handle: the engine table the dataset reads (by default the one that
    // DatabaseName and TableName name). A shared handle may keep its owner alive (a query's
    // result).
    virtual std::shared_ptr<ravelda::engine::Table> CreateHandle();
    // A row of the engine as the buffer holds it (the data slots; the others Null).
    void ReadValues(const std::vector<ravelda::engine::Value>& Row, TRecordBuffer& Buffer) const;
    [[noreturn]] void RaiseEngineError(const std::exception& Error, bool RowLevel) const;

private:
    enum class Crack { OnRow, BeforeFirst, AfterLast };
    void ReadRow(TRecordBuffer& Buffer);
    bool MoveCursor(TGetMode GetMode);
    QVariant FromEngine(const TFieldDef& Def, const ravelda::engine::Value& Value) const;
    ravelda::engine::Value ToEngine(const TFieldDef& Def, const QVariant& Value) const;
    std::string EncodeText(const QString& Text) const;

    QString databaseName_, tableName_, indexFieldNames_, indexName_, masterFields_;
    TDataSource* masterSource_ = nullptr;
    bool readOnly_ = false;
    bool exclusive_ = false;
    std::shared_ptr<ravelda::engine::Table> table_;
    std::unique_ptr<ravelda::engine::Cursor> cursor_;
    Crack crack_ = Crack::BeforeFirst;
};
