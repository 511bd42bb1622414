#include "platform/bitbtn.h"
#include "platform/drawing.h"
#include "platform/form.h"
#include "platform/graphiccontrol.h"
#include "platform/panel.h"
#include "platform/properties.h"
#include "tests/platform/control_support.h"
#include "tests/platform/visual_support.h"

#include <gtest/gtest.h>

using namespace ravelda::test;

namespace {

// A windowless control that paints itself in one colour and records what reaches it.
class TProbe : public TGraphicControl {
public:
    explicit TProbe(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(10, 10, 20, 20); }
    TColor fill = clRed;
    int enters = 0;
    int leaves = 0;
    int clicks = 0;
    std::vector<std::pair<int, int>> downs;
    std::vector<std::pair<int, int>> moves;

protected:
    void Paint() override {
        Canvas()->Brush()->SetColor(fill);
        Canvas()->FillRect(ClientRect());
    }
    void CMMouseEnter() override { ++enters; }
    void CMMouseLeave() override { ++leaves; }
    void Click() override {
        ++clicks;
        TGraphicControl::Click();
    }
    void MouseDown(TMouseButton b, TShiftState s, int X, int Y) override {
        downs.emplace_back(X, Y);
        TGraphicControl::MouseDown(b, s, X, Y);
    }
    void MouseMove(TShiftState s, int X, int Y) override {
        moves.emplace_back(X, Y);
        TGraphicControl::MouseMove(s, X, Y);
    }
};

class ControlsTest : public ::testing::Test {
protected:
    ControlsTest() {
        form = new TForm(nullptr);
        form->SetBounds(0, 0, 300, 200);
        panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBounds(5, 5, 100, 60);
        panel->SetCaption(QString());
    }
    ~ControlsTest() override { delete form; }
    TForm* form;
    TPanel* panel;
};

} // namespace

TEST_F(ControlsTest, ChildrenUseTheParentFontUntilTheySetTheirOwn) {
    auto* child = new TPanel(form);
    child->SetParent(panel);
    auto* own = new TBitBtn(form);
    own->SetParent(panel);
    form->Font()->SetName(QStringLiteral("Tahoma"));
    form->Font()->SetHeight(-13);
    EXPECT_EQ(panel->Font()->Name(), QStringLiteral("Tahoma"));
    EXPECT_EQ(child->Font()->Height(), -13);
    EXPECT_TRUE(child->ParentFont());
    // Setting a font property makes the font the control's own.
    own->Font()->SetStyle({fsBold});
    EXPECT_FALSE(own->ParentFont());
    form->Font()->SetHeight(-16);
    EXPECT_EQ(child->Font()->Height(), -16);
    EXPECT_EQ(own->Font()->Height(), -13);
    EXPECT_TRUE(own->Font()->Style().Contains(fsBold));
    own->SetParentFont(true);
    EXPECT_EQ(own->Font()->Height(), -16);
    EXPECT_FALSE(own->Font()->Style().Contains(fsBold));
    // A control that joins a parent takes its font.
    auto* late = new TPanel(form);
    EXPECT_EQ(late->Font()->Name(), QStringLiteral("MS Sans Serif"));
    late->SetParent(form);
    EXPECT_EQ(late->Font()->Height(), -16);
}

TEST_F(ControlsTest, ParentColorAndShowHintFollowTheParent) {
    auto* child = new TPanel(form);
    child->SetParentColor(true);
    child->SetParent(panel);
    panel->SetColor(clYellow);
    EXPECT_EQ(child->Color(), clYellow);
    child->SetColor(clRed);
    EXPECT_FALSE(child->ParentColor());
    panel->SetColor(clBlue);
    EXPECT_EQ(child->Color(), clRed);

    form->SetShowHint(true);
    EXPECT_TRUE(panel->ShowHint());
    EXPECT_TRUE(child->EffectiveShowHint());
    child->SetShowHint(false);
    EXPECT_FALSE(child->ParentShowHint());
    EXPECT_EQ(GetShortHint(QStringLiteral("Primo|Il primo record")), QStringLiteral("Primo"));
}

