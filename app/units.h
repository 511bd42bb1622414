// The program's units in their start-up order: the one list start-up and the tests use.
#pragma once

#include "platform/unit.h"

#include <vector>

// The texts unit first, so that everything that shows text finds the global instance; then the
// navigator's, which loads the buttons' glyphs into their shared list.
std::vector<TUnit*> RaveldaUnits();
