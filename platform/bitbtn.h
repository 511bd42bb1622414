// TBitBtn: the classic push button with an optional glyph, drawn by us: raised frame, a black
// frame and the dotted focus rectangle while focused, sunken look while pressed. It takes the
// focus when clicked and clicks on a left release inside, on Space released and on Enter.
#pragma once

#include "platform/bitmap.h"
#include "platform/customcontrol.h"
#include "platform/messagebox.h"

#include <memory>

enum TBitBtnKind {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
using TNumGlyphs = int;

class TBitBtn : public TCustomControl {
    RAVELDA_CLASS(TBitBtn, TCustomControl)
public:
    explicit TBitBtn(TComponent* AOwner);
    ~TBitBtn() override;

    // A kind other than bkCustom gives the button its standard caption and modal result.
    TBitBtnKind Kind() const { return kind_; }
    void SetKind(TBitBtnKind Value);
    TBitmap* Glyph() const { return glyph_.get(); }
    void SetGlyph(const TBitmap* Value);
    TNumGlyphs NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(TNumGlyphs Value);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout Value);
    int Margin() const { return margin_; }
    void SetMargin(int Value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int Value);
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult Value) { modalResult_ = Value; }
    bool Default() const { return default_; }
    void SetDefault(bool Value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool Value) { cancel_ = Value; }

    // Shown pressed: the left button held with the pointer inside, or Space held.
    bool IsDown() const;
    void Click() override;
    unsigned WantedKeys() const override { return 0; }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void DoEnter() override;
    void DoExit() override;
    void CMMouseEnter() override;
    void CMMouseLeave() override;

private:
    void Repress(bool down);
    std::unique_ptr<TBitmap> glyph_;
    TBitBtnKind kind_ = bkCustom;
    TNumGlyphs numGlyphs_ = 1;
    TButtonLayout layout_ = blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
    TModalResult modalResult_ = mrNone;
    bool default_ = false;
    bool cancel_ = false;
    bool mouseDown_ = false;
    bool pointerInside_ = false;
    bool spaceDown_ = false;
};
