// Helpers shared by the navigator's source files.
#pragma once

#include <QString>

// Registers the navigator's enumerations by identifier (once).
void RegisterNavigatorEnums();
// A page hint: Format with its "%d" replaced by Value ("%%" gives "%"). A hint that has no
// placeholder left comes back unchanged.
QString FormatNavHint(const QString& Format, int Value);
