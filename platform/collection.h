// Collections of items (grid columns and the like), stored as "< item ... end >".
#pragma once

#include "platform/classes.h"
#include "platform/events.h"
#include "platform/object.h"

#include <QString>
#include <vector>

class TCollection;

class TCollectionItem : public TPersistent {
    RAVELDA_CLASS(TCollectionItem, TPersistent)
public:
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return collection_; }
    // Moves the item inside its collection.
    int Index() const;
    void SetIndex(int Value);
    virtual QString DisplayName() const;
    TPersistent* GetOwner() const override;
    QString GetNamePath() const override;

protected:
    // Tells the collection that this item (or, with AllItems, every item) changed.
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* collection_ = nullptr;
};

class TCollection : public TPersistent {
    RAVELDA_CLASS(TCollection, TPersistent)
public:
    // Items are created through the item class's factory (RAVELDA_DEFINE_CLASS of a
    // TCollectionItem subclass constructible from TCollection*).
    TCollection(const TClassInfo& ItemClass, TPersistent* Owner = nullptr);
    ~TCollection() override;

    const TClassInfo& ItemClass() const { return *itemClass_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // Raises EListError for an index out of range.
    TCollectionItem* Items(int Index) const;
    TCollectionItem* Add();
    TCollectionItem* Insert(int Index);
    void Delete(int Index);
    void Clear();
    // Copies the items of another collection one by one (Assign per item).
    void Assign(const TPersistent* Source) override;
    using TPersistent::Assign;
    TPersistent* GetOwner() const override { return owner_; }
    QString GetNamePath() const override;
    void SetPropName(const QString& name) { propName_ = name; }

    void BeginUpdate();
    void EndUpdate();
    // Called after changes (null Item: more than one item); the default fires OnChange.
    virtual void Update(TCollectionItem* Item);
    TNotifyEvent OnChange;

private:
    friend class TCollectionItem;
    void Attach(TCollectionItem* item, int index);
    void Detach(TCollectionItem* item);
    void Changed();

    const TClassInfo* itemClass_;
    TPersistent* owner_;
    QString propName_;
    std::vector<TCollectionItem*> items_;
    int updateCount_ = 0;
    bool creating_ = false;
};
