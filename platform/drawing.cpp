#include "platform/drawing.h"

#include "platform/canvas.h"
#include "platform/fonts.h"

#include <QFontMetrics>
#include <QPainter>
#include <vector>

namespace {

void Fill(QPainter& p, const TRect& r, TColor color) {
    if (!r.IsEmpty()) p.fillRect(r.toQRect(), ToQColor(color));
}

// One ring of a frame; returns the rectangle inside it.
TRect Ring(QPainter& p, TRect r, unsigned sides, TColor topLeft, TColor bottomRight) {
    if (r.IsEmpty()) return r;
    const int rightCut = (sides & BF_RIGHT) ? 1 : 0;
    const int bottomCut = (sides & BF_BOTTOM) ? 1 : 0;
    if (sides & BF_LEFT) Fill(p, Rect(r.Left, r.Top, r.Left + 1, r.Bottom - bottomCut), topLeft);
    if (sides & BF_TOP) Fill(p, Rect(r.Left, r.Top, r.Right - rightCut, r.Top + 1), topLeft);
    if (sides & BF_RIGHT) Fill(p, Rect(r.Right - 1, r.Top, r.Right, r.Bottom), bottomRight);
    if (sides & BF_BOTTOM) Fill(p, Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom), bottomRight);
    if (sides & BF_LEFT) ++r.Left;
    if (sides & BF_TOP) ++r.Top;
    if (sides & BF_RIGHT) --r.Right;
    if (sides & BF_BOTTOM) --r.Bottom;
    return r;
}

struct RingColors {
    TColor topLeft;
    TColor bottomRight;
};

RingColors OuterColors(unsigned edge, unsigned flags) {
    if (flags & BF_MONO) return {clWindowFrame, clWindowFrame};
    if (flags & BF_FLAT) return {clBtnShadow, clBtnShadow};
    const bool soft = flags & BF_SOFT;
    if (edge & BDR_RAISEDOUTER) return {soft ? clBtnHighlight : cl3DLight, cl3DDkShadow};
    return {soft ? cl3DDkShadow : clBtnShadow, clBtnHighlight};
}

RingColors InnerColors(unsigned edge, unsigned flags) {
    if (flags & BF_MONO) return {clWindow, clWindow};
    if (flags & BF_FLAT) return {clBtnFace, clBtnFace};
    const bool soft = flags & BF_SOFT;
    if (edge & BDR_RAISEDINNER) return {soft ? cl3DLight : clBtnHighlight, clBtnShadow};
    return {soft ? clBtnShadow : cl3DDkShadow, cl3DLight};
}

// The classic check mark, 7 x 7, drawn in the middle of a check box.
constexpr const char* kCheckMark[7] = {
    "......#", ".....##", "#...###", "##.###.", "#####..", ".###...", "..#....",
};

void Dither(QPainter& p, const TRect& r, TColor a, TColor b) {
    Fill(p, r, a);
    const QColor cb = ToQColor(b);
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left + ((r.Left + y) & 1); x < r.Right; x += 2)
            p.fillRect(QRect(x, y, 1, 1), cb);
}

bool PushButton(TCanvas& canvas, TRect& r, unsigned state) {
    QPainter& p = canvas.PrepareFill(clBtnFace);
    TRect inside = r;
    if (state & DFCS_FLAT) {
        inside = Ring(p, r, BF_RECT, clBtnShadow, clBtnShadow);
        Fill(p, inside, clBtnFace);
    } else {
        const unsigned edge = (state & (DFCS_PUSHED | DFCS_CHECKED)) ? EDGE_SUNKEN : EDGE_RAISED;
        unsigned flags = BF_RECT | BF_SOFT | BF_MIDDLE | BF_ADJUST;
        if (state & DFCS_MONO) flags |= BF_MONO;
        DrawEdge(canvas, inside, edge, flags);
        if ((state & DFCS_CHECKED) && !(state & DFCS_PUSHED))
            Dither(canvas.PrepareFill(clBtnFace), inside, clBtnFace, clBtnHighlight);
    }
    if (state & DFCS_ADJUSTRECT) InflateRect(r, -2, -2);
    return true;
}

