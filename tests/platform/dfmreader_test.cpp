// The reader of stored window descriptions: creation order, ownership and parentage, values of
// every kind, references and Loaded, errors with their line numbers, and the writer's round trip.
#include "test_classes.h"

#include "platform/dfmparser.h"
#include "platform/dfmreader.h"
#include "platform/dfmwriter.h"
#include "platform/exceptions.h"

#include <gtest/gtest.h>

namespace {

const char* const kForm = R"(object Form1: TTestForm
  Caption = 'Ravelda'
  Left = 315
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  object Panel1: TTestControl
    Left = 4
    Align = taTop
    Options = [tsItalic, tsUnderline]
    Buddy = Source1
    object Button1: TTestButton
      Caption = 'RAVELDA'
      Font.Height = -16
      Font.Style = [tsBold]
      Font.Color = clTestFace
      Spacing = 2
      OnClick = Button1Click
      OnKey = KeyHandler
    end
  end
  object Source1: TTestSource
    Next = Source2
  end
  object Source2: TTestSource
  end
end
)";

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override { LoadedLog().clear(); }
    TTestForm form;
};

TEST_F(ReaderTest, CreatesComponentsInOrderWithOwnerAndParent) {
    ReadComponentText(&form, kForm);
    EXPECT_EQ(form.Name(), "Form1");
    ASSERT_EQ(form.ComponentCount(), 4);
    EXPECT_EQ(form.Components(0)->Name(), "Panel1");
    EXPECT_EQ(form.Components(1)->Name(), "Button1");
    EXPECT_EQ(form.Components(2)->Name(), "Source1");
    EXPECT_EQ(form.Components(3)->Name(), "Source2");
    auto* panel = dynamic_cast<TTestControl*>(form.Components(0));
    ASSERT_NE(panel, nullptr);
    ASSERT_NE(form.Button1, nullptr); // bound to the root's published field
    EXPECT_EQ(form.Button1->Owner(), &form);
    EXPECT_EQ(form.Button1->Parent(), panel);
    EXPECT_EQ(panel->Parent(), &form);
    EXPECT_EQ(form.Source1, form.Components(2));
    EXPECT_FALSE(form.IsLoading());
    EXPECT_FALSE(form.Button1->ComponentState().Contains(csReading));
}

TEST_F(ReaderTest, GivesEveryKindOfValue) {
    ReadComponentText(&form, kForm);
    EXPECT_EQ(form.Caption(), "Ravelda");
    EXPECT_EQ(form.Left(), 315);
    EXPECT_EQ(form.Font()->Name(), "MS Sans Serif");
    auto* panel = static_cast<TTestControl*>(form.Components(0));
    EXPECT_EQ(panel->Align(), taTop);
    EXPECT_EQ(panel->Options(), (TTestStyles{tsItalic, tsUnderline}));
    TTestButton* b = form.Button1;
    EXPECT_EQ(b->Caption(), "RAVELDA");
    EXPECT_EQ(b->Font()->Height(), -16);
    EXPECT_EQ(b->Font()->Style(), TTestStyles{tsBold});
    EXPECT_EQ(b->Font()->Color(), static_cast<qint32>(0x8000000F));
    EXPECT_EQ(b->Spacing(), 2);
    ASSERT_TRUE(b->OnClick);
    b->OnClick(b);
    EXPECT_EQ(form.clicks, 1);
    EXPECT_EQ(form.lastSender, b);
}

TEST_F(ReaderTest, ResolvesReferencesBeforeLoadedInCreationOrder) {
    ReadComponentText(&form, kForm);
    auto* panel = static_cast<TTestControl*>(form.Components(0));
    EXPECT_EQ(panel->Buddy(), form.Source1);
    EXPECT_EQ(panel->buddyAtLoaded_, form.Source1); // a forward reference, resolved in time
    EXPECT_EQ(form.Source1->Next(), form.Components(3));
    EXPECT_EQ(LoadedLog(),
              (std::vector<QString>{"Form1", "Panel1", "Button1", "Source1", "Source2"}));
}

