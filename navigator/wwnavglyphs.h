// The navigator's default glyph list: one image list of 18 x 18 images shared by every navigator
// button. For each button style s from 0 to 17 it holds the style's enabled glyph at 2s and its
// disabled glyph at 2s + 1, loaded from the resources WW_DBN_<STEM>_ENABLED and _DISABLED, with the
// colour of each bitmap's bottom-left pixel as the transparent colour.
//
// InitWwDBNavigatorUnit() builds the list at start-up; FinalizeWwDBNavigatorUnit() frees it, and
// every button that still refers to it is told (removal notice). When nobody initialised the unit,
// the first wwNavDefaultGlyphs() does it, so buttons work in tests without that step.
#pragma once

#include "platform/unit.h"

#include <QString>

class TImageList;

// The styles that have glyphs (every style but the custom one) and the glyphs' size.
constexpr int wwNavGlyphStyleCount = 18;
constexpr int wwNavGlyphSize = 18;

// A style's stem as its enumeration value names it without the "nbs" prefix ("PriorPage"); empty
// outside 0 to 17.
QString wwNavGlyphStem(int Style);
// "WW_DBN_" + the stem in upper case + "_ENABLED" or "_DISABLED"; empty outside 0 to 17.
QString wwNavGlyphResourceName(int Style, bool Enabled);

// The shared list, or nullptr once the unit has been finalised.
TImageList* wwNavDefaultGlyphs();
// The navigator's unit: initialising builds the list unless it exists (EResNotFound or
// EInvalidGraphic when a glyph resource is missing or unreadable, the list then left unbuilt);
// finalising frees it, and a later initialisation builds a new one.
TUnit& WwDBNavigatorUnit();
void InitWwDBNavigatorUnit();
void FinalizeWwDBNavigatorUnit();
