#include "platform/wincontrol.h"

#include "platform/application.h"
#include "platform/canvas.h"
#include "platform/drawing.h"
#include "platform/exceptions.h"
#include "platform/form.h"
#include "platform/properties.h"
#include "platform/screen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QToolTip>
#include <algorithm>

RAVELDA_DEFINE_CLASS(TWinControl) {
    c.Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    c.Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
    c.Event("OnEnter", &TWinControl::OnEnter);
    c.Event("OnExit", &TWinControl::OnExit);
    c.Event("OnKeyDown", &TWinControl::OnKeyDown);
    c.Event("OnKeyPress", &TWinControl::OnKeyPress);
    c.Event("OnKeyUp", &TWinControl::OnKeyUp);
}

namespace {

void ApplyCursor(QWidget* w, TCursor c) {
    if (c == crDefault)
        w->unsetCursor();
    else
        w->setCursor(CursorShapeOf(c));
}

TMouseButton ButtonOf(Qt::MouseButton b) {
    switch (b) {
    case Qt::RightButton:
        return mbRight;
    case Qt::MiddleButton:
        return mbMiddle;
    default:
        return mbLeft;
    }
}

} // namespace

// ---- TWinWidget

TWinWidget::TWinWidget(TWinControl* control, QWidget* parent) : QWidget(parent), control_(control) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TWinWidget::~TWinWidget() = default;

bool TWinWidget::event(QEvent* e) {
    if (control_) {
        if (e->type() == QEvent::KeyPress) {
            // Tab goes through the control's own key path (the form moves the focus), never
            // through Qt's focus chain.
            keyPressEvent(static_cast<QKeyEvent*>(e));
            return true;
        }
        if (e->type() == QEvent::ToolTip) {
            auto* help = static_cast<QHelpEvent*>(e);
            GuardedCall(control_, [&] { control_->ShowHintAt(help->pos(), help->globalPos()); });
            return true;
        }
    }
    return QWidget::event(e);
}

void TWinWidget::paintEvent(QPaintEvent* e) {
    if (!control_) return;
    QPainter painter(this);
    GuardedCall(control_, [&] { control_->PaintHandler(painter, e->rect()); });
}

void TWinWidget::mousePressEvent(QMouseEvent* e) {
    if (control_) GuardedCall(control_, [&] { control_->MouseEvent(e, 0); });
    e->accept();
}

void TWinWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (control_) GuardedCall(control_, [&] { control_->MouseEvent(e, 1); });
    e->accept();
}

void TWinWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    if (control_) GuardedCall(control_, [&] { control_->MouseEvent(e, 2); });
    e->accept();
}

void TWinWidget::mouseMoveEvent(QMouseEvent* e) {
    if (control_) GuardedCall(control_, [&] { control_->MouseEvent(e, 3); });
    e->accept();
}

void TWinWidget::keyPressEvent(QKeyEvent* e) {
    e->accept();
    if (!control_) return;
    Word key = VirtualKeyFromQt(e->key(), e->modifiers());
    TShiftState shift = ShiftStateFromQt(e->modifiers());
    if (e->key() == Qt::Key_Backtab) shift.Include(ssShift);
    GuardedCall(control_, [&] { control_->HandleKeyPress(key, shift, e->text()); });
}

void TWinWidget::keyReleaseEvent(QKeyEvent* e) {
    e->accept();
    if (!control_ || e->isAutoRepeat()) return;
    const Word key = VirtualKeyFromQt(e->key(), e->modifiers());
    GuardedCall(control_,
                [&] { control_->HandleKeyRelease(key, ShiftStateFromQt(e->modifiers())); });
}

void TWinWidget::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    if (!control_) return;
    GuardedCall(control_, [&] {
        Screen()->SetActiveControl(control_);
        if (TCustomForm* form = GetParentForm(control_)) form->FocusControlChanged(control_);
        control_->DoEnter();
        control_->WMSetFocus();
    });
}

void TWinWidget::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    if (!control_) return;
    const bool windowOnly =
        e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason;
    GuardedCall(control_, [&] {
        if (!windowOnly) control_->DoExit();
        control_->WMKillFocus();
    });
}

void TWinWidget::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (control_ && isWindow())
        GuardedCall(control_, [&] { control_->WindowResized(width(), height()); });
}

void TWinWidget::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    if (control_ && isWindow()) GuardedCall(control_, [&] { control_->WindowMoved(x(), y()); });
}

