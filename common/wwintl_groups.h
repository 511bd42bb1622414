// The texts groups of TwwIntl that the navigator, the grid, the search, locate and calendar
// components read, and the settings group of the query components.
#pragma once

#include "common/wwintl_texts.h"

#include <memory>

// ---- Navigator

// One hint per navigator button style but the custom one, named style stem + "Hint".
#define WWINTL_NAVIGATOR_HINTS(X)                                                                  \
    X(FirstHint, "Move to first record")                                                           \
    X(PriorHint, "Move to prior record")                                                           \
    X(NextHint, "Move to next record")                                                             \
    X(LastHint, "Move to last record")                                                             \
    X(InsertHint, "Insert new record")                                                             \
    X(DeleteHint, "Delete current record")                                                         \
    X(EditHint, "Edit current record")                                                             \
    X(PostHint, "Post changes of current record")                                                  \
    X(CancelHint, "Cancel changes made to current record")                                         \
    X(RefreshHint, "Refresh the contents of the dataset")                                          \
    X(PriorPageHint, "Move backward %d records")                                                   \
    X(NextPageHint, "Move forward %d records")                                                     \
    X(SaveBookmarkHint, "Bookmark current record")                                                 \
    X(RestoreBookmarkHint, "Go back to saved bookmark")                                            \
    X(RecordViewDialogHint, "View current record")                                                 \
    X(LocateDialogHint, "Locate a specific record")                                                \
    X(FilterDialogHint, "Filter the dataset")                                                      \
    X(SearchDialogHint, "Search the dataset")

class TwwDBNavigatorIntlHints : public TwwIntlTextGroup {
    RAVELDA_CLASS(TwwDBNavigatorIntlHints, TwwIntlTextGroup)
public:
    enum TextId : int { WWINTL_NAVIGATOR_HINTS(WWINTL_TEXT_ID) TextIdCount };
    explicit TwwDBNavigatorIntlHints(TPersistent* Owner = nullptr);
    ~TwwDBNavigatorIntlHints() override;
    WWINTL_NAVIGATOR_HINTS(WWINTL_TEXT_ACCESSORS)

    // The hint of a button style by its stem ("PriorPage" gives PriorPageHint); empty for a stem
    // without a hint (the custom style).
    QString HintForStem(const QString& Stem) const;
};

#define WWINTL_NAVIGATOR_TEXTS(X) X(ConfirmDeleteMessage, "Delete record?")

class TwwDBNavigatorIntl : public TwwIntlTextGroup {
    RAVELDA_CLASS(TwwDBNavigatorIntl, TwwIntlTextGroup)
public:
    enum TextId : int { WWINTL_NAVIGATOR_TEXTS(WWINTL_TEXT_ID) TextIdCount };
    explicit TwwDBNavigatorIntl(TPersistent* Owner = nullptr);
    ~TwwDBNavigatorIntl() override;
    WWINTL_NAVIGATOR_TEXTS(WWINTL_TEXT_ACCESSORS)

    TwwDBNavigatorIntlHints* Hints() const { return hints_.get(); }
    void SetHints(const TwwDBNavigatorIntlHints* Value) { hints_->Assign(Value); }

    void Assign(const TPersistent* Source) override;
    using TPersistent::Assign;

private:
    std::unique_ptr<TwwDBNavigatorIntlHints> hints_;
};

// ---- Messages shown by the grid, the picture masks and the dialogs

#define WWINTL_USER_MESSAGES(X)                                                                    \
    X(wwDBGridDiscardChanges, "Discard changes to this record?")                                   \
    X(PictureValidateError, "Invalid characters. Field : ")                                        \
    X(LocateNoMatches, "No matches found")                                                         \
    X(LocateNoMoreMatches, "No more matches found")                                                \
    X(MemoChangesWarning, "Changes have been made!  Are you sure you wish to cancel?")             \
    X(RichEditExitWarning, "Changes have been made!  Do you wish to save your changes?")           \
    X(RichEditClearWarning, "Clear entire text?")                                                  \
    X(RichEditSpellCheckComplete, "The spell check is complete.")                                  \
    X(RichEditMSWordNotFound, "Unable to start Microsoft Word's Spell Checker.")                   \
    X(FilterDlgNoCriteria, "You have not selected any search criteria")                            \
    X(RecordViewExitWarning, "Changes have been made!  Do you wish to save your changes?")

class TwwUserMessagesIntl : public TwwIntlTextGroup {
    RAVELDA_CLASS(TwwUserMessagesIntl, TwwIntlTextGroup)
public:
    enum TextId : int { WWINTL_USER_MESSAGES(WWINTL_TEXT_ID) TextIdCount };
    explicit TwwUserMessagesIntl(TPersistent* Owner = nullptr);
    ~TwwUserMessagesIntl() override;
    WWINTL_USER_MESSAGES(WWINTL_TEXT_ACCESSORS)
};