bool CheckBox(TCanvas& canvas, TRect& r, unsigned state) {
    const int size = std::min({13, r.Width(), r.Height()});
    if (size <= 0) return true;
    TRect box =
        Bounds(r.Left + (r.Width() - size) / 2, r.Top + (r.Height() - size) / 2, size, size);
    QPainter& p = canvas.PrepareFill(clWindow);
    if (state & (DFCS_FLAT | DFCS_MONO)) {
        box = Ring(p, box, BF_RECT, (state & DFCS_MONO) ? clWindowFrame : clBtnShadow,
                   (state & DFCS_MONO) ? clWindowFrame : clBtnShadow);
    } else {
        DrawEdge(canvas, box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    }
    const bool greyed = state & (DFCS_INACTIVE | DFCS_PUSHED);
    const bool threeState = (state & 0x1F) == DFCS_BUTTON3STATE;
    QPainter& q = canvas.PrepareFill(clWindow);
    if (threeState && (state & DFCS_CHECKED))
        Dither(q, box, clBtnFace, clBtnHighlight);
    else
        Fill(q, box, greyed ? clBtnFace : clWindow);
    if (state & DFCS_CHECKED) {
        const TColor mark = (state & DFCS_INACTIVE) || threeState ? clBtnShadow : clWindowText;
        const int ox = box.Left + (box.Width() - 7) / 2;
        const int oy = box.Top + (box.Height() - 7) / 2;
        const QColor c = ToQColor(mark);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 7; ++x)
                if (kCheckMark[y][x] == '#' && box.Contains({ox + x, oy + y}))
                    q.fillRect(QRect(ox + x, oy + y, 1, 1), c);
    }
    return true;
}

bool RadioButton(TCanvas& canvas, TRect& r, unsigned state) {
    const int size = std::min({12, r.Width(), r.Height()});
    if (size <= 0) return true;
    const QRect box(r.Left + (r.Width() - size) / 2, r.Top + (r.Height() - size) / 2, size, size);
    QPainter& p = canvas.PrepareFill(clWindow);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setBrush(Qt::NoBrush);
    // Shadow on the upper left half, highlight on the lower right, window inside.
    p.setPen(ToQColor(clBtnShadow));
    p.drawArc(box.adjusted(0, 0, -1, -1), 45 * 16, 180 * 16);
    p.setPen(ToQColor(clBtnHighlight));
    p.drawArc(box.adjusted(0, 0, -1, -1), 225 * 16, 180 * 16);
    p.setPen(Qt::NoPen);
    const bool greyed = state & (DFCS_INACTIVE | DFCS_PUSHED);
    p.setBrush(ToQColor(greyed ? clBtnFace : clWindow));
    p.drawEllipse(box.adjusted(2, 2, -2, -2));
    if (state & DFCS_CHECKED) {
        p.setBrush(ToQColor((state & DFCS_INACTIVE) ? clBtnShadow : clWindowText));
        const QPoint c = box.center();
        p.drawRect(QRect(c.x() - 1, c.y() - 1, 4, 4).adjusted(0, 0, -1, -1));
    }
    p.restore();
    return true;
}

void Arrow(QPainter& p, const TRect& r, unsigned kind, TColor color) {
    const int extent = std::min(r.Width(), r.Height());
    const int depth = std::max(1, (extent - 4) / 3 + 1); // rows of the triangle
    const QColor c = ToQColor(color);
    const int cx = r.Left + r.Width() / 2;
    const int cy = r.Top + r.Height() / 2;
    for (int i = 0; i < depth; ++i) {
        const int half = depth - 1 - i; // widest row first for down / right arrows
        switch (kind) {
        case DFCS_SCROLLDOWN:
        case DFCS_SCROLLCOMBOBOX:
            p.fillRect(QRect(cx - half - 1, cy - depth / 2 + i, 2 * half + 1, 1), c);
            break;
        case DFCS_SCROLLUP:
            p.fillRect(QRect(cx - i - 1, cy - depth / 2 + i, 2 * i + 1, 1), c);
            break;
        case DFCS_SCROLLRIGHT:
            p.fillRect(QRect(cx - depth / 2 + i, cy - half, 1, 2 * half + 1), c);
            break;
        case DFCS_SCROLLLEFT:
            p.fillRect(QRect(cx - depth / 2 + i, cy - i, 1, 2 * i + 1), c);
            break;
        default:
            break;
        }
    }
}

