// The writer of the same text form as dfmreader.h: the root, then every component it owns,
// nested by parentage. Only stored values that differ from the declared defaults are written.
#pragma once

#include <QString>

class TComponent;

QString WriteComponentText(const TComponent* Root);
