// The proof of the error path on a real window: a form read from its description, whose button's
// click handler raises, shows the error box captioned with the application title and goes on.
#include "control_support.h"

#include "platform/application.h"
#include "platform/bitbtn.h"
#include "platform/dfmreader.h"
#include "platform/exceptions.h"
#include "platform/form.h"
#include "platform/properties.h"
#include "platform/testseams.h"

#include <gtest/gtest.h>

class TErrorForm : public TForm {
    RAVELDA_CLASS(TErrorForm, TForm)
public:
    explicit TErrorForm(TComponent* AOwner) : TForm(AOwner) {
        ReadComponentText(this, QStringLiteral(R"(object Form1: TErrorForm
  Left = 315
  Top = 156
  Width = 300
  Height = 120
  Caption = 'Ravelda'
  object BitBtn1: TBitBtn
    Left = 24
    Top = 4
    Width = 153
    Height = 25
    Caption = 'RAVELDA'
    TabOrder = 0
    OnClick = BitBtn1Click
  end
end
)"),
                          QStringLiteral("TERRORFORM"));
    }
    TBitBtn* BitBtn1 = nullptr;
    int runs = 0;
    void BitBtn1Click(TObject*) {
        ++runs;
        throw EDatabaseError(QStringLiteral("Key violation"));
    }
};

RAVELDA_DEFINE_CLASS(TErrorForm) {
    c.Field("BitBtn1", &TErrorForm::BitBtn1);
    c.Method("BitBtn1Click", &TErrorForm::BitBtn1Click);
}

namespace {

TEST(ErrorProof, AClickWhoseHandlerRaisesShowsTheErrorBoxWithTheTitle) {
    TTestMessageBoxes boxes;
    Application->SetTitle(QStringLiteral("Ravelda"));
    {
        TErrorForm form(nullptr);
        ASSERT_NE(form.BitBtn1, nullptr);
        ravelda::test::ShowAndActivate(&form);
        QWidget* button = form.BitBtn1->Handle();
        ASSERT_NE(button, nullptr);

        ravelda::test::ClickAt(button, QPoint(10, 10));
        EXPECT_EQ(form.runs, 1);
        ASSERT_EQ(boxes.Count(), 1);
        EXPECT_EQ(boxes.Last().Caption, "Ravelda");
        EXPECT_EQ(boxes.Last().Text, "Key violation.");
        EXPECT_EQ(boxes.Last().Type, mtError);
        EXPECT_EQ(ButtonsText(boxes.Last().Buttons), "OK");

        // The window stays and the button can be pressed again.
        EXPECT_TRUE(button->isVisible());
        ravelda::test::ClickAt(button, QPoint(10, 10));
        EXPECT_EQ(form.runs, 2);
        EXPECT_EQ(boxes.Count(), 2);
    }
    Application->SetTitle(QString());
}

} // namespace
