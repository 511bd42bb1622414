// The default glyph list of the navigator's buttons: 18 x 18 images shared by every navigator,
// style s with its enabled glyph at 2s and its disabled glyph at 2s + 1.
#pragma once

class TImageList;

TImageList& NavDefaultGlyphs();
