#include "platform/application.h"
#include "platform/bitbtn.h"
#include "platform/form.h"
#include "platform/panel.h"
#include "platform/properties.h"
#include "platform/screen.h"
#include "tests/platform/control_support.h"
#include "tests/platform/visual_support.h"

#include <QFile>
#include <QFontMetrics>
#include <gtest/gtest.h>

using namespace ravelda::test;

// A form class of the kind a stored description names: published component fields and a
// published click handler.
class TProofForm : public TForm {
    RAVELDA_CLASS(TProofForm, TForm)
public:
    explicit TProofForm(TComponent* AOwner) : TForm(AOwner) {}
    void Load(const QString& text) { InitFromText(text, QStringLiteral("TPROOFFORM")); }
    TPanel* Panel1 = nullptr;
    TBitBtn* BitBtn1 = nullptr;
    int clicks = 0;
    void BitBtn1Click(TObject*) { ++clicks; }
};

RAVELDA_DEFINE_CLASS(TProofForm) {
    c.Field("Panel1", &TProofForm::Panel1);
    c.Field("BitBtn1", &TProofForm::BitBtn1);
    c.Method("BitBtn1Click", &TProofForm::BitBtn1Click);
}

namespace {

const char* kProof = R"(object ProofForm: TProofForm
  Left = 315
  Top = 156
  Width = 400
  Height = 250
  Caption = 'Ravelda'
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OldCreateOrder = False
  Position = poScreenCenter
  PixelsPerInch = 96
  TextHeight = 13
  object Panel1: TPanel
    Left = 8
    Top = 8
    Width = 185
    Height = 41
    BevelInner = bvLowered
    Caption = 'Pannello'
    TabOrder = 1
  end
  object BitBtn1: TBitBtn
    Left = 224
    Top = 4
    Width = 153
    Height = 25
    Caption = 'RAVELDA'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clWindowText
    Font.Height = -16
    Font.Name = 'Tahoma'
    Font.Style = [fsBold]
    ParentFont = False
    TabOrder = 0
    OnClick = BitBtn1Click
  end
end
)";

bool HaveWineFonts() {
    return QFile::exists(QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf")) &&
           QFile::exists(QStringLiteral("/usr/share/wine/fonts/tahomabd.ttf"));
}

struct InkBox {
    int left = -1, top = -1, right = -1, bottom = -1;
    int count = 0;
};

InkBox Ink(const QImage& img, const QRect& area, TColor c) {
    InkBox box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (At(img, x, y) == ColorToRGB(c)) {
                if (box.count++ == 0) {
                    box.left = box.right = x;
                    box.top = y;
                }
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.bottom = y;
            }
    return box;
}

class ScreenDensity {
public:
    explicit ScreenDensity(int ppi) { SetFormScreenPixelsPerInch(ppi); }
    ~ScreenDensity() { SetFormScreenPixelsPerInch(0); }
};

} // namespace

TEST(Window, OuterSizeIncludesTheClassicFrame) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 696, 480);
    EXPECT_EQ(form.ClientWidth(), 688);
    EXPECT_EQ(form.ClientHeight(), 453);
    EXPECT_EQ(form.Handle()->size(), QSize(688, 453));
    form.SetClientHeight(400);
    EXPECT_EQ(form.Height(), 427);
    struct Case {
        TFormBorderStyle style;
        int dw, dh;
    } cases[] = {{bsSizeable, 8, 27},
                 {bsSingle, 6, 25},
                 {bsDialog, 6, 25},
                 {bsNone, 0, 0},
                 {bsToolWindow, 6, 22}};
    for (const Case& c : cases) {
        form.SetBorderStyle(c.style);
        EXPECT_EQ(form.Width() - form.ClientWidth(), c.dw) << c.style;
        EXPECT_EQ(form.Height() - form.ClientHeight(), c.dh) << c.style;
    }
    // Defaults of a new form.
    TForm fresh(nullptr);
    EXPECT_EQ(fresh.BorderStyle(), bsSizeable);
    EXPECT_EQ(fresh.BorderIcons(), (TBorderIcons{biSystemMenu, biMinimize, biMaximize}));
    EXPECT_EQ(fresh.Position(), poDesigned);
    EXPECT_TRUE(fresh.Scaled());
    EXPECT_FALSE(fresh.Visible());
    EXPECT_EQ(fresh.Color(), clBtnFace);
}

