#include "common/wwintl_groups.h"

namespace {
const TwwIntlTextDef kNavigatorHints[] = {WWINTL_NAVIGATOR_HINTS(WWINTL_TEXT_DEF)};
const TwwIntlTextDef kNavigatorTexts[] = {WWINTL_NAVIGATOR_TEXTS(WWINTL_TEXT_DEF)};
const TwwIntlTextDef kUserMessages[] = {WWINTL_USER_MESSAGES(WWINTL_TEXT_DEF)};
const TwwIntlTextDef kSearchDialogTexts[] = {WWINTL_SEARCH_DIALOG_TEXTS(WWINTL_TEXT_DEF)};
const TwwIntlTextDef kLocateDialogTexts[] = {WWINTL_LOCATE_DIALOG_TEXTS(WWINTL_TEXT_DEF)};
const TwwIntlTextDef kMonthCalendarTexts[] = {WWINTL_MONTH_CALENDAR_TEXTS(WWINTL_TEXT_DEF)};

template <class T, size_t N> constexpr int CountOf(const T (&)[N]) {
    return static_cast<int>(N);
}
} // namespace

// ---- TwwDBNavigatorIntlHints

RAVELDA_DEFINE_CLASS(TwwDBNavigatorIntlHints) {
    DescribeIntlTexts(c, kNavigatorHints, CountOf(kNavigatorHints));
}

TwwDBNavigatorIntlHints::TwwDBNavigatorIntlHints(TPersistent* Owner)
    : TwwIntlTextGroup(Owner, kNavigatorHints, CountOf(kNavigatorHints)) {}

TwwDBNavigatorIntlHints::~TwwDBNavigatorIntlHints() = default;

QString TwwDBNavigatorIntlHints::HintForStem(const QString& Stem) const {
    if (Stem.isEmpty()) return QString();
    int i = IndexOfText(Stem + QStringLiteral("Hint"));
    return i < 0 ? QString() : Text(i);
}

// ---- TwwDBNavigatorIntl

RAVELDA_DEFINE_CLASS(TwwDBNavigatorIntl) {
    DescribeIntlTexts(c, kNavigatorTexts, CountOf(kNavigatorTexts));
    c.Property("Hints", &TwwDBNavigatorIntl::Hints);
}

TwwDBNavigatorIntl::TwwDBNavigatorIntl(TPersistent* Owner)
    : TwwIntlTextGroup(Owner, kNavigatorTexts, CountOf(kNavigatorTexts)),
      hints_(std::make_unique<TwwDBNavigatorIntlHints>(this)) {}

TwwDBNavigatorIntl::~TwwDBNavigatorIntl() = default;

void TwwDBNavigatorIntl::Assign(const TPersistent* Source) {
    if (AssignTexts(Source)) {
        hints_->Assign(static_cast<const TwwDBNavigatorIntl*>(Source)->Hints());
        return;
    }
    TPersistent::Assign(Source);
}

// ---- The plain texts groups

RAVELDA_DEFINE_CLASS(TwwUserMessagesIntl) {
    DescribeIntlTexts(c, kUserMessages, CountOf(kUserMessages));
}
TwwUserMessagesIntl::TwwUserMessagesIntl(TPersistent* Owner)
    : TwwIntlTextGroup(Owner, kUserMessages, CountOf(kUserMessages)) {}
TwwUserMessagesIntl::~TwwUserMessagesIntl() = default;

RAVELDA_DEFINE_CLASS(TwwSearchDialogIntl) {
    DescribeIntlTexts(c, kSearchDialogTexts, CountOf(kSearchDialogTexts));
}
TwwSearchDialogIntl::TwwSearchDialogIntl(TPersistent* Owner)
    : TwwIntlTextGroup(Owner, kSearchDialogTexts, CountOf(kSearchDialogTexts)) {}
TwwSearchDialogIntl::~TwwSearchDialogIntl() = default;

RAVELDA_DEFINE_CLASS(TwwLocateDialogIntl) {
    DescribeIntlTexts(c, kLocateDialogTexts, CountOf(kLocateDialogTexts));
}
TwwLocateDialogIntl::TwwLocateDialogIntl(TPersistent* Owner)
    : TwwIntlTextGroup(Owner, kLocateDialogTexts, CountOf(kLocateDialogTexts)) {}
TwwLocateDialogIntl::~TwwLocateDialogIntl() = default;

RAVELDA_DEFINE_CLASS(TwwMonthCalendarIntl) {
    DescribeIntlTexts(c, kMonthCalendarTexts, CountOf(kMonthCalendarTexts));
}
TwwMonthCalendarIntl::TwwMonthCalendarIntl(TPersistent* Owner)
    : TwwIntlTextGroup(Owner, kMonthCalendarTexts, CountOf(kMonthCalendarTexts)) {}
TwwMonthCalendarIntl::~TwwMonthCalendarIntl() = default;

// ---- TwwADOIntl

RAVELDA_DEFINE_CLASS(TwwADOIntl) {
    c.Property("UseLocateWhenFindingValue", &TwwADOIntl::UseLocateWhenFindingValue,
               &TwwADOIntl::SetUseLocateWhenFindingValue);
}

TwwADOIntl::~TwwADOIntl() = default;

void TwwADOIntl::Assign(const TPersistent* Source) {
    if (auto* other = dynamic_cast<const TwwADOIntl*>(Source)) {
        useLocateWhenFindingValue_ = other->useLocateWhenFindingValue_;
        return;
    }
    TPersistent::Assign(Source);
}