void TWinWidget::closeEvent(QCloseEvent* e) {
    // The control decides; the window only closes by being hidden.
    e->ignore();
    if (control_)
        GuardedCall(control_, [&] {
            if (control_->WindowCloseRequested()) hide();
        });
}

void TWinWidget::enterEvent(QEnterEvent* e) {
    QWidget::enterEvent(e);
    if (control_) GuardedCall(control_, [&] { control_->DispatchMouseEnter(); });
}

void TWinWidget::leaveEvent(QEvent* e) {
    QWidget::leaveEvent(e);
    if (control_)
        GuardedCall(control_, [&] {
            control_->UpdateHover(nullptr);
            control_->DispatchMouseLeave();
        });
}

bool TWinWidget::focusNextPrevChild(bool) {
    return false;
}

// ---- TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
    widget_ = new TWinWidget(this);
    widget_->setAttribute(Qt::WA_DontShowOnScreen, false);
    widget_->setFont(Font()->Handle());
}

TWinControl::~TWinControl() {
    Destroying();
    DestroyComponents();
    // Children still here belong to other owners; a window takes its children with it.
    while (!controls_.empty()) {
        TControl* c = controls_.back();
        delete c;
    }
    if (parent_) parent_->RemoveControl(this);
    widget_->Detach();
    delete widget_;
    widget_ = nullptr;
}

TControl* TWinControl::Controls(int Index) const {
    if (Index < 0 || Index >= ControlCount())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    return controls_[static_cast<std::size_t>(Index)];
}

bool TWinControl::ContainsControl(const TControl* Control) const {
    for (const TControl* c = Control; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

TControl* TWinControl::ControlAtPos(TPoint Pos, bool AllowDisabled, bool AllowWinControls) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (!AllowWinControls && dynamic_cast<TWinControl*>(c)) continue;
        if (!(c->Visible() || c->IsDesigning())) continue;
        if (!AllowDisabled && !c->Enabled()) continue;
        if (c->BoundsRect().Contains(Pos)) return c;
    }
    return nullptr;
}

void TWinControl::InsertControl(TControl* AControl) {
    AControl->parent_ = this;
    controls_.push_back(AControl);
    if (auto* w = dynamic_cast<TWinControl*>(AControl)) tabList_.push_back(w);
    if (AControl->ParentFont()) AControl->TakeParentFont();
    if (AControl->ParentColor() && AControl->Color() != Color()) {
        AControl->color_ = Color();
        AControl->CMColorChanged();
    }
    if (AControl->ParentShowHint()) AControl->CMParentShowHintChanged();
    AControl->Invalidate();
    if (AControl->Align() != alNone) Realign();
}

void TWinControl::RemoveControl(TControl* AControl) {
    if (captureControl_ == AControl) captureControl_ = nullptr;
    if (hoverControl_ == AControl) hoverControl_ = nullptr;
    AControl->Invalidate();
    controls_.erase(std::remove(controls_.begin(), controls_.end(), AControl), controls_.end());
    tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), AControl), tabList_.end());
    AControl->parent_ = nullptr;
    if (AControl->Align() != alNone && !IsDestroying()) Realign();
}

void TWinControl::NotifyControls(void (TControl::*notice)()) {
    const std::vector<TControl*> children = controls_;
    for (TControl* c : children)
        (c->*notice)();
}

TRect TWinControl::ClientRect() const {
    const TRect b = BorderInsets();
    return Rect(0, 0, std::max(0, Width() - b.Left - b.Right),
                std::max(0, Height() - b.Top - b.Bottom));
}

TPoint TWinControl::ClientOrigin() const {
    const QPoint p = widget_->mapToGlobal(QPoint(0, 0));
    const TRect b = BorderInsets();
    return {p.x() + b.Left, p.y() + b.Top};
}

// ---- bounds and window placement

void TWinControl::PlaceWindow() {
    placing_ = true;
    if (parent_) {
        const TRect in = parent_->BorderInsets();
        widget_->setGeometry(Left() + in.Left, Top() + in.Top, Width(), Height());
    } else {
        widget_->resize(Width(), Height());
    }
    placing_ = false;
}

void TWinControl::UpdateBoundsRect() {
    PlaceWindow();
}

