#include "platform/bitmap.h"
#include "platform/drawing.h"
#include "platform/fonts.h"
#include "tests/platform/visual_support.h"

#include <QFile>
#include <gtest/gtest.h>

using ravelda::test::At;
using ravelda::test::Sys;

namespace {

class DrawingTest : public ::testing::Test {
protected:
    DrawingTest() : bmp(200, 40) { Clear(clFuchsia); }
    void Clear(TColor c) {
        const TBrushStyle style = canvas().Brush()->Style();
        canvas().Brush()->SetColor(c);
        canvas().Brush()->SetStyle(bsSolid);
        canvas().FillRect(Rect(0, 0, bmp.Width(), bmp.Height()));
        canvas().Brush()->SetStyle(style);
    }
    TCanvas& canvas() { return *bmp.Canvas(); }
    TColor at(int x, int y) { return At(bmp, x, y); }
    // Columns in [x0, x1) of row band [y0, y1) that hold a pixel of colour c.
    std::pair<int, int> InkColumns(int x0, int x1, int y0, int y1, TColor c) {
        int first = -1;
        int last = -1;
        for (int x = x0; x < x1; ++x)
            for (int y = y0; y < y1; ++y)
                if (at(x, y) == c) {
                    if (first < 0) first = x;
                    last = x;
                }
        return {first, last};
    }
    std::pair<int, int> InkRows(int x0, int x1, int y0, int y1, TColor c) {
        int first = -1;
        int last = -1;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (at(x, y) == c) {
                    if (first < 0) first = y;
                    last = y;
                    break;
                }
        return {first, last};
    }
    TBitmap bmp;
};

struct EdgeCase {
    const char* name;
    unsigned edge;
    unsigned flags;
    TColor outerTopLeft, outerBottomRight, innerTopLeft, innerBottomRight;
};

const EdgeCase kEdges[] = {
    {"raised", EDGE_RAISED, BF_RECT, cl3DLight, cl3DDkShadow, clBtnHighlight, clBtnShadow},
    {"raised soft", EDGE_RAISED, BF_RECT | BF_SOFT, clBtnHighlight, cl3DDkShadow, cl3DLight,
     clBtnShadow},
    {"sunken", EDGE_SUNKEN, BF_RECT, clBtnShadow, clBtnHighlight, cl3DDkShadow, cl3DLight},
    {"sunken soft", EDGE_SUNKEN, BF_RECT | BF_SOFT, cl3DDkShadow, clBtnHighlight, clBtnShadow,
     cl3DLight},
    {"etched", EDGE_ETCHED, BF_RECT, clBtnShadow, clBtnHighlight, clBtnHighlight, clBtnShadow},
    {"bump", EDGE_BUMP, BF_RECT, cl3DLight, cl3DDkShadow, cl3DDkShadow, cl3DLight},
    {"flat", EDGE_RAISED, BF_RECT | BF_FLAT, clBtnShadow, clBtnShadow, clBtnFace, clBtnFace},
    {"mono", EDGE_SUNKEN, BF_RECT | BF_MONO, clWindowFrame, clWindowFrame, clWindow, clWindow},
};

} // namespace

TEST_F(DrawingTest, EdgesPaintTheirRingsInTheClassicColours) {
    for (const EdgeCase& c : kEdges) {
        Clear(clFuchsia);
        TRect r = Rect(2, 2, 12, 10);
        ASSERT_TRUE(DrawEdge(canvas(), r, c.edge, c.flags)) << c.name;
        EXPECT_EQ(r, Rect(2, 2, 12, 10)) << c.name << ": moved without BF_ADJUST";
        EXPECT_EQ(at(2, 2), Sys(c.outerTopLeft)) << c.name;
        EXPECT_EQ(at(10, 2), Sys(c.outerTopLeft)) << c.name;
        EXPECT_EQ(at(2, 8), Sys(c.outerTopLeft)) << c.name;
        EXPECT_EQ(at(11, 9), Sys(c.outerBottomRight)) << c.name;
        // The bottom and right sides own the corners they share with top and left.
        EXPECT_EQ(at(11, 2), Sys(c.outerBottomRight)) << c.name;
        EXPECT_EQ(at(2, 9), Sys(c.outerBottomRight)) << c.name;
        EXPECT_EQ(at(3, 3), Sys(c.innerTopLeft)) << c.name;
        EXPECT_EQ(at(10, 8), Sys(c.innerBottomRight)) << c.name;
        EXPECT_EQ(at(10, 3), Sys(c.innerBottomRight)) << c.name;
        // Without BF_MIDDLE the inside and the outside are left alone.
        EXPECT_EQ(at(5, 5), clFuchsia) << c.name;
        EXPECT_EQ(at(1, 1), clFuchsia) << c.name;
        EXPECT_EQ(at(12, 10), clFuchsia) << c.name;
    }
}

