// Class information and the class registry: class name -> factory, published properties,
// published fields (form members bound by name) and published methods (event handlers by name).
#pragma once

#include "platform/object.h"

#include <QString>
#include <any>
#include <functional>
#include <memory>
#include <vector>

class TComponent;
class TCollection;
class TCollectionItem;
struct TPropInfo;

// A published component field of a class (e.g. TForm1::BitBtn1): the reader binds every component
// it creates to the root's field of the same name.
struct TPublishedField {
    QString Name;
    const TClassInfo& (*FieldClass)() = nullptr;
    // Sets the field; returns false when the component is not of the field's class.
    std::function<bool(TObject* self, TComponent* value)> Set;
    std::function<TComponent*(const TObject* self)> Get;
};

// A published method (e.g. TForm1::BitBtn1Click). Bind gives a std::function of the method's own
// signature bound to the instance, wrapped in std::any; event properties take it when the
// signatures agree.
struct TPublishedMethod {
    QString Name;
    std::function<std::any(TObject* self)> Bind;
};

class TClassInfo {
public:
    using Describe = std::function<void(TClassInfo&)>;
    TClassInfo(QString name, const TClassInfo* parent, Describe describe);
    ~TClassInfo();
    TClassInfo(const TClassInfo&) = delete;
    TClassInfo& operator=(const TClassInfo&) = delete;

    const QString& Name() const { return name_; }
    const TClassInfo* Parent() const { return parent_; }
    bool InheritsFrom(const TClassInfo& other) const;

    // Components: new T(owner). Only for concrete component classes.
    bool CanCreateComponent() const { return static_cast<bool>(componentFactory_); }
    // Raises EComponentError when the class cannot be created by name.
    TComponent* CreateComponent(TComponent* owner) const;
    // Collection items: new T(collection).
    bool CanCreateItem() const { return static_cast<bool>(itemFactory_); }
    TCollectionItem* CreateItem(TCollection* collection) const;

    // Look-ups walk the class hierarchy; names compare case-insensitively.
    const TPropInfo* FindProperty(const QString& name) const;
    // All published properties, the base class's first; a redeclared name keeps its place.
    std::vector<const TPropInfo*> Properties() const;
    const TPublishedField* FindField(const QString& name) const;
    const TPublishedMethod* FindMethod(const QString& name) const;
    std::vector<const TPublishedMethod*> Methods() const;

    // Used by the class builder (properties.h).
    TPropInfo& AddProperty(std::unique_ptr<TPropInfo> prop);
    void AddField(TPublishedField field);
    void AddMethod(TPublishedMethod method);
    void SetComponentFactory(std::function<TComponent*(TComponent*)> f) {
        componentFactory_ = std::move(f);
    }
    void SetItemFactory(std::function<TCollectionItem*(TCollection*)> f) {
        itemFactory_ = std::move(f);
    }
    // The class's own declarations, described on first use.
    const std::vector<std::unique_ptr<TPropInfo>>& OwnProperties() const;

private:
    void EnsureDescribed() const;

    QString name_;
    const TClassInfo* parent_;
    mutable Describe describe_;
    std::function<TComponent*(TComponent*)> componentFactory_;
    std::function<TCollectionItem*(TCollection*)> itemFactory_;
    std::vector<std::unique_ptr<TPropInfo>> props_;
    std::vector<TPublishedField> fields_;
    std::vector<TPublishedMethod> methods_;
};

// The class registry. Every class defined with RAVELDA_DEFINE_CLASS registers itself when its
// class information is first built (at the latest at program start-up); RegisterClass<T>() makes
// sure in code that would otherwise not mention the class.
void RegisterClassInfo(const TClassInfo& cls);
template <class T> void RegisterClass() {
    RegisterClassInfo(T::StaticClass());
}
// Case-insensitive; nullptr when unknown.
const TClassInfo* FindClass(const QString& name);
// Raises EClassNotFound "Class TX not found".
const TClassInfo& GetClass(const QString& name);
