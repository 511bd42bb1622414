// The small enumerations that controls share with the layers above them (a field's alignment is
// a control's), apart from the control hierarchy so that using one needs none of it.
#pragma once

#include "platform/sets.h"

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
// Border styles of windows: controls use bsNone and bsSingle, forms all of them.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;
