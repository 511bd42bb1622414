#include "common/wwintl_richedit.h"

namespace {
const TwwIntlTextDef kMenuLabels[] = {WWINTL_RICHEDIT_MENU_LABELS(WWINTL_TEXT_DEF)};
const TwwIntlTextDef kPopupMenuLabels[] = {WWINTL_RICHEDIT_POPUP_MENU_LABELS(WWINTL_TEXT_DEF)};
const TwwIntlTextDef kParagraphDialogTexts[] = {
    WWINTL_RICHEDIT_PARAGRAPH_DIALOG_TEXTS(WWINTL_TEXT_DEF)};
const TwwIntlTextDef kTabDialogTexts[] = {WWINTL_RICHEDIT_TAB_DIALOG_TEXTS(WWINTL_TEXT_DEF)};
const TwwIntlTextDef kRichEditTexts[] = {WWINTL_RICHEDIT_TEXTS(WWINTL_TEXT_DEF)};

template <class T, size_t N> constexpr int CountOf(const T (&)[N]) {
    return static_cast<int>(N);
}
} // namespace

// ---- Menus

RAVELDA_DEFINE_CLASS(TwwRichEditMenuLabels) {
    DescribeIntlTexts(c, kMenuLabels, CountOf(kMenuLabels));
}
TwwRichEditMenuLabels::TwwRichEditMenuLabels(TPersistent* Owner)
    : TwwIntlTextGroup(Owner, kMenuLabels, CountOf(kMenuLabels)) {}
TwwRichEditMenuLabels::~TwwRichEditMenuLabels() = default;

RAVELDA_DEFINE_CLASS(TwwRichEditPopupMenuLabels) {
    DescribeIntlTexts(c, kPopupMenuLabels, CountOf(kPopupMenuLabels));
}
TwwRichEditPopupMenuLabels::TwwRichEditPopupMenuLabels(TPersistent* Owner)
    : TwwIntlTextGroup(Owner, kPopupMenuLabels, CountOf(kPopupMenuLabels)) {}
TwwRichEditPopupMenuLabels::~TwwRichEditPopupMenuLabels() = default;

// ---- Dialogs

RAVELDA_DEFINE_CLASS(TwwRichEditParagraphDialogIntl) {
    DescribeIntlTexts(c, kParagraphDialogTexts, CountOf(kParagraphDialogTexts));
    c.Property("HelpContext", &TwwRichEditParagraphDialogIntl::HelpContext,
               &TwwRichEditParagraphDialogIntl::SetHelpContext)
        .Default(0);
}
TwwRichEditParagraphDialogIntl::TwwRichEditParagraphDialogIntl(TPersistent* Owner)
    : TwwIntlTextGroup(Owner, kParagraphDialogTexts, CountOf(kParagraphDialogTexts)) {}
TwwRichEditParagraphDialogIntl::~TwwRichEditParagraphDialogIntl() = default;

void TwwRichEditParagraphDialogIntl::Assign(const TPersistent* Source) {
    if (AssignTexts(Source)) {
        helpContext_ = static_cast<const TwwRichEditParagraphDialogIntl*>(Source)->helpContext_;
        return;
    }
    TPersistent::Assign(Source);
}

RAVELDA_DEFINE_CLASS(TwwRichEditTabDialogIntl) {
    DescribeIntlTexts(c, kTabDialogTexts, CountOf(kTabDialogTexts));
    c.Property("HelpContext", &TwwRichEditTabDialogIntl::HelpContext,
               &TwwRichEditTabDialogIntl::SetHelpContext)
        .Default(0);
}
TwwRichEditTabDialogIntl::TwwRichEditTabDialogIntl(TPersistent* Owner)
    : TwwIntlTextGroup(Owner, kTabDialogTexts, CountOf(kTabDialogTexts)) {}
TwwRichEditTabDialogIntl::~TwwRichEditTabDialogIntl() = default;

void TwwRichEditTabDialogIntl::Assign(const TPersistent* Source) {
    if (AssignTexts(Source)) {
        helpContext_ = static_cast<const TwwRichEditTabDialogIntl*>(Source)->helpContext_;
        return;
    }
    TPersistent::Assign(Source);
}

// ---- The editor

RAVELDA_DEFINE_CLASS(TwwDBRichEditIntl) {
    DescribeIntlTexts(c, kRichEditTexts, CountOf(kRichEditTexts));
    c.Property("MenuLabels", &TwwDBRichEditIntl::MenuLabels);
    c.Property("PopupMenuLabels", &TwwDBRichEditIntl::PopupMenuLabels);
    c.Property("ParagraphDialog", &TwwDBRichEditIntl::ParagraphDialog);
    c.Property("TabDialog", &TwwDBRichEditIntl::TabDialog);
}

TwwDBRichEditIntl::TwwDBRichEditIntl(TPersistent* Owner)
    : TwwIntlTextGroup(Owner, kRichEditTexts, CountOf(kRichEditTexts)),
      menuLabels_(std::make_unique<TwwRichEditMenuLabels>(this)),
      popupMenuLabels_(std::make_unique<TwwRichEditPopupMenuLabels>(this)),
      paragraphDialog_(std::make_unique<TwwRichEditParagraphDialogIntl>(this)),
      tabDialog_(std::make_unique<TwwRichEditTabDialogIntl>(this)) {}

TwwDBRichEditIntl::~TwwDBRichEditIntl() = default;

void TwwDBRichEditIntl::Assign(const TPersistent* Source) {
    if (AssignTexts(Source)) {
        auto* other = static_cast<const TwwDBRichEditIntl*>(Source);
        menuLabels_->Assign(other->MenuLabels());
        popupMenuLabels_->Assign(other->PopupMenuLabels());
        paragraphDialog_->Assign(other->ParagraphDialog());
        tabDialog_->Assign(other->TabDialog());
        return;
    }
    TPersistent::Assign(Source);
}
