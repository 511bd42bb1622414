#include "platform/fonts.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QSet>
#include <QtGlobal>
#include <mutex>

namespace {

struct FontState {
    std::once_flag once;
    QStringList families;
    QSet<QString> warned;
};

FontState& State() {
    static FontState state;
    return state;
}

} // namespace

QString ClassicFontFolder() {
    return QStringLiteral("/usr/share/wine/fonts");
}

QStringList RegisterClassicFonts(const QString& folder) {
    FontState& state = State();
    std::call_once(state.once, [&] {
        const QDir dir(folder.isEmpty() ? ClassicFontFolder() : folder);
        const QStringList files =
            dir.entryList({QStringLiteral("*.ttf"), QStringLiteral("*.TTF")}, QDir::Files);
        for (const QString& file : files) {
            const int id = QFontDatabase::addApplicationFont(dir.filePath(file));
            if (id < 0) continue;
            for (const QString& family : QFontDatabase::applicationFontFamilies(id))
                if (!state.families.contains(family)) state.families << family;
        }
        if (state.families.isEmpty())
            qWarning("No classic fonts in %s (Debian package fonts-wine): the nearest installed "
                     "faces stand in, so texts may not fit the stored layouts.",
                     qPrintable(dir.absolutePath()));
    });
    return state.families;
}

bool EnsureFontFamily(const QString& family) {
    RegisterClassicFonts();
    if (QFontDatabase::hasFamily(family)) return true;
    FontState& state = State();
    if (!state.warned.contains(family)) {
        state.warned.insert(family);
        qWarning("Font \"%s\" is not installed: the nearest face stands in.", qPrintable(family));
    }
    return false;
}

int AverageCharWidth(const QFont& font) {
    const QFontMetrics fm(font);
    const int avg = fm.averageCharWidth();
    if (avg > 0 && avg <= fm.maxWidth()) return avg;
    return fm.horizontalAdvance(QLatin1Char('x'));
}