void TWinControl::BorderChanged() {
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->PlaceWindow();
    Invalidate();
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    const int oldWidth = Width();
    const int oldHeight = Height();
    TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (Width() != oldWidth || Height() != oldHeight) {
        AnchorChildren(oldWidth, oldHeight);
        Realign();
    }
}

void TWinControl::AnchorChildren(int oldWidth, int oldHeight) {
    if (IsLoading() || oldWidth == 0 || oldHeight == 0) return;
    const int dx = Width() - oldWidth;
    const int dy = Height() - oldHeight;
    for (TControl* c : controls_) {
        if (c->Align() != alNone) continue;
        const TAnchors a = c->Anchors();
        int l = c->Left(), t = c->Top(), w = c->Width(), h = c->Height();
        if (a.Contains(akRight)) {
            if (a.Contains(akLeft))
                w += dx;
            else
                l += dx;
        } else if (!a.Contains(akLeft)) {
            l += dx / 2;
        }
        if (a.Contains(akBottom)) {
            if (a.Contains(akTop))
                h += dy;
            else
                t += dy;
        } else if (!a.Contains(akTop)) {
            t += dy / 2;
        }
        c->SetBounds(l, t, w, h);
    }
}

void TWinControl::Realign() {
    if (IsLoading() || IsDestroying() || aligning_ > 0) return;
    TRect r = ClientRect();
    ++aligning_;
    const auto unalign = qScopeGuard([this] { --aligning_; });
    AlignControls(nullptr, r);
}

