// TwwSpeedButton: the windowless button the navigator is made of. It draws one image of an image
// list (chosen by enabled, pressed and hot state), an optional caption and a classic frame: a push
// frame when not flat, and when flat only an edge while the pointer is over it (raised) or the
// left button is held on it (sunken). It keeps no down state of its own: pressed means only that
// the left button is held on it with the pointer inside.
#pragma once

#include "platform/color.h"
#include "platform/graphiccontrol.h"

#include <memory>

class TImageList;

// The two colours of a disabled caption: the highlight drawn one pixel right and down, the shade
// on top of it.
class TwwDisabledTextColors : public TPersistent {
    RAVELDA_CLASS(TwwDisabledTextColors, TPersistent)
public:
    TwwDisabledTextColors() = default;
    // Owned by a control: changes repaint it and name paths go through it.
    explicit TwwDisabledTextColors(TControl* AOwner) : owner_(AOwner) {}

    void Assign(const TPersistent* Source) override;
    using TPersistent::Assign;
    TPersistent* GetOwner() const override;

    TColor ShadeColor() const { return shadeColor_; }
    void SetShadeColor(TColor Value);
    TColor HighlightColor() const { return highlightColor_; }
    void SetHighlightColor(TColor Value);

private:
    void Changed();

    TControl* owner_ = nullptr;
    TColor shadeColor_ = clGray;
    TColor highlightColor_ = clBtnHighlight;
};

class TwwSpeedButton : public TGraphicControl {
    RAVELDA_CLASS(TwwSpeedButton, TGraphicControl)
public:
    explicit TwwSpeedButton(TComponent* AOwner);
    ~TwwSpeedButton() override;

    // ---- Published.
    // The index of the base image; -1: no image. Reads and writes go through the virtual pair
    // below so that derived buttons can map them.
    int ImageIndex() const { return GetImageIndex(); }
    virtual int GetImageIndex() const;
    virtual void SetImageIndex(int Value);
    // Consecutive images per button: base, disabled, pressed, hot.
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int Value);
    // -1: glyph and caption centred; otherwise their offset from the frame's inner corner.
    int Margin() const { return margin_; }
    void SetMargin(int Value);
    // Gap between glyph and caption when both are shown.
    int Spacing() const { return spacing_; }
    void SetSpacing(int Value);
    bool ShowText() const { return showText_; }
    void SetShowText(bool Value);
    // Declared default true, but a new button holds false. True clears the opaque style, false
    // sets it; the button never fills its background either way.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool Value);
    TwwDisabledTextColors* DisabledTextColors() const { return disabledTextColors_.get(); }
    void SetDisabledTextColors(const TwwDisabledTextColors* Value);
    // An action component (stored and resolved by name). When it carries an ImageIndex within
    // this button's image list, reached through its ActionList's Images, the button takes it.
    TComponent* Action() const { return action_; }
    void SetAction(TComponent* Value);

    // ---- Unpublished.
    // Not owned; cleared when the list goes away.
    TImageList* ImageList() const { return imageList_; }
    void SetImageList(TImageList* Value);
    bool Flat() const { return flat_; }
    void SetFlat(bool Value);
    // The pointer is inside (between enter and leave notices).
    bool Hot() const { return hot_; }
    // The left button is held on the button and the pointer is inside.
    bool Pressed() const { return leftDown_ && hot_; }

    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void CMMouseEnter() override;
    void CMMouseLeave() override;
    void CMEnabledChanged() override;
    void Paint() override;
    // Told after the action was set (or its values changed).
    virtual void ActionChange(TComponent* Sender, bool CheckDefaults);

    // The index as stored, whatever the virtual read reports; painting uses this one.
    int StoredImageIndex() const { return imageIndex_; }
    // Stores the index and repaints when it changes.
    void StoreImageIndex(int Value);
    // The image the state selects: base, +1 disabled, +2 pressed, +3 hot (when there are that
    // many glyphs).
    int DrawnImageIndex() const;
    // Whether the button's left button is down (whether or not the pointer is inside).
    bool LeftButtonDown() const { return leftDown_; }

private:
    int imageIndex_ = -1;
    int numGlyphs_ = 1;
    int margin_ = -1;
    int spacing_ = 4;
    bool showText_ = false;
    bool transparent_ = false;
    std::unique_ptr<TwwDisabledTextColors> disabledTextColors_;
    TComponent* action_ = nullptr;
    TImageList* imageList_ = nullptr;
    bool flat_ = false;
    bool hot_ = false;
    bool leftDown_ = false;
};