TEST_F(DrawingTest, EdgeSidesMiddleAndAdjust) {
    TRect r = Rect(0, 0, 10, 10);
    DrawEdge(canvas(), r, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE | BF_ADJUST);
    EXPECT_EQ(r, Rect(1, 1, 9, 9));
    EXPECT_EQ(at(0, 0), Sys(clBtnHighlight));
    EXPECT_EQ(at(9, 9), Sys(clBtnShadow));
    EXPECT_EQ(at(5, 5), Sys(clBtnFace));

    Clear(clFuchsia);
    r = Rect(0, 0, 10, 10);
    DrawEdge(canvas(), r, EDGE_SUNKEN, BF_TOP | BF_LEFT | BF_ADJUST);
    EXPECT_EQ(r, Rect(2, 2, 10, 10));
    // Without a right side the top line runs to the right edge.
    EXPECT_EQ(at(9, 0), Sys(clBtnShadow));
    EXPECT_EQ(at(9, 9), clFuchsia);

    Clear(clFuchsia);
    r = Rect(0, 0, 10, 10);
    DrawEdge(canvas(), r, BDR_SUNKENOUTER, BF_BOTTOM | BF_ADJUST);
    EXPECT_EQ(r, Rect(0, 0, 10, 9));
    EXPECT_EQ(at(0, 9), Sys(clBtnHighlight));
    EXPECT_EQ(at(0, 0), clFuchsia);

    r = Rect(0, 0, 10, 10);
    EXPECT_FALSE(DrawEdge(canvas(), r, EDGE_RAISED, BF_DIAGONAL | BF_RECT));
}

TEST_F(DrawingTest, PushButtonFrames) {
    struct Case {
        const char* name;
        unsigned state;
        TColor outerTL, innerTL, innerBR, outerBR;
    } cases[] = {
        {"up", DFCS_BUTTONPUSH, clBtnHighlight, cl3DLight, clBtnShadow, cl3DDkShadow},
        {"pushed", DFCS_BUTTONPUSH | DFCS_PUSHED, cl3DDkShadow, clBtnShadow, cl3DLight,
         clBtnHighlight},
        {"flat", DFCS_BUTTONPUSH | DFCS_FLAT, clBtnShadow, clBtnFace, clBtnFace, clBtnShadow},
    };
    for (const Case& c : cases) {
        Clear(clFuchsia);
        TRect r = Rect(0, 0, 25, 25);
        ASSERT_TRUE(DrawFrameControl(canvas(), r, DFC_BUTTON, c.state | DFCS_ADJUSTRECT));
        EXPECT_EQ(r, Rect(2, 2, 23, 23)) << c.name;
        EXPECT_EQ(at(0, 0), Sys(c.outerTL)) << c.name;
        EXPECT_EQ(at(1, 1), Sys(c.innerTL)) << c.name;
        EXPECT_EQ(at(23, 23), Sys(c.innerBR)) << c.name;
        EXPECT_EQ(at(24, 24), Sys(c.outerBR)) << c.name;
        // The face is filled.
        EXPECT_EQ(at(12, 12), Sys(clBtnFace)) << c.name;
    }
    // Without DFCS_ADJUSTRECT the rectangle stays.
    TRect r = Rect(0, 0, 25, 25);
    DrawFrameControl(canvas(), r, DFC_BUTTON, DFCS_BUTTONPUSH);
    EXPECT_EQ(r, Rect(0, 0, 25, 25));
    EXPECT_FALSE(DrawFrameControl(canvas(), r, DFC_CAPTION, 0));
}