TEST_F(ReaderTest, StringsListsCollectionsAndBinary) {
    const char* text = R"(object Form1: TTestForm
  Caption = 'it''s a '#13#10'line' +
    ' continued'
  Ratio = 1.25E2
  Small = -$10
  Items.Strings = (
    'first'
    'se''cond'
    '')
  Columns = <
    item
      FieldName = 'Tabella'
      Width = 30
    end
    item
      FieldName = 'Anno'
    end>
  Data = {
    0A0b FF
    00}
end)";
    ReadComponentText(&form, text);
    EXPECT_EQ(form.Caption(), "it's a \r\nline continued");
    EXPECT_DOUBLE_EQ(form.Ratio(), 125.0);
    EXPECT_EQ(form.Small(), -16);
    EXPECT_EQ(form.Items()->ToStringList(), (QStringList{"first", "se'cond", ""}));
    ASSERT_EQ(form.Columns()->Count(), 2);
    auto* c0 = static_cast<TTestColumn*>(form.Columns()->Items(0));
    auto* c1 = static_cast<TTestColumn*>(form.Columns()->Items(1));
    EXPECT_EQ(c0->FieldName(), "Tabella");
    EXPECT_EQ(c0->Width(), 30);
    EXPECT_EQ(c1->FieldName(), "Anno");
    EXPECT_EQ(c1->Width(), 64);
    EXPECT_EQ(form.Data(), QByteArray::fromHex("0A0BFF00"));
}

TEST_F(ReaderTest, ItemsListWithoutStringsSuffixAndEmptyValues) {
    ReadComponentText(
        &form,
        "object Form1: TTestForm\n  Items = ( 'a' 'b' )\n  Options = []\n  Columns = <>\nend\n");
    EXPECT_EQ(form.Items()->Count(), 2);
    EXPECT_TRUE(form.Options().Empty());
    EXPECT_EQ(form.Columns()->Count(), 0);
}

struct BadCase {
    const char* what;
    const char* text;
    int line;
    const char* message; // a part of the reason
};

