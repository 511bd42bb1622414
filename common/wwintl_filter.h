// The texts group of the filter dialog: its captions, labels and hints.
#pragma once

#include "common/wwintl_texts.h"

#define WWINTL_FILTER_DIALOG_TEXTS(X)                                                              \
    X(FormCaption, "Filter")                                                                       \
    X(FieldsLabel, "Fields")                                                                       \
    X(AllFieldsLabel, "All fields")                                                                \
    X(FieldsWithCriteriaLabel, "Fields with criteria")                                             \
    X(FieldOrderLabel, "Field order")                                                              \
    X(SortByTableOrderLabel, "Table order")                                                        \
    X(SortAlphabeticallyLabel, "Alphabetical")                                                     \
    X(CriteriaGroupLabel, "Criteria")                                                              \
    X(FieldValueLabel, "Field value:")                                                             \
    X(ValueRangeLabel, "Value range")                                                              \
    X(MinimumValueLabel, "From:")                                                                  \
    X(MaximumValueLabel, "To:")                                                                    \
    X(MatchTypeLabel, "Match type")                                                                \
    X(MatchExactLabel, "Exact match")                                                              \
    X(MatchStartLabel, "Match at start")                                                           \
    X(MatchAnyLabel, "Match anywhere")                                                             \
    X(CaseSensitiveLabel, "Case sensitive")                                                        \
    X(NonMatchingLabel, "Show records that do not match")                                          \
    X(NullValuesLabel, "Match empty values")                                                       \
    X(CombineLabel, "Combine criteria with")                                                       \
    X(CombineAndLabel, "And")                                                                      \
    X(CombineOrLabel, "Or")                                                                        \
    X(SummaryLabel, "Summary")                                                                     \
    X(SummaryFieldHeading, "Field")                                                                \
    X(SummaryCriteriaHeading, "Criteria")                                                          \
    X(ExactValueTabCaption, "By value")                                                            \
    X(RangeTabCaption, "By range")                                                                 \
    X(BtnApply, "&Apply")                                                                          \
    X(BtnNewSearch, "&New Search")                                                                 \
    X(BtnClear, "C&lear")                                                                          \
    X(BtnClearAll, "Clear &All")                                                                   \
    X(FieldsHint, "Choose a field to give it criteria")                                            \
    X(FieldValueHint, "The value the field must match")                                            \
    X(MinimumValueHint, "The smallest value to include")                                           \
    X(MaximumValueHint, "The largest value to include")                                            \
    X(CaseSensitiveHint, "Tell upper and lower case letters apart")                                \
    X(NonMatchingHint, "Show the records that fail the criteria instead")                          \
    X(BtnApplyHint, "Filter the dataset with these criteria")                                      \
    X(BtnNewSearchHint, "Start again without criteria")                                            \
    X(BtnClearHint, "Remove the criteria of this field")                                           \
    X(BtnClearAllHint, "Remove the criteria of every field")

class TwwFilterDialogIntl : public TwwIntlTextGroup {
    RAVELDA_CLASS(TwwFilterDialogIntl, TwwIntlTextGroup)
public:
    enum TextId : int { WWINTL_FILTER_DIALOG_TEXTS(WWINTL_TEXT_ID) TextIdCount };
    explicit TwwFilterDialogIntl(TPersistent* Owner = nullptr);
    ~TwwFilterDialogIntl() override;
    WWINTL_FILTER_DIALOG_TEXTS(WWINTL_TEXT_ACCESSORS)
};