TEST_F(DrawingTest, CheckBoxes) {
    struct Case {
        const char* name;
        unsigned state;
        TColor inside;
        TColor mark; // clNone: no mark
    } cases[] = {
        {"unchecked", DFCS_BUTTONCHECK, clWindow, clNone},
        {"checked", DFCS_BUTTONCHECK | DFCS_CHECKED, clWindow, clWindowText},
        {"inactive", DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE, clBtnFace, clBtnShadow},
        {"pushed", DFCS_BUTTONCHECK | DFCS_PUSHED, clBtnFace, clNone},
    };
    for (const Case& c : cases) {
        Clear(clFuchsia);
        // A 13-pixel box centred in 17 x 17 starts at (2, 2); its inside is (4, 4)-(13, 13).
        TRect r = Rect(0, 0, 17, 17);
        ASSERT_TRUE(DrawFrameControl(canvas(), r, DFC_BUTTON, c.state));
        EXPECT_EQ(at(2, 2), Sys(clBtnShadow)) << c.name;
        EXPECT_EQ(at(3, 3), Sys(cl3DDkShadow)) << c.name;
        EXPECT_EQ(at(14, 14), Sys(clBtnHighlight)) << c.name;
        EXPECT_EQ(at(1, 1), clFuchsia) << c.name;
        EXPECT_EQ(at(4, 4), Sys(c.inside)) << c.name;
        int marked = 0;
        for (int y = 4; y < 13; ++y)
            for (int x = 4; x < 13; ++x)
                marked += c.mark != clNone && at(x, y) == Sys(c.mark);
        EXPECT_EQ(marked, c.mark == clNone ? 0 : 21) << c.name;
    }
}

TEST_F(DrawingTest, ScrollArrowsPointTheirWay) {
    TRect r = Rect(0, 0, 16, 16);
    ASSERT_TRUE(DrawFrameControl(canvas(), r, DFC_SCROLL, DFCS_SCROLLDOWN));
    const TColor ink = Sys(clBtnText);
    const auto rows = InkRows(2, 14, 2, 14, ink);
    ASSERT_GE(rows.first, 0);
    // Widest row on top for a down arrow.
    const auto top = InkColumns(2, 14, rows.first, rows.first + 1, ink);
    const auto bottom = InkColumns(2, 14, rows.second, rows.second + 1, ink);
    EXPECT_GT(top.second - top.first, bottom.second - bottom.first);
    EXPECT_EQ(bottom.first, bottom.second);
}

TEST_F(DrawingTest, FocusRectangleInvertsEveryOtherBorderPixel) {
    Clear(clBtnFace);
    const TRect r = Rect(2, 2, 12, 9);
    DrawFocusRect(canvas(), r);
    const TColor inverted = RGB(63, 63, 63);
    EXPECT_EQ(at(2, 2), inverted);
    EXPECT_EQ(at(3, 2), Sys(clBtnFace));
    EXPECT_EQ(at(4, 2), inverted);
    EXPECT_EQ(at(2, 4), inverted);
    EXPECT_EQ(at(2, 3), Sys(clBtnFace));
    EXPECT_EQ(at(11, 3), inverted);
    EXPECT_EQ(at(5, 5), Sys(clBtnFace));
    EXPECT_EQ(at(12, 2), Sys(clBtnFace));
    // Drawing it again removes it.
    DrawFocusRect(canvas(), r);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 14; ++x)
            ASSERT_EQ(at(x, y), Sys(clBtnFace)) << x << "," << y;
}

class DrawTextTest : public DrawingTest {
protected:
    DrawTextTest() {
        Clear(clWhite);
        canvas().Font()->SetColor(clBlack);
        canvas().Brush()->SetStyle(bsClear);
    }
    int draw(const QString& text, TRect r, unsigned format) {
        return DrawText(canvas(), text, r, format);
    }
};

TEST_F(DrawTextTest, HorizontalAlignment) {
    const QString text = QStringLiteral("II");
    const int w = canvas().TextWidth(text);
    struct Case {
        unsigned format;
        int left; // where the text cell starts
    } cases[] = {{DT_LEFT, 0}, {DT_CENTER, (40 - w) / 2}, {DT_RIGHT, 40 - w}};
    const auto ref = [&] {
        Clear(clWhite);
        draw(text, Rect(0, 0, 40, 15), DT_LEFT | DT_SINGLELINE);
        return InkColumns(0, 40, 0, 15, clBlack);
    }();
    ASSERT_GE(ref.first, 0);
    for (const Case& c : cases) {
        Clear(clWhite);
        EXPECT_EQ(draw(text, Rect(0, 0, 40, 15), c.format | DT_SINGLELINE), 13);
        const auto ink = InkColumns(0, 40, 0, 15, clBlack);
        EXPECT_EQ(ink.first, ref.first + c.left) << c.format;
        EXPECT_EQ(ink.second, ref.second + c.left) << c.format;
    }
}

