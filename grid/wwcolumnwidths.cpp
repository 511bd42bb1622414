#include "grid/wwcolumnwidths.h"

#include <QStringList>
#include <algorithm>

namespace wwColumnWidths {

int DataWidth(int ZeroWidth, int DisplayWidth) {
    return ZeroWidth * DisplayWidth + 4;
}

int TitleWidth(const QString& Title, const std::function<int(const QString&)>& TextWidth) {
    int widest = 0;
    for (const QString& line : Title.split(QLatin1Char('~'))) {
        if (line.isEmpty()) break;
        widest = std::max(widest, TextWidth(line));
    }
    return 4 + widest;
}

int DisplayWidthFromPixels(int Pixels, int ZeroWidth) {
    if (ZeroWidth <= 0) return 0;
    return (Pixels + std::max(0, ZeroWidth / 2 - 3) - 4) / ZeroWidth;
}

} // namespace wwColumnWidths
