// Published properties: look-up by name (dotted through sub-objects), typed values, identifiers,
// inheritance of registrations, capabilities by name, events bound to published methods.
#include "test_classes.h"

#include "platform/classes.h"
#include "platform/exceptions.h"
#include "platform/properties.h"

#include <gtest/gtest.h>

namespace {

class PropertiesTest : public ::testing::Test {
protected:
    TTestForm form;
    TTestButton* button = new TTestButton(&form);
};

TEST_F(PropertiesTest, ReadsAndWritesScalarsByName) {
    SetPropValue(button, "Caption", QStringLiteral("OK"));
    SetPropValue(button, "Left", 42);
    SetPropValue(button, "Visible", false);
    SetPropValue(button, "Ratio", 1.5);
    SetPropValue(button, "Spacing", 7);
    EXPECT_EQ(button->Caption(), "OK");
    EXPECT_EQ(button->Left(), 42);
    EXPECT_FALSE(button->Visible());
    EXPECT_DOUBLE_EQ(button->Ratio(), 1.5);
    EXPECT_EQ(GetPropValue(button, "spacing").toInt(), 7); // names are case-insensitive
    EXPECT_EQ(GetPropValue(button, "Caption").toString(), "OK");
}

TEST_F(PropertiesTest, DottedNamesReachSubObjects) {
    SetPropValue(button, "Font.Height", -16);
    SetPropValue(button, "Font.Name", QStringLiteral("Tahoma"));
    EXPECT_EQ(button->Font()->Height(), -16);
    EXPECT_EQ(GetPropValue(button, "Font.Name").toString(), "Tahoma");
    EXPECT_EQ(FindPropTarget(button, "Font.Height").Instance, button->Font());
    EXPECT_FALSE(IsPublishedProp(button, "Font.Nothing"));
    EXPECT_FALSE(IsPublishedProp(button, "Caption.Length")); // a string has no sub-properties
}

TEST_F(PropertiesTest, EnumerationsAndSetsByIdentifier) {
    SetPropValue(button, "Align", QStringLiteral("taClient"));
    EXPECT_EQ(button->Align(), taClient);
    EXPECT_EQ(GetEnumProp(button, "Align"), "taClient");
    SetPropValue(button, "Options", QStringLiteral("[tsItalic, tsUnderline]"));
    EXPECT_EQ(button->Options(), (TTestStyles{tsItalic, tsUnderline}));
    EXPECT_EQ(GetSetProp(button, "Options"), "[tsItalic, tsUnderline]");
    SetPropValue(button, "Options", QStringLiteral("[]"));
    EXPECT_TRUE(button->Options().Empty());
}

TEST_F(PropertiesTest, IntegersTakeTheirIdentifiers) {
    SetPropValue(button, "Font.Color", QStringLiteral("clTestFace"));
    EXPECT_EQ(button->Font()->Color(), static_cast<qint32>(0x8000000F));
    SetPropValue(button, "Font.Color", QStringLiteral("$FF"));
    EXPECT_EQ(button->Font()->Color(), 0xFF);
    // The unsigned reading of a system colour fits a signed 32-bit property.
    SetPropValue(button, "Font.Color", static_cast<qlonglong>(0x8000000FLL));
    EXPECT_EQ(button->Font()->Color(), static_cast<qint32>(0x8000000F));
}

struct BadValue {
    const char* property;
    QVariant value;
};

TEST_F(PropertiesTest, RefusesBadValuesClearly) {
    const BadValue cases[] = {
        {"Left", QStringLiteral("abc")},
        {"Small", 40000}, // out of the 16-bit range
        {"Left", 1.5},    // not a whole number
        {"Visible", QStringLiteral("Maybe")},
        {"Align", QStringLiteral("taSideways")},
        {"Align", 9},
        {"Options", QStringLiteral("[tsBold, tsStrike]")},
        {"Buddy", QVariant::fromValue<TPersistent*>(button->Font())},
    };
    for (const BadValue& c : cases) {
        SCOPED_TRACE(c.property);
        try {
            SetPropValue(button, c.property, c.value);
            ADD_FAILURE() << "accepted";
        } catch (const EPropertyError& e) {
            EXPECT_TRUE(e.Message().contains(QLatin1String(c.property)))
                << e.Message().toStdString();
        }
    }
    EXPECT_EQ(button->Left(), 0);
    EXPECT_EQ(button->Align(), taNone);
}

TEST_F(PropertiesTest, UnknownAndReadOnlyProperties) {
    EXPECT_THROW(GetPropValue(button, "Nothing"), EPropertyError);
    EXPECT_THROW(SetPropValue(button, "Nothing", 1), EPropertyError);
    EXPECT_THROW(GetPropValue(nullptr, "Caption"), EPropertyError);
    try {
        GetPropValue(button, "Nothing");
    } catch (const EPropertyError& e) {
        EXPECT_EQ(e.Message(), "Property Nothing does not exist in TTestButton");
    }
}

TEST_F(PropertiesTest, SubclassesInheritRegistrations) {
    const TClassInfo& cls = TTestButton::StaticClass();
    EXPECT_TRUE(cls.InheritsFrom(TTestControl::StaticClass()));
    EXPECT_TRUE(cls.InheritsFrom(TComponent::StaticClass()));
    EXPECT_NE(cls.FindProperty("Caption"), nullptr);
    EXPECT_NE(cls.FindProperty("Name"), nullptr);
    EXPECT_EQ(TTestControl::StaticClass().FindProperty("Spacing"), nullptr);
    std::vector<QString> names;
    for (const TPropInfo* p : cls.Properties())
        names.push_back(p->Name);
    // Base class first, own additions last.
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names.front(), "Name");
    EXPECT_EQ(names.back(), "Spacing");
    EXPECT_EQ(button->ClassName(), "TTestButton");
}