TEST_F(DrawTextTest, VerticalPlacementOfASingleLine) {
    const auto top = [&] {
        Clear(clWhite);
        draw(QStringLiteral("H"), Rect(0, 0, 40, 30), DT_SINGLELINE);
        return InkRows(0, 40, 0, 30, clBlack);
    }();
    Clear(clWhite);
    EXPECT_EQ(draw(QStringLiteral("H"), Rect(0, 0, 40, 30), DT_SINGLELINE | DT_VCENTER),
              (30 - 13) / 2 + 13);
    EXPECT_EQ(InkRows(0, 40, 0, 30, clBlack).first, top.first + (30 - 13) / 2);
    Clear(clWhite);
    EXPECT_EQ(draw(QStringLiteral("H"), Rect(0, 0, 40, 30), DT_SINGLELINE | DT_BOTTOM), 30);
    EXPECT_EQ(InkRows(0, 40, 0, 30, clBlack).first, top.first + 30 - 13);
    // Without DT_SINGLELINE the vertical flags do nothing.
    Clear(clWhite);
    draw(QStringLiteral("H"), Rect(0, 0, 40, 30), DT_VCENTER);
    EXPECT_EQ(InkRows(0, 40, 0, 30, clBlack).first, top.first);
}

TEST_F(DrawTextTest, CalcRectMeasuresWithoutDrawing) {
    const QString text = QStringLiteral("Tabella Anno");
    TRect r = Rect(5, 5, 6, 6);
    EXPECT_EQ(DrawText(canvas(), text, r, DT_CALCRECT | DT_SINGLELINE), 13);
    EXPECT_EQ(r, Rect(5, 5, 5 + canvas().TextWidth(text), 18));
    EXPECT_EQ(InkColumns(0, 40, 0, 30, clBlack).first, -1);
    // Lines and word breaks.
    r = Rect(0, 0, 100, 0);
    EXPECT_EQ(DrawText(canvas(), QStringLiteral("a\nbb\r\nccc"), r, DT_CALCRECT), 39);
    EXPECT_EQ(r.Width(), canvas().TextWidth(QStringLiteral("ccc")));
    const int one = canvas().TextWidth(QStringLiteral("Tabella"));
    r = Rect(0, 0, one + 2, 0);
    EXPECT_EQ(DrawText(canvas(), text, r, DT_CALCRECT | DT_WORDBREAK), 26);
    EXPECT_EQ(r.Width(), one);
    // A word wider than the rectangle stays whole and widens it; DT_EDITCONTROL splits it.
    r = Rect(0, 0, 10, 0);
    EXPECT_EQ(DrawText(canvas(), QStringLiteral("Tabella"), r, DT_CALCRECT | DT_WORDBREAK), 13);
    EXPECT_EQ(r.Width(), one);
    r = Rect(0, 0, 10, 0);
    EXPECT_GT(DrawText(canvas(), QStringLiteral("Tabella"), r,
                       DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL),
              13);
    EXPECT_LE(r.Width(), 10);
    // Empty text is one empty line.
    r = Rect(0, 0, 10, 0);
    EXPECT_EQ(DrawText(canvas(), QString(), r, DT_CALCRECT), 13);
    EXPECT_EQ(r.Width(), 0);
}

