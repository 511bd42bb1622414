// Components: ownership, names unique among siblings, removal notices, published fields.
#include "test_classes.h"

#include "platform/component.h"
#include "platform/exceptions.h"

#include <gtest/gtest.h>

namespace {

// Counts its own destruction and records the notifications it receives.
class TProbe : public TComponent {
public:
    explicit TProbe(TComponent* owner, int* destroyed = nullptr)
        : TComponent(owner), destroyed_(destroyed) {}
    ~TProbe() override {
        if (destroyed_) ++*destroyed_;
    }
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        notices.push_back({c, op});
        if (op == opRemove && c == ref) ref = nullptr;
    }
    struct Notice {
        TComponent* component;
        TOperation op;
    };
    std::vector<Notice> notices;
    TComponent* ref = nullptr;
    int RemovalsOf(TComponent* c) const {
        int n = 0;
        for (const Notice& x : notices)
            if (x.component == c && x.op == opRemove) ++n;
        return n;
    }

private:
    int* destroyed_;
};

TEST(Component, OwnerFreesOwnedComponents) {
    int destroyed = 0;
    auto* owner = new TProbe(nullptr, &destroyed);
    auto* a = new TProbe(owner, &destroyed);
    new TProbe(a, &destroyed); // owned by an owned one
    new TProbe(owner, &destroyed);
    EXPECT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(a->Owner(), owner);
    EXPECT_EQ(a->ComponentIndex(), 0);
    delete owner;
    EXPECT_EQ(destroyed, 4);
}

TEST(Component, DeletingAnOwnedComponentLeavesItsOwner) {
    TProbe owner(nullptr);
    auto* a = new TProbe(&owner);
    auto* b = new TProbe(&owner);
    delete a;
    ASSERT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0), b);
    EXPECT_EQ(owner.RemovalsOf(a), 1);
    EXPECT_THROW(owner.Components(1), EListError);
}

TEST(Component, OwnerHearsOfInsertionAndRemoval) {
    TProbe owner(nullptr);
    TProbe other(nullptr);
    auto* a = new TProbe(&owner);
    ASSERT_EQ(owner.notices.size(), 1u);
    EXPECT_EQ(owner.notices[0].component, a);
    EXPECT_EQ(owner.notices[0].op, opInsert);
    other.InsertComponent(a); // moving to another owner removes it from the first
    EXPECT_EQ(owner.ComponentCount(), 0);
    EXPECT_EQ(owner.RemovalsOf(a), 1);
    EXPECT_EQ(a->Owner(), &other);
}

struct NameCase {
    const char* name;
    bool valid;
};

TEST(Component, NamesMustBeIdentifiers) {
    const NameCase cases[] = {{"BitBtn1", true}, {"_x", true},   {"a_1", true}, {"1abc", false},
                              {"a b", false},    {"a.b", false}, {"è", false},  {"Form-1", false}};
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.name);
        TComponent comp(nullptr);
        if (c.valid) {
            EXPECT_NO_THROW(comp.SetName(QString::fromUtf8(c.name)));
            EXPECT_EQ(comp.Name(), QString::fromUtf8(c.name));
        } else {
            try {
                comp.SetName(QString::fromUtf8(c.name));
                ADD_FAILURE() << "accepted";
            } catch (const EComponentError& e) {
                EXPECT_EQ(e.Message(), QStringLiteral("'%1' is not a valid component name")
                                           .arg(QString::fromUtf8(c.name)));
            }
            EXPECT_EQ(comp.Name(), "");
        }
    }
}

