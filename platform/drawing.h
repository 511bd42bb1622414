// The classic drawing calls of the windowing system, on a canvas: frame controls, edges, text
// with format flags and the dotted focus rectangle. Flags keep their classic values.
#pragma once

#include "platform/color.h"
#include "platform/graphics.h"

#include <QString>

class TCanvas;

// ---- DrawEdge
constexpr unsigned BDR_RAISEDOUTER = 0x0001;
constexpr unsigned BDR_SUNKENOUTER = 0x0002;
constexpr unsigned BDR_RAISEDINNER = 0x0004;
constexpr unsigned BDR_SUNKENINNER = 0x0008;
constexpr unsigned BDR_OUTER = 0x0003;
constexpr unsigned BDR_INNER = 0x000C;
constexpr unsigned BDR_RAISED = 0x0005;
constexpr unsigned BDR_SUNKEN = 0x000A;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;

constexpr unsigned BF_LEFT = 0x0001;
constexpr unsigned BF_TOP = 0x0002;
constexpr unsigned BF_RIGHT = 0x0004;
constexpr unsigned BF_BOTTOM = 0x0008;
constexpr unsigned BF_TOPLEFT = BF_TOP | BF_LEFT;
constexpr unsigned BF_TOPRIGHT = BF_TOP | BF_RIGHT;
constexpr unsigned BF_BOTTOMLEFT = BF_BOTTOM | BF_LEFT;
constexpr unsigned BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT;
constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr unsigned BF_DIAGONAL = 0x0010;
constexpr unsigned BF_MIDDLE = 0x0800;
constexpr unsigned BF_SOFT = 0x1000;
constexpr unsigned BF_ADJUST = 0x2000;
constexpr unsigned BF_FLAT = 0x4000;
constexpr unsigned BF_MONO = 0x8000;

// Draws up to two one-pixel rings (outer, inner) on the chosen sides. Top and left take the
// ring's light colour and stop one pixel short of a drawn right or bottom side, which owns the
// corners. BF_MIDDLE fills the inside with the button face (the window colour with BF_MONO);
// BF_ADJUST shrinks r by the rings drawn. BF_DIAGONAL is not supported (returns false).
bool DrawEdge(TCanvas& canvas, TRect& r, unsigned edge, unsigned flags);

// ---- DrawFrameControl
constexpr unsigned DFC_CAPTION = 1;
constexpr unsigned DFC_MENU = 2;
constexpr unsigned DFC_SCROLL = 3;
constexpr unsigned DFC_BUTTON = 4;

constexpr unsigned DFCS_BUTTONCHECK = 0x0000;
constexpr unsigned DFCS_BUTTONRADIOIMAGE = 0x0001;
constexpr unsigned DFCS_BUTTONRADIOMASK = 0x0002;
constexpr unsigned DFCS_BUTTONRADIO = 0x0004;
constexpr unsigned DFCS_BUTTON3STATE = 0x0008;
constexpr unsigned DFCS_BUTTONPUSH = 0x0010;

constexpr unsigned DFCS_SCROLLUP = 0x0000;
constexpr unsigned DFCS_SCROLLDOWN = 0x0001;
constexpr unsigned DFCS_SCROLLLEFT = 0x0002;
constexpr unsigned DFCS_SCROLLRIGHT = 0x0003;
constexpr unsigned DFCS_SCROLLCOMBOBOX = 0x0005;

constexpr unsigned DFCS_INACTIVE = 0x0100;
constexpr unsigned DFCS_PUSHED = 0x0200;
constexpr unsigned DFCS_CHECKED = 0x0400;
constexpr unsigned DFCS_TRANSPARENT = 0x0800;
constexpr unsigned DFCS_HOT = 0x1000;
constexpr unsigned DFCS_ADJUSTRECT = 0x2000;
constexpr unsigned DFCS_FLAT = 0x4000;
constexpr unsigned DFCS_MONO = 0x8000;

