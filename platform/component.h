// TComponent: ownership, names unique among siblings, state flags, removal notices and loading.
#pragma once

#include "platform/object.h"
#include "platform/sets.h"

#include <QMetaType>
#include <QString>
#include <vector>

enum TOperation { opInsert, opRemove };

enum TComponentStateFlag {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance
};
using TComponentState = TSet<TComponentStateFlag>;

class TComponent : public TPersistent {
    RAVELDA_CLASS(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* AOwner);
    // Frees the owned components (last first), tells every component that asked for a removal
    // notice, and leaves the owner. Classes whose owned components depend on the derived part
    // (forms and controls) call Destroying() and DestroyComponents() in their own destructor.
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    TPersistent* GetOwner() const override;
    QString GetNamePath() const override;

    const QString& Name() const { return name_; }
    // Refuses an invalid identifier ("'%s' is not a valid component name") and a name already used
    // by a sibling under the same owner ("A component named %s already exists"); both
    // EComponentError. Empty names are allowed for any number of siblings.
    virtual void SetName(const QString& NewName);
    int Tag() const { return tag_; }
    void SetTag(int value) { tag_ = value; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    // Raises EListError for an index out of range.
    TComponent* Components(int Index) const;
    // Position in the owner's list, -1 without an owner.
    int ComponentIndex() const;
    // Case-insensitive; nullptr when none.
    TComponent* FindComponent(const QString& AName) const;

    // Ownership changes; InsertComponent checks the name.
    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    void DestroyComponents();
    // Sets csDestroying on this component and every owned one.
    void Destroying();

    TComponentState ComponentState() const { return state_; }
    bool IsLoading() const { return state_.Contains(csLoading); }
    bool IsDesigning() const { return state_.Contains(csDesigning); }
    bool IsDestroying() const { return state_.Contains(csDestroying); }
    // Sets or clears csDesigning here and on the owned components.
    void SetDesigning(bool value, bool includeOwned = true);
    // The reader sets csLoading and csReading; Loaded clears csLoading.
    void SetLoadingState(bool loading);
    void SetReadingState(bool reading);

    // Removal notices: AComponent is told (Notification opRemove) when this component goes.
    // Mutual, so either side going clears both lists.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);
    // Called for an insertion into or removal from this component's owned list, for every
    // component that asked for a notice of the one that goes, and passed on to every owned
    // component. Overrides clear their references and call the inherited version.
    virtual void Notification(TComponent* AComponent, TOperation Operation);

    // Told once reading has given every component its stored values and references.
    virtual void Loaded();

    // Parent hooks for the reader and the writer: controls report HasParent() true and take the
    // component whose block they are nested in as their parent.
    virtual bool HasParent() const { return false; }
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent* Value);

private:
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);
    void ValidateRename(TComponent* AComponent, const QString& current, const QString& next) const;
    void ClearPublishedField(TComponent* AComponent);

    TComponent* owner_ = nullptr;
    QString name_;
    int tag_ = 0;
    TComponentState state_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
};

// True when Name is a valid identifier (letter or underscore, then letters, digits, underscores).
bool IsValidIdent(const QString& Name);

Q_DECLARE_METATYPE(TComponent*)