TEST_F(ControlsTest, PublishedPropertiesAndClassesByName) {
    for (const char* name : {"TForm", "TPanel", "TBitBtn", "TControl", "TWinControl",
                             "TGraphicControl", "TCustomControl", "TCustomPanel", "TFont"})
        EXPECT_NE(FindClass(QString::fromLatin1(name)), nullptr) << name;
    TComponent* made = FindClass(QStringLiteral("TBitBtn"))->CreateComponent(form);
    auto* button = dynamic_cast<TBitBtn*>(made);
    ASSERT_NE(button, nullptr);
    button->SetParent(form);
    SetPropValue(button, QStringLiteral("Caption"), QStringLiteral("RAVELDA"));
    SetPropValue(button, QStringLiteral("Left"), 424);
    SetPropValue(button, QStringLiteral("Font.Name"), QStringLiteral("Tahoma"));
    SetPropValue(button, QStringLiteral("Font.Style"), QStringLiteral("[fsBold]"));
    SetPropValue(button, QStringLiteral("Color"), QStringLiteral("clBtnFace"));
    SetPropValue(button, QStringLiteral("TabStop"), false);
    EXPECT_EQ(button->Caption(), QStringLiteral("RAVELDA"));
    EXPECT_EQ(button->Left(), 424);
    EXPECT_EQ(button->Font()->Name(), QStringLiteral("Tahoma"));
    EXPECT_FALSE(button->ParentFont());
    EXPECT_FALSE(button->TabStop());
    EXPECT_EQ(GetEnumProp(button, QStringLiteral("Kind")), QStringLiteral("bkCustom"));
    // Defaults keep values out of descriptions; a parent's font is not stored.
    EXPECT_TRUE(GetPropInfo(panel, QStringLiteral("BevelOuter"))->IsDefaultValue(panel));
    EXPECT_FALSE(GetPropInfo(panel, QStringLiteral("Font"))->IsStored(panel));
    EXPECT_TRUE(GetPropInfo(button, QStringLiteral("Font"))->IsStored(button));
    EXPECT_EQ(GetPropValue(panel, QStringLiteral("Color")).toLongLong(), clBtnFace);
    EXPECT_THROW(SetPropValue(panel, QStringLiteral("BevelOuter"), QStringLiteral("bvSideways")),
                 Exception);
    SetPropValue(panel, QStringLiteral("BevelOuter"), QStringLiteral("bvLowered"));
    EXPECT_EQ(panel->BevelOuter(), bvLowered);
}

