#include "platform/bitbtn.h"

#include "platform/drawing.h"
#include "platform/properties.h"

namespace {

const bool kEnumsRegistered = [] {
    RegisterEnum<TBitBtnKind>(
        QStringLiteral("TBitBtnKind"),
        {QStringLiteral("bkCustom"), QStringLiteral("bkOK"), QStringLiteral("bkCancel"),
         QStringLiteral("bkHelp"), QStringLiteral("bkYes"), QStringLiteral("bkNo"),
         QStringLiteral("bkClose"), QStringLiteral("bkAbort"), QStringLiteral("bkRetry"),
         QStringLiteral("bkIgnore"), QStringLiteral("bkAll")});
    RegisterEnum<TButtonLayout>(QStringLiteral("TButtonLayout"),
                                {QStringLiteral("blGlyphLeft"), QStringLiteral("blGlyphRight"),
                                 QStringLiteral("blGlyphTop"), QStringLiteral("blGlyphBottom")});
    return true;
}();

struct KindInfo {
    const char* caption;
    TModalResult result;
};

KindInfo InfoOf(TBitBtnKind kind) {
    switch (kind) {
    case bkOK:
        return {"OK", mrOk};
    case bkCancel:
        return {"Cancel", mrCancel};
    case bkHelp:
        return {"&Help", mrNone};
    case bkYes:
        return {"&Yes", mrYes};
    case bkNo:
        return {"&No", mrNo};
    case bkClose:
        return {"&Close", mrNone};
    case bkAbort:
        return {"Abort", mrAbort};
    case bkRetry:
        return {"&Retry", mrRetry};
    case bkIgnore:
        return {"&Ignore", mrIgnore};
    case bkAll:
        return {"&All", mrAll};
    case bkCustom:
        break;
    }
    return {"", mrNone};
}

} // namespace

