// The button styles' stems and groups, and the navigator's enumerations by identifier.
#include "navigator/wwnavstyles.h"

#include "common/wwintl.h"
#include "navigator/wwdbnavigator.h"
#include "platform/properties.h"

#include <array>

namespace {
// In style order: the glyph list's layout and the enumeration's identifiers depend on it.
constexpr std::array<const char*, nbsCustom + 1> kStems = {
    "First",        "Prior",           "Next",         "Last",
    "Insert",       "Delete",          "Edit",         "Post",
    "Cancel",       "Refresh",         "PriorPage",    "NextPage",
    "SaveBookmark", "RestoreBookmark", "FilterDialog", "RecordViewDialog",
    "LocateDialog", "SearchDialog",    "Custom"};
} // namespace

QString NavStyleStem(TwwNavButtonStyle Style) {
    const int i = static_cast<int>(Style);
    if (i < 0 || i > nbsCustom) return QString();
    return QString::fromLatin1(kStems[static_cast<std::size_t>(i)]);
}

bool IsRepeatStyle(TwwNavButtonStyle Style) {
    switch (Style) {
    case nbsFirst:
    case nbsPrior:
    case nbsNext:
    case nbsLast:
    case nbsPriorPage:
    case nbsNextPage:
        return true;
    default:
        return false;
    }
}

bool IsDataStyle(TwwNavButtonStyle Style) {
    return Style >= nbsFirst && Style <= nbsRestoreBookmark;
}

bool IsDialogStyle(TwwNavButtonStyle Style) {
    return Style >= nbsFilterDialog && Style <= nbsSearchDialog;
}

void RegisterNavigatorEnums() {
    static const bool done = [] {
        QStringList styles;
        for (int s = nbsFirst; s <= nbsCustom; ++s)
            styles << QStringLiteral("nbs") + NavStyleStem(static_cast<TwwNavButtonStyle>(s));
        RegisterEnum<TwwNavButtonStyle>(QStringLiteral("TwwNavButtonStyle"), styles);
        RegisterEnum<TwwNavAutoSizeStyle>(QStringLiteral("TwwNavAutoSizeStyle"),
                                          {QStringLiteral("asSizeNavigator"),
                                           QStringLiteral("asSizeNavButtons"),
                                           QStringLiteral("asNone")});
        RegisterEnum<TwwNavLayout>(QStringLiteral("TwwNavLayout"),
                                   {QStringLiteral("nlHorizontal"), QStringLiteral("nlVertical")});
        RegisterEnum<TwwNavOption>(
            QStringLiteral("TwwNavOption"),
            {QStringLiteral("noConfirmDelete"), QStringLiteral("noUseInternationalText")});
        RegisterEnum<TwwUpdateCause>(
            QStringLiteral("TwwUpdateCause"),
            {QStringLiteral("ucDataChanged"), QStringLiteral("ucEditingChanged"),
             QStringLiteral("ucActiveChanged"), QStringLiteral("ucGeneral")});
        return true;
    }();
    (void)done;
}

namespace {
// Descriptions name the enumerations before any navigator class is described.
[[maybe_unused]] const bool kEnumsRegistered = (RegisterNavigatorEnums(), true);
} // namespace

QString FormatNavHint(const QString& Format, int Value) {
    // Only "%d" takes the value and "%%" gives "%"; any other text, including a stray "%",
    // stays as it is, so that a hint is never read as anything but text.
    QString out;
    out.reserve(Format.size() + 8);
    bool used = false;
    for (qsizetype i = 0; i < Format.size(); ++i) {
        const QChar c = Format[i];
        if (c == QLatin1Char('%') && i + 1 < Format.size()) {
            const QChar n = Format[i + 1];
            if (n == QLatin1Char('%')) {
                out += QLatin1Char('%');
                ++i;
                continue;
            }
            if (n == QLatin1Char('d') && !used) {
                out += QString::number(Value);
                used = true;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

const TwwDBNavigatorIntl& NavTexts() {
    if (const TwwIntl* intl = wwIntl()) return *intl->Navigator();
    static const TwwDBNavigatorIntl* defaults = new TwwDBNavigatorIntl();
    return *defaults;
}