TEST_F(ControlsTest, GraphicControlsGetEnterLeaveAndClicks) {
    auto* probe = new TProbe(form);
    probe->SetParent(panel);
    int clicked = 0;
    probe->OnClick = [&](TObject*) { ++clicked; };
    QWidget* w = panel->Handle();
    MoveTo(w, {2, 2});
    EXPECT_EQ(probe->enters, 0);
    MoveTo(w, {15, 15});
    EXPECT_EQ(probe->enters, 1);
    EXPECT_TRUE(probe->MouseInControl());
    EXPECT_EQ(probe->moves.back(), std::make_pair(5, 5));
    MoveTo(w, {16, 16});
    EXPECT_EQ(probe->enters, 1);
    ClickAt(w, {16, 16});
    EXPECT_EQ(clicked, 1);
    ASSERT_EQ(probe->downs.size(), 1u);
    EXPECT_EQ(probe->downs[0], std::make_pair(6, 6));
    MoveTo(w, {50, 50});
    EXPECT_EQ(probe->leaves, 1);
    // Press inside, release outside: the control keeps the mouse but there is no click.
    SendMouse(w, QEvent::MouseButtonPress, {12, 12});
    SendMouse(w, QEvent::MouseMove, {60, 40}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(probe->moves.back(), std::make_pair(50, 30));
    SendMouse(w, QEvent::MouseButtonRelease, {60, 40}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicked, 1);
    // A double click on a control without double clicks is a second click.
    probe->SetControlStyle(probe->ControlStyle() - TControlStyle{csDoubleClicks});
    int doubles = 0;
    probe->OnDblClick = [&](TObject*) { ++doubles; };
    ClickAt(w, {15, 15});
    SendMouse(w, QEvent::MouseButtonDblClick, {15, 15});
    SendMouse(w, QEvent::MouseButtonRelease, {15, 15}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicked, 3);
    EXPECT_EQ(doubles, 0);
    // Disabled: still told of enter and leave, but the mouse goes to the parent.
    probe->SetEnabled(false);
    MoveTo(w, {50, 50});
    const int leaves = probe->leaves;
    MoveTo(w, {15, 15});
    EXPECT_GT(probe->enters, 1);
    ClickAt(w, {15, 15});
    EXPECT_EQ(clicked, 3);
    MoveTo(w, {50, 50});
    EXPECT_EQ(probe->leaves, leaves + 1);
}

TEST_F(ControlsTest, GraphicControlsPaintIntoTheirParent) {
    auto* probe = new TProbe(form);
    probe->SetParent(panel);
    panel->SetBevelOuter(bvNone);
    QImage img = Grab(panel->Handle());
    EXPECT_EQ(At(img, 10, 10), clRed);
    EXPECT_EQ(At(img, 29, 29), clRed);
    EXPECT_EQ(At(img, 30, 30), ColorToRGB(clBtnFace));
    EXPECT_EQ(At(img, 9, 9), ColorToRGB(clBtnFace));
    probe->SetVisible(false);
    img = Grab(panel->Handle());
    EXPECT_EQ(At(img, 15, 15), ColorToRGB(clBtnFace));
}

TEST_F(ControlsTest, PanelBevelsBorderAndCaption) {
    struct Case {
        const char* name;
        TPanelBevel outer, inner;
        int bevelWidth, borderWidth;
        // (offset from the edge, top-left colour, bottom-right colour)
        std::vector<std::tuple<int, TColor, TColor>> rings;
    } cases[] = {
        {"raised",
         bvRaised,
         bvNone,
         1,
         0,
         {{0, clBtnHighlight, clBtnShadow}, {1, clBtnFace, clBtnFace}}},
        {"lowered", bvLowered, bvNone, 1, 0, {{0, clBtnShadow, clBtnHighlight}}},
        {"raised and lowered",
         bvRaised,
         bvLowered,
         1,
         0,
         {{0, clBtnHighlight, clBtnShadow}, {1, clBtnShadow, clBtnHighlight}}},
        {"wide with border",
         bvRaised,
         bvLowered,
         2,
         3,
         {{0, clBtnHighlight, clBtnShadow},
          {1, clBtnHighlight, clBtnShadow},
          {2, clBtnFace, clBtnFace},
          {4, clBtnFace, clBtnFace},
          {5, clBtnShadow, clBtnHighlight},
          {6, clBtnShadow, clBtnHighlight},
          {7, clBtnFace, clBtnFace}}},
        {"none", bvNone, bvNone, 1, 0, {{0, clBtnFace, clBtnFace}}},
    };
    for (const Case& c : cases) {
        panel->SetBevelOuter(c.outer);
        panel->SetBevelInner(c.inner);
        panel->SetBevelWidth(c.bevelWidth);
        panel->SetBorderWidth(c.borderWidth);
        const QImage img = Grab(panel->Handle());
        for (const auto& [d, tl, br] : c.rings) {
            EXPECT_EQ(At(img, d, 30), ColorToRGB(tl)) << c.name << " ring " << d;
            EXPECT_EQ(At(img, 50, d), ColorToRGB(tl)) << c.name << " ring " << d;
            EXPECT_EQ(At(img, 99 - d, 30), ColorToRGB(br)) << c.name << " ring " << d;
            EXPECT_EQ(At(img, 50, 59 - d), ColorToRGB(br)) << c.name << " ring " << d;
        }
    }
    // The caption is centred.
    panel->SetBevelOuter(bvRaised);
    panel->SetBevelInner(bvNone);
    panel->SetBevelWidth(1);
    panel->SetBorderWidth(0);
    panel->SetCaption(QStringLiteral("Pannello"));
    QImage img = Grab(panel->Handle());
    int first = -1, last = -1, top = -1, bottom = -1;
    for (int y = 1; y < 59; ++y)
        for (int x = 1; x < 99; ++x)
            if (At(img, x, y) == ColorToRGB(clWindowText)) {
                if (first < 0 || x < first) first = x;
                last = std::max(last, x);
                if (top < 0) top = y;
                bottom = y;
            }
    ASSERT_GE(first, 0);
    EXPECT_NEAR((first + last) / 2.0, 50, 2);
    EXPECT_NEAR((top + bottom) / 2.0, 30, 3);
    // A single border is a sunken edge outside the client area.
    panel->SetBorderStyle(bsSingle);
    EXPECT_EQ(panel->ClientRect(), Rect(0, 0, 96, 56));
    img = Grab(panel->Handle());
    EXPECT_EQ(At(img, 0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(img, 1, 1), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(At(img, 2, 2), ColorToRGB(clBtnHighlight)); // the raised bevel, inside
}

TEST_F(ControlsTest, AlignedChildrenShareTheClientArea) {
    panel->SetBevelOuter(bvNone);
    auto* top = new TPanel(form);
    top->SetParent(panel);
    top->SetHeight(10);
    top->SetAlign(alTop);
    auto* left = new TPanel(form);
    left->SetParent(panel);
    left->SetWidth(20);
    left->SetAlign(alLeft);
    auto* rest = new TPanel(form);
    rest->SetParent(panel);
    rest->SetAlign(alClient);
    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 100, 10));
    EXPECT_EQ(left->BoundsRect(), Rect(0, 10, 20, 60));
    EXPECT_EQ(rest->BoundsRect(), Rect(20, 10, 100, 60));
    panel->SetWidth(150);
    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 150, 10));
    EXPECT_EQ(rest->BoundsRect(), Rect(20, 10, 150, 60));
}

