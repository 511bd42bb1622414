// The data-aware dialogs that a navigator's dialog buttons run: filter, record view, locate and
// search. Each is a non-visual component bound to one dataset, either through its DataSource
// (filter, record view, locate) or directly through its SearchTable (search), and is run with
// Execute.
//
// For callers that create them by class name (the navigator's dialog buttons):
//   - RegisterDialogClasses() makes sure that the four classes are in the class registry
//     (FindClass("TwwLocateDialog")->CreateComponent(owner)); call it before the first look-up
//     by name (a static library drops object files nothing refers to, and their registrations).
//   - "DataSource" (a TDataSource) and "SearchTable" (a TDataSet) are published properties, so
//     SetPropValue(dialog, "DataSource", QVariant::fromValue<TComponent*>(source)) binds one.
//   - BoundDataSet() is the dataset the dialog works on (nullptr when unbound), IsBoundTo(ds)
//     asks "bound to this dataset", Execute() runs it modally.
// A dialog drops its data source or table when that component goes (removal notice).
#pragma once

#include "data/db.h"
#include "platform/component.h"

#include <QString>
#include <functional>
#include <memory>

class QDialog;

class TwwCustomDialog : public TComponent {
    RAVELDA_CLASS(TwwCustomDialog, TComponent)
public:
    explicit TwwCustomDialog(TComponent* AOwner);
    ~TwwCustomDialog() override;

    // The dataset the dialog works on; nullptr when it is not bound to one.
    virtual TDataSet* BoundDataSet() const;
    bool IsBoundTo(const TDataSet* DataSet) const;

    // Shows the dialog modally on the bound dataset. True when the user confirmed (OK, or a
    // row was found). Raises EInvalidOperation when the dialog is not bound to an open dataset.
    virtual bool Execute();

    // The caption of the dialog window.
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& Value) { caption_ = Value; }

    // The window of the last run while it is shown, else nullptr.
    QDialog* Window() const { return window_.get(); }

protected:
    // Builds the widgets of one run into Window; called by Execute with an open dataset.
    virtual void BuildWindow(QDialog& Window) = 0;
    // After the window closed with the given result (a QDialog::DialogCode); returns Execute's
    // result.
    virtual bool Finish(int Result);
    // Raises EInvalidOperation naming the class when there is no open dataset to work on.
    TDataSet* CheckDataSet() const;

private:
    QString caption_;
    std::unique_ptr<QDialog> window_;
};

// The three dialogs bound through a data source.
class TwwDataSourceDialog : public TwwCustomDialog {
    RAVELDA_CLASS(TwwDataSourceDialog, TwwCustomDialog)
public:
    explicit TwwDataSourceDialog(TComponent* AOwner);
    ~TwwDataSourceDialog() override;

    TDataSource* DataSource() const { return dataSource_; }
    void SetDataSource(TDataSource* Value);
    TDataSet* BoundDataSet() const override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TDataSource* dataSource_ = nullptr;
};

// Filter: one criterion (field, comparison, value) written as a line of the dataset's "wwFilter"
// list, replacing the lines there or added to them. A dataset without that published list cannot
// be filtered: the dialog says so.
class TwwFilterDialog : public TwwDataSourceDialog {
    RAVELDA_CLASS(TwwFilterDialog, TwwDataSourceDialog)
public:
    explicit TwwFilterDialog(TComponent* AOwner);
    ~TwwFilterDialog() override;

    const QString& FieldName() const { return fieldName_; }
    void SetFieldName(const QString& Value) { fieldName_ = Value; }
    // One of "=", "<>", "<", "<=", ">", ">=".
    const QString& Operator() const { return operator_; }
    void SetOperator(const QString& Value) { operator_ = Value; }
    const QString& Value() const { return value_; }
    void SetValue(const QString& Value) { value_ = Value; }
    // Adds the criterion to the dataset's filter instead of replacing it.
    bool AddToFilter() const { return addToFilter_; }
    void SetAddToFilter(bool Value) { addToFilter_ = Value; }

