// Published properties: one registry, per class, of name, type, default and stored-when. The
// description reader and writer use it, and so does every look-up of a capability by property
// name (GetStringsProp(dataSet, "PictureMasks")).
//
// Declaring a class (header):
//     class TMyButton : public TComponent {
//         RAVELDA_CLASS(TMyButton, TComponent)
//     public:
//         explicit TMyButton(TComponent* AOwner);
//         int Spacing() const;  void SetSpacing(int);
//         TNotifyEvent OnClick;
//     };
// Describing it (source):
//     RAVELDA_DEFINE_CLASS(TMyButton) {
//         c.Property("Spacing", &TMyButton::Spacing, &TMyButton::SetSpacing).Default(4);
//         c.Event("OnClick", &TMyButton::OnClick);
//     }
// Value types follow the getter: bool, integers (optionally with identifiers, e.g. TColor),
// double, QString, registered enumerations, TSet<E>, QByteArray (binary), pointers to TComponent
// subclasses (references, resolved by name after loading), to TStrings (string lists), to
// TCollection (item collections) and to other TPersistent (sub-objects such as Font, reached by
// dotted names "Font.Height"). Forms publish their component fields with c.Field and their
// handlers with c.Method.
//
// Values travel as QVariant: Boolean bool, Integer qlonglong, Float double, String QString,
// Enumeration int (the ordinal; setting also takes the identifier as a QString), Set qulonglong
// (bit = ordinal; setting also takes "[a, b]" or a QStringList), Component TComponent*, Object /
// Strings / Collection TPersistent* (setting assigns), Event TMethod, Binary QByteArray.
#pragma once

#include "platform/classes.h"
#include "platform/collection.h"
#include "platform/component.h"
#include "platform/exceptions.h"
#include "platform/sets.h"
#include "platform/strings.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <any>
#include <functional>
#include <limits>
#include <memory>
#include <type_traits>
#include <vector>

enum class TPropKind {
    Integer,
    Boolean,
    String,
    Float,
    Enumeration,
    Set,
    Component,
    Object,
    Strings,
    Collection,
    Event,
    Binary
};

// An event value: the method's name (when bound by name) and its code, a std::function of the
// event's signature inside std::any (empty: unassigned).
struct TMethod {
    QString Name;
    std::any Code;
    bool Assigned() const { return Code.has_value(); }
};
Q_DECLARE_METATYPE(TMethod)

// Enumerations by identifier.
class TEnumInfo {
public:
    TEnumInfo(QString name, QStringList idents)
        : name_(std::move(name)), idents_(std::move(idents)) {}
    const QString& Name() const { return name_; }
    const QStringList& Idents() const { return idents_; }
    int Count() const { return static_cast<int>(idents_.size()); }
    // Case-insensitive; -1 when unknown.
    int Ordinal(const QString& ident) const;
    // Empty for an ordinal out of range.
    QString Ident(int ordinal) const;
    // "[a, b]" in ordinal order; parse takes the same text (brackets optional), raising
    // EPropertyError for an unknown identifier.
    QString SetToText(quint64 mask) const;
    quint64 TextToSet(const QString& text) const;

private:
    QString name_;
    QStringList idents_;
};

template <class E> struct TEnumSlot { static inline const TEnumInfo* info = nullptr; };
// Registers an enumeration's identifiers in ordinal order; returns true (for static initialisers).
bool RegisterEnumInfo(const TEnumInfo*& slot, const QString& name, const QStringList& idents);
template <class E> bool RegisterEnum(const QString& name, const QStringList& idents) {
    return RegisterEnumInfo(TEnumSlot<E>::info, name, idents);
}
template <class E> const TEnumInfo* EnumInfoOf() {
    return TEnumSlot<E>::info;
}
// Enumeration by type name (e.g. "TAlign"); nullptr when unknown.
const TEnumInfo* FindEnumInfo(const QString& name);

// Integers with identifiers (colours, cursors, character sets): both directions by type name.
// A later registration under the same type name adds to the table.
void RegisterIntegerIdents(const QString& typeName,
                           const std::vector<std::pair<qint64, QString>>& idents);
bool IdentToInt(const QString& typeName, const QString& ident, qint64& value);
bool IntToIdent(const QString& typeName, qint64 value, QString& ident);

