// The arithmetic of column widths: characters to pixels for a column's data and title, and the
// display width that a column dragged to some pixel width stands for. Plain functions of the
// font measurements, no window.
#pragma once

#include <QString>
#include <functional>

namespace wwColumnWidths {

// The pixel width of a column showing DisplayWidth characters of a font whose "0" is
// ZeroWidth pixels wide: the characters and a margin of 4.
int DataWidth(int ZeroWidth, int DisplayWidth);
// The pixel width a title needs: 4 more than its widest line ("~" separates lines; the scan
// stops at the first empty line), measured in the title font by TextWidth.
int TitleWidth(const QString& Title, const std::function<int(const QString&)>& TextWidth);
// The display width (characters) of a column the operator dragged to Pixels, rounded so that
// the column snaps back to the nearest DataWidth at or below it.
int DisplayWidthFromPixels(int Pixels, int ZeroWidth);

} // namespace wwColumnWidths
