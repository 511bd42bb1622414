#include "platform/dfmreader.h"

#include "platform/application.h"
#include "platform/dfmparser.h"
#include "platform/properties.h"

#include <QHash>
#include <QScopeGuard>
#include <vector>

namespace {

bool Same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

struct Fixup {
    TObject* instance;
    const TPropInfo* info;
    QString name;
    QString path; // for messages: "Grid1.DataSource"
    int line;
};

class Reader {
public:
    Reader(TComponent* root, QString source) : root_(root), source_(std::move(source)) {}

    [[noreturn]] void Fail(int line, const QString& why) const {
        throw EDescriptionError(why, line, source_);
    }

    void Read(const TDfmObject& desc) {
        CheckRootClass(desc);
        root_->SetLoadingState(true);
        root_->SetReadingState(true);
        auto undoRead = qScopeGuard([this] {
            // Leave the root as it was: free what this read created, last first.
            for (auto it = created_.rbegin(); it != created_.rend(); ++it)
                delete *it;
            created_.clear();
            root_->SetReadingState(false);
            root_->SetLoadingState(false);
        });
        if (!desc.name.isEmpty()) SetRootName(desc);
        ApplyProperties(root_, desc.properties, RootLabel());
        for (const TDfmObject& child : desc.children)
            ReadChild(child, root_);
        ResolveFixups();
        undoRead.dismiss();
        root_->SetReadingState(false);
        for (TComponent* c : created_)
            c->SetReadingState(false);
        std::vector<TComponent*> loaded;
        loaded.push_back(root_);
        loaded.insert(loaded.end(), created_.begin(), created_.end());
        auto endLoading = qScopeGuard([&loaded] {
            for (TComponent* c : loaded)
                c->SetLoadingState(false);
        });
        for (TComponent* c : loaded) {
            c->Loaded();
            c->SetLoadingState(false);
        }
        endLoading.dismiss();
    }

private:
    QString RootLabel() const {
        return root_->Name().isEmpty() ? root_->ClassName() : root_->Name();
    }

    void CheckRootClass(const TDfmObject& desc) {
        if (desc.kind == TDfmObject::Inherited)
            Fail(desc.line, QStringLiteral("Inherited descriptions are not supported"));
        if (desc.kind == TDfmObject::Inline)
            Fail(desc.line, QStringLiteral("Inline frames are not supported"));
        for (const TClassInfo* c = &root_->ClassInfo(); c; c = c->Parent())
            if (Same(c->Name(), desc.className)) return;
        Fail(desc.line, QStringLiteral("A description of %1 cannot be read into a %2")
                            .arg(desc.className, root_->ClassName()));
    }

    void SetRootName(const TDfmObject& desc) {
        if (Same(root_->Name(), desc.name)) return;
        QString name = desc.name;
        if (TComponent* owner = root_->Owner()) {
            // A second instance of the same form gets a unique name, as the classic reader does.
            for (int n = 1; owner->FindComponent(name) && owner->FindComponent(name) != root_; ++n)
                name = desc.name + QStringLiteral("_%1").arg(n);
        }
        try {
            root_->SetName(name);
        } catch (const Exception& e) {
            Fail(desc.line, e.Message());
        }
    }

    void ReadChild(const TDfmObject& desc, TComponent* parent) {
        if (desc.kind == TDfmObject::Inherited)
            Fail(desc.line, QStringLiteral("Inherited components are not supported"));
        if (desc.kind == TDfmObject::Inline)
            Fail(desc.line, QStringLiteral("Inline frames are not supported"));
        const TClassInfo* cls = FindClass(desc.className);
        if (!cls) Fail(desc.line, QStringLiteral("Class %1 not found").arg(desc.className));
        if (!cls->InheritsFrom(TComponent::StaticClass()) || !cls->CanCreateComponent())
            Fail(desc.line, QStringLiteral("Class %1 is not a component that can be created")
                                .arg(desc.className));

        TComponent* comp = nullptr;
        try {
            comp = cls->CreateComponent(root_);
        } catch (const EDescriptionError&) {
            throw;
        } catch (const Exception& e) {
            Fail(desc.line,
                 QStringLiteral("Cannot create %1: %2").arg(desc.className, e.Message()));
        }
        created_.push_back(comp);
        comp->SetLoadingState(true);
        comp->SetReadingState(true);
        QString label = desc.name.isEmpty() ? desc.className : desc.name;
        try {
            comp->SetName(desc.name);
            comp->SetParentComponent(parent);
        } catch (const EDescriptionError&) {
            throw;
        } catch (const Exception& e) {
            Fail(desc.line, e.Message());
        }
        if (!desc.name.isEmpty()) {
            if (const TPublishedField* f = root_->ClassInfo().FindField(desc.name)) {
                if (!f->Set(root_, comp))
                    Fail(desc.line, QStringLiteral("Field %1.%2 is not a %3")
                                        .arg(root_->ClassName(), desc.name, desc.className));
            }
        }
        ApplyProperties(comp, desc.properties, label);
        for (const TDfmObject& child : desc.children)
            ReadChild(child, comp);
    }