struct TPropInfo {
    QString Name;
    TPropKind Kind = TPropKind::Integer;
    const TClassInfo* OwnerClass = nullptr;
    const TEnumInfo* (*EnumType)() = nullptr;     // Enumeration and Set
    QString IdentsType;                           // Integer with identifiers
    const TClassInfo& (*ObjectClass)() = nullptr; // Component, Object, Strings, Collection
    qint64 MinValue = std::numeric_limits<qint64>::min();
    qint64 MaxValue = std::numeric_limits<qint64>::max();
    std::function<QVariant(const TObject*)> Get;
    std::function<void(TObject*, const QVariant&)> Set;    // empty: read-only
    std::function<TPersistent*(const TObject*)> GetObject; // Object, Strings, Collection
    QVariant Default;
    bool HasDefault = false;
    bool StoredFlag = true;
    std::function<bool(const TObject*)> StoredFn;

    const TEnumInfo* Enum() const { return EnumType ? EnumType() : nullptr; }
    bool IsReadOnly() const { return !Set; }
    // Stored-when as declared (a false flag or predicate keeps the value out of descriptions).
    bool IsStored(const TObject* obj) const;
    // The value equals the declared default (strings: empty, floats: 0 when none declared;
    // references: unassigned; lists and collections: empty).
    bool IsDefaultValue(const TObject* obj) const;
};

namespace ravelda::detail {
template <class> struct IsTSet : std::false_type {};
template <class E> struct IsTSet<TSet<E>> : std::true_type { using Enum = E; };
template <class> struct IsStdFunction : std::false_type {};
template <class Sig> struct IsStdFunction<std::function<Sig>> : std::true_type {};

[[noreturn]] void ThrowInvalidValue(const TPropInfo& p, const QString& why);
qint64 VariantToInteger(const TPropInfo& p, const QVariant& v);
bool VariantToBool(const TPropInfo& p, const QVariant& v);
double VariantToFloat(const TPropInfo& p, const QVariant& v);
QString VariantToString(const TPropInfo& p, const QVariant& v);
int VariantToOrdinal(const TPropInfo& p, const QVariant& v);
quint64 VariantToSet(const TPropInfo& p, const QVariant& v);
TComponent* VariantToComponent(const TPropInfo& p, const QVariant& v);
void AssignObjectFromVariant(const TPropInfo& p, TPersistent* target, const QVariant& v);
const std::any& VariantToMethodCode(const TPropInfo& p, const QVariant& v, QString& name);
[[noreturn]] void ThrowIncompatibleMethod(const TPropInfo& p, const QString& name);

template <class T> T& Self(const TObject* o) {
    return const_cast<T&>(static_cast<const T&>(*o));
}
template <class D> QVariant DefaultVariant(const D& d) {
    if constexpr (std::is_same_v<D, bool>)
        return QVariant(d);
    else if constexpr (std::is_enum_v<D>)
        return QVariant(static_cast<int>(d));
    else if constexpr (IsTSet<D>::value)
        return QVariant(static_cast<qulonglong>(d.Mask()));
    else if constexpr (std::is_integral_v<D>)
        return QVariant(static_cast<qlonglong>(d));
    else if constexpr (std::is_floating_point_v<D>)
        return QVariant(static_cast<double>(d));
    else
        return QVariant(QString(d));
}
} // namespace ravelda::detail

template <class T> class TPropBuilder {
public:
    explicit TPropBuilder(TPropInfo& p) : p_(p) {}
    template <class D> TPropBuilder& Default(const D& d) {
        p_.Default = ravelda::detail::DefaultVariant(d);
        p_.HasDefault = true;
        return *this;
    }
    // Always stored (the classic "nodefault").
    TPropBuilder& NoDefault() {
        p_.HasDefault = false;
        p_.Default = QVariant();
        return *this;
    }
    TPropBuilder& Stored(bool stored) {
        p_.StoredFlag = stored;
        return *this;
    }
    TPropBuilder& Stored(std::function<bool(const T&)> when) {
        p_.StoredFn = [when](const TObject* o) { return when(static_cast<const T&>(*o)); };
        return *this;
    }
    // Integer properties written and read by identifier where one exists ("TColor").
    TPropBuilder& Idents(const QString& typeName) {
        p_.IdentsType = typeName;
        return *this;
    }
    TPropInfo& Info() { return p_; }

private:
    TPropInfo& p_;
};

