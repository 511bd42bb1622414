#include "navigator/wwnavglyphs.h"

#include "platform/bitmap.h"
#include "platform/imagelist.h"
#include "platform/resources.h"

#include <array>
#include <memory>

namespace {

// In style order: the image list's layout depends on it.
constexpr std::array<const char*, wwNavGlyphStyleCount> kStems = {
    "First",        "Prior",           "Next",         "Last",
    "Insert",       "Delete",          "Edit",         "Post",
    "Cancel",       "Refresh",         "PriorPage",    "NextPage",
    "SaveBookmark", "RestoreBookmark", "FilterDialog", "RecordViewDialog",
    "LocateDialog", "SearchDialog"};

TImageList* defaultGlyphs = nullptr;

std::unique_ptr<TImageList> BuildList() {
    auto list = std::make_unique<TImageList>(wwNavGlyphSize, wwNavGlyphSize);
    for (int style = 0; style < wwNavGlyphStyleCount; ++style) {
        for (const bool enabled : {true, false}) {
            const std::unique_ptr<TBitmap> glyph =
                LoadBitmapResource(wwNavGlyphResourceName(style, enabled));
            list->AddMasked(*glyph, clDefault);
        }
    }
    return list;
}

} // namespace

QString wwNavGlyphStem(int Style) {
    if (Style < 0 || Style >= wwNavGlyphStyleCount) return {};
    return QString::fromLatin1(kStems[static_cast<std::size_t>(Style)]);
}

QString wwNavGlyphResourceName(int Style, bool Enabled) {
    const QString stem = wwNavGlyphStem(Style);
    if (stem.isEmpty()) return {};
    return QStringLiteral("WW_DBN_") + stem.toUpper() +
           (Enabled ? QStringLiteral("_ENABLED") : QStringLiteral("_DISABLED"));
}

TUnit& WwDBNavigatorUnit() {
    static TUnit unit(
        [] {
            if (!defaultGlyphs) defaultGlyphs = BuildList().release();
        },
        [] {
            // The list's removal notices clear the buttons' references to it.
            delete defaultGlyphs;
            defaultGlyphs = nullptr;
        });
    return unit;
}

TImageList* wwNavDefaultGlyphs() {
    WwDBNavigatorUnit().Touch();
    return defaultGlyphs;
}

void InitWwDBNavigatorUnit() {
    WwDBNavigatorUnit().Initialize();
}

void FinalizeWwDBNavigatorUnit() {
    WwDBNavigatorUnit().Finalize();
}
