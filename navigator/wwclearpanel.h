// TwwCustomTransparentPanel: a panel that can let the windows beneath show through. Opaque, it
// paints as a panel (face, bevels, no caption); transparent, it draws only its frames (outer
// bevel, border, inner bevel) and leaves the rest to whatever lies under it.
#pragma once

#include "platform/panel.h"

class TwwCustomTransparentPanel : public TCustomPanel {
    RAVELDA_CLASS(TwwCustomTransparentPanel, TCustomPanel)
public:
    explicit TwwCustomTransparentPanel(TComponent* AOwner);
    ~TwwCustomTransparentPanel() override;

    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool Value);
    // Transparent and not being designed.
    virtual bool IsTransparent() const;

    // A transparent panel also repaints what lies beneath it and every child.
    void Invalidate() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

protected:
    void Paint() override;

private:
    void ApplyWindowTransparency();
    bool transparent_ = false;
};
