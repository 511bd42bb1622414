#include "platform/collection.h"

#include "platform/exceptions.h"
#include "platform/properties.h"

#include <QScopeGuard>
#include <algorithm>

RAVELDA_DEFINE_CLASS(TCollectionItem) {}
RAVELDA_DEFINE_CLASS(TCollection) {}

TCollectionItem::TCollectionItem(TCollection* Collection) {
    if (Collection) Collection->Attach(this, Collection->Count());
}

TCollectionItem::~TCollectionItem() {
    if (collection_) collection_->Detach(this);
}

int TCollectionItem::Index() const {
    if (!collection_) return -1;
    auto& items = collection_->items_;
    return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int Value) {
    int cur = Index();
    if (cur < 0 || Value == cur) return;
    auto& items = collection_->items_;
    if (Value < 0 || Value >= static_cast<int>(items.size()))
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Value));
    items.erase(items.begin() + cur);
    items.insert(items.begin() + Value, this);
    Changed(true);
}

QString TCollectionItem::DisplayName() const {
    return ClassName();
}

TPersistent* TCollectionItem::GetOwner() const {
    return collection_;
}

QString TCollectionItem::GetNamePath() const {
    if (!collection_) return ClassName();
    return QStringLiteral("%1[%2]").arg(collection_->GetNamePath()).arg(Index());
}

void TCollectionItem::Changed(bool AllItems) {
    if (collection_ && collection_->updateCount_ == 0)
        collection_->Update(AllItems ? nullptr : this);
}

TCollection::TCollection(const TClassInfo& ItemClass, TPersistent* Owner)
    : itemClass_(&ItemClass), owner_(Owner) {}

TCollection::~TCollection() {
    updateCount_ = 1; // no change notices while going
    Clear();
}

TCollectionItem* TCollection::Items(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    return items_[static_cast<size_t>(Index)];
}

TCollectionItem* TCollection::Add() {
    creating_ = true;
    TCollectionItem* item = nullptr;
    {
        const auto created = qScopeGuard([this] { creating_ = false; });
        item = itemClass_->CreateItem(this);
    }
    Changed();
    return item;
}

TCollectionItem* TCollection::Insert(int Index) {
    if (Index < 0 || Index > Count())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
    BeginUpdate();
    auto endUpdate = qScopeGuard([this] { EndUpdate(); });
    TCollectionItem* item = Add();
    item->SetIndex(Index);
    endUpdate.dismiss();
    EndUpdate(); // here, not in the guard: OnChange may raise
    return item;
}

void TCollection::Delete(int Index) {
    delete Items(Index);
}

void TCollection::Clear() {
    if (items_.empty()) return;
    BeginUpdate();
    while (!items_.empty())
        delete items_.back();
    EndUpdate();
}

void TCollection::Assign(const TPersistent* Source) {
    auto* src = dynamic_cast<const TCollection*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src == this) return;
    BeginUpdate();
    auto endUpdate = qScopeGuard([this] { EndUpdate(); });
    Clear();
    for (TCollectionItem* item : src->items_)
        Add()->Assign(item);
    endUpdate.dismiss();
    EndUpdate(); // here, not in the guard: OnChange may raise
}

QString TCollection::GetNamePath() const {
    QString owner = owner_ ? owner_->GetNamePath() : QString();
    if (propName_.isEmpty()) return owner.isEmpty() ? ClassName() : owner;
    return owner.isEmpty() ? propName_ : owner + QLatin1Char('.') + propName_;
}

void TCollection::BeginUpdate() {
    ++updateCount_;
}

void TCollection::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0) Changed();
}

void TCollection::Update(TCollectionItem*) {
    Fire(OnChange, this);
}

void TCollection::Attach(TCollectionItem* item, int index) {
    item->collection_ = this;
    items_.insert(items_.begin() + index, item);
}

void TCollection::Detach(TCollectionItem* item) {
    items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
    item->collection_ = nullptr;
    Changed();
}

void TCollection::Changed() {
    if (updateCount_ == 0 && !creating_) Update(nullptr);
}
