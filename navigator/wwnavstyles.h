// Helpers shared by the navigator's source files.
#pragma once

#include <QString>

class TwwDBNavigatorIntl;

// Registers the navigator's enumerations by identifier (once).
void RegisterNavigatorEnums();
// A page hint: Format with its "%d" replaced by Value ("%%" gives "%"). A hint that has no
// placeholder left comes back unchanged.
QString FormatNavHint(const QString& Format, int Value);
// The navigator's texts: the global texts object's, or the built-in defaults once it is gone (a
// navigator that outlives the texts unit still has hints and a delete question).
const TwwDBNavigatorIntl& NavTexts();