TEST_F(ReaderTest, BadDescriptionsNameTheLine) {
    const BadCase cases[] = {
        {"unknown class", "object Form1: TTestForm\n  object X1: TNoSuchThing\n  end\nend", 2,
         "Class TNoSuchThing not found"},
        {"not a component", "object Form1: TTestForm\n  object X1: TTestFont\n  end\nend", 2,
         "not a component"},
        {"unknown property", "object Form1: TTestForm\n  Left = 1\n  Wobble = 2\nend", 3,
         "Property Wobble does not exist in TTestForm"},
        {"unknown sub-property", "object Form1: TTestForm\n  Font.Wobble = 2\nend", 2,
         "Property Wobble does not exist in TTestFont"},
        {"string for integer", "object Form1: TTestForm\n  Left = 'x'\nend", 2,
         "an integer expected"},
        {"integer out of range", "object Form1: TTestForm\n\n  Small = 70000\nend", 3,
         "out of range"},
        {"bad boolean", "object Form1: TTestForm\n  Visible = Yes\nend", 2, "True or False"},
        {"bad enumeration", "object Form1: TTestForm\n  Align = alClient\nend", 2,
         "'alClient' is not a value of TTestAlign"},
        {"bad set element", "object Form1: TTestForm\n  Options = [tsBold,\n tsStrike]\nend", 2,
         "'tsStrike' is not a value of TTestStyle"},
        {"unresolved reference",
         "object Form1: TTestForm\n  object P1: TTestControl\n    Buddy = Nobody\n  end\nend", 3,
         "Unresolved reference to Nobody in P1.Buddy"},
        {"unknown method", "object Form1: TTestForm\n  OnClick = NoSuchHandler\nend", 2,
         "Method NoSuchHandler not found in TTestForm"},
        {"method of another signature", "object Form1: TTestForm\n  OnClick = KeyHandler\nend", 2,
         "another signature"},
        {"duplicate name",
         "object Form1: TTestForm\n  object A: TTestSource\n  end\n  object a: TTestSource\n  "
         "end\nend",
         4, "A component named a already exists"},
        {"invalid name", "object Form1: TTestForm\n  object 9x: TTestSource\n  end\nend", 2,
         "Invalid number"},
        {"field of another class",
         "object Form1: TTestForm\n  object Button1: TTestSource\n  end\nend", 2,
         "Field TTestForm.Button1 is not a TTestSource"},
        {"unterminated string", "object Form1: TTestForm\n  Caption = 'abc\nend", 2,
         "Unterminated string"},
        {"missing end", "object Form1: TTestForm\n  object A: TTestSource\nend", 3,
         "'end' expected for Form1 started at line 1"},
        {"missing equals", "object Form1: TTestForm\n  Caption 'x'\nend", 2, "'=' expected"},
        {"continuation without string", "object Form1: TTestForm\n  Caption = 'x' +\n   12\nend", 3,
         "String expected after '+'"},
        {"odd binary", "object Form1: TTestForm\n  Data = {\n ABC}\nend", 2, "odd number"},
        {"bad binary digit", "object Form1: TTestForm\n  Data = {\n AZ}\nend", 3,
         "Invalid character 'Z'"},
        {"list of numbers", "object Form1: TTestForm\n  Items.Strings = (\n 1)\nend", 3,
         "expects strings"},
        {"object needs sub-properties", "object Form1: TTestForm\n  Font = 3\nend", 2,
         "sub-properties"},
        {"read-only", "object Form1: TTestForm\n  Name.Length = 3\nend", 2,
         "has no sub-properties"},
        {"wrong root class", "object Form1: TTestSource\nend", 1,
         "A description of TTestSource cannot be read into a TTestForm"},
        {"inherited", "inherited Form1: TTestForm\nend", 1,
         "Inherited descriptions are not supported"},
        {"inline child", "object Form1: TTestForm\n  inline F: TTestSource\n  end\nend", 2,
         "Inline frames are not supported"},
        {"text after end", "object Form1: TTestForm\nend\nobject", 3, "Text after the final 'end'"},
        {"empty", "\n\n", 3, "Empty description"},
        {"item without end",
         "object Form1: TTestForm\n  Columns = <\n    item\n      Width = 1\n  >\nend", 5,
         "'end' expected for the item started at line 3"},
        {"item property",
         "object Form1: TTestForm\n  Columns = <\n    item\n      Colour = 1\n    end>\nend", 4,
         "Property Colour does not exist in TTestColumn"},
        {"bad character", "object Form1: TTestForm\n  Left = 1;\nend", 2,
         "Unexpected character ';'"},
        {"bad number", "object Form1: TTestForm\n  Left = 12ab\nend", 2, "Invalid number"},
        {"binary form", "TPF0\x06", 1, "Binary descriptions are not supported"},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.what);
        TTestForm root;
        try {
            ReadComponentText(&root, QString::fromUtf8(c.text), "TFORM1");
            ADD_FAILURE() << "accepted";
        } catch (const EDescriptionError& e) {
            EXPECT_EQ(e.Line(), c.line) << e.Message().toStdString();
            EXPECT_TRUE(e.Reason().contains(QString::fromUtf8(c.message)))
                << e.Message().toStdString();
            EXPECT_TRUE(e.Message().startsWith(QStringLiteral("TFORM1, line %1: ").arg(c.line)))
                << e.Message().toStdString();
            EXPECT_STREQ(e.ClassName(), "EReadError");
        }
        // A failed read leaves nothing behind.
        EXPECT_EQ(root.ComponentCount(), 0);
        EXPECT_EQ(root.Button1, nullptr);
        EXPECT_FALSE(root.IsLoading());
    }
}