bool ScrollButton(TCanvas& canvas, TRect& r, unsigned state) {
    const unsigned kind = state & 0xFF;
    if (kind != DFCS_SCROLLUP && kind != DFCS_SCROLLDOWN && kind != DFCS_SCROLLLEFT &&
        kind != DFCS_SCROLLRIGHT && kind != DFCS_SCROLLCOMBOBOX)
        return false;
    TRect face = r;
    // A pushed arrow button is flat, with its arrow moved one pixel right and down.
    PushButton(canvas, face,
               DFCS_BUTTONPUSH | ((state & DFCS_PUSHED) ? DFCS_FLAT : 0) |
                   (state & (DFCS_FLAT | DFCS_MONO)));
    QPainter& p = canvas.PrepareFill(clBtnText);
    TRect arrow = r;
    if (state & DFCS_PUSHED) OffsetRect(arrow, 1, 1);
    if (state & DFCS_INACTIVE) {
        TRect shifted = arrow;
        OffsetRect(shifted, 1, 1);
        Arrow(p, shifted, kind, clBtnHighlight);
        Arrow(p, arrow, kind, clBtnShadow);
    } else {
        Arrow(p, arrow, kind, clBtnText);
    }
    if (state & DFCS_ADJUSTRECT) InflateRect(r, -2, -2);
    return true;
}

// ---- text

struct Line {
    QString text;
    int underline = -1; // index in text of the prefixed character
};

struct TextLayout {
    const QFontMetrics& fm;
    bool expandTabs;
    int tabPixels;

    int Width(const QString& s) const {
        if (!expandTabs || !s.contains(QLatin1Char('\t'))) return fm.horizontalAdvance(s);
        int x = 0;
        qsizetype start = 0;
        for (qsizetype i = 0; i <= s.size(); ++i) {
            if (i == s.size() || s[i] == QLatin1Char('\t')) {
                x += fm.horizontalAdvance(s.mid(start, i - start));
                if (i < s.size() && tabPixels > 0) x = (x / tabPixels + 1) * tabPixels;
                start = i + 1;
            }
        }
        return x;
    }
    // The x offset of character index within s.
    int Offset(const QString& s, qsizetype index) const { return Width(s.left(index)); }
};

// Removes prefix marks: "&x" marks x, "&&" is "&", a final "&" disappears.
Line StripPrefix(const QString& s, bool process) {
    Line out;
    if (!process) {
        out.text = s;
        return out;
    }
    out.text.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('&')) {
            if (i + 1 >= s.size()) break;
            ++i;
            if (s[i] != QLatin1Char('&')) out.underline = static_cast<int>(out.text.size());
        }
        out.text += s[i];
    }
    return out;
}

void WrapInto(std::vector<Line>& lines, const Line& para, const TextLayout& layout, int width,
              bool splitWords) {
    const QString& s = para.text;
    qsizetype pos = 0;
    if (s.isEmpty()) {
        lines.push_back(para);
        return;
    }
    while (pos < s.size()) {
        // Grow the line word by word while it fits; the first word always goes in.
        qsizetype cut = -1;
        qsizetype scan = pos;
        for (;;) {
            qsizetype next = s.indexOf(QLatin1Char(' '), scan);
            if (next < 0) next = s.size();
            const bool fits = layout.Width(s.mid(pos, next - pos)) <= width;
            if (!fits && cut >= 0) break;
            cut = next;
            if (!fits || next >= s.size()) break;
            scan = next + 1;
        }
        if (splitWords && layout.Width(s.mid(pos, cut - pos)) > width) {
            // A word wider than the rectangle is split where it stops fitting.
            qsizetype k = pos + 1;
            while (k < cut && layout.Width(s.mid(pos, k + 1 - pos)) <= width)
                ++k;
            cut = k;
        }
        Line line;
        line.text = s.mid(pos, cut - pos);
        if (para.underline >= pos && para.underline < cut)
            line.underline = static_cast<int>(para.underline - pos);
        lines.push_back(line);
        pos = cut;
        while (pos < s.size() && s[pos] == QLatin1Char(' '))
            ++pos;
    }
}

