#pragma once
// Horizontal alignment of a field's text (and of anything else that aligns text in a cell).
#include <QtGlobal>

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
