// The classic faces the stored layouts were made with ("MS Sans Serif", "Tahoma", ...), taken
// from Debian's fonts-wine and registered with Qt once per process.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// Where fonts-wine installs its faces.
QString ClassicFontFolder();

// Registers every TrueType face of the folder (the default folder when empty) with Qt's
// application font database. The first call does the work; later calls return its result.
// Returns the families registered. Without the folder it warns once that the nearest installed
// faces will be used. Needs a QGuiApplication.
QStringList RegisterClassicFonts(const QString& folder = QString());

// True when the family can be drawn with its own face. Otherwise warns once per family that Qt's
// nearest face stands in.
bool EnsureFontFamily(const QString& family);

// The average character width in pixels (tab stops, dialog units). Faces without a usable
// average in their tables (bitmap-only faces report font units) measure "x" instead.
int AverageCharWidth(const QFont& font);
