#include "app/units.h"

#include "common/wwintl.h"
#include "navigator/wwnavglyphs.h"

std::vector<TUnit*> RaveldaUnits() {
    return {&WwIntlUnit(), &WwDBNavigatorUnit()};
}
