#include "platform/bitbtn.h"
#include "platform/form.h"
#include "platform/panel.h"
#include "tests/platform/control_support.h"

#include <gtest/gtest.h>

using namespace ravelda::test;

namespace {

// A focusable control that records its keys.
class TKeyBox : public TCustomControl {
public:
    explicit TKeyBox(TComponent* AOwner) : TCustomControl(AOwner) {
        SetTabStop(true);
        SetBounds(0, 0, 50, 20);
    }
    std::vector<Word> downs;
    std::vector<Word> ups;
    QString typed;
    unsigned wanted = 0;
    unsigned WantedKeys() const override { return wanted; }

protected:
    void KeyDown(Word& Key, TShiftState Shift) override {
        downs.push_back(Key);
        TCustomControl::KeyDown(Key, Shift);
    }
    void KeyUp(Word& Key, TShiftState Shift) override {
        ups.push_back(Key);
        TCustomControl::KeyUp(Key, Shift);
    }
    void KeyPress(QChar& Key) override {
        TCustomControl::KeyPress(Key);
        if (!Key.isNull()) typed += Key;
    }
};

class FocusTest : public ::testing::Test {
protected:
    FocusTest() {
        form = new TForm(nullptr);
        form->SetBounds(0, 0, 300, 200);
        panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBounds(0, 0, 200, 100);
        a = new TKeyBox(form);
        a->SetParent(panel);
        b = new TKeyBox(form);
        b->SetParent(form);
        b->SetTop(120);
        c = new TKeyBox(form);
        c->SetParent(form);
        c->SetTop(150);
    }
    ~FocusTest() override { delete form; }
    TWinControl* focused() const {
        for (TWinControl* w : {static_cast<TWinControl*>(a), static_cast<TWinControl*>(b),
                               static_cast<TWinControl*>(c), static_cast<TWinControl*>(panel)})
            if (w->Focused()) return w;
        return nullptr;
    }
    TForm* form;
    TPanel* panel;
    TKeyBox* a;
    TKeyBox* b;
    TKeyBox* c;
};

} // namespace

TEST_F(FocusTest, ShowingFocusesTheFirstTabStop) {
    ShowAndActivate(form);
    EXPECT_EQ(focused(), a);
    EXPECT_EQ(form->ActiveControl(), a);
    EXPECT_EQ(Screen()->ActiveControl(), a);
}

TEST_F(FocusTest, TabFollowsTabOrderAcrossContainersAndWraps) {
    // The form's list: panel (with a inside), b, c. Reordered: c before b.
    c->SetTabOrder(1);
    EXPECT_EQ(panel->TabOrder(), 0);
    EXPECT_EQ(c->TabOrder(), 1);
    EXPECT_EQ(b->TabOrder(), 2);
    ShowAndActivate(form);
    ASSERT_EQ(focused(), a);
    PressKey(Qt::Key_Tab);
    EXPECT_EQ(focused(), c);
    PressKey(Qt::Key_Tab);
    EXPECT_EQ(focused(), b);
    PressKey(Qt::Key_Tab);
    EXPECT_EQ(focused(), a); // wraps round, skipping the panel (no tab stop)
    PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(focused(), b);
    // Tab keys never reach the controls' key handlers.
    EXPECT_TRUE(a->downs.empty());
    EXPECT_TRUE(b->downs.empty());
}

TEST_F(FocusTest, TabSkipsWhatCannotTakeTheFocus) {
    ShowAndActivate(form);
    b->SetEnabled(false);
    PressKey(Qt::Key_Tab);
    EXPECT_EQ(focused(), c);
    c->SetTabStop(false);
    PressKey(Qt::Key_Tab);
    // c is no tab stop, b is disabled: back to a.
    EXPECT_EQ(focused(), a);
    panel->SetVisible(false);
    EXPECT_FALSE(a->CanFocus());
    EXPECT_THROW(a->SetFocus(), EInvalidOperation);
    // A control that is no tab stop still takes the focus when asked.
    c->SetFocus();
    EXPECT_EQ(focused(), c);
}

TEST_F(FocusTest, TabOrderValuesAreClampedAndKeepTheListWhole) {
    b->SetTabOrder(99);
    EXPECT_EQ(b->TabOrder(), 2);
    b->SetTabOrder(-5);
    EXPECT_EQ(b->TabOrder(), 0);
    EXPECT_EQ(panel->TabOrder(), 1);
    EXPECT_EQ(c->TabOrder(), 2);
    EXPECT_EQ(a->TabOrder(), 0); // inside the panel
    TKeyBox orphan(nullptr);
    EXPECT_EQ(orphan.TabOrder(), -1);
}