TEST_F(DrawTextTest, EndEllipsisShortensTextThatDoesNotFit) {
    const QString text = QStringLiteral("PREVENTIVIF.DB");
    TRect r = Rect(0, 0, 40, 15);
    DrawText(canvas(), text, r, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_LE(r.Width(), 40);
    EXPECT_GT(r.Width(), canvas().TextWidth(QStringLiteral("...")));
    Clear(clWhite);
    draw(text, Rect(0, 0, 40, 15), DT_SINGLELINE | DT_END_ELLIPSIS);
    // The dots sit at the end of the shortened text, inside the rectangle.
    const auto ink = InkColumns(0, 40, 0, 15, clBlack);
    EXPECT_LT(ink.second, 40);
    EXPECT_GE(ink.second, 30);
    // Text that fits keeps its width.
    r = Rect(0, 0, 200, 15);
    DrawText(canvas(), text, r, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(r.Width(), canvas().TextWidth(text));
}

TEST_F(DrawTextTest, PrefixUnderlinesAndDoubledAmpersands) {
    struct Case {
        const char* text;
        unsigned format;
        const char* shown;
    } cases[] = {
        {"&File", 0, "File"},
        {"&File", DT_NOPREFIX, "&File"},
        {"A&&B", 0, "A&B"},
        {"End&", 0, "End"},
    };
    for (const Case& c : cases) {
        TRect r = Rect(0, 0, 0, 0);
        DrawText(canvas(), QString::fromLatin1(c.text), r, DT_CALCRECT | DT_SINGLELINE | c.format);
        EXPECT_EQ(r.Width(), canvas().TextWidth(QString::fromLatin1(c.shown))) << c.text;
    }
    // The underline: a row below the glyphs, as wide as the prefixed letter.
    const int ascent = QFontMetrics(canvas().Font()->Handle()).ascent();
    Clear(clWhite);
    draw(QStringLiteral("&File"), Rect(0, 0, 40, 15), DT_SINGLELINE);
    const auto under = InkColumns(0, 40, ascent, ascent + 1, clBlack);
    EXPECT_EQ(under.first, 0);
    EXPECT_EQ(under.second, canvas().TextWidth(QStringLiteral("F")) - 1);
    Clear(clWhite);
    draw(QStringLiteral("&File"), Rect(0, 0, 40, 15), DT_SINGLELINE | DT_HIDEPREFIX);
    EXPECT_EQ(InkColumns(0, 40, ascent, ascent + 1, clBlack).first, -1);
}

TEST_F(DrawTextTest, ClipsToTheRectangleUnlessNoClip) {
    const QString text = QStringLiteral("WWWWWWWW");
    draw(text, Rect(0, 0, 10, 15), DT_SINGLELINE);
    EXPECT_LE(InkColumns(0, 40, 0, 15, clBlack).second, 9);
    Clear(clWhite);
    draw(text, Rect(0, 0, 10, 15), DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(InkColumns(0, 40, 0, 15, clBlack).second, 20);
}

TEST_F(DrawTextTest, OpaqueBrushFillsBehindTheText) {
    canvas().Brush()->SetColor(clYellow);
    draw(QStringLiteral("ab"), Rect(0, 0, 40, 20), DT_SINGLELINE);
    const int w = canvas().TextWidth(QStringLiteral("ab"));
    EXPECT_EQ(at(0, 0), clYellow);
    EXPECT_EQ(at(w - 1, 12), clYellow);
    EXPECT_EQ(at(w, 0), clWhite);
    EXPECT_EQ(at(0, 13), clWhite);
}

TEST_F(DrawTextTest, TabsExpandToEightAverageCharacters) {
    const int avg = AverageCharWidth(canvas().Font()->Handle());
    EXPECT_EQ(avg, 5); // MS Sans Serif 8 pt, as the classic metrics have it
    const int b = canvas().TextWidth(QStringLiteral("b"));
    TRect r;
    DrawText(canvas(), QStringLiteral("a\tb"), r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    EXPECT_EQ(r.Width(), 8 * avg + b);
    DRAWTEXTPARAMS params;
    params.iTabLength = 4;
    r = TRect();
    DrawTextEx(canvas(), QStringLiteral("a\tb"), r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS,
               &params);
    EXPECT_EQ(r.Width(), 4 * avg + b);
    EXPECT_EQ(params.uiLengthDrawn, 3);
    // DT_TABSTOP carries the tab length in the second byte of the format.
    const auto inkAfterTab = [&](unsigned format) {
        Clear(clWhite);
        draw(QStringLiteral("\tI"), Rect(0, 0, 200, 15), format);
        return InkColumns(0, 200, 0, 15, clBlack).first;
    };
    const int plain = [&] {
        Clear(clWhite);
        draw(QStringLiteral("I"), Rect(0, 0, 200, 15), DT_SINGLELINE);
        return InkColumns(0, 200, 0, 15, clBlack).first;
    }();
    EXPECT_EQ(inkAfterTab(DT_SINGLELINE | DT_EXPANDTABS), plain + 8 * avg);
    EXPECT_EQ(inkAfterTab(DT_SINGLELINE | DT_EXPANDTABS | DT_TABSTOP | (2u << 8)), plain + 2 * avg);
}
