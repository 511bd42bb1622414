#include "platform/classes.h"

#include "platform/exceptions.h"
#include "platform/properties.h"

#include <QHash>

namespace {
QHash<QString, const TClassInfo*>& Registry() {
    static QHash<QString, const TClassInfo*> registry;
    return registry;
}
bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

TClassInfo::TClassInfo(QString name, const TClassInfo* parent, Describe describe)
    : name_(std::move(name)), parent_(parent), describe_(std::move(describe)) {}

TClassInfo::~TClassInfo() = default;

bool TClassInfo::InheritsFrom(const TClassInfo& other) const {
    for (const TClassInfo* c = this; c; c = c->parent_)
        if (c == &other) return true;
    return false;
}

TComponent* TClassInfo::CreateComponent(TComponent* owner) const {
    if (!componentFactory_)
        throw EComponentError(QStringLiteral("Cannot create an instance of %1").arg(name_));
    return componentFactory_(owner);
}

TCollectionItem* TClassInfo::CreateItem(TCollection* collection) const {
    if (!itemFactory_)
        throw EComponentError(QStringLiteral("Cannot create an item of class %1").arg(name_));
    return itemFactory_(collection);
}

void TClassInfo::EnsureDescribed() const {
    if (!describe_) return;
    // Describe once; the function may look at other classes but never at this one's properties.
    Describe d = std::move(describe_);
    describe_ = nullptr;
    d(const_cast<TClassInfo&>(*this));
}

const std::vector<std::unique_ptr<TPropInfo>>& TClassInfo::OwnProperties() const {
    EnsureDescribed();
    return props_;
}

const TPropInfo* TClassInfo::FindProperty(const QString& name) const {
    for (const TClassInfo* c = this; c; c = c->parent_) {
        c->EnsureDescribed();
        for (const auto& p : c->props_)
            if (SameName(p->Name, name)) return p.get();
    }
    return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::Properties() const {
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = this; c; c = c->parent_)
        chain.insert(chain.begin(), c);
    std::vector<const TPropInfo*> out;
    for (const TClassInfo* c : chain) {
        c->EnsureDescribed();
        for (const auto& p : c->props_) {
            bool replaced = false;
            for (auto& existing : out)
                if (SameName(existing->Name, p->Name)) {
                    existing = p.get();
                    replaced = true;
                }
            if (!replaced) out.push_back(p.get());
        }
    }
    return out;
}

const TPublishedField* TClassInfo::FindField(const QString& name) const {
    for (const TClassInfo* c = this; c; c = c->parent_) {
        c->EnsureDescribed();
        for (const auto& f : c->fields_)
            if (SameName(f.Name, name)) return &f;
    }
    return nullptr;
}

const TPublishedMethod* TClassInfo::FindMethod(const QString& name) const {
    for (const TClassInfo* c = this; c; c = c->parent_) {
        c->EnsureDescribed();
        for (const auto& m : c->methods_)
            if (SameName(m.Name, name)) return &m;
    }
    return nullptr;
}

std::vector<const TPublishedMethod*> TClassInfo::Methods() const {
    std::vector<const TPublishedMethod*> out;
    for (const TClassInfo* c = this; c; c = c->parent_) {
        c->EnsureDescribed();
        for (const auto& m : c->methods_)
            out.push_back(&m);
    }
    return out;
}

TPropInfo& TClassInfo::AddProperty(std::unique_ptr<TPropInfo> prop) {
    for (auto& p : props_)
        if (SameName(p->Name, prop->Name)) {
            p = std::move(prop);
            return *p;
        }
    props_.push_back(std::move(prop));
    return *props_.back();
}

void TClassInfo::AddField(TPublishedField field) {
    fields_.push_back(std::move(field));
}

void TClassInfo::AddMethod(TPublishedMethod method) {
    methods_.push_back(std::move(method));
}

void RegisterClassInfo(const TClassInfo& cls) {
    auto key = cls.Name().toUpper();
    if (!Registry().contains(key)) Registry().insert(key, &cls);
}

const TClassInfo* FindClass(const QString& name) {
    return Registry().value(name.toUpper(), nullptr);
}

const TClassInfo& GetClass(const QString& name) {
    if (const TClassInfo* c = FindClass(name)) return *c;
    throw EClassNotFound(QStringLiteral("Class %1 not found").arg(name));
}