TEST_F(FocusTest, ControlsThatWantTabKeepIt) {
    ShowAndActivate(form);
    a->wanted = DLGC_WANTTAB;
    PressKey(Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    EXPECT_EQ(focused(), a);
    ASSERT_EQ(a->downs.size(), 1u);
    EXPECT_EQ(a->downs[0], VK_TAB);
    EXPECT_EQ(a->typed, QStringLiteral("\t"));
}

TEST_F(FocusTest, KeysArrivePassedByReference) {
    ShowAndActivate(form);
    // The event handler swallows "X" by clearing the key; KeyPress may change the character.
    a->OnKeyDown = [](TObject*, Word& Key, TShiftState) {
        if (Key == 'X') Key = 0;
    };
    a->OnKeyPress = [](TObject*, QChar& Key) {
        if (Key == QLatin1Char('a')) Key = QLatin1Char('b');
    };
    PressKey(Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    PressKey(Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    PressKey(Qt::Key_F2);
    PressKey(Qt::Key_Down);
    EXPECT_EQ(a->typed, QStringLiteral("b"));
    EXPECT_EQ(a->downs, (std::vector<Word>{'A', 'X', VK_F2, VK_DOWN}));
    EXPECT_EQ(a->ups, (std::vector<Word>{'A', 'X', VK_F2, VK_DOWN}));
}

TEST_F(FocusTest, EnterAndExitFollowTheFocus) {
    std::vector<std::string> log;
    for (TKeyBox* k : {a, b}) {
        k->OnEnter = [&log, k, this](TObject*) { log.push_back(k == a ? "enter a" : "enter b"); };
        k->OnExit = [&log, k, this](TObject*) { log.push_back(k == a ? "exit a" : "exit b"); };
    }
    ShowAndActivate(form);
    b->SetFocus();
    EXPECT_EQ(log, (std::vector<std::string>{"enter a", "exit a", "enter b"}));
    EXPECT_EQ(form->ActiveControl(), b);
}

TEST_F(FocusTest, ActiveControlIsFocusedOnShowAndClearedWhenItGoes) {
    form->SetActiveControl(c);
    ShowAndActivate(form);
    EXPECT_EQ(focused(), c);
    delete c;
    c = nullptr;
    EXPECT_EQ(form->ActiveControl(), nullptr);
    EXPECT_EQ(Screen()->ActiveControl(), nullptr);
}

TEST(VirtualKeys, QtKeysMapToTheClassicCodes) {
    struct Case {
        int qt;
        Qt::KeyboardModifiers mods;
        Word vk;
    } cases[] = {
        {Qt::Key_A, Qt::NoModifier, 'A'},
        {Qt::Key_7, Qt::NoModifier, '7'},
        {Qt::Key_7, Qt::KeypadModifier, VK_NUMPAD7},
        {Qt::Key_Return, Qt::NoModifier, VK_RETURN},
        {Qt::Key_Enter, Qt::KeypadModifier, VK_RETURN},
        {Qt::Key_F12, Qt::NoModifier, VK_F12},
        {Qt::Key_PageDown, Qt::NoModifier, VK_NEXT},
        {Qt::Key_Delete, Qt::NoModifier, VK_DELETE},
        {Qt::Key_Escape, Qt::NoModifier, VK_ESCAPE},
        {Qt::Key_Backtab, Qt::ShiftModifier, VK_TAB},
        {Qt::Key_Space, Qt::NoModifier, VK_SPACE},
        {Qt::Key_Insert, Qt::NoModifier, VK_INSERT},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VirtualKeyFromQt(c.qt, c.mods), c.vk) << c.qt;
    for (Word vk : {Word('A'), Word('0'), Word(VK_F5), Word(VK_HOME), Word(VK_TAB)})
        EXPECT_EQ(VirtualKeyFromQt(QtKeyFromVirtualKey(vk)), vk);
    const TShiftState s = ShiftStateFromQt(Qt::ShiftModifier | Qt::ControlModifier, Qt::LeftButton);
    EXPECT_TRUE(s.Contains(ssShift));
    EXPECT_TRUE(s.Contains(ssCtrl));
    EXPECT_TRUE(s.Contains(ssLeft));
    EXPECT_FALSE(s.Contains(ssAlt));
}
