#include "navigator/wwspeedbutton.h"

#include "platform/drawing.h"
#include "platform/imagelist.h"
#include "platform/properties.h"

// ---- TwwDisabledTextColors

RAVELDA_DEFINE_CLASS(TwwDisabledTextColors) {
    c.Property("ShadeColor", &TwwDisabledTextColors::ShadeColor,
               &TwwDisabledTextColors::SetShadeColor)
        .NoDefault()
        .Idents(QStringLiteral("TColor"));
    c.Property("HighlightColor", &TwwDisabledTextColors::HighlightColor,
               &TwwDisabledTextColors::SetHighlightColor)
        .NoDefault()
        .Idents(QStringLiteral("TColor"));
}

void TwwDisabledTextColors::Assign(const TPersistent* Source) {
    if (auto* other = dynamic_cast<const TwwDisabledTextColors*>(Source)) {
        if (other == this) return;
        shadeColor_ = other->shadeColor_;
        highlightColor_ = other->highlightColor_;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

TPersistent* TwwDisabledTextColors::GetOwner() const {
    return owner_;
}

void TwwDisabledTextColors::SetShadeColor(TColor Value) {
    if (Value == shadeColor_) return;
    shadeColor_ = Value;
    Changed();
}

void TwwDisabledTextColors::SetHighlightColor(TColor Value) {
    if (Value == highlightColor_) return;
    highlightColor_ = Value;
    Changed();
}

void TwwDisabledTextColors::Changed() {
    if (owner_) owner_->Invalidate();
}

// ---- TwwSpeedButton

RAVELDA_DEFINE_CLASS(TwwSpeedButton) {
    c.Property("Action", &TwwSpeedButton::Action, &TwwSpeedButton::SetAction);
    c.Property("DisabledTextColors", &TwwSpeedButton::DisabledTextColors,
               &TwwSpeedButton::SetDisabledTextColors);
    c.Property("ImageIndex", &TwwSpeedButton::ImageIndex, &TwwSpeedButton::SetImageIndex)
        .NoDefault();
    c.Property("Margin", &TwwSpeedButton::Margin, &TwwSpeedButton::SetMargin).Default(-1);
    c.Property("NumGlyphs", &TwwSpeedButton::NumGlyphs, &TwwSpeedButton::SetNumGlyphs).NoDefault();
    c.Property("ShowText", &TwwSpeedButton::ShowText, &TwwSpeedButton::SetShowText).Default(false);
    c.Property("Spacing", &TwwSpeedButton::Spacing, &TwwSpeedButton::SetSpacing).NoDefault();
    c.Property("Transparent", &TwwSpeedButton::Transparent, &TwwSpeedButton::SetTransparent)
        .Default(true);
}

TwwSpeedButton::TwwSpeedButton(TComponent* AOwner)
    : TGraphicControl(AOwner), disabledTextColors_(std::make_unique<TwwDisabledTextColors>(this)) {
    // No double clicks: a quick second press is a second click. Opaque, as Transparent is false.
    SetControlStyle(TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csOpaque});
    SetBounds(0, 0, 25, 25);
}

TwwSpeedButton::~TwwSpeedButton() = default;

int TwwSpeedButton::GetImageIndex() const {
    return imageIndex_;
}

void TwwSpeedButton::SetImageIndex(int Value) {
    StoreImageIndex(Value);
}

void TwwSpeedButton::StoreImageIndex(int Value) {
    if (Value == imageIndex_) return;
    imageIndex_ = Value;
    Invalidate();
}

void TwwSpeedButton::SetNumGlyphs(int Value) {
    if (Value == numGlyphs_) return;
    numGlyphs_ = Value;
    Invalidate();
}

void TwwSpeedButton::SetMargin(int Value) {
    if (Value == margin_) return;
    margin_ = Value;
    Invalidate();
}

void TwwSpeedButton::SetSpacing(int Value) {
    if (Value == spacing_) return;
    spacing_ = Value;
    Invalidate();
}

void TwwSpeedButton::SetShowText(bool Value) {
    if (Value == showText_) return;
    showText_ = Value;
    Invalidate();
}

void TwwSpeedButton::SetTransparent(bool Value) {
    if (Value == transparent_) return;
    transparent_ = Value;
    TControlStyle style = ControlStyle();
    if (Value)
        style.Exclude(csOpaque);
    else
        style.Include(csOpaque);
    SetControlStyle(style);
    Invalidate();
}

void TwwSpeedButton::SetDisabledTextColors(const TwwDisabledTextColors* Value) {
    disabledTextColors_->Assign(Value);
}

void TwwSpeedButton::SetAction(TComponent* Value) {
    if (Value == action_) return;
    if (action_) action_->RemoveFreeNotification(this);
    action_ = Value;
    if (action_) {
        action_->FreeNotification(this);
        ActionChange(action_, false);
    }
}

void TwwSpeedButton::ActionChange(TComponent* Sender, bool CheckDefaults) {
    (void)CheckDefaults;
    // Actions are found by their published properties: the image index counts only when the
    // action's list draws from this button's image list and the index names one of its images.
    if (!Sender || !imageList_) return;
    TComponent* list = GetComponentProp(Sender, QStringLiteral("ActionList"));
    if (!list || GetComponentProp(list, QStringLiteral("Images")) != imageList_) return;
    const TPropInfo* info = GetPropInfo(Sender, QStringLiteral("ImageIndex"));
    if (!info || info->Kind != TPropKind::Integer) return;
    const qlonglong index = GetPropValue(Sender, QStringLiteral("ImageIndex")).toLongLong();
    if (index >= 0 && index < imageList_->Count()) SetImageIndex(static_cast<int>(index));
}

void TwwSpeedButton::SetImageList(TImageList* Value) {
    if (Value == imageList_) return;
    if (imageList_) imageList_->RemoveFreeNotification(this);
    imageList_ = Value;
    if (imageList_) imageList_->FreeNotification(this);
    Invalidate();
}

void TwwSpeedButton::SetFlat(bool Value) {
    if (Value == flat_) return;
    flat_ = Value;
    Invalidate();
}

void TwwSpeedButton::Notification(TComponent* AComponent, TOperation Operation) {
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == imageList_) {
        imageList_ = nullptr;
        Invalidate();
    }
    if (AComponent == action_) action_ = nullptr;
}

void TwwSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) leftDown_ = true;
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    Invalidate();
}

void TwwSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) leftDown_ = false;
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    Invalidate();
}

void TwwSpeedButton::CMMouseEnter() {
    TGraphicControl::CMMouseEnter();
    hot_ = true;
    Invalidate();
}

void TwwSpeedButton::CMMouseLeave() {
    TGraphicControl::CMMouseLeave();
    hot_ = false;
    Invalidate();
}

void TwwSpeedButton::CMEnabledChanged() {
    TGraphicControl::CMEnabledChanged();
    Invalidate();
}

int TwwSpeedButton::DrawnImageIndex() const {
    int index = imageIndex_;
    if (!Enabled() && numGlyphs_ > 1)
        index += 1;
    else if (Pressed() && numGlyphs_ > 2)
        index += 2;
    else if (hot_ && numGlyphs_ > 3)
        index += 3;
    return index;
}

void TwwSpeedButton::Paint() {
    TCanvas& canvas = *Canvas();
    const bool enabled = Enabled();
    const bool pressed = Pressed();
    const int index = DrawnImageIndex();

    TRect rect = ClientRect();
    int pressOffset = 1;
    if (!flat_) {
        unsigned state = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
        if (pressed) state |= DFCS_PUSHED;
        DrawFrameControl(canvas, rect, DFC_BUTTON, state);
        pressOffset = 2;
    } else if ((hot_ && enabled) || IsDesigning()) {
        TRect edge = rect;
        DrawEdge(canvas, edge, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    }

    canvas.Brush()->SetStyle(bsClear);
    if (margin_ != -1) OffsetRect(rect, margin_, margin_);
    if (pressed) OffsetRect(rect, pressOffset, pressOffset);

    TRect glyph = rect;
    if (margin_ == -1 && imageList_)
        InflateRect(glyph, -((rect.Width() - imageList_->Width()) / 2),
                    -((rect.Height() - imageList_->Height()) / 2));
    OffsetRect(glyph, 0, 1);
    if (glyph.Width() % 2 != 0) OffsetRect(glyph, 1, 0);

    const bool hasImage = imageList_ && imageIndex_ != -1;
    const bool hasCaption = showText_ && !Caption().isEmpty();
    TRect text = rect;
    if (hasCaption) {
        canvas.SetFont(Font());
        const int textWidth = canvas.TextWidth(Caption());
        const int textHeight = canvas.TextHeight(Caption());
        const int shift = textHeight / 2 + spacing_ / 2;
        OffsetRect(glyph, 0, -shift);
        if (margin_ == -1)
            InflateRect(text, -((rect.Width() - textWidth) / 2),
                        -((rect.Height() - textHeight) / 2));
        if (hasImage) OffsetRect(text, 0, shift);
    }

    if (hasImage) imageList_->Draw(canvas, glyph.Left, glyph.Top, index, true);

    if (hasCaption) {
        const unsigned format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
        if (enabled) {
            DrawText(canvas, Caption(), text, format);
        } else {
            TRect shifted = text;
            OffsetRect(shifted, 1, 1);
            canvas.Font()->SetColor(disabledTextColors_->HighlightColor());
            DrawText(canvas, Caption(), shifted, format);
            canvas.Font()->SetColor(disabledTextColors_->ShadeColor());
            DrawText(canvas, Caption(), text, format);
        }
    }
}