TEST(Window, ScreenCentreOnFirstShow) {
    TForm form(nullptr);
    form.SetBounds(315, 156, 400, 250);
    form.SetPosition(poScreenCenter);
    form.Show();
    EXPECT_EQ(form.Left(), (Screen()->Width() - 400) / 2);
    EXPECT_EQ(form.Top(), (Screen()->Height() - 250) / 2);
    EXPECT_EQ(form.Handle()->frameGeometry().topLeft(), QPoint(form.Left(), form.Top()));
    // Later shows keep where the form is.
    form.Hide();
    form.SetLeft(10);
    form.Show();
    EXPECT_EQ(form.Left(), 10);
    // A designed position is kept.
    TForm designed(nullptr);
    designed.SetBounds(30, 40, 200, 100);
    designed.Show();
    EXPECT_EQ(designed.Left(), 30);
    EXPECT_EQ(designed.Top(), 40);
}

TEST(Window, ControlsShowWhileTheirFormIsOnScreen) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 200, 100);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    auto* orphan = new TPanel(&form);
    EXPECT_FALSE(form.Showing());
    EXPECT_FALSE(panel->Showing());
    form.Show();
    EXPECT_TRUE(form.Showing());
    EXPECT_TRUE(panel->Showing());
    EXPECT_FALSE(orphan->Showing()); // no parent: not on the screen
    panel->SetVisible(false);
    EXPECT_FALSE(panel->Showing());
    form.Hide();
    EXPECT_FALSE(form.Showing());
}

TEST(Window, ResizingTheWindowKeepsTopLeftAnchoredControlsInPlace) {
    TForm form(nullptr);
    form.SetBounds(0, 0, 400, 300);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(28, 64, 200, 100);
    form.Show();
    // The window system resizes (or maximises) the window.
    form.Handle()->resize(700, 500);
    QApplication::processEvents();
    EXPECT_EQ(form.ClientWidth(), 700);
    EXPECT_EQ(form.Width(), 708);
    EXPECT_EQ(panel->BoundsRect(), Bounds(28, 64, 200, 100));
}

TEST(Window, ClosingTheMainFormEndsTheProgram) {
    ASSERT_NE(Application, nullptr);
    auto* main = new TForm(nullptr);
    ASSERT_EQ(Application->MainForm(), main);
    auto* other = new TForm(nullptr);
    int closes = 0;
    other->OnClose = [&](TObject*, TCloseAction&) { ++closes; };
    other->Show();
    other->Close();
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(other->Visible());
    EXPECT_FALSE(Application->Terminated());
    // A close query can refuse.
    main->Show();
    main->OnCloseQuery = [](TObject*, bool& can) { can = false; };
    main->Close();
    EXPECT_TRUE(main->Visible());
    EXPECT_FALSE(Application->Terminated());
    main->OnCloseQuery = nullptr;
    // The window's close button asks the form.
    QCloseEvent close;
    QApplication::sendEvent(main->Handle(), &close);
    EXPECT_FALSE(main->Visible());
    EXPECT_TRUE(Application->Terminated());
    delete other;
    delete main;
    EXPECT_EQ(Application->MainForm(), nullptr);
}