    // Whether the bound dataset publishes the "wwFilter" list.
    bool CanFilter() const;
    // The filter line of the current criterion; raises EInvalidOperation for a field the dataset
    // lacks, an unknown comparison, a value that does not fit the field or a text holding a
    // double quote (the filter language has no escape for it).
    QString CriterionText() const;
    // Writes the criterion into the dataset's filter; raises as CriterionText, and when the
    // dataset cannot filter.
    void ApplyFilter();
    // Empties the dataset's filter.
    void ClearFilter();
    // On a dataset that cannot filter, says so and returns false without showing the window.
    bool Execute() override;

protected:
    void BuildWindow(QDialog& Window) override;
    bool Finish(int Result) override;

private:
    QString fieldName_;
    QString operator_ = QStringLiteral("=");
    QString value_;
    bool addToFilter_ = false;
};

// Record view: the current record's fields, one label and value per line; unless ReadOnly, OK
// writes the changed values and posts the row, Cancel leaves the row as it was.
class TwwRecordViewDialog : public TwwDataSourceDialog {
    RAVELDA_CLASS(TwwRecordViewDialog, TwwDataSourceDialog)
public:
    explicit TwwRecordViewDialog(TComponent* AOwner);
    ~TwwRecordViewDialog() override;

    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool Value) { readOnly_ = Value; }

protected:
    void BuildWindow(QDialog& Window) override;
    bool Finish(int Result) override;

private:
    bool readOnly_ = false;
};

// How the locate dialog compares a field with the value.
enum TwwLocateMatchType { mtExactMatch, mtPartialMatchStart, mtPartialMatchAny };

// Locate: a field, a value and how to match; "First" finds the first matching row, "Next" the
// next one after the current row. A search that finds nothing leaves the cursor where it was
// and says "No matches found" (or "No more matches found").
class TwwLocateDialog : public TwwDataSourceDialog {
    RAVELDA_CLASS(TwwLocateDialog, TwwDataSourceDialog)
public:
    explicit TwwLocateDialog(TComponent* AOwner);
    ~TwwLocateDialog() override;

    const QString& SearchField() const { return searchField_; }
    void SetSearchField(const QString& Value) { searchField_ = Value; }
    const QString& FieldValue() const { return fieldValue_; }
    void SetFieldValue(const QString& Value) { fieldValue_ = Value; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool Value) { caseSensitive_ = Value; }
    TwwLocateMatchType MatchType() const { return matchType_; }
    void SetMatchType(TwwLocateMatchType Value) { matchType_ = Value; }

    // Without the message: true when a row was found (it is then current).
    bool FindFirst();
    bool FindNext();

protected:
    void BuildWindow(QDialog& Window) override;
    bool Finish(int Result) override;

private:
    bool Matches(const QString& FieldText) const;
    bool ScanFrom(bool FromFirst);
    void FindAndTell(bool First);

    QString searchField_;
    QString fieldValue_;
    bool caseSensitive_ = false;
    TwwLocateMatchType matchType_ = mtPartialMatchStart;
    bool found_ = false;
};

// Search: incremental search on one field of SearchTable: every change of the typed text moves
// to the first row whose field begins with it (without regard to case). Cancel goes back to the
// row the search started on.
class TwwSearchDialog : public TwwCustomDialog {
    RAVELDA_CLASS(TwwSearchDialog, TwwCustomDialog)
public:
    explicit TwwSearchDialog(TComponent* AOwner);
    ~TwwSearchDialog() override;

    TDataSet* SearchTable() const { return searchTable_; }
    void SetSearchTable(TDataSet* Value);
    // The field searched; empty: the dataset's first field.
    const QString& SearchField() const { return searchField_; }
    void SetSearchField(const QString& Value) { searchField_ = Value; }

    TDataSet* BoundDataSet() const override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Moves to the first row whose search field begins with Text; false (cursor unmoved) when
    // there is none. An empty text moves nowhere and finds.
    bool SearchFor(const QString& Text);

protected:
    void BuildWindow(QDialog& Window) override;
    bool Finish(int Result) override;

private:
    TDataSet* searchTable_ = nullptr;
    QString searchField_;
    TBookmark start_;
};

// How modal windows are run: by default QDialog::exec. Tests install a runner that fills in the
// widgets and returns the result, so nothing waits on a real event loop. Returns the previous
// runner; an empty function restores the default.
using TwwDialogRunner = std::function<int(QDialog& Window)>;
TwwDialogRunner SetDialogRunner(TwwDialogRunner Runner);
int RunDialogWindow(QDialog& Window);

// Makes sure the dialog classes are registered for creation by class name.
void RegisterDialogClasses();
