// The report of a value that fails its picture mask: the handler may change the message and
// suppress the beep and the error.
#include "wwintl_fixture.h"

#include "platform/exceptions.h"
#include "platform/properties.h"
#include "platform/testseams.h"

#include <QString>
#include <memory>
#include <optional>

namespace {

const QString kDefaultMessage = "Invalid input value.  Use escape key to abandon changes";

struct Report {
    bool raised = false;
    QString message;
};

Report RunReport(TwwIntl& intl, TObject* sender, TField* field) {
    Report r;
    try {
        intl.ValidationErrorUsingMask(sender, field);
    } catch (const EInvalidOperation& e) {
        r.raised = true;
        r.message = e.Message();
    }
    return r;
}

// A field pointer the report only passes on.
TField* FakeField() {
    static int storage;
    return reinterpret_cast<TField*>(&storage);
}

class WwIntlValidationTest : public WwIntlTest {
protected:
    TTestShell shell_;
    TComponent sender_{nullptr};
};

struct HandlerCase {
    const char* name;
    bool assign;                       // a handler is assigned
    std::optional<QString> newMessage; // what the handler writes into Msg
    bool clearDoDefault;               // the handler sets DoDefault false
    bool raised;
    QString message;
    int beeps;
};

TEST_F(WwIntlValidationTest, HandlerDecidesMessageBeepAndError) {
    const HandlerCase cases[] = {
        {"no handler", false, std::nullopt, false, true, kDefaultMessage, 1},
        {"handler looks only", true, std::nullopt, false, true, kDefaultMessage, 1},
        {"handler changes the message", true, QString("Valore non valido"), false, true,
         "Valore non valido", 1},
        {"handler suppresses", true, std::nullopt, true, false, "", 0},
        {"handler changes and suppresses", true, QString("x"), true, false, "", 0},
    };
    for (const HandlerCase& c : cases) {
        SCOPED_TRACE(c.name);
        TwwIntl intl(nullptr);
        int calls = 0;
        if (c.assign)
            intl.SetOnValidationErrorUsingMask(
                [&](TObject* Sender, TField* Field, QString& Msg, bool& DoDefault) {
                    ++calls;
                    EXPECT_EQ(Sender, &sender_);
                    EXPECT_EQ(Field, FakeField());
                    EXPECT_EQ(Msg, kDefaultMessage);
                    EXPECT_TRUE(DoDefault);
                    if (c.newMessage) Msg = *c.newMessage;
                    if (c.clearDoDefault) DoDefault = false;
                });
        const int beepsBefore = shell_.Beeps();
        Report r = RunReport(intl, &sender_, FakeField());
        EXPECT_EQ(calls, c.assign ? 1 : 0);
        EXPECT_EQ(r.raised, c.raised);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(shell_.Beeps() - beepsBefore, c.beeps);
    }
}

TEST_F(WwIntlValidationTest, TheGlobalReportUsesTheHandlerCopiedOnConnect) {
    TComponent form(nullptr);
    auto* local = new TwwIntl(&form);
    int calls = 0;
    local->SetOnValidationErrorUsingMask([&](TObject*, TField*, QString&, bool& DoDefault) {
        ++calls;
        DoDefault = false;
    });
    local->SetConnected(true);
    EXPECT_TRUE(GetMethodProp(Global(), "OnValidationErrorUsingMask").Assigned());
    EXPECT_NO_THROW(wwValidationErrorUsingMask(&sender_, FakeField()));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(shell_.Beeps(), 0);
}

TEST_F(WwIntlValidationTest, TheCopiedHandlerGoesWithTheComponentItCameFrom) {
    // The handler is typically a method of the component's form: calling it after the form has
    // gone would reach freed memory.
    auto form = std::make_unique<TComponent>(nullptr);
    auto* local = new TwwIntl(form.get());
    local->SetOnValidationErrorUsingMask(
        [](TObject*, TField*, QString&, bool& DoDefault) { DoDefault = false; });
    local->SetConnected(true);
    form.reset();
    EXPECT_FALSE(Global()->OnValidationErrorUsingMask());
    EXPECT_THROW(wwValidationErrorUsingMask(&sender_, nullptr), EInvalidOperation);
    EXPECT_EQ(shell_.Beeps(), 1);
}

TEST_F(WwIntlValidationTest, AHandlerSetOnTheGlobalInstanceStaysWhenTheSourceGoes) {
    auto* local = new TwwIntl(nullptr);
    local->SetOnValidationErrorUsingMask([](TObject*, TField*, QString&, bool&) {});
    local->SetConnected(true);
    int calls = 0;
    Global()->SetOnValidationErrorUsingMask([&](TObject*, TField*, QString&, bool& DoDefault) {
        ++calls;
        DoDefault = false;
    });
    delete local;
    ASSERT_TRUE(Global()->OnValidationErrorUsingMask());
    wwValidationErrorUsingMask(&sender_, nullptr);
    EXPECT_EQ(calls, 1);
}

TEST_F(WwIntlValidationTest, WithoutAGlobalInstanceTheDefaultReportStands) {
    FinalizeWwIntlUnit();
    try {
        wwValidationErrorUsingMask(&sender_, nullptr);
        FAIL() << "no error raised";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), kDefaultMessage);
    }
    EXPECT_EQ(shell_.Beeps(), 1);
}

TEST_F(WwIntlValidationTest, AHandlerThatRaisesEndsTheReportWithItsError) {
    TwwIntl intl(nullptr);
    intl.SetOnValidationErrorUsingMask(
        [](TObject*, TField*, QString&, bool&) { throw EAbort("stop"); });
    EXPECT_THROW(intl.ValidationErrorUsingMask(&sender_, nullptr), EAbort);
    EXPECT_EQ(shell_.Beeps(), 0);
}

} // namespace