TEST(Component, NamesAreUniqueAmongSiblings) {
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    a->SetName("Table1");
    try {
        b->SetName("TABLE1"); // case-insensitive, like the look-ups
        ADD_FAILURE() << "duplicate accepted";
    } catch (const EComponentError& e) {
        EXPECT_EQ(e.Message(), "A component named TABLE1 already exists");
    }
    EXPECT_EQ(b->Name(), "");
    a->SetName("table1"); // renaming itself is fine
    EXPECT_EQ(owner.FindComponent("TABLE1"), a);
    // Empty names do not clash; the same name under another owner does not either.
    new TComponent(&owner);
    TComponent otherOwner(nullptr);
    auto* c = new TComponent(&otherOwner);
    EXPECT_NO_THROW(c->SetName("Table1"));
    // Moving a named component next to a namesake is refused and leaves it where it was.
    EXPECT_THROW(owner.InsertComponent(c), EComponentError);
    EXPECT_EQ(c->Owner(), &otherOwner);
}

TEST(Component, FreeNotificationClearsReferencesAcrossOwners) {
    TProbe form1(nullptr);
    auto* watcher = new TProbe(&form1);
    auto* form2 = new TProbe(nullptr);
    auto* target = new TProbe(form2);
    target->FreeNotification(watcher);
    watcher->ref = target;
    delete form2; // target goes with its owner
    EXPECT_EQ(watcher->ref, nullptr);
    EXPECT_EQ(watcher->RemovalsOf(target), 1);
}

TEST(Component, SiblingsHearOfRemovalOnceThroughTheOwner) {
    TProbe owner(nullptr);
    auto* watcher = new TProbe(&owner);
    auto* target = new TProbe(&owner);
    target->FreeNotification(watcher);
    watcher->ref = target;
    delete target;
    EXPECT_EQ(watcher->ref, nullptr);
    EXPECT_EQ(watcher->RemovalsOf(target), 1);
}

TEST(Component, NoticesStopWhenAskedAndWhenTheWatcherGoes) {
    auto* target = new TProbe(nullptr);
    auto* watcher = new TProbe(nullptr);
    target->FreeNotification(watcher);
    target->RemoveFreeNotification(watcher);
    delete target;
    EXPECT_EQ(watcher->notices.size(), 0u);

    // A watcher that goes first is not told later (no dangling notice).
    auto* target2 = new TProbe(nullptr);
    target2->FreeNotification(watcher);
    delete watcher;
    EXPECT_EQ(target2->RemovalsOf(watcher), 1); // mutual: the target hears of the watcher
    delete target2;
}

TEST(Component, StateFlagsDuringDestruction) {
    struct TSeesState : TComponent {
        using TComponent::TComponent;
        bool* ownerDestroying = nullptr;
        ~TSeesState() override {
            if (ownerDestroying)
                *ownerDestroying = Owner() == nullptr || ComponentState().Contains(csDestroying);
        }
    };
    bool seen = false;
    auto* owner = new TComponent(nullptr);
    auto* child = new TSeesState(owner);
    child->ownerDestroying = &seen;
    delete owner;
    EXPECT_TRUE(seen);
}

TEST(Component, PublishedFieldsFollowNamesAndRemoval) {
    TTestForm form;
    auto* button = new TTestButton(&form);
    EXPECT_EQ(form.Button1, nullptr);
    button->SetName("Button1");
    EXPECT_EQ(form.Button1, button);
    button->SetName("Button2");
    EXPECT_EQ(form.Button1, nullptr);
    button->SetName("Button1");
    delete button;
    EXPECT_EQ(form.Button1, nullptr);
    // A field of another class is left alone.
    auto* source = new TTestSource(&form);
    source->SetName("Button1");
    EXPECT_EQ(form.Button1, nullptr);
}

TEST(Component, LoadedClearsTheLoadingFlag) {
    TComponent c(nullptr);
    c.SetLoadingState(true);
    EXPECT_TRUE(c.IsLoading());
    c.Loaded();
    EXPECT_FALSE(c.IsLoading());
    c.SetDesigning(true);
    auto* child = new TComponent(&c);
    EXPECT_TRUE(child->IsDesigning()); // inserted into a designing owner
}

} // namespace