    void ApplyProperties(TObject* target, const std::vector<TDfmProperty>& props,
                         const QString& label) {
        for (const TDfmProperty& p : props) {
            try {
                ApplyProperty(target, p, label);
            } catch (const EDescriptionError&) {
                throw;
            } catch (const Exception& e) {
                Fail(p.line,
                     QStringLiteral("Error reading %1.%2: %3").arg(label, p.name, e.Message()));
            }
        }
    }

    void ApplyProperty(TObject* target, const TDfmProperty& p, const QString& label) {
        const QStringList parts = p.name.split(QLatin1Char('.'));
        TObject* cur = target;
        for (int i = 0; i < parts.size(); ++i) {
            const QString& part = parts[i];
            bool last = i == parts.size() - 1;
            // A string list's lines are stored as its "Strings" pseudo-property.
            if (auto* list = dynamic_cast<TStrings*>(cur);
                list && last && Same(part, QLatin1String("Strings"))) {
                list->SetStrings(ListOfStrings(p.value, p.name));
                return;
            }
            const TPropInfo* info = cur->ClassInfo().FindProperty(part);
            if (!info)
                Fail(p.line, QStringLiteral("Property %1 does not exist in %2 (%3)")
                                 .arg(part, cur->ClassName(), label));
            if (!last) {
                TPersistent* sub = info->GetObject ? info->GetObject(cur) : nullptr;
                if (!sub)
                    Fail(
                        p.line,
                        QStringLiteral("Property %1 of %2 has no sub-properties").arg(part, label));
                cur = sub;
                continue;
            }
            SetValue(cur, *info, p, label);
        }
    }

    QStringList ListOfStrings(const TDfmValue& v, const QString& name) const {
        if (v.kind != TDfmValue::List)
            Fail(v.line, QStringLiteral("%1 expects a list of strings ( 'a' 'b' )").arg(name));
        QStringList lines;
        for (const TDfmValue& item : v.items) {
            if (item.kind != TDfmValue::String)
                Fail(item.line, QStringLiteral("%1 expects strings in its list").arg(name));
            lines << item.text;
        }
        return lines;
    }

    [[noreturn]] void BadValue(const TDfmValue& v, const TPropInfo& info,
                               const QString& expected) const {
        Fail(v.line,
             QStringLiteral("Invalid value for property %1: %2 expected").arg(info.Name, expected));
    }

