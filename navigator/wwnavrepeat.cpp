// Auto-repeat of the moving buttons while the left mouse button is held on them.
#include "navigator/wwdbnavigator.h"
#include "platform/keys.h"
#include "platform/properties.h"
#include "platform/timer.h"

#include <QGuiApplication>
#include <QScopeGuard>
#include <utility>

RAVELDA_DEFINE_CLASS(TwwNavRepeatInterval) {
    c.Property("InitialDelay", &TwwNavRepeatInterval::InitialDelay,
               &TwwNavRepeatInterval::SetInitialDelay)
        .NoDefault();
    c.Property("Interval", &TwwNavRepeatInterval::Interval, &TwwNavRepeatInterval::SetInterval)
        .NoDefault();
}

void TwwNavRepeatInterval::Assign(const TPersistent* Source) {
    if (auto* s = dynamic_cast<const TwwNavRepeatInterval*>(Source)) {
        initialDelay_ = s->initialDelay_;
        interval_ = s->interval_;
        return;
    }
    TPersistent::Assign(Source);
}

namespace {
bool LeftButtonPhysicallyDown() {
    return KeyIsDown(VK_LBUTTON) || (QGuiApplication::mouseButtons() & Qt::LeftButton);
}
} // namespace

void TwwNavButton::StartRepeat() {
    StopRepeat();
    delete retiredTimer_;
    retiredTimer_ = nullptr;
    const TwwDBNavigator* nav = Navigator();
    auto* timer = new TTimer(this);
    repeatTimer_ = timer;
    timer->SetInterval(std::max(0, nav->RepeatInterval()->InitialDelay()));
    timer->SetOnTimer([this](TObject*) { RepeatTick(); });
}

void TwwNavButton::StopRepeat() {
    if (!repeatTimer_) return;
    TTimer* timer = repeatTimer_;
    repeatTimer_ = nullptr;
    timer->SetEnabled(false);
    if (inTick_) {
        delete retiredTimer_;
        retiredTimer_ = timer;
    } else {
        delete timer;
    }
}

void TwwNavButton::RepeatTick() {
    if (!repeatTimer_) return;
    if (!LeftButtonDown()) {
        inTick_ = true;
        StopRepeat();
        inTick_ = false;
        return;
    }
    inTick_ = true;
    const auto ticked = qScopeGuard([this] { inTick_ = false; });
    repeatTimer_->SetInterval(std::max(0, Navigator()->RepeatInterval()->Interval()));
    Click();
}

void TwwNavButton::ClearHeldState() {
    // The button was let go outside the window: forget the press without a click.
    SetControlState(ControlState() - TControlState{csLButtonDown, csClicked});
    SetMouseCapture(false);
    TMouseEvent saved = std::exchange(OnMouseUp, nullptr);
    // Moved back, not copied: a copy could fail where the guard cannot report it.
    const auto restore = qScopeGuard([this, &saved] { OnMouseUp = std::move(saved); });
    TwwSpeedButton::MouseUp(mbLeft, TShiftState(), -1, -1);
}

void TwwNavButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TwwSpeedButton::MouseDown(Button, Shift, X, Y);
    if (IsRepeatStyle(style_) && !IsDesigning()) StartRepeat();
    RepaintThrough();
}

void TwwNavButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    StopRepeat();
    TwwSpeedButton::MouseUp(Button, Shift, X, Y);
    RepaintThrough();
}

void TwwNavButton::CMMouseEnter() {
    TwwSpeedButton::CMMouseEnter();
    if (!LeftButtonDown()) return;
    if (!LeftButtonPhysicallyDown())
        ClearHeldState();
    else if (IsRepeatStyle(style_) && !IsDesigning())
        StartRepeat();
}

void TwwNavButton::CMMouseLeave() {
    TwwSpeedButton::CMMouseLeave();
    if (LeftButtonDown()) StopRepeat();
    if (Enabled()) RepaintThrough();
}