TEST(Window, DescriptionLoadsShowsAndLooksRight) {
    TProofForm form(nullptr);
    form.Load(QString::fromLatin1(kProof));
    ASSERT_NE(form.Panel1, nullptr);
    ASSERT_NE(form.BitBtn1, nullptr);
    EXPECT_EQ(form.Caption(), QStringLiteral("Ravelda"));
    EXPECT_EQ(form.ClientWidth(), 392);
    EXPECT_EQ(form.Panel1->Parent(), &form);
    EXPECT_EQ(form.Panel1->Font()->Name(), QStringLiteral("MS Sans Serif"));
    EXPECT_TRUE(form.Panel1->ParentFont());
    EXPECT_EQ(form.BitBtn1->Font()->Name(), QStringLiteral("Tahoma"));
    EXPECT_EQ(form.BitBtn1->Font()->Height(), -16);
    EXPECT_TRUE(form.BitBtn1->Font()->Style().Contains(fsBold));
    EXPECT_FALSE(form.BitBtn1->ParentFont());
    // The stored Tab order puts the button first although it was read last.
    EXPECT_EQ(form.BitBtn1->TabOrder(), 0);
    EXPECT_EQ(form.Panel1->TabOrder(), 1);

    ShowAndActivate(&form);
    EXPECT_EQ(form.Left(), (Screen()->Width() - 400) / 2);
    EXPECT_TRUE(form.BitBtn1->Focused());
    EXPECT_EQ(form.ActiveControl(), form.BitBtn1);

    const QImage img = Grab(form.Handle());
    ASSERT_EQ(img.size(), QSize(392, 223));
    // The form's face.
    EXPECT_EQ(At(img, 300, 150), ColorToRGB(clBtnFace));
    EXPECT_EQ(At(img, 0, 0), ColorToRGB(clBtnFace));
    // The panel: raised outer bevel, lowered inner bevel, the face, a centred caption.
    EXPECT_EQ(At(img, 8, 8), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(img, 192, 48), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(img, 9, 9), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(img, 191, 47), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(img, 12, 12), ColorToRGB(clBtnFace));
    EXPECT_EQ(At(img, 7, 7), ColorToRGB(clBtnFace));
    const InkBox caption = Ink(img, QRect(10, 10, 181, 37), clWindowText);
    ASSERT_GT(caption.count, 20);
    EXPECT_NEAR((caption.left + caption.right) / 2.0, 8 + 185 / 2.0, 2);
    EXPECT_NEAR((caption.top + caption.bottom) / 2.0, 8 + 41 / 2.0, 3);
    // The focused button: black frame, raised face, dotted focus rectangle, bold caption
    // centred.
    EXPECT_EQ(At(img, 224, 4), ColorToRGB(clWindowFrame));
    EXPECT_EQ(At(img, 376, 28), ColorToRGB(clWindowFrame));
    EXPECT_EQ(At(img, 225, 5), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(img, 375, 27), ColorToRGB(cl3DDkShadow));
    EXPECT_EQ(At(img, 228, 8), RGB(63, 63, 63));
    const InkBox text = Ink(img, QRect(230, 9, 141, 15), clWindowText);
    ASSERT_GT(text.count, 50);
    EXPECT_NEAR((text.left + text.right) / 2.0, 224 + 153 / 2.0, 2);
    if (HaveWineFonts()) {
        // Tahoma bold at 16 pixels: as wide as the font measures it.
        const int width = QFontMetrics(form.BitBtn1->Font()->Handle())
                              .horizontalAdvance(QStringLiteral("RAVELDA"));
        EXPECT_NEAR(text.right - text.left + 1, width, 3);
        EXPECT_GE(text.bottom - text.top + 1, 11);
        // MS Sans Serif 8 pt: the caption's ink fits its 13-pixel line.
        EXPECT_GE(caption.bottom - caption.top + 1, 8);
        EXPECT_LE(caption.bottom - caption.top + 1, 13);
    }

    // The click reaches the published handler bound by name.
    ClickAt(form.BitBtn1->Handle(), QPoint(20, 12));
    EXPECT_EQ(form.clicks, 1);
}

TEST(Window, ScaledFormsFollowTheScreenDensity) {
    ScreenDensity density(120);
    TProofForm form(nullptr);
    form.Load(QString::fromLatin1(kProof));
    EXPECT_EQ(form.PixelsPerInch(), 120);
    // Client area and controls grow by 120 / 96; fonts keep their point size.
    EXPECT_EQ(form.ClientWidth(), 490);
    EXPECT_EQ(form.ClientHeight(), 279);
    EXPECT_EQ(form.Panel1->BoundsRect(), Rect(10, 10, 241, 61));
    EXPECT_EQ(form.BitBtn1->BoundsRect(), Rect(280, 5, 471, 36));
    EXPECT_EQ(form.Font()->Height(), -14);
    EXPECT_EQ(form.Panel1->Font()->Height(), -14);
    EXPECT_TRUE(form.Panel1->ParentFont());
    EXPECT_EQ(form.BitBtn1->Font()->Height(), -20);

    // Not scaled: the stored sizes stay.
    TProofForm fixed(nullptr);
    QString text = QString::fromLatin1(kProof);
    text.replace(QStringLiteral("  PixelsPerInch = 96\n"),
                 QStringLiteral("  PixelsPerInch = 96\n  Scaled = False\n"));
    fixed.Load(text);
    EXPECT_EQ(fixed.ClientWidth(), 392);
    EXPECT_EQ(fixed.BitBtn1->BoundsRect(), Rect(224, 4, 377, 29));
}