    void SetValue(TObject* obj, const TPropInfo& info, const TDfmProperty& p,
                  const QString& label) {
        const TDfmValue& v = p.value;
        auto needsSet = [&] {
            if (!info.Set) Fail(p.line, QStringLiteral("Property %1 is read-only").arg(info.Name));
        };
        switch (info.Kind) {
        case TPropKind::Integer: {
            needsSet();
            qint64 n = 0;
            if (v.kind == TDfmValue::Integer)
                n = v.integer;
            else if (v.kind == TDfmValue::Ident && !info.IdentsType.isEmpty() &&
                     IdentToInt(info.IdentsType, v.text, n))
                ;
            else
                BadValue(v, info,
                         info.IdentsType.isEmpty()
                             ? QStringLiteral("an integer")
                             : QStringLiteral("an integer or %1 identifier").arg(info.IdentsType));
            info.Set(obj, QVariant(static_cast<qlonglong>(n)));
            return;
        }
        case TPropKind::Boolean:
            needsSet();
            if (v.kind != TDfmValue::Ident ||
                (!Same(v.text, QLatin1String("True")) && !Same(v.text, QLatin1String("False"))))
                BadValue(v, info, QStringLiteral("True or False"));
            info.Set(obj, QVariant(Same(v.text, QLatin1String("True"))));
            return;
        case TPropKind::String:
            needsSet();
            if (v.kind != TDfmValue::String) BadValue(v, info, QStringLiteral("a string"));
            info.Set(obj, QVariant(v.text));
            return;
        case TPropKind::Float:
            needsSet();
            if (v.kind == TDfmValue::Float)
                info.Set(obj, QVariant(v.number));
            else if (v.kind == TDfmValue::Integer)
                info.Set(obj, QVariant(static_cast<double>(v.integer)));
            else
                BadValue(v, info, QStringLiteral("a number"));
            return;
        case TPropKind::Enumeration: {
            needsSet();
            const TEnumInfo* e = info.Enum();
            if (v.kind != TDfmValue::Ident)
                BadValue(v, info,
                         e ? QStringLiteral("a %1 identifier").arg(e->Name())
                           : QStringLiteral("an identifier"));
            if (!e)
                Fail(v.line, QStringLiteral("The enumeration of property %1 is not registered")
                                 .arg(info.Name));
            int ord = e->Ordinal(v.text);
            if (ord < 0)
                Fail(v.line, QStringLiteral("'%1' is not a value of %2").arg(v.text, e->Name()));
            info.Set(obj, QVariant(ord));
            return;
        }
        case TPropKind::Set: {
            needsSet();
            const TEnumInfo* e = info.Enum();
            if (v.kind != TDfmValue::Set) BadValue(v, info, QStringLiteral("a set [a, b]"));
            if (!e)
                Fail(v.line, QStringLiteral("The enumeration of property %1 is not registered")
                                 .arg(info.Name));
            quint64 mask = 0;
            for (const QString& id : v.idents) {
                int ord = e->Ordinal(id);
                if (ord < 0 || ord >= 64)
                    Fail(v.line, QStringLiteral("'%1' is not a value of %2").arg(id, e->Name()));
                mask |= quint64{1} << ord;
            }
            info.Set(obj, QVariant(static_cast<qulonglong>(mask)));
            return;
        }
        case TPropKind::Component:
            needsSet();
            if (v.kind != TDfmValue::Ident) BadValue(v, info, QStringLiteral("a component name"));
            if (Same(v.text, QLatin1String("nil"))) {
                info.Set(obj, QVariant());
                return;
            }
            fixups_.push_back(Fixup{obj, &info, v.text, label + QLatin1Char('.') + p.name, v.line});
            return;
        case TPropKind::Event: {
            needsSet();
            if (v.kind != TDfmValue::Ident) BadValue(v, info, QStringLiteral("a method name"));
            if (Same(v.text, QLatin1String("nil"))) {
                info.Set(obj, QVariant());
                return;
            }
            TMethod m = FindMethod(root_, v.text);
            if (!m.Assigned())
                Fail(v.line,
                     QStringLiteral("Method %1 not found in %2").arg(v.text, root_->ClassName()));
            info.Set(obj, QVariant::fromValue(m));
            return;
        }
        case TPropKind::Strings: {
            QStringList lines = ListOfStrings(v, p.name);
            if (info.Set) {
                info.Set(obj, QVariant(lines));
            } else if (auto* list = static_cast<TStrings*>(info.GetObject(obj))) {
                list->SetStrings(lines);
            } else {
                Fail(p.line, QStringLiteral("Property %1 holds no list").arg(info.Name));
            }
            return;
        }
        case TPropKind::Collection: {
            if (v.kind != TDfmValue::Collection)
                BadValue(v, info, QStringLiteral("a collection < item ... end >"));
            auto* coll = static_cast<TCollection*>(info.GetObject(obj));
            if (!coll)
                Fail(p.line, QStringLiteral("Property %1 holds no collection").arg(info.Name));
            coll->BeginUpdate();
            auto endUpdate = qScopeGuard([coll] { coll->EndUpdate(); });
            coll->Clear();
            int index = 0;
            for (const TDfmItem& item : v.collection) {
                TCollectionItem* it = nullptr;
                try {
                    it = coll->Add();
                } catch (const Exception& e) {
                    Fail(item.line, e.Message());
                }
                ApplyProperties(it, item.properties,
                                QStringLiteral("%1.%2[%3]").arg(label, info.Name).arg(index++));
            }
            endUpdate.dismiss();
            coll->EndUpdate(); // here, not in the guard: OnChange may raise
            return;
        }
        case TPropKind::Object:
            Fail(p.line,
                 QStringLiteral("Property %1 is an object: give its sub-properties (%1.Name = ...)")
                     .arg(info.Name));
        case TPropKind::Binary:
            needsSet();
            if (v.kind != TDfmValue::Binary)
                BadValue(v, info, QStringLiteral("binary data { ... }"));
            info.Set(obj, QVariant(v.bytes));
            return;
        }
    }