// DFC_BUTTON (push buttons, check boxes, radio buttons) and DFC_SCROLL (arrow buttons).
// A push button is a soft raised edge over the face (sunken when pushed or checked; a one-pixel
// shadow frame with DFCS_FLAT); DFCS_ADJUSTRECT leaves r as the inside (2 pixels in). A check
// box is a 13-pixel square centred in r. Returns false for a type it does not draw.
bool DrawFrameControl(TCanvas& canvas, TRect& r, unsigned type, unsigned state);

// ---- DrawText
constexpr unsigned DT_TOP = 0x00000000;
constexpr unsigned DT_LEFT = 0x00000000;
constexpr unsigned DT_CENTER = 0x00000001;
constexpr unsigned DT_RIGHT = 0x00000002;
constexpr unsigned DT_VCENTER = 0x00000004;
constexpr unsigned DT_BOTTOM = 0x00000008;
constexpr unsigned DT_WORDBREAK = 0x00000010;
constexpr unsigned DT_SINGLELINE = 0x00000020;
constexpr unsigned DT_EXPANDTABS = 0x00000040;
constexpr unsigned DT_TABSTOP = 0x00000080;
constexpr unsigned DT_NOCLIP = 0x00000100;
constexpr unsigned DT_EXTERNALLEADING = 0x00000200;
constexpr unsigned DT_CALCRECT = 0x00000400;
constexpr unsigned DT_NOPREFIX = 0x00000800;
constexpr unsigned DT_INTERNAL = 0x00001000;
constexpr unsigned DT_EDITCONTROL = 0x00002000;
constexpr unsigned DT_PATH_ELLIPSIS = 0x00004000;
constexpr unsigned DT_END_ELLIPSIS = 0x00008000;
constexpr unsigned DT_MODIFYSTRING = 0x00010000;
constexpr unsigned DT_RTLREADING = 0x00020000;
constexpr unsigned DT_WORD_ELLIPSIS = 0x00040000;
constexpr unsigned DT_NOFULLWIDTHCHARBREAK = 0x00080000;
constexpr unsigned DT_HIDEPREFIX = 0x00100000;
constexpr unsigned DT_PREFIXONLY = 0x00200000;

struct DRAWTEXTPARAMS {
    int iTabLength = 0; // in average character widths; 0: the default of 8
    int iLeftMargin = 0;
    int iRightMargin = 0;
    int uiLengthDrawn = 0; // out: characters processed
};

// Draws (or with DT_CALCRECT measures) text in r with the canvas's font, in the font's colour,
// on the brush colour unless the brush is clear. "&x" underlines x and "&&" is "&" unless
// DT_NOPREFIX. DT_VCENTER and DT_BOTTOM apply to single lines. Word breaks happen at spaces; a
// word wider than the rectangle is not split (DT_EDITCONTROL splits it). DT_END_ELLIPSIS and
// DT_WORD_ELLIPSIS shorten lines that do not fit and end them with "...". Without DT_NOCLIP
// drawing stays inside r. DT_CALCRECT sets r's right and bottom to the text's extent (keeping
// the width when word breaks apply) and draws nothing. Returns the text height (with DT_VCENTER
// or DT_BOTTOM the offset from r's top to the text's bottom). Empty text counts as one line.
int DrawText(TCanvas& canvas, const QString& text, TRect& r, unsigned format);
int DrawTextEx(TCanvas& canvas, const QString& text, TRect& r, unsigned format,
               DRAWTEXTPARAMS* params);

// The dotted focus rectangle: every other pixel of r's one-pixel border inverted, so drawing it
// twice removes it.
void DrawFocusRect(TCanvas& canvas, const TRect& r);

// Two-colour frame of the given width (top-left TopColor, bottom-right BottomColor), r shrinks
// to the inside.
void Frame3D(TCanvas& canvas, TRect& r, TColor TopColor, TColor BottomColor, int Width);

// Inverts the colours inside r.
void InvertRect(TCanvas& canvas, const TRect& r);