TEST_F(ControlsTest, AnchorsDecideWhatResizingTheParentMoves) {
    auto* fixed = new TPanel(form);
    fixed->SetParent(panel);
    fixed->SetBounds(10, 10, 20, 20);
    auto* right = new TPanel(form);
    right->SetParent(panel);
    right->SetBounds(60, 10, 20, 20);
    right->SetAnchors({akTop, akRight});
    auto* stretch = new TPanel(form);
    stretch->SetParent(panel);
    stretch->SetBounds(10, 40, 80, 10);
    stretch->SetAnchors({akLeft, akTop, akRight, akBottom});
    panel->SetBounds(5, 5, 130, 80);
    EXPECT_EQ(fixed->BoundsRect(), Rect(10, 10, 30, 30));
    EXPECT_EQ(right->BoundsRect(), Rect(90, 10, 110, 30));
    EXPECT_EQ(stretch->BoundsRect(), Rect(10, 40, 120, 70));
    // Windows follow their control.
    EXPECT_EQ(right->Handle()->geometry(), QRect(90, 10, 20, 20));
}

TEST_F(ControlsTest, ControlsRefuseImpossibleParents) {
    auto* child = new TPanel(form);
    child->SetParent(panel);
    EXPECT_THROW(panel->SetParent(child), EInvalidOperation);
    EXPECT_THROW(panel->SetParent(panel), EInvalidOperation);
    EXPECT_EQ(panel->Parent(), form);
    // A child freed on its own leaves its parent's list.
    const int count = panel->ControlCount();
    delete child;
    EXPECT_EQ(panel->ControlCount(), count - 1);
    EXPECT_THROW(panel->Controls(5), EListError);
}

TEST_F(ControlsTest, ParentsFreeTheirChildren) {
    // Children owned elsewhere go with the window they are on.
    TForm other(nullptr);
    auto* outer = new TPanel(&other);
    outer->SetParent(&other);
    auto* inner = new TPanel(form); // owned by the first form
    inner->SetParent(outer);
    const int owned = form->ComponentCount();
    delete outer;
    EXPECT_EQ(form->ComponentCount(), owned - 1);
}

class BitBtnTest : public ::testing::Test {
protected:
    BitBtnTest() {
        form = new TForm(nullptr);
        form->SetBounds(0, 0, 300, 200);
        button = new TBitBtn(form);
        button->SetParent(form);
        button->SetBounds(20, 20, 153, 25);
        button->SetCaption(QStringLiteral("RAVELDA"));
        button->OnClick = [this](TObject*) { ++clicks; };
        other = new TBitBtn(form);
        other->SetParent(form);
        other->SetBounds(20, 60, 75, 25);
        other->SetCaption(QStringLiteral("Altro"));
    }
    ~BitBtnTest() override { delete form; }
    QImage shot() { return Grab(button->Handle()); }
    TForm* form;
    TBitBtn* button;
    TBitBtn* other;
    int clicks = 0;
};