TEST_F(PropertiesTest, ClassRegistryCreatesByName) {
    EXPECT_EQ(FindClass("ttestbutton"), &TTestButton::StaticClass());
    EXPECT_EQ(FindClass("TNoSuchClass"), nullptr);
    EXPECT_THROW(GetClass("TNoSuchClass"), EClassNotFound);
    std::unique_ptr<TComponent> c(GetClass("TTestButton").CreateComponent(nullptr));
    EXPECT_EQ(c->ClassName(), "TTestButton");
    EXPECT_FALSE(TTestFont::StaticClass().CanCreateComponent());
    EXPECT_THROW(TTestFont::StaticClass().CreateComponent(nullptr), EComponentError);
}

TEST_F(PropertiesTest, CapabilitiesByNameAreAbsentOnOtherClasses) {
    TTestSource source(nullptr);
    EXPECT_EQ(GetStringsProp(&source, "Items"), nullptr);
    EXPECT_EQ(GetStringsProp(button, "Caption"), nullptr); // another kind
    ASSERT_EQ(GetStringsProp(button, "Items"), button->Items());
    EXPECT_FALSE(GetMethodProp(&source, "OnClick").Assigned());
    EXPECT_FALSE(GetEventProp<void(TObject*)>(button, "OnClick"));
}

TEST_F(PropertiesTest, StringListPropertiesCopy) {
    TStringList lines;
    lines.SetText("a\nb\n");
    SetPropValue(button, "Items", QVariant::fromValue<TPersistent*>(&lines));
    lines.Add("c");
    EXPECT_EQ(button->Items()->Text(), "a\nb\n");
    SetPropValue(button, "Items", QStringList{"x", "y"});
    EXPECT_EQ(button->Items()->Text(), "x\ny\n");
}

TEST_F(PropertiesTest, ComponentReferencesCheckTheirClass) {
    auto* source = new TTestSource(&form);
    SetPropValue(button, "Buddy", QVariant::fromValue<TComponent*>(source));
    EXPECT_EQ(GetComponentProp(button, "Buddy"), source);
    // TTestSource::Next takes only a TTestSource.
    auto* other = new TTestSource(&form);
    EXPECT_THROW(SetPropValue(other, "Next", QVariant::fromValue<TComponent*>(button)),
                 EPropertyError);
    SetPropValue(other, "Next", QVariant::fromValue<TComponent*>(source));
    EXPECT_EQ(other->Next(), source);
    SetPropValue(other, "Next", QVariant());
    EXPECT_EQ(other->Next(), nullptr);
}

TEST_F(PropertiesTest, EventsBindToPublishedMethods) {
    TMethod m = FindMethod(&form, "button1click");
    ASSERT_TRUE(m.Assigned());
    SetMethodProp(button, "OnClick", m);
    ASSERT_TRUE(button->OnClick);
    button->OnClick(button);
    EXPECT_EQ(form.clicks, 1);
    EXPECT_EQ(form.lastSender, button);
    EXPECT_EQ(GetMethodProp(button, "OnClick").Name, "Button1Click");
    auto f = GetEventProp<void(TObject*)>(button, "OnClick");
    ASSERT_TRUE(f);
    f(nullptr);
    EXPECT_EQ(form.clicks, 2);

    // Var parameters pass by reference.
    SetMethodProp(button, "OnKey", FindMethod(&form, "KeyHandler"));
    int key = 13;
    button->OnKey(button, key);
    EXPECT_EQ(key, 0);

    // A method of another signature is refused; the event stays as it was.
    EXPECT_THROW(SetMethodProp(button, "OnClick", FindMethod(&form, "KeyHandler")), EPropertyError);
    EXPECT_EQ(GetMethodProp(button, "OnClick").Name, "Button1Click");
    SetMethodProp(button, "OnClick", TMethod{});
    EXPECT_FALSE(button->OnClick);
    EXPECT_FALSE(FindMethod(&form, "NoSuchMethod").Assigned());
}

TEST_F(PropertiesTest, DefaultsAndStoredWhen) {
    const TClassInfo& cls = button->ClassInfo();
    EXPECT_TRUE(cls.FindProperty("Left")->IsDefaultValue(button));
    button->SetLeft(3);
    EXPECT_FALSE(cls.FindProperty("Left")->IsDefaultValue(button));
    EXPECT_TRUE(cls.FindProperty("Caption")->IsDefaultValue(button)); // strings: empty
    EXPECT_FALSE(cls.FindProperty("Ratio")->HasDefault);
    EXPECT_TRUE(cls.FindProperty("Ratio")->IsDefaultValue(button)); // floats: zero
    EXPECT_FALSE(cls.FindProperty("Hidden")->IsStored(button));
    EXPECT_FALSE(cls.FindProperty("Name")->IsStored(button));
}

} // namespace