void Ellipsize(Line& line, const TextLayout& layout, int width) {
    if (layout.Width(line.text) <= width) return;
    const QString dots = QStringLiteral("...");
    qsizetype keep = line.text.size();
    while (keep > 0 && layout.Width(line.text.left(keep) + dots) > width)
        --keep;
    line.text = line.text.left(keep) + dots;
    if (line.underline >= keep) line.underline = -1;
}

void DrawLineText(QPainter& p, const Line& line, int x, int baseline, const TextLayout& layout) {
    if (!layout.expandTabs || !line.text.contains(QLatin1Char('\t'))) {
        p.drawText(QPoint(x, baseline), line.text);
        return;
    }
    qsizetype start = 0;
    for (qsizetype i = 0; i <= line.text.size(); ++i) {
        if (i == line.text.size() || line.text[i] == QLatin1Char('\t')) {
            const QString piece = line.text.mid(start, i - start);
            p.drawText(QPoint(x + layout.Offset(line.text, start), baseline), piece);
            start = i + 1;
        }
    }
}

} // namespace

bool DrawEdge(TCanvas& canvas, TRect& r, unsigned edge, unsigned flags) {
    if (flags & BF_DIAGONAL) return false;
    QPainter& p = canvas.PrepareFill(clBtnFace);
    const unsigned sides = flags & BF_RECT;
    TRect work = r;
    if (edge & BDR_OUTER) {
        const RingColors c = OuterColors(edge, flags);
        work = Ring(p, work, sides, c.topLeft, c.bottomRight);
    }
    if (edge & BDR_INNER) {
        const RingColors c = InnerColors(edge, flags);
        work = Ring(p, work, sides, c.topLeft, c.bottomRight);
    }
    if (flags & BF_MIDDLE) Fill(p, work, (flags & BF_MONO) ? clWindow : clBtnFace);
    if (flags & BF_ADJUST) r = work;
    return true;
}

bool DrawFrameControl(TCanvas& canvas, TRect& r, unsigned type, unsigned state) {
    if (type == DFC_BUTTON) {
        const unsigned kind = state & 0x1F;
        if (kind & DFCS_BUTTONPUSH) return PushButton(canvas, r, state);
        if (kind & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE | DFCS_BUTTONRADIOMASK))
            return RadioButton(canvas, r, state);
        return CheckBox(canvas, r, state);
    }
    if (type == DFC_SCROLL) return ScrollButton(canvas, r, state);
    return false;
}

int DrawText(TCanvas& canvas, const QString& text, TRect& r, unsigned format) {
    return DrawTextEx(canvas, text, r, format, nullptr);
}