    TComponent* Resolve(const QString& name) const {
        if (Same(name, root_->Name())) return root_;
        if (TComponent* c = root_->FindComponent(name)) return c;
        int dot = name.indexOf(QLatin1Char('.'));
        if (dot < 0) return nullptr;
        // "Form2.Table1": a component of another root: the root itself or one owned by the
        // application.
        QString head = name.left(dot);
        QString rest = name.mid(dot + 1);
        TComponent* base = nullptr;
        if (Same(head, root_->Name()))
            base = root_;
        else if (Application)
            base = Application->FindComponent(head);
        if (!base) return nullptr;
        for (const QString& part : rest.split(QLatin1Char('.'))) {
            base = base->FindComponent(part);
            if (!base) return nullptr;
        }
        return base;
    }

    void ResolveFixups() {
        for (const Fixup& f : fixups_) {
            TComponent* target = Resolve(f.name);
            if (!target)
                Fail(f.line,
                     QStringLiteral("Unresolved reference to %1 in %2").arg(f.name, f.path));
            try {
                f.info->Set(f.instance, QVariant::fromValue(target));
            } catch (const EDescriptionError&) {
                throw;
            } catch (const Exception& e) {
                Fail(f.line, QStringLiteral("Error reading %1: %2").arg(f.path, e.Message()));
            }
        }
    }

    TComponent* root_;
    QString source_;
    std::vector<TComponent*> created_;
    std::vector<Fixup> fixups_;
};

QHash<QString, QString>& Resources() {
    static QHash<QString, QString> resources;
    return resources;
}

} // namespace

void ReadComponentText(TComponent* Root, const QString& Text, const QString& Source) {
    if (!Root) throw EReadError(QStringLiteral("No component to read into"));
    TDfmObject desc = ParseDfm(Text, Source);
    Reader(Root, Source).Read(desc);
}

TComponent* CreateComponentFromText(TComponent* Owner, const QString& Text, const QString& Source) {
    TDfmObject desc = ParseDfm(Text, Source);
    const TClassInfo* cls = FindClass(desc.className);
    if (!cls)
        throw EDescriptionError(QStringLiteral("Class %1 not found").arg(desc.className), desc.line,
                                Source);
    if (!cls->InheritsFrom(TComponent::StaticClass()) || !cls->CanCreateComponent())
        throw EDescriptionError(
            QStringLiteral("Class %1 is not a component that can be created").arg(desc.className),
            desc.line, Source);
    std::unique_ptr<TComponent> root(cls->CreateComponent(Owner));
    Reader(root.get(), Source).Read(desc);
    return root.release();
}

void RegisterFormResource(const QString& Name, const QString& Text) {
    Resources().insert(Name.toUpper(), Text);
}

bool FindFormResource(const QString& Name, QString& Text) {
    auto it = Resources().constFind(Name.toUpper());
    if (it == Resources().constEnd()) return false;
    Text = *it;
    return true;
}

void ReadFormResource(TComponent* Root, const QString& Name) {
    QString text;
    if (!FindFormResource(Name, text))
        throw EReadError(QStringLiteral("Resource %1 not found").arg(Name));
    ReadComponentText(Root, text, Name.toUpper());
}