template <class T> class TClassBuilder {
public:
    explicit TClassBuilder(TClassInfo& info) : info_(info) {}

    // Read-only: sub-objects, string lists and collections reached through a getter.
    template <class G> TPropBuilder<T> Property(const char* name, G get) {
        return Add<G, std::nullptr_t>(name, get, nullptr);
    }
    template <class G, class S> TPropBuilder<T> Property(const char* name, G get, S set) {
        return Add<G, S>(name, get, set);
    }

    // An event property: a std::function member, set from a published method of the same
    // signature.
    template <class Sig> TPropBuilder<T> Event(const char* name, std::function<Sig> T::*member) {
        return Event(
            name, [member](T& t) -> const std::function<Sig>& { return t.*member; },
            [member](T& t, std::function<Sig> f) { t.*member = std::move(f); });
    }
    // The same through a getter and a setter.
    template <class G, class S> TPropBuilder<T> Event(const char* name, G get, S set) {
        using F = std::decay_t<std::invoke_result_t<G, T&>>;
        static_assert(ravelda::detail::IsStdFunction<F>::value, "events are std::function");
        auto p = NewProp(name, TPropKind::Event);
        TPropInfo* raw = p.get();
        p->Get = [get, raw](const TObject* o) {
            const F& f = std::invoke(get, ravelda::detail::Self<T>(o));
            TMethod m;
            if (f) {
                m.Code = f;
                const auto& names = static_cast<const TPersistent*>(o)->BoundMethodNames();
                auto it = names.find(raw->Name);
                if (it != names.end()) m.Name = it->second;
            }
            return QVariant::fromValue(m);
        };
        p->Set = [set, raw](TObject* o, const QVariant& v) {
            QString methodName;
            const std::any& code = ravelda::detail::VariantToMethodCode(*raw, v, methodName);
            T& t = ravelda::detail::Self<T>(o);
            if (!code.has_value()) {
                std::invoke(set, t, F());
            } else if (auto* f = std::any_cast<F>(&code)) {
                std::invoke(set, t, *f);
            } else {
                ravelda::detail::ThrowIncompatibleMethod(*raw, methodName);
            }
            static_cast<TPersistent*>(o)->SetBoundMethodName(raw->Name, methodName);
        };
        return TPropBuilder<T>(info_.AddProperty(std::move(p)));
    }

    // A published component field of a root class (a form's BitBtn1).
    template <class C> void Field(const char* name, C* T::*member) {
        static_assert(std::is_base_of_v<TComponent, C>);
        TPublishedField f;
        f.Name = QString::fromLatin1(name);
        f.FieldClass = &C::StaticClass;
        f.Set = [member](TObject* self, TComponent* value) {
            C* typed = value ? dynamic_cast<C*>(value) : nullptr;
            if (value && !typed) return false;
            ravelda::detail::Self<T>(self).*member = typed;
            return true;
        };
        f.Get = [member](const TObject* self) -> TComponent* {
            return ravelda::detail::Self<T>(self).*member;
        };
        info_.AddField(std::move(f));
    }

    // A published method, bound to event properties by name.
    template <class R, class... A> void Method(const char* name, R (T::*method)(A...)) {
        TPublishedMethod m;
        m.Name = QString::fromLatin1(name);
        m.Bind = [method](TObject* self) -> std::any {
            T* t = &ravelda::detail::Self<T>(self);
            return std::function<R(A...)>(
                [t, method](A... args) -> R { return (t->*method)(std::forward<A>(args)...); });
        };
        info_.AddMethod(std::move(m));
    }

private:
    std::unique_ptr<TPropInfo> NewProp(const char* name, TPropKind kind) {
        auto p = std::make_unique<TPropInfo>();
        p->Name = QString::fromLatin1(name);
        p->Kind = kind;
        p->OwnerClass = &info_;
        return p;
    }

    template <class G, class S> TPropBuilder<T> Add(const char* name, G get, S set) {
        using namespace ravelda::detail;
        using V = std::decay_t<std::invoke_result_t<G, T&>>;
        constexpr bool hasSet = !std::is_same_v<S, std::nullptr_t>;
        auto p = NewProp(name, TPropKind::Integer);
        TPropInfo* raw = p.get();

        if constexpr (std::is_same_v<V, bool>) {
            p->Kind = TPropKind::Boolean;
            p->Get = [get](const TObject* o) {
                return QVariant(bool(std::invoke(get, Self<T>(o))));
            };
            if constexpr (hasSet)
                p->Set = [set, raw](TObject* o, const QVariant& v) {
                    std::invoke(set, Self<T>(o), VariantToBool(*raw, v));
                };
        } else if constexpr (std::is_enum_v<V>) {
            p->Kind = TPropKind::Enumeration;
            p->EnumType = &EnumInfoOf<V>;
            p->Get = [get](const TObject* o) {
                return QVariant(static_cast<int>(std::invoke(get, Self<T>(o))));
            };
            if constexpr (hasSet)
                p->Set = [set, raw](TObject* o, const QVariant& v) {
                    std::invoke(set, Self<T>(o), static_cast<V>(VariantToOrdinal(*raw, v)));
                };
        } else if constexpr (std::is_integral_v<V>) {
            p->Kind = TPropKind::Integer;
            p->MinValue = static_cast<qint64>(std::numeric_limits<V>::min());
            p->MaxValue = std::numeric_limits<V>::max() > std::numeric_limits<qint64>::max()
                              ? std::numeric_limits<qint64>::max()
                              : static_cast<qint64>(std::numeric_limits<V>::max());
            p->Get = [get](const TObject* o) {
                return QVariant(static_cast<qlonglong>(std::invoke(get, Self<T>(o))));
            };
            if constexpr (hasSet)
                p->Set = [set, raw](TObject* o, const QVariant& v) {
                    std::invoke(set, Self<T>(o), static_cast<V>(VariantToInteger(*raw, v)));
                };
        } else if constexpr (std::is_floating_point_v<V>) {
            p->Kind = TPropKind::Float;
            p->Get = [get](const TObject* o) {
                return QVariant(static_cast<double>(std::invoke(get, Self<T>(o))));
            };
            if constexpr (hasSet)
                p->Set = [set, raw](TObject* o, const QVariant& v) {
                    std::invoke(set, Self<T>(o), static_cast<V>(VariantToFloat(*raw, v)));
                };
        } else if constexpr (std::is_same_v<V, QString>) {
            p->Kind = TPropKind::String;
            p->Get = [get](const TObject* o) {
                return QVariant(QString(std::invoke(get, Self<T>(o))));
            };
            if constexpr (hasSet)
                p->Set = [set, raw](TObject* o, const QVariant& v) {
                    std::invoke(set, Self<T>(o), VariantToString(*raw, v));
                };
        } else if constexpr (std::is_same_v<V, QByteArray>) {
            p->Kind = TPropKind::Binary;
            p->Get = [get](const TObject* o) {
                return QVariant(QByteArray(std::invoke(get, Self<T>(o))));
            };
            if constexpr (hasSet)
                p->Set = [set](TObject* o, const QVariant& v) {
                    std::invoke(set, Self<T>(o), v.toByteArray());
                };
        } else if constexpr (IsTSet<V>::value) {
            using E = typename IsTSet<V>::Enum;
            p->Kind = TPropKind::Set;
            p->EnumType = &EnumInfoOf<E>;
            p->Get = [get](const TObject* o) {
                return QVariant(static_cast<qulonglong>(std::invoke(get, Self<T>(o)).Mask()));
            };
            if constexpr (hasSet)
                p->Set = [set, raw](TObject* o, const QVariant& v) {
                    std::invoke(set, Self<T>(o), V::FromMask(VariantToSet(*raw, v)));
                };
        } else if constexpr (std::is_pointer_v<V>) {
            using P = std::remove_cv_t<std::remove_pointer_t<V>>;
            static_assert(std::is_base_of_v<TPersistent, P>,
                          "published pointers are to TPersistent");
            p->ObjectClass = &P::StaticClass;
            if constexpr (std::is_base_of_v<TComponent, P>) {
                p->Kind = TPropKind::Component;
                p->Get = [get](const TObject* o) {
                    TComponent* c = const_cast<P*>(std::invoke(get, Self<T>(o)));
                    return QVariant::fromValue(c);
                };
                if constexpr (hasSet)
                    p->Set = [set, raw](TObject* o, const QVariant& v) {
                        TComponent* c = VariantToComponent(*raw, v);
                        P* typed = c ? dynamic_cast<P*>(c) : nullptr;
                        if (c && !typed)
                            ThrowInvalidValue(*raw, c->ClassName() + QStringLiteral(" is not a ") +
                                                        P::StaticClass().Name());
                        std::invoke(set, Self<T>(o), typed);
                    };
            } else {
                if constexpr (std::is_base_of_v<TStrings, P>)
                    p->Kind = TPropKind::Strings;
                else if constexpr (std::is_base_of_v<TCollection, P>)
                    p->Kind = TPropKind::Collection;
                else
                    p->Kind = TPropKind::Object;
                p->GetObject = [get](const TObject* o) -> TPersistent* {
                    return const_cast<P*>(std::invoke(get, Self<T>(o)));
                };
                p->Get = [get](const TObject* o) {
                    TPersistent* obj = const_cast<P*>(std::invoke(get, Self<T>(o)));
                    return QVariant::fromValue(obj);
                };
                // Sub-objects are always assigned, through the setter when there is one.
                p->Set = [get, set, raw](TObject* o, const QVariant& v) {
                    (void)set;  // used only with a setter
                    if constexpr (hasSet) {
                        std::unique_ptr<P> tmp;
                        P* current = const_cast<P*>(std::invoke(get, Self<T>(o)));
                        if constexpr (std::is_constructible_v<P> && !std::is_abstract_v<P>) {
                            tmp = std::make_unique<P>();
                            if (current) tmp->Assign(current);
                            AssignObjectFromVariant(*raw, tmp.get(), v);
                            if constexpr (std::is_invocable_v<S, T&, P*>)
                                std::invoke(set, Self<T>(o), tmp.get());
                            else
                                std::invoke(set, Self<T>(o), *tmp);
                        } else {
                            AssignObjectFromVariant(*raw, current, v);
                        }
                    } else {
                        AssignObjectFromVariant(*raw, const_cast<P*>(std::invoke(get, Self<T>(o))),
                                                v);
                    }
                };
            }
        } else {
            static_assert(sizeof(V) == 0, "unsupported published property type");
        }
        return TPropBuilder<T>(info_.AddProperty(std::move(p)));
    }

    TClassInfo& info_;
};