// ---- Search dialog

#define WWINTL_SEARCH_DIALOG_TEXTS(X)                                                              \
    X(SearchCharLabel, "Search for:")                                                              \
    X(SearchCharShortLabel, "Find:")                                                               \
    X(SearchByLabel, "Search by:")                                                                 \
    X(StatusRecLabel, "Record")                                                                    \
    X(StatusOfLabel, "of")                                                                         \
    X(SearchCharHint, "Type the value to search for")                                              \
    X(SearchByHint, "Choose the field to search by")

class TwwSearchDialogIntl : public TwwIntlTextGroup {
    RAVELDA_CLASS(TwwSearchDialogIntl, TwwIntlTextGroup)
public:
    enum TextId : int { WWINTL_SEARCH_DIALOG_TEXTS(WWINTL_TEXT_ID) TextIdCount };
    explicit TwwSearchDialogIntl(TPersistent* Owner = nullptr);
    ~TwwSearchDialogIntl() override;
    WWINTL_SEARCH_DIALOG_TEXTS(WWINTL_TEXT_ACCESSORS)
};

// ---- Locate dialog

#define WWINTL_LOCATE_DIALOG_TEXTS(X)                                                              \
    X(FieldValueLabel, "Field value:")                                                             \
    X(SearchTypeLabel, "Match type")                                                               \
    X(CaseSensitiveLabel, "Case sensitive")                                                        \
    X(MatchExactLabel, "Exact match")                                                              \
    X(MatchStartLabel, "Match at start")                                                           \
    X(MatchAnyLabel, "Match anywhere")                                                             \
    X(FieldsLabel, "Fields")                                                                       \
    X(BtnFirst, "&First")                                                                          \
    X(BtnNext, "&Next")                                                                            \
    X(BtnCancel, "Cancel")                                                                         \
    X(BtnClose, "Close")                                                                           \
    X(FieldValueHint, "Type the value to look for")                                                \
    X(CaseSensitiveHint, "Tell upper and lower case letters apart")                                \
    X(MatchExactHint, "The whole field must equal the value")                                      \
    X(MatchStartHint, "The field must begin with the value")                                       \
    X(MatchAnyHint, "The value may appear anywhere in the field")                                  \
    X(BtnFirstHint, "Find the first matching record")                                              \
    X(BtnNextHint, "Find the next matching record")                                                \
    X(FieldNameHint, "Choose the field to look in")

class TwwLocateDialogIntl : public TwwIntlTextGroup {
    RAVELDA_CLASS(TwwLocateDialogIntl, TwwIntlTextGroup)
public:
    enum TextId : int { WWINTL_LOCATE_DIALOG_TEXTS(WWINTL_TEXT_ID) TextIdCount };
    explicit TwwLocateDialogIntl(TPersistent* Owner = nullptr);
    ~TwwLocateDialogIntl() override;
    WWINTL_LOCATE_DIALOG_TEXTS(WWINTL_TEXT_ACCESSORS)
};

// ---- Month calendar

#define WWINTL_MONTH_CALENDAR_TEXTS(X)                                                             \
    X(PopupYearLabel, "Edit Year")                                                                 \
    X(EnterYearPrompt, "Enter Valid Year")

class TwwMonthCalendarIntl : public TwwIntlTextGroup {
    RAVELDA_CLASS(TwwMonthCalendarIntl, TwwIntlTextGroup)
public:
    enum TextId : int { WWINTL_MONTH_CALENDAR_TEXTS(WWINTL_TEXT_ID) TextIdCount };
    explicit TwwMonthCalendarIntl(TPersistent* Owner = nullptr);
    ~TwwMonthCalendarIntl() override;
    WWINTL_MONTH_CALENDAR_TEXTS(WWINTL_TEXT_ACCESSORS)
};

// ---- Query components

class TwwADOIntl : public TPersistent {
    RAVELDA_CLASS(TwwADOIntl, TPersistent)
public:
    explicit TwwADOIntl(TPersistent* Owner = nullptr) : owner_(Owner) {}
    ~TwwADOIntl() override;

    bool UseLocateWhenFindingValue() const { return useLocateWhenFindingValue_; }
    void SetUseLocateWhenFindingValue(bool Value) { useLocateWhenFindingValue_ = Value; }

    void Assign(const TPersistent* Source) override;
    using TPersistent::Assign;
    TPersistent* GetOwner() const override { return owner_; }

private:
    TPersistent* owner_;
    bool useLocateWhenFindingValue_ = true;
};
