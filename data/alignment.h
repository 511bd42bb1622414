#pragma once
// Horizontal alignment of a field's text (and of anything else that aligns text in a cell). It is
// the controls' TAlignment, so that a unit using both fields and controls sees one type.
#include "platform/controltypes.h"