namespace ravelda::detail {
template <class T> void SetUpFactories(TClassInfo& info) {
    if constexpr (std::is_base_of_v<TComponent, T> && !std::is_abstract_v<T> &&
                  std::is_constructible_v<T, TComponent*>)
        info.SetComponentFactory([](TComponent* owner) -> TComponent* { return new T(owner); });
    if constexpr (std::is_base_of_v<TCollectionItem, T> && !std::is_abstract_v<T> &&
                  std::is_constructible_v<T, TCollection*>)
        info.SetItemFactory([](TCollection* c) -> TCollectionItem* { return new T(c); });
}
} // namespace ravelda::detail

// In the class's source file, followed by a block that describes it through `c`.
#define RAVELDA_DEFINE_CLASS(Class)                                                                \
    static void RaveldaDescribe_##Class(TClassBuilder<Class>& c);                                  \
    const TClassInfo& Class::StaticClass() {                                                       \
        static TClassInfo* info = [] {                                                             \
            auto* i = new TClassInfo(QStringLiteral(#Class), &Class::inherited::StaticClass(),     \
                                     [](TClassInfo& self) {                                        \
                                         TClassBuilder<Class> b(self);                             \
                                         RaveldaDescribe_##Class(b);                               \
                                     });                                                           \
            ravelda::detail::SetUpFactories<Class>(*i);                                            \
            RegisterClassInfo(*i);                                                                 \
            return i;                                                                              \
        }();                                                                                       \
        return *info;                                                                              \
    }                                                                                              \
    [[maybe_unused]] static const bool raveldaRegistered_##Class = (Class::StaticClass(), true);   \
    static void RaveldaDescribe_##Class([[maybe_unused]] TClassBuilder<Class>& c)

// ---- Look-up by name on any object. Dotted names pass through sub-object properties
// ("Font.Height", "RepeatInterval.Interval").

// The object that holds the last part of the path and its property; both null when any part is
// missing.
struct TPropTarget {
    TObject* Instance = nullptr;
    const TPropInfo* Info = nullptr;
    explicit operator bool() const { return Info != nullptr; }
};
TPropTarget FindPropTarget(const TObject* obj, const QString& path);
const TPropInfo* GetPropInfo(const TObject* obj, const QString& path);
bool IsPublishedProp(const TObject* obj, const QString& path);

// Raise EPropertyError "Property %s does not exist" (and "Property %s is read-only").
QVariant GetPropValue(const TObject* obj, const QString& path);
void SetPropValue(TObject* obj, const QString& path, const QVariant& value);

// Capabilities: nullptr (or unassigned) when the object lacks the property or it is of another
// kind.
TStrings* GetStringsProp(const TObject* obj, const QString& path);
TPersistent* GetObjectProp(const TObject* obj, const QString& path);
TComponent* GetComponentProp(const TObject* obj, const QString& path);
TMethod GetMethodProp(const TObject* obj, const QString& path);
// Raises like SetPropValue; an empty TMethod clears the event.
void SetMethodProp(TObject* obj, const QString& path, const TMethod& method);
// The event's callback when the object has the event with exactly this signature and it is
// assigned; otherwise an empty function.
template <class Sig> std::function<Sig> GetEventProp(const TObject* obj, const QString& path) {
    TMethod m = GetMethodProp(obj, path);
    if (auto* f = std::any_cast<std::function<Sig>>(&m.Code)) return *f;
    return {};
}
// Enumerations and sets by identifier: "alClient", "[dgEditing, dgTitles]".
QString GetEnumProp(const TObject* obj, const QString& path);
QString GetSetProp(const TObject* obj, const QString& path);
// A published method of obj's class bound to obj, ready for SetMethodProp; empty when absent.
TMethod FindMethod(TObject* obj, const QString& name);