RAVELDA_DEFINE_CLASS(TBitBtn) {
    (void)kEnumsRegistered;
    c.Property("Cancel", &TBitBtn::Cancel, &TBitBtn::SetCancel).Default(false);
    c.Property("Default", &TBitBtn::Default, &TBitBtn::SetDefault).Default(false);
    c.Property("Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph);
    c.Property("Kind", &TBitBtn::Kind, &TBitBtn::SetKind).Default(bkCustom);
    c.Property("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout).Default(blGlyphLeft);
    c.Property("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin).Default(-1);
    c.Property("ModalResult", &TBitBtn::ModalResult, &TBitBtn::SetModalResult).Default(0);
    c.Property("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs).Default(1);
    c.Property("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing).Default(4);
    c.Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);
    c.Property("Color", &TControl::Color, &TControl::SetColor)
        .Default(clBtnFace)
        .Idents(QStringLiteral("TColor"))
        .Stored(
            std::function<bool(const TBitBtn&)>([](const TBitBtn& t) { return !t.ParentColor(); }));
}

TBitBtn::TBitBtn(TComponent* AOwner) : TCustomControl(AOwner), glyph_(std::make_unique<TBitmap>()) {
    SetControlStyle(
        TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks});
    SetColor(clBtnFace);
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
    glyph_->OnChange = [this](TObject*) { Invalidate(); };
}

TBitBtn::~TBitBtn() {
    glyph_->OnChange = nullptr;
}

void TBitBtn::SetKind(TBitBtnKind Value) {
    if (Value == kind_) return;
    kind_ = Value;
    if (Value != bkCustom) {
        const KindInfo info = InfoOf(Value);
        SetCaption(QString::fromLatin1(info.caption));
        modalResult_ = info.result;
        if (Value == bkOK || Value == bkYes) default_ = true;
        if (Value == bkCancel || Value == bkNo) cancel_ = true;
    }
    Invalidate();
}

void TBitBtn::SetGlyph(const TBitmap* Value) {
    glyph_->Assign(Value);
}

void TBitBtn::SetNumGlyphs(TNumGlyphs Value) {
    Value = std::clamp(Value, 1, 4);
    if (Value == numGlyphs_) return;
    numGlyphs_ = Value;
    Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout Value) {
    if (Value == layout_) return;
    layout_ = Value;
    Invalidate();
}

void TBitBtn::SetMargin(int Value) {
    if (Value == margin_ || Value < -1) return;
    margin_ = Value;
    Invalidate();
}

void TBitBtn::SetSpacing(int Value) {
    if (Value == spacing_) return;
    spacing_ = Value;
    Invalidate();
}

void TBitBtn::SetDefault(bool Value) {
    if (Value == default_) return;
    default_ = Value;
    Invalidate();
}

bool TBitBtn::IsDown() const {
    return (mouseDown_ && pointerInside_) || spaceDown_;
}

void TBitBtn::Repress(bool down) {
    const bool before = IsDown();
    mouseDown_ = down;
    if (before != IsDown()) Invalidate();
}

void TBitBtn::Click() {
    TCustomControl::Click();
}

void TBitBtn::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        pointerInside_ = ClientRect().Contains({X, Y});
        Repress(true);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TBitBtn::MouseMove(TShiftState Shift, int X, int Y) {
    if (mouseDown_) {
        const bool before = IsDown();
        pointerInside_ = ClientRect().Contains({X, Y});
        if (before != IsDown()) Invalidate();
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TBitBtn::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) Repress(false);
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TBitBtn::KeyDown(Word& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    if (Key == VK_SPACE && !spaceDown_) {
        spaceDown_ = true;
        Invalidate();
    } else if (Key == VK_RETURN) {
        Key = 0;
        Click();
    }
}

void TBitBtn::KeyUp(Word& Key, TShiftState Shift) {
    TCustomControl::KeyUp(Key, Shift);
    if (Key == VK_SPACE && spaceDown_) {
        spaceDown_ = false;
        Invalidate();
        Click();
    }
}

void TBitBtn::DoEnter() {
    Invalidate();
    TCustomControl::DoEnter();
}

void TBitBtn::DoExit() {
    if (spaceDown_ || mouseDown_) {
        spaceDown_ = false;
        mouseDown_ = false;
    }
    Invalidate();
    TCustomControl::DoExit();
}

void TBitBtn::CMMouseEnter() {
    TCustomControl::CMMouseEnter();
}
void TBitBtn::CMMouseLeave() {
    TCustomControl::CMMouseLeave();
}

void TBitBtn::Paint() {
    TCanvas& canvas = *Canvas();
    const bool focused = Focused();
    const bool down = IsDown();
    TRect r = ClientRect();
    if (focused || default_) {
        canvas.Brush()->SetColor(clWindowFrame);
        canvas.FrameRect(r);
        InflateRect(r, -1, -1);
    }
    if (down) {
        // Pressed: a one-pixel shadow frame on the face.
        canvas.Brush()->SetColor(clBtnShadow);
        canvas.FrameRect(r);
        InflateRect(r, -1, -1);
        canvas.Brush()->SetColor(clBtnFace);
        canvas.FillRect(r);
    } else {
        DrawFrameControl(canvas, r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
    }

    // Glyph and caption, centred together (Margin -1) or from the left edge.
    TRect content = ClientRect();
    InflateRect(content, -3, -3);
    if (down) OffsetRect(content, 1, 1);
    const bool enabled = IsEnabledInParents();
    QImage glyph;
    if (!glyph_->Empty()) {
        const int count = std::max(1, numGlyphs_);
        const int w = glyph_->Width() / count;
        int index = 0;
        if (!enabled && count > 1)
            index = 1;
        else if (down && count > 2)
            index = 2;
        TBitmap piece(w, glyph_->Height());
        piece.Canvas()->CopyRect(Rect(0, 0, w, glyph_->Height()), *glyph_->Canvas(),
                                 Bounds(index * w, 0, w, glyph_->Height()));
        piece.SetTransparent(true);
        glyph = piece.MaskedImage();
    }
    canvas.Font()->Assign(Font());
    TRect textRect;
    DrawText(canvas, Caption(), textRect, DT_CALCRECT | DT_SINGLELINE);
    const int textW = Caption().isEmpty() ? 0 : textRect.Width();
    const int textH = textRect.Height();
    const int glyphW = glyph.isNull() ? 0 : glyph.width();
    const int glyphH = glyph.isNull() ? 0 : glyph.height();
    const bool horizontal = layout_ == blGlyphLeft || layout_ == blGlyphRight;
    const int gap = glyphW > 0 && textW > 0 ? spacing_ : 0;
    const int totalW = horizontal ? glyphW + gap + textW : std::max(glyphW, textW);
    const int totalH = horizontal ? std::max(glyphH, textH) : glyphH + gap + textH;
    int x = margin_ < 0 ? content.Left + (content.Width() - totalW) / 2 : content.Left + margin_;
    int y = content.Top + (content.Height() - totalH) / 2;
    TPoint glyphAt;
    TRect captionAt;
    switch (layout_) {
    case blGlyphLeft:
        glyphAt = {x, content.Top + (content.Height() - glyphH) / 2};
        captionAt = Bounds(x + glyphW + gap, content.Top, textW, content.Height());
        break;
    case blGlyphRight:
        captionAt = Bounds(x, content.Top, textW, content.Height());
        glyphAt = {x + textW + gap, content.Top + (content.Height() - glyphH) / 2};
        break;
    case blGlyphTop:
        glyphAt = {content.Left + (content.Width() - glyphW) / 2, y};
        captionAt = Bounds(content.Left, y + glyphH + gap, content.Width(), textH);
        break;
    case blGlyphBottom:
        captionAt = Bounds(content.Left, y, content.Width(), textH);
        glyphAt = {content.Left + (content.Width() - glyphW) / 2, y + textH + gap};
        break;
    }
    if (!glyph.isNull()) canvas.PrepareFill(clNone).drawImage(QPoint(glyphAt.X, glyphAt.Y), glyph);
    if (textW > 0) {
        canvas.Brush()->SetStyle(bsClear);
        const unsigned format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        if (enabled) {
            DrawText(canvas, Caption(), captionAt, format);
        } else {
            TRect shifted = captionAt;
            OffsetRect(shifted, 1, 1);
            canvas.Font()->SetColor(clBtnHighlight);
            DrawText(canvas, Caption(), shifted, format);
            canvas.Font()->SetColor(clBtnShadow);
            DrawText(canvas, Caption(), captionAt, format);
        }
    }
    if (focused) {
        TRect f = ClientRect();
        InflateRect(f, -4, -4);
        DrawFocusRect(canvas, f);
    }
}
