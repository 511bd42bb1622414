#include "common/wwintl_filter.h"

#include <iterator>

namespace {
const TwwIntlTextDef kFilterDialogTexts[] = {WWINTL_FILTER_DIALOG_TEXTS(WWINTL_TEXT_DEF)};
constexpr int kFilterDialogCount = static_cast<int>(std::size(kFilterDialogTexts));
} // namespace

RAVELDA_DEFINE_CLASS(TwwFilterDialogIntl) {
    DescribeIntlTexts(c, kFilterDialogTexts, kFilterDialogCount);
}

TwwFilterDialogIntl::TwwFilterDialogIntl(TPersistent* Owner)
    : TwwIntlTextGroup(Owner, kFilterDialogTexts, kFilterDialogCount) {}

TwwFilterDialogIntl::~TwwFilterDialogIntl() = default;