void TWinControl::AlignControls(TControl*, TRect& Rect) {
    const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
    for (TAlign align : order) {
        std::vector<TControl*> list;
        for (TControl* c : controls_)
            if (c->Align() == align && (c->Visible() || c->IsDesigning())) list.push_back(c);
        auto key = [align](const TControl* c) {
            switch (align) {
            case alTop:
                return c->Top();
            case alBottom:
                return -(c->Top() + c->Height());
            case alLeft:
                return c->Left();
            case alRight:
                return -(c->Left() + c->Width());
            default:
                return 0;
            }
        };
        std::stable_sort(list.begin(), list.end(),
                         [&](const TControl* a, const TControl* b) { return key(a) < key(b); });
        for (TControl* c : list) {
            switch (align) {
            case alTop:
                c->SetBounds(Rect.Left, Rect.Top, Rect.Width(), c->Height());
                Rect.Top += c->Height();
                break;
            case alBottom:
                c->SetBounds(Rect.Left, Rect.Bottom - c->Height(), Rect.Width(), c->Height());
                Rect.Bottom -= c->Height();
                break;
            case alLeft:
                c->SetBounds(Rect.Left, Rect.Top, c->Width(), Rect.Height());
                Rect.Left += c->Width();
                break;
            case alRight:
                c->SetBounds(Rect.Right - c->Width(), Rect.Top, c->Width(), Rect.Height());
                Rect.Right -= c->Width();
                break;
            default:
                c->SetBounds(Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
                break;
            }
        }
    }
}

void TWinControl::ParentChanged() {
    if (parent_) {
        widget_->setParent(parent_->widget_);
        PlaceWindow();
        widget_->setVisible(Visible());
        if (pendingTabOrder_ >= 0 && !IsLoading()) {
            const int order = pendingTabOrder_;
            pendingTabOrder_ = -1;
            SetTabOrder(order);
        }
    } else {
        widget_->hide();
        widget_->setParent(nullptr);
    }
}

void TWinControl::CMVisibleChanged() {
    if (parent_) widget_->setVisible(Visible());
}

void TWinControl::CMEnabledChanged() {
    widget_->setEnabled(Enabled());
    Invalidate();
}

void TWinControl::CMFontChanged() {
    widget_->setFont(Font()->Handle());
    Invalidate();
    NotifyControls(&TControl::CMParentFontChanged);
}

void TWinControl::CMColorChanged() {
    Invalidate();
    NotifyControls(&TControl::CMParentColorChanged);
}

void TWinControl::SetCursor(TCursor Value) {
    TControl::SetCursor(Value);
    ApplyCursor(widget_, Value);
}

void TWinControl::Resize() {
    TControl::Resize();
}

void TWinControl::WindowResized(int, int) {}
void TWinControl::WindowMoved(int, int) {}

// ---- focus and Tab order

bool TWinControl::CanFocus() const {
    const TCustomForm* form = GetParentForm(this);
    if (!form) return false;
    for (const TControl* c = this; c && c != form; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return form->Enabled();
}

bool TWinControl::Focused() const {
    return widget_->hasFocus();
}

void TWinControl::SetFocus() {
    if (!CanFocus())
        throw EInvalidOperation(QStringLiteral("Cannot focus a disabled or invisible window"));
    if (TCustomForm* form = GetParentForm(this)) form->FocusControlChanged(this);
    widget_->setFocus(Qt::OtherFocusReason);
}

int TWinControl::TabOrder() const {
    if (!parent_) return pendingTabOrder_;
    const auto& list = parent_->tabList_;
    const auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
    // While reading, the stored order waits until every sibling is there.
    if (!parent_ || IsLoading()) {
        pendingTabOrder_ = Value;
        return;
    }
    auto& list = parent_->tabList_;
    const auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    const int count = static_cast<int>(list.size());
    Value = std::clamp(Value, 0, count - 1);
    list.erase(it);
    list.insert(list.begin() + Value, this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const {
    for (TWinControl* c : tabList_) {
        List.push_back(c);
        c->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward,
                                          bool CheckTabStop, bool CheckParent) const {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    const int n = static_cast<int>(list.size());
    if (n == 0) return nullptr;
    const auto found = std::find(list.begin(), list.end(), CurControl);
    int i = found != list.end() ? static_cast<int>(found - list.begin()) : (GoForward ? n - 1 : 0);
    if (found == list.end() && !GoForward) i = n; // the first step back lands on the last control
    for (int step = 0; step < n; ++step) {
        i = GoForward ? (i + 1) % n : (i - 1 + n) % n;
        TWinControl* c = list[static_cast<std::size_t>(i)];
        if (c == CurControl) break;
        if ((!CheckTabStop || c->TabStop()) && (!CheckParent || c->parent_ == this) &&
            c->CanFocus())
            return c;
    }
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
    if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, false))
        next->SetFocus();
}

void TWinControl::SelectFirst() {
    if (TWinControl* first = FindNextControl(nullptr, true, true, false)) first->SetFocus();
}

void TWinControl::DoEnter() {
    Fire(OnEnter, this);
}
void TWinControl::DoExit() {
    Fire(OnExit, this);
}

// ---- keys

void TWinControl::KeyDown(Word& Key, TShiftState Shift) {
    Fire(OnKeyDown, this, Key, Shift);
}
void TWinControl::KeyUp(Word& Key, TShiftState Shift) {
    Fire(OnKeyUp, this, Key, Shift);
}
void TWinControl::KeyPress(QChar& Key) {
    Fire(OnKeyPress, this, Key);
}

bool TWinControl::HandleKeyPress(Word Key, TShiftState Shift, const QString& Text) {
    NoteKeyState(Key, true);
    if (Key == VK_TAB && !(WantedKeys() & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) &&
        !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt)) {
        if (TCustomForm* form = GetParentForm(this)) {
            form->SelectNext(this, !Shift.Contains(ssShift), true);
            return true;
        }
    }
    Word key = Key;
    KeyDown(key, Shift);
    if (key == 0) return true;
    for (QChar ch : Text) {
        if (ch == QLatin1Char('\t') && !(WantedKeys() & (DLGC_WANTTAB | DLGC_WANTALLKEYS)))
            continue;
        QChar c = ch;
        KeyPress(c);
    }
    return true;
}

void TWinControl::HandleKeyRelease(Word Key, TShiftState Shift) {
    NoteKeyState(Key, false);
    Word key = Key;
    KeyUp(key, Shift);
}

// ---- painting

void TWinControl::Invalidate() {
    widget_->update();
}

void TWinControl::InvalidateRect(const TRect& r) {
    const TRect in = BorderInsets();
    widget_->update(r.toQRect().translated(in.Left, in.Top));
}

void TWinControl::Update() {
    if (widget_->isVisible())
        QCoreApplication::sendPostedEvents(widget_->window(), QEvent::UpdateRequest);
}

void TWinControl::PaintHandler(QPainter& painter, const QRect& updateRect) {
    const TRect in = BorderInsets();
    if (in.Left || in.Top || in.Right || in.Bottom) PaintBorder(painter);
    painter.save();
    painter.translate(in.Left, in.Top);
    const TRect client = ClientRect();
    TRect update;
    IntersectRect(update, client, TRect::fromQRect(updateRect.translated(-in.Left, -in.Top)));
    painter.setClipRect(client.toQRect());
    PaintWindow(painter, update);
    PaintControls(painter, update);
    painter.restore();
}

void TWinControl::PaintWindow(QPainter& painter, const TRect& updateRect) {
    if (!ControlStyle().Contains(csOpaque))
        painter.fillRect(updateRect.toQRect(), ToQColor(Color()));
}

void TWinControl::PaintBorder(QPainter& painter) {
    TCanvas canvas;
    const TCanvasPaintScope scope(canvas, &painter);
    TRect r = Rect(0, 0, Width(), Height());
    DrawEdge(canvas, r, EDGE_SUNKEN, BF_RECT);
}

void TWinControl::PaintControls(QPainter& painter, const TRect& updateRect) {
    for (TControl* c : controls_) {
        if (dynamic_cast<TWinControl*>(c)) continue;
        if (!(c->Visible() || c->IsDesigning())) continue;
        TRect hit;
        if (!IntersectRect(hit, c->BoundsRect(), updateRect)) continue;
        painter.save();
        painter.translate(c->Left(), c->Top());
        painter.setClipRect(QRect(0, 0, c->Width(), c->Height()), Qt::IntersectClip);
        c->PaintInParent(painter);
        painter.restore();
    }
}

// ---- mouse routing

void TWinControl::UpdateHover(TControl* now) {
    if (now == hoverControl_) return;
    TControl* old = hoverControl_;
    hoverControl_ = now;
    if (old) old->DispatchMouseLeave();
    if (now) now->DispatchMouseEnter();
    ApplyCursor(widget_, now && now->Cursor() != crDefault ? now->Cursor() : Cursor());
}

void TWinControl::MouseEvent(QMouseEvent* e, int kind) {
    const TRect in = BorderInsets();
    const QPoint pos = e->position().toPoint();
    const TPoint client{pos.x() - in.Left, pos.y() - in.Top};
    const TShiftState shift = ShiftStateFromQt(e->modifiers(), e->buttons());
    TControl* under = ControlAtPos(client, true);
    if (kind == 3) UpdateHover(under);
    // The control holding the capture, else an enabled windowless child under the pointer,
    // else the window's own control.
    TControl* target = captureControl_;
    if (!target && under && under->Enabled()) target = under;
    if (!target) target = this;
    const TPoint origin = target == this ? TPoint() : target->OriginInParentWindow();
    const int x = client.X - origin.X;
    const int y = client.Y - origin.Y;
    switch (kind) {
    case 0:
        target->DispatchMouseDown(ButtonOf(e->button()), shift, x, y, false);
        break;
    case 2:
        // Controls without double clicks take the second press as a plain one.
        target->DispatchMouseDown(ButtonOf(e->button()), shift, x, y,
                                  target->ControlStyle().Contains(csDoubleClicks));
        break;
    case 1:
        target->DispatchMouseUp(ButtonOf(e->button()), shift, x, y);
        break;
    default:
        target->DispatchMouseMove(shift, x, y);
        break;
    }
}

void TWinControl::ShowHintAt(const QPoint& pos, const QPoint& globalPos) {
    const TRect in = BorderInsets();
    const TPoint client{pos.x() - in.Left, pos.y() - in.Top};
    TControl* target = ControlAtPos(client, true);
    if (!target) target = this;
    const QString text = GetShortHint(target->Hint());
    if (!target->EffectiveShowHint() || text.isEmpty()) {
        QToolTip::hideText();
        return;
    }
    QRect area = target == this ? QRect(QPoint(0, 0), widget_->size())
                                : target->BoundsRect().toQRect().translated(in.Left, in.Top);
    QToolTip::showText(globalPos, text, widget_, area);
}

// ---- scaling and loading

void TWinControl::ChangeScale(int M, int D) {
    if (M == D) return;
    ++aligning_;
    {
        const auto unalign = qScopeGuard([this] { --aligning_; });
        const std::vector<TControl*> children = controls_;
        for (TControl* c : children)
            c->ChangeScale(M, D);
        TControl::ChangeScale(M, D);
    }
    Realign(); // once, after the scaling: it does nothing while aligning_ is raised
}

void TWinControl::Loaded() {
    TControl::Loaded();
    if (pendingTabOrder_ >= 0 && parent_) {
        const int order = pendingTabOrder_;
        pendingTabOrder_ = -1;
        SetTabOrder(order);
    }
    Realign();
}
