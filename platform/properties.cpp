#include "platform/properties.h"

#include <QHash>
#include <cmath>

// ---- enumerations and identifiers

int TEnumInfo::Ordinal(const QString& ident) const {
    for (int i = 0; i < idents_.size(); ++i)
        if (idents_[i].compare(ident, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QString TEnumInfo::Ident(int ordinal) const {
    return ordinal >= 0 && ordinal < idents_.size() ? idents_[ordinal] : QString();
}

QString TEnumInfo::SetToText(quint64 mask) const {
    QStringList parts;
    for (int i = 0; i < idents_.size() && i < 64; ++i)
        if (mask & (quint64{1} << i)) parts << idents_[i];
    return QLatin1Char('[') + parts.join(QLatin1String(", ")) + QLatin1Char(']');
}

quint64 TEnumInfo::TextToSet(const QString& text) const {
    QString body = text.trimmed();
    if (body.startsWith(QLatin1Char('['))) {
        if (!body.endsWith(QLatin1Char(']')))
            throw EPropertyError(QStringLiteral("Invalid set value '%1'").arg(text));
        body = body.mid(1, body.size() - 2);
    }
    quint64 mask = 0;
    for (const QString& raw : body.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        QString ident = raw.trimmed();
        if (ident.isEmpty()) continue;
        int ord = Ordinal(ident);
        if (ord < 0 || ord >= 64)
            throw EPropertyError(QStringLiteral("'%1' is not a value of %2").arg(ident, name_));
        mask |= quint64{1} << ord;
    }
    return mask;
}

namespace {
QHash<QString, const TEnumInfo*>& Enums() {
    static QHash<QString, const TEnumInfo*> enums;
    return enums;
}
struct IdentTable {
    std::vector<std::pair<qint64, QString>> entries;
};
QHash<QString, IdentTable>& IdentTables() {
    static QHash<QString, IdentTable> tables;
    return tables;
}
} // namespace

bool RegisterEnumInfo(const TEnumInfo*& slot, const QString& name, const QStringList& idents) {
    if (!slot) {
        // Lives for the whole program, like the class information.
        slot = new TEnumInfo(name, idents);
        Enums().insert(name.toUpper(), slot);
    }
    return true;
}

const TEnumInfo* FindEnumInfo(const QString& name) {
    return Enums().value(name.toUpper(), nullptr);
}

void RegisterIntegerIdents(const QString& typeName,
                           const std::vector<std::pair<qint64, QString>>& idents) {
    auto& t = IdentTables()[typeName.toUpper()];
    t.entries.insert(t.entries.end(), idents.begin(), idents.end());
}

bool IdentToInt(const QString& typeName, const QString& ident, qint64& value) {
    auto it = IdentTables().constFind(typeName.toUpper());
    if (it == IdentTables().constEnd()) return false;
    for (const auto& [v, name] : it->entries)
        if (name.compare(ident, Qt::CaseInsensitive) == 0) {
            value = v;
            return true;
        }
    return false;
}

bool IntToIdent(const QString& typeName, qint64 value, QString& ident) {
    auto it = IdentTables().constFind(typeName.toUpper());
    if (it == IdentTables().constEnd()) return false;
    for (const auto& [v, name] : it->entries)
        if (v == value) {
            ident = name;
            return true;
        }
    return false;
}

// ---- property information

bool TPropInfo::IsStored(const TObject* obj) const {
    if (!StoredFlag) return false;
    return StoredFn ? StoredFn(obj) : true;
}

bool TPropInfo::IsDefaultValue(const TObject* obj) const {
    switch (Kind) {
    case TPropKind::Strings: {
        auto* s = static_cast<TStrings*>(GetObject(obj));
        return !s || s->Count() == 0;
    }
    case TPropKind::Collection: {
        auto* c = static_cast<TCollection*>(GetObject(obj));
        return !c || c->Count() == 0;
    }
    case TPropKind::Object:
        return GetObject(obj) == nullptr;
    case TPropKind::Component:
        return Get(obj).value<TComponent*>() == nullptr;
    case TPropKind::Event:
        return !Get(obj).value<TMethod>().Assigned();
    case TPropKind::String:
        return Get(obj).toString() == (HasDefault ? Default.toString() : QString());
    case TPropKind::Binary:
        return Get(obj).toByteArray().isEmpty();
    case TPropKind::Float:
        return Get(obj).toDouble() == (HasDefault ? Default.toDouble() : 0.0);
    case TPropKind::Boolean:
        return HasDefault && Get(obj).toBool() == Default.toBool();
    case TPropKind::Set:
        return HasDefault && Get(obj).toULongLong() == Default.toULongLong();
    case TPropKind::Integer:
    case TPropKind::Enumeration:
        return HasDefault && Get(obj).toLongLong() == Default.toLongLong();
    }
    return false;
}

namespace ravelda::detail {

void ThrowInvalidValue(const TPropInfo& p, const QString& why) {
    QString cls = p.OwnerClass ? p.OwnerClass->Name() + QLatin1Char('.') : QString();
    throw EPropertyError(
        QStringLiteral("Invalid value for property %1%2: %3").arg(cls, p.Name, why));
}

qint64 VariantToInteger(const TPropInfo& p, const QVariant& v) {
    qint64 value = 0;
    bool ok = false;
    if (v.typeId() == QMetaType::QString) {
        QString s = v.toString().trimmed();
        if (!p.IdentsType.isEmpty() && IdentToInt(p.IdentsType, s, value)) {
            ok = true;
        } else if (s.startsWith(QLatin1Char('$'))) {
            value = s.mid(1).toLongLong(&ok, 16);
        } else {
            value = s.toLongLong(&ok);
        }
        if (!ok) ThrowInvalidValue(p, QStringLiteral("'%1' is not an integer").arg(s));
    } else if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
        double d = v.toDouble();
        if (d != std::floor(d) || !std::isfinite(d))
            ThrowInvalidValue(p, QStringLiteral("%1 is not an integer").arg(d));
        value = static_cast<qint64>(d);
    } else if (v.typeId() == QMetaType::Bool) {
        ThrowInvalidValue(p, QStringLiteral("a Boolean is not an integer"));
    } else {
        value = v.toLongLong(&ok);
        if (!ok) ThrowInvalidValue(p, QStringLiteral("not an integer"));
    }
    if (value < p.MinValue || value > p.MaxValue) {
        // Unsigned 32-bit colours arrive as their signed reading and the other way round.
        if (p.MaxValue == 0x7FFFFFFF && value > p.MaxValue && value <= 0xFFFFFFFFLL)
            return static_cast<qint32>(static_cast<quint32>(value));
        if (p.MaxValue == 0xFFFFFFFFLL && value < 0 && value >= -0x80000000LL)
            return static_cast<quint32>(static_cast<qint32>(value));
        ThrowInvalidValue(p, QStringLiteral("%1 is out of range (%2 to %3)")
                                 .arg(value)
                                 .arg(p.MinValue)
                                 .arg(p.MaxValue));
    }
    return value;
}

bool VariantToBool(const TPropInfo& p, const QVariant& v) {
    if (v.typeId() == QMetaType::Bool) return v.toBool();
    if (v.typeId() == QMetaType::QString) {
        QString s = v.toString().trimmed();
        if (s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
        if (s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
        ThrowInvalidValue(p, QStringLiteral("'%1' is not a Boolean").arg(s));
    }
    bool ok = false;
    qlonglong n = v.toLongLong(&ok);
    if (!ok || (n != 0 && n != 1)) ThrowInvalidValue(p, QStringLiteral("not a Boolean"));
    return n != 0;
}

double VariantToFloat(const TPropInfo& p, const QVariant& v) {
    bool ok = false;
    double d =
        v.typeId() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
    if (!ok || v.typeId() == QMetaType::Bool) ThrowInvalidValue(p, QStringLiteral("not a number"));
    return d;
}

QString VariantToString(const TPropInfo& p, const QVariant& v) {
    if (!v.isValid()) return QString();
    if (!v.canConvert<QString>()) ThrowInvalidValue(p, QStringLiteral("not a string"));
    return v.toString();
}

int VariantToOrdinal(const TPropInfo& p, const QVariant& v) {
    const TEnumInfo* e = p.Enum();
    if (v.typeId() == QMetaType::QString) {
        if (!e) ThrowInvalidValue(p, QStringLiteral("its enumeration is not registered"));
        int ord = e->Ordinal(v.toString().trimmed());
        if (ord < 0)
            ThrowInvalidValue(
                p, QStringLiteral("'%1' is not a value of %2").arg(v.toString(), e->Name()));
        return ord;
    }
    bool ok = false;
    qlonglong n = v.toLongLong(&ok);
    if (!ok || v.typeId() == QMetaType::Bool)
        ThrowInvalidValue(p, QStringLiteral("not an enumeration value"));
    if (e && (n < 0 || n >= e->Count()))
        ThrowInvalidValue(p, QStringLiteral("%1 is out of range for %2").arg(n).arg(e->Name()));
    return static_cast<int>(n);
}

quint64 VariantToSet(const TPropInfo& p, const QVariant& v) {
    const TEnumInfo* e = p.Enum();
    if (v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QStringList) {
        if (!e) ThrowInvalidValue(p, QStringLiteral("its enumeration is not registered"));
        QString text = v.typeId() == QMetaType::QString ? v.toString()
                                                        : v.toStringList().join(QLatin1Char(','));
        try {
            return e->TextToSet(text);
        } catch (const EPropertyError& err) {
            ThrowInvalidValue(p, err.Message());
        }
    }
    bool ok = false;
    quint64 mask = v.toULongLong(&ok);
    if (!ok) ThrowInvalidValue(p, QStringLiteral("not a set"));
    if (e && e->Count() < 64 && (mask >> e->Count()) != 0)
        ThrowInvalidValue(p, QStringLiteral("the set holds values outside %1").arg(e->Name()));
    return mask;
}

TComponent* VariantToComponent(const TPropInfo& p, const QVariant& v) {
    if (!v.isValid() || v.isNull()) return nullptr;
    if (v.canConvert<TComponent*>()) return v.value<TComponent*>();
    ThrowInvalidValue(p, QStringLiteral("not a component"));
}

void AssignObjectFromVariant(const TPropInfo& p, TPersistent* target, const QVariant& v) {
    if (!target) ThrowInvalidValue(p, QStringLiteral("the property holds no object"));
    if (v.canConvert<TPersistent*>() && v.metaType() == QMetaType::fromType<TPersistent*>()) {
        TPersistent* src = v.value<TPersistent*>();
        target->Assign(src);
        return;
    }
    if (v.metaType() == QMetaType::fromType<TComponent*>()) {
        target->Assign(v.value<TComponent*>());
        return;
    }
    if (auto* list = dynamic_cast<TStrings*>(target)) {
        if (v.typeId() == QMetaType::QStringList) {
            list->SetStrings(v.toStringList());
            return;
        }
        if (v.typeId() == QMetaType::QString) {
            list->SetText(v.toString());
            return;
        }
    }
    ThrowInvalidValue(p, QStringLiteral("cannot assign this value"));
}

const std::any& VariantToMethodCode(const TPropInfo& p, const QVariant& v, QString& name) {
    static const std::any none;
    if (!v.isValid() || v.isNull()) {
        name.clear();
        return none;
    }
    if (v.metaType() != QMetaType::fromType<TMethod>())
        ThrowInvalidValue(p, QStringLiteral("not a method"));
    // The variant outlives this call: it is the caller's argument.
    const TMethod* m = static_cast<const TMethod*>(v.constData());
    name = m->Name;
    return m->Code;
}

void ThrowIncompatibleMethod(const TPropInfo& p, const QString& name) {
    ThrowInvalidValue(p, QStringLiteral("method %1 has another signature than the event")
                             .arg(name.isEmpty() ? QStringLiteral("(unnamed)") : name));
}

} // namespace ravelda::detail

// ---- look-up by name

TPropTarget FindPropTarget(const TObject* obj, const QString& path) {
    TPropTarget t;
    if (!obj) return t;
    const TObject* cur = obj;
    const QStringList parts = path.split(QLatin1Char('.'));
    for (int i = 0; i < parts.size(); ++i) {
        const TPropInfo* info = cur->ClassInfo().FindProperty(parts[i]);
        if (!info) return TPropTarget{};
        if (i == parts.size() - 1) {
            t.Instance = const_cast<TObject*>(cur);
            t.Info = info;
            return t;
        }
        TPersistent* sub = nullptr;
        if (info->GetObject)
            sub = info->GetObject(cur);
        else if (info->Kind == TPropKind::Component)
            sub = info->Get(cur).value<TComponent*>();
        if (!sub) return TPropTarget{};
        cur = sub;
    }
    return TPropTarget{};
}

const TPropInfo* GetPropInfo(const TObject* obj, const QString& path) {
    return FindPropTarget(obj, path).Info;
}

bool IsPublishedProp(const TObject* obj, const QString& path) {
    return GetPropInfo(obj, path) != nullptr;
}

namespace {
TPropTarget RequireTarget(const TObject* obj, const QString& path) {
    TPropTarget t = FindPropTarget(obj, path);
    if (!t)
        throw EPropertyError(
            QStringLiteral("Property %1 does not exist%2")
                .arg(path, obj ? QStringLiteral(" in ") + obj->ClassName() : QString()));
    return t;
}
} // namespace

QVariant GetPropValue(const TObject* obj, const QString& path) {
    TPropTarget t = RequireTarget(obj, path);
    return t.Info->Get(t.Instance);
}

void SetPropValue(TObject* obj, const QString& path, const QVariant& value) {
    TPropTarget t = RequireTarget(obj, path);
    if (!t.Info->Set) throw EPropertyError(QStringLiteral("Property %1 is read-only").arg(path));
    t.Info->Set(t.Instance, value);
}

TStrings* GetStringsProp(const TObject* obj, const QString& path) {
    TPropTarget t = FindPropTarget(obj, path);
    if (!t || t.Info->Kind != TPropKind::Strings) return nullptr;
    return static_cast<TStrings*>(t.Info->GetObject(t.Instance));
}

TPersistent* GetObjectProp(const TObject* obj, const QString& path) {
    TPropTarget t = FindPropTarget(obj, path);
    if (!t) return nullptr;
    if (t.Info->GetObject) return t.Info->GetObject(t.Instance);
    if (t.Info->Kind == TPropKind::Component) return t.Info->Get(t.Instance).value<TComponent*>();
    return nullptr;
}

TComponent* GetComponentProp(const TObject* obj, const QString& path) {
    TPropTarget t = FindPropTarget(obj, path);
    if (!t || t.Info->Kind != TPropKind::Component) return nullptr;
    return t.Info->Get(t.Instance).value<TComponent*>();
}

TMethod GetMethodProp(const TObject* obj, const QString& path) {
    TPropTarget t = FindPropTarget(obj, path);
    if (!t || t.Info->Kind != TPropKind::Event) return TMethod{};
    return t.Info->Get(t.Instance).value<TMethod>();
}

void SetMethodProp(TObject* obj, const QString& path, const TMethod& method) {
    TPropTarget t = RequireTarget(obj, path);
    if (t.Info->Kind != TPropKind::Event)
        throw EPropertyError(QStringLiteral("Property %1 is not an event").arg(path));
    t.Info->Set(t.Instance, method.Assigned() ? QVariant::fromValue(method) : QVariant());
}

QString GetEnumProp(const TObject* obj, const QString& path) {
    TPropTarget t = RequireTarget(obj, path);
    const TEnumInfo* e = t.Info->Enum();
    if (t.Info->Kind != TPropKind::Enumeration || !e)
        throw EPropertyError(QStringLiteral("Property %1 is not an enumeration").arg(path));
    return e->Ident(t.Info->Get(t.Instance).toInt());
}

QString GetSetProp(const TObject* obj, const QString& path) {
    TPropTarget t = RequireTarget(obj, path);
    const TEnumInfo* e = t.Info->Enum();
    if (t.Info->Kind != TPropKind::Set || !e)
        throw EPropertyError(QStringLiteral("Property %1 is not a set").arg(path));
    return e->SetToText(t.Info->Get(t.Instance).toULongLong());
}

TMethod FindMethod(TObject* obj, const QString& name) {
    TMethod m;
    if (!obj) return m;
    if (const TPublishedMethod* pm = obj->ClassInfo().FindMethod(name)) {
        m.Name = pm->Name;
        m.Code = pm->Bind(obj);
    }
    return m;
}