// Loaded raising (say, a table that cannot open) reaches the caller as it is, not as a read error.
class TFailsOnLoad : public TComponent {
    RAVELDA_CLASS(TFailsOnLoad, TComponent)
public:
    explicit TFailsOnLoad(TComponent* AOwner) : TComponent(AOwner) {}
    void Loaded() override {
        TComponent::Loaded();
        throw EDatabaseError(QStringLiteral("Field 'Anno' not found"));
    }
};
RAVELDA_DEFINE_CLASS(TFailsOnLoad) {}

TEST_F(ReaderTest, ErrorsOfLoadedKeepTheirClass) {
    try {
        ReadComponentText(&form, "object Form1: TTestForm\n  object T: TFailsOnLoad\n  end\nend");
        ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Field 'Anno' not found");
    }
    EXPECT_FALSE(form.IsLoading());
}

TEST_F(ReaderTest, CreatesTheRootByClassName) {
    std::unique_ptr<TComponent> root(CreateComponentFromText(nullptr, kForm));
    ASSERT_EQ(root->ClassName(), "TTestForm");
    EXPECT_EQ(root->ComponentCount(), 4);
    EXPECT_THROW(CreateComponentFromText(nullptr, "object A: TNope\nend"), EReadError);
}

TEST_F(ReaderTest, FormResourcesByName) {
    RegisterFormResource("TTESTFORM", kForm);
    ReadFormResource(&form, "TTestForm");
    EXPECT_EQ(form.ComponentCount(), 4);
    TTestForm other;
    EXPECT_THROW(ReadFormResource(&other, "TMISSING"), EReadError);
}

TEST_F(ReaderTest, WriterRoundTrip) {
    ReadComponentText(&form, kForm);
    form.Items()->SetText("one\nit's\n");
    form.SetRatio(0.5);
    form.SetData(QByteArray::fromHex("DEADBEEF"));
    form.SetCaption(QString(70, QLatin1Char('x')) + "\t!");
    auto* col = static_cast<TTestColumn*>(form.Columns()->Add());
    col->SetFieldName("Anno");
    form.SetHidden(9); // not stored

    QString text = WriteComponentText(&form);
    EXPECT_TRUE(text.startsWith("object Form1: TTestForm\n")) << text.toStdString();
    EXPECT_FALSE(text.contains("Hidden")) << text.toStdString();
    EXPECT_FALSE(text.contains("Spacing = 4")) << "defaults are not written";
    EXPECT_TRUE(text.contains("    object Button1: TTestButton\n")) << "nested by parentage";
    EXPECT_TRUE(text.contains("OnClick = Button1Click"));
    EXPECT_TRUE(text.contains("Font.Color = clTestFace"));

    TTestForm copy;
    LoadedLog().clear();
    ReadComponentText(&copy, text);
    EXPECT_EQ(WriteComponentText(&copy), text);
    EXPECT_EQ(copy.Caption(), form.Caption());
    EXPECT_EQ(copy.Items()->Text(), "one\nit's\n");
    EXPECT_EQ(copy.Data(), form.Data());
    EXPECT_EQ(copy.Hidden(), 0);
    ASSERT_NE(copy.Button1, nullptr);
    EXPECT_EQ(copy.Button1->Parent(), copy.Components(0));
    EXPECT_EQ(static_cast<TTestColumn*>(copy.Columns()->Items(0))->FieldName(), "Anno");
}

TEST_F(ReaderTest, ParserKeepsLinesOfNestedParts) {
    TDfmObject root = ParseDfm(kForm);
    ASSERT_EQ(root.children.size(), 3u);
    EXPECT_EQ(root.children[0].line, 6);
    EXPECT_EQ(root.children[0].children[0].line, 11);
    EXPECT_EQ(root.children[0].children[0].properties[0].line, 12);
}

} // namespace
