#include "platform/component.h"

#include "platform/exceptions.h"
#include "platform/properties.h"

#include <algorithm>

RAVELDA_DEFINE_CLASS(TComponent) {
    c.Property("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
    c.Property("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
}

bool IsValidIdent(const QString& Name) {
    if (Name.isEmpty()) return false;
    for (int i = 0; i < Name.size(); ++i) {
        QChar ch = Name[i];
        bool letter = (ch >= QLatin1Char('a') && ch <= QLatin1Char('z')) ||
                      (ch >= QLatin1Char('A') && ch <= QLatin1Char('Z')) || ch == QLatin1Char('_');
        bool digit = ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
        if (!letter && !(digit && i > 0)) return false;
    }
    return true;
}

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    // Components of the same living owner hear of the removal through the owner below.
    bool ownerTells = owner_ && !owner_->IsDestroying();
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto& theirs = other->freeNotifies_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        if (!(ownerTells && other->owner_ == owner_)) other->Notification(this, opRemove);
    }
    DestroyComponents();
    if (owner_) {
        TComponent* owner = owner_;
        owner->Notification(this, opRemove);
        owner->ClearPublishedField(this);
        owner->Remove(this);
    }
}

TPersistent* TComponent::GetOwner() const {
    return owner_;
}

QString TComponent::GetNamePath() const {
    return name_;
}

TComponent* TComponent::Components(int Index) const {
    if (Index < 0 || Index >= ComponentCount())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    return components_[static_cast<size_t>(Index)];
}

int TComponent::ComponentIndex() const {
    if (!owner_) return -1;
    auto& list = owner_->components_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const QString& AName) const {
    if (AName.isEmpty()) return nullptr;
    for (TComponent* c : components_)
        if (c->name_.compare(AName, Qt::CaseInsensitive) == 0) return c;
    return nullptr;
}

void TComponent::ValidateRename(TComponent* AComponent, const QString& current,
                                const QString& next) const {
    if (next.isEmpty() || current.compare(next, Qt::CaseInsensitive) == 0) return;
    TComponent* existing = FindComponent(next);
    if (existing && existing != AComponent)
        throw EComponentError(QStringLiteral("A component named %1 already exists").arg(next));
}

void TComponent::SetName(const QString& NewName) {
    if (NewName == name_) return;
    if (!NewName.isEmpty() && !IsValidIdent(NewName))
        throw EComponentError(QStringLiteral("'%1' is not a valid component name").arg(NewName));
    if (owner_) {
        owner_->ValidateRename(this, name_, NewName);
        owner_->ClearPublishedField(this);
    }
    name_ = NewName;
    if (owner_ && !name_.isEmpty() && !owner_->IsDestroying()) {
        if (const TPublishedField* f = owner_->ClassInfo().FindField(name_)) f->Set(owner_, this);
    }
}

void TComponent::ClearPublishedField(TComponent* AComponent) {
    if (AComponent->name_.isEmpty()) return;
    if (const TPublishedField* f = ClassInfo().FindField(AComponent->name_))
        if (f->Get(this) == AComponent) f->Set(this, nullptr);
}

void TComponent::Insert(TComponent* AComponent) {
    components_.push_back(AComponent);
    AComponent->owner_ = this;
}

void TComponent::Remove(TComponent* AComponent) {
    AComponent->owner_ = nullptr;
    components_.erase(std::remove(components_.begin(), components_.end(), AComponent),
                      components_.end());
}

void TComponent::InsertComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->owner_ == this) return;
    ValidateRename(AComponent, QString(), AComponent->name_);
    if (AComponent->owner_) AComponent->owner_->RemoveComponent(AComponent);
    Insert(AComponent);
    if (!AComponent->name_.isEmpty())
        if (const TPublishedField* f = ClassInfo().FindField(AComponent->name_))
            f->Set(this, AComponent);
    if (IsDesigning()) AComponent->SetDesigning(true);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
    if (!AComponent || AComponent->owner_ != this) return;
    Notification(AComponent, opRemove);
    ClearPublishedField(AComponent);
    Remove(AComponent);
}

void TComponent::DestroyComponents() {
    // Last first, like the classic framework: later components may refer to earlier ones.
    while (!components_.empty()) {
        TComponent* c = components_.back();
        Remove(c);
        delete c;
    }
}

void TComponent::Destroying() {
    if (state_.Contains(csDestroying)) return;
    state_.Include(csDestroying);
    for (TComponent* c : components_)
        c->Destroying();
}

void TComponent::SetDesigning(bool value, bool includeOwned) {
    if (value)
        state_.Include(csDesigning);
    else
        state_.Exclude(csDesigning);
    if (includeOwned)
        for (TComponent* c : components_)
            c->SetDesigning(value, true);
}

void TComponent::SetLoadingState(bool loading) {
    if (loading)
        state_.Include(csLoading);
    else
        state_.Exclude(csLoading);
}

void TComponent::SetReadingState(bool reading) {
    if (reading)
        state_.Include(csReading);
    else
        state_.Exclude(csReading);
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent) == freeNotifies_.end())
        freeNotifies_.push_back(AComponent);
    auto& theirs = AComponent->freeNotifies_;
    if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
    state_.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (!AComponent) return;
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), AComponent),
                        freeNotifies_.end());
    auto& theirs = AComponent->freeNotifies_;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
    // By index from the end: a handler may remove components from the list.
    for (size_t i = components_.size(); i > 0; --i) {
        if (i > components_.size()) continue;
        components_[i - 1]->Notification(AComponent, Operation);
    }
}

void TComponent::Loaded() {
    state_.Exclude(csLoading);
}

void TComponent::SetParentComponent(TComponent*) {}