TEST_F(BitBtnTest, MouseClicksInsideOnly) {
    ShowAndActivate(form);
    other->SetFocus();
    ClickAt(button->Handle(), {10, 10});
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(button->Focused()); // a click takes the focus
    SendMouse(button->Handle(), QEvent::MouseButtonPress, {10, 10});
    EXPECT_TRUE(button->IsDown());
    SendMouse(button->Handle(), QEvent::MouseMove, {200, 10}, Qt::NoButton, Qt::LeftButton);
    EXPECT_FALSE(button->IsDown());
    SendMouse(button->Handle(), QEvent::MouseMove, {30, 10}, Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(button->IsDown());
    SendMouse(button->Handle(), QEvent::MouseMove, {200, 10}, Qt::NoButton, Qt::LeftButton);
    SendMouse(button->Handle(), QEvent::MouseButtonRelease, {200, 10}, Qt::LeftButton,
              Qt::NoButton);
    EXPECT_EQ(clicks, 1);
    // The right button does not click.
    ClickAt(button->Handle(), {10, 10});
    SendMouse(button->Handle(), QEvent::MouseButtonPress, {10, 10}, Qt::RightButton,
              Qt::RightButton);
    SendMouse(button->Handle(), QEvent::MouseButtonRelease, {10, 10}, Qt::RightButton,
              Qt::NoButton);
    EXPECT_EQ(clicks, 2);
    // Disabled buttons do not click.
    button->SetEnabled(false);
    ClickAt(button->Handle(), {10, 10});
    EXPECT_EQ(clicks, 2);
}

TEST_F(BitBtnTest, SpaceAndEnterClickTheFocusedButton) {
    ShowAndActivate(form);
    button->SetFocus();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(button->Handle(), &down);
    EXPECT_TRUE(button->IsDown());
    EXPECT_EQ(clicks, 0); // the click comes with the release
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(button->Handle(), &up);
    EXPECT_EQ(clicks, 1);
    PressKey(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    EXPECT_EQ(clicks, 2);
    PressKey(Qt::Key_Tab);
    EXPECT_TRUE(other->Focused());
}

TEST_F(BitBtnTest, ClassicLookUpFocusedAndPressed) {
    ShowAndActivate(form);
    other->SetFocus();
    QImage img = shot();
    // Up, not focused: soft raised edge, face inside.
    EXPECT_EQ(At(img, 0, 0), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(img, 152, 24), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(At(img, 151, 23), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(img, 3, 12), ColorToRGB(clBtnFace));
    // Focused: black frame around the raised edge, dotted focus rectangle 4 pixels in.
    button->SetFocus();
    img = shot();
    EXPECT_EQ(At(img, 0, 0), ColorToRGB(clWindowFrame));
    EXPECT_EQ(At(img, 152, 24), ColorToRGB(clWindowFrame));
    EXPECT_EQ(At(img, 1, 1), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(img, 4, 4), RGB(63, 63, 63));
    EXPECT_EQ(At(img, 5, 4), ColorToRGB(clBtnFace));
    // Pressed: black frame, then a shadow frame; the caption moves one pixel right and down.
    const auto ink = [](const QImage& i) {
        int first = -1, top = -1;
        for (int y = 0; y < i.height(); ++y)
            for (int x = 5; x < i.width() - 5; ++x)
                if (At(i, x, y) == ColorToRGB(clWindowText) && y > 5 && y < 20) {
                    if (first < 0 || x < first) first = x;
                    if (top < 0) top = y;
                }
        return std::make_pair(first, top);
    };
    const auto upInk = ink(img);
    ASSERT_GE(upInk.first, 0);
    SendMouse(button->Handle(), QEvent::MouseButtonPress, {10, 10});
    img = shot();
    EXPECT_EQ(At(img, 0, 0), ColorToRGB(clWindowFrame));
    EXPECT_EQ(At(img, 1, 1), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(img, 150, 22), ColorToRGB(clBtnFace));
    const auto downInk = ink(img);
    EXPECT_EQ(downInk.first, upInk.first + 1);
    EXPECT_EQ(downInk.second, upInk.second + 1);
    SendMouse(button->Handle(), QEvent::MouseButtonRelease, {10, 10}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(BitBtnTest, DisabledCaptionIsEmbossed) {
    button->SetEnabled(false);
    const QImage img = shot();
    int shadow = 0, light = 0, dark = 0;
    for (int y = 3; y < 22; ++y)
        for (int x = 3; x < 150; ++x) {
            const TColor c = At(img, x, y);
            shadow += c == ColorToRGB(clBtnShadow);
            light += c == ColorToRGB(clBtnHighlight);
            dark += c == ColorToRGB(clWindowText);
        }
    EXPECT_GT(shadow, 10);
    EXPECT_GT(light, 10);
    EXPECT_EQ(dark, 0);
}

TEST_F(BitBtnTest, KindsGiveCaptionAndModalResult) {
    TBitBtn ok(nullptr);
    ok.SetKind(bkOK);
    EXPECT_EQ(ok.Caption(), QStringLiteral("OK"));
    EXPECT_EQ(ok.ModalResult(), mrOk);
    EXPECT_TRUE(ok.Default());
    TBitBtn custom(nullptr);
    EXPECT_EQ(custom.Kind(), bkCustom);
    EXPECT_TRUE(custom.TabStop());
    EXPECT_EQ(custom.ModalResult(), mrNone);
}
