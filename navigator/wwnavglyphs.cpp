#include "navigator/wwnavglyphs.h"

#include "navigator/wwdbnavigator.h"
#include "platform/bitmap.h"
#include "platform/imagelist.h"
#include "platform/resources.h"

#include <memory>

namespace {

// The glyph styles are the button styles before the custom one, in the same order.
static_assert(wwNavGlyphStyleCount == nbsCustom);

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
    return NavStyleStem(static_cast<TwwNavButtonStyle>(Style));
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