int DrawTextEx(TCanvas& canvas, const QString& text, TRect& r, unsigned format,
               DRAWTEXTPARAMS* params) {
    const QFontMetrics fm(canvas.Font()->Handle());
    int tabChars = params && params->iTabLength > 0 ? params->iTabLength : 8;
    if (format & DT_TABSTOP) {
        // The tab length travels in the second byte, which then carries no other flag.
        tabChars = static_cast<int>((format >> 8) & 0xFF);
        format &= ~0xFF00u;
    }
    const TextLayout layout{fm, (format & DT_EXPANDTABS) != 0,
                            tabChars * AverageCharWidth(canvas.Font()->Handle())};
    const int lineHeight = fm.height() + ((format & DT_EXTERNALLEADING) ? fm.leading() : 0);
    TRect box = r;
    if (params) {
        box.Left += params->iLeftMargin;
        box.Right -= params->iRightMargin;
        params->uiLengthDrawn = static_cast<int>(text.size());
    }
    const bool single = format & DT_SINGLELINE;
    const bool prefix = !(format & DT_NOPREFIX);

    std::vector<Line> lines;
    if (single) {
        QString t = text;
        t.remove(QLatin1Char('\r'));
        t.remove(QLatin1Char('\n'));
        lines.push_back(StripPrefix(t, prefix));
    } else {
        QString t = text;
        t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        for (const QString& para : t.split(QLatin1Char('\n'))) {
            const Line stripped = StripPrefix(para, prefix);
            if (format & DT_WORDBREAK)
                WrapInto(lines, stripped, layout, box.Width(), format & DT_EDITCONTROL);
            else
                lines.push_back(stripped);
        }
    }
    if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS))
        for (Line& line : lines)
            Ellipsize(line, layout, box.Width());

    const int height = static_cast<int>(lines.size()) * lineHeight;
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const Line& line : lines)
            widest = std::max(widest, layout.Width(line.text));
        r.Right = box.Left + widest + (params ? params->iRightMargin : 0);
        r.Bottom = r.Top + height;
        return height;
    }

    int top = box.Top;
    if (single && (format & DT_VCENTER))
        top = box.Top + (box.Height() - height) / 2;
    else if (single && (format & DT_BOTTOM))
        top = box.Bottom - height;

    QPainter& p = canvas.PrepareText();
    p.save();
    if (!(format & DT_NOCLIP))
        p.setClipRect(r.toQRect(), p.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    const QColor textColor = ToQColor(canvas.Font()->Color());
    const bool opaque = !canvas.TransparentText();
    const QColor back = ToQColor(canvas.Brush()->Color());
    int y = top;
    for (const Line& line : lines) {
        const int w = layout.Width(line.text);
        int x = box.Left;
        if (format & DT_CENTER)
            x = box.Left + (box.Width() - w) / 2;
        else if (format & DT_RIGHT)
            x = box.Right - w;
        if (opaque && !(format & DT_PREFIXONLY)) p.fillRect(QRect(x, y, w, fm.height()), back);
        if (!(format & DT_PREFIXONLY)) DrawLineText(p, line, x, y + fm.ascent(), layout);
        if (line.underline >= 0 && !(format & DT_HIDEPREFIX)) {
            const int ux = x + layout.Offset(line.text, line.underline);
            const int uw = fm.horizontalAdvance(line.text.mid(line.underline, 1));
            p.fillRect(QRect(ux, y + fm.ascent(), uw, 1), textColor);
        }
        y += lineHeight;
    }
    p.restore();
    if (single && (format & (DT_VCENTER | DT_BOTTOM))) return top - r.Top + height;
    return height;
}

void DrawFocusRect(TCanvas& canvas, const TRect& r) {
    if (r.IsEmpty()) return;
    QPainter& p = canvas.PrepareFill(clWhite);
    p.save();
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPolygon dots;
    auto dot = [&](int x, int y) {
        if (((x + y) & 1) == 0) dots << QPoint(x, y);
    };
    for (int x = r.Left; x < r.Right; ++x) {
        dot(x, r.Top);
        if (r.Bottom - 1 > r.Top) dot(x, r.Bottom - 1);
    }
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
        dot(r.Left, y);
        if (r.Right - 1 > r.Left) dot(r.Right - 1, y);
    }
    p.setPen(QPen(Qt::white, 0));
    p.drawPoints(dots);
    p.restore();
}

void Frame3D(TCanvas& canvas, TRect& r, TColor TopColor, TColor BottomColor, int Width) {
    QPainter& p = canvas.PrepareFill(TopColor);
    for (int i = 0; i < Width; ++i)
        r = Ring(p, r, BF_RECT, TopColor, BottomColor);
}

void InvertRect(TCanvas& canvas, const TRect& r) {
    if (r.IsEmpty()) return;
    QPainter& p = canvas.PrepareFill(clBlack);
    p.save();
    p.setCompositionMode(QPainter::RasterOp_NotDestination);
    p.fillRect(r.toQRect(), Qt::black);
    p.restore();
}
