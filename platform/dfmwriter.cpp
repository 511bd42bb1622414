#include "platform/dfmwriter.h"

#include "platform/properties.h"

#include <QLocale>
#include <cmath>
#include <vector>

namespace {

constexpr int kMaxDepth = 16;

QString QuoteChunk(const QString& s) {
    QString out;
    bool inQuote = false;
    for (QChar c : s) {
        if (c.unicode() < 32 || c.unicode() == 127) {
            if (inQuote) out += QLatin1Char('\'');
            inQuote = false;
            out += QLatin1Char('#') + QString::number(c.unicode());
        } else {
            if (!inQuote) out += QLatin1Char('\'');
            inQuote = true;
            if (c == QLatin1Char('\'')) out += QLatin1Char('\'');
            out += c;
        }
    }
    if (inQuote) out += QLatin1Char('\'');
    if (out.isEmpty()) out = QStringLiteral("''");
    return out;
}

// Long strings go over several lines joined with "+", like the classic writer.
QString QuoteString(const QString& s, const QString& indent) {
    constexpr int kChunk = 64;
    if (s.size() <= kChunk) return QuoteChunk(s);
    QStringList chunks;
    for (int i = 0; i < s.size(); i += kChunk)
        chunks << QuoteChunk(s.mid(i, kChunk));
    return chunks.join(QStringLiteral(" +\n") + indent + QStringLiteral("  "));
}

QString FloatText(double d) {
    QString t = QString::number(d, 'g', QLocale::FloatingPointShortest);
    if (!t.contains(QLatin1Char('.')) && !t.contains(QLatin1Char('e')) && std::isfinite(d))
        t += QStringLiteral(".0");
    return t;
}

class Writer {
public:
    explicit Writer(const TComponent* root) : root_(root) {}

    QString Write() {
        WriteComponent(root_, QString());
        return out_;
    }

private:
    void Line(const QString& indent, const QString& text) {
        out_ += indent + text + QLatin1Char('\n');
    }

    std::vector<const TComponent*> ChildrenOf(const TComponent* parent) const {
        std::vector<const TComponent*> out;
        for (int i = 0; i < root_->ComponentCount(); ++i) {
            const TComponent* c = root_->Components(i);
            const TComponent* p = c->GetParentComponent();
            bool nested = p && p != root_ && p->Owner() == root_;
            if ((parent == root_ && !nested) || (parent != root_ && nested && p == parent))
                out.push_back(c);
        }
        return out;
    }

    void WriteComponent(const TComponent* c, const QString& indent) {
        QString header = c->Name().isEmpty() ? c->ClassName()
                                             : c->Name() + QStringLiteral(": ") + c->ClassName();
        Line(indent, QStringLiteral("object ") + header);
        WriteProperties(c, QString(), indent + QStringLiteral("  "), 0);
        for (const TComponent* child : ChildrenOf(c))
            WriteComponent(child, indent + QStringLiteral("  "));
        Line(indent, QStringLiteral("end"));
    }

    QString ComponentRef(const TComponent* c) const {
        if (c == root_) return root_->Name();
        if (c->Name().isEmpty()) return QString();
        if (c->Owner() == root_) return c->Name();
        if (c->Owner() && !c->Owner()->Name().isEmpty())
            return c->Owner()->Name() + QLatin1Char('.') + c->Name();
        return QString();
    }

    void WriteProperties(const TObject* obj, const QString& prefix, const QString& indent,
                         int depth) {
        if (depth > kMaxDepth) return;
        for (const TPropInfo* p : obj->ClassInfo().Properties()) {
            if (p->OwnerClass == &TComponent::StaticClass() && p->Name == QLatin1String("Name"))
                continue;
            if (!p->IsStored(obj)) continue;
            const QString name = prefix + p->Name;
            switch (p->Kind) {
            case TPropKind::Object: {
                if (TPersistent* sub = p->GetObject(obj)) {
                    // References to components are written by name elsewhere; never descend.
                    if (dynamic_cast<TComponent*>(sub)) break;
                    WriteProperties(sub, name + QLatin1Char('.'), indent, depth + 1);
                }
                break;
            }
            case TPropKind::Strings: {
                auto* list = static_cast<TStrings*>(p->GetObject(obj));
                if (!list || list->Count() == 0) break;
                QString text = name + QStringLiteral(".Strings = (");
                for (int i = 0; i < list->Count(); ++i)
                    text += QLatin1Char('\n') + indent + QStringLiteral("  ") +
                            QuoteString(list->Strings(i), indent);
                Line(indent, text + QLatin1Char(')'));
                break;
            }
            case TPropKind::Collection: {
                auto* coll = static_cast<TCollection*>(p->GetObject(obj));
                if (!coll || coll->Count() == 0) break;
                Line(indent, name + QStringLiteral(" = <"));
                for (int i = 0; i < coll->Count(); ++i) {
                    Line(indent + QStringLiteral("  "), QStringLiteral("item"));
                    WriteProperties(coll->Items(i), QString(), indent + QStringLiteral("    "),
                                    depth + 1);
                    Line(indent + QStringLiteral("  "),
                         i + 1 == coll->Count() ? QStringLiteral("end>") : QStringLiteral("end"));
                }
                break;
            }
            case TPropKind::Component: {
                if (!p->Set) break;
                TComponent* ref = p->Get(obj).value<TComponent*>();
                if (!ref) break;
                QString refName = ComponentRef(ref);
                if (!refName.isEmpty()) Line(indent, name + QStringLiteral(" = ") + refName);
                break;
            }
            case TPropKind::Event: {
                if (!p->Set) break;
                TMethod m = p->Get(obj).value<TMethod>();
                if (m.Assigned() && !m.Name.isEmpty())
                    Line(indent, name + QStringLiteral(" = ") + m.Name);
                break;
            }
            default:
                if (!p->Set || p->IsDefaultValue(obj)) break;
                Line(indent, name + QStringLiteral(" = ") + ScalarText(*p, obj, indent));
                break;
            }
        }
    }

    QString ScalarText(const TPropInfo& p, const TObject* obj, const QString& indent) const {
        QVariant v = p.Get(obj);
        switch (p.Kind) {
        case TPropKind::Integer: {
            QString ident;
            if (!p.IdentsType.isEmpty() && IntToIdent(p.IdentsType, v.toLongLong(), ident))
                return ident;
            return QString::number(v.toLongLong());
        }
        case TPropKind::Boolean:
            return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case TPropKind::String:
            return QuoteString(v.toString(), indent);
        case TPropKind::Float:
            return FloatText(v.toDouble());
        case TPropKind::Enumeration: {
            const TEnumInfo* e = p.Enum();
            QString id = e ? e->Ident(v.toInt()) : QString();
            if (id.isEmpty())
                throw EWriteError(QStringLiteral("Property %1 holds %2, which has no identifier")
                                      .arg(p.Name)
                                      .arg(v.toInt()));
            return id;
        }
        case TPropKind::Set: {
            const TEnumInfo* e = p.Enum();
            if (!e)
                throw EWriteError(
                    QStringLiteral("The enumeration of property %1 is not registered").arg(p.Name));
            return e->SetToText(v.toULongLong());
        }
        case TPropKind::Binary: {
            QByteArray hex = v.toByteArray().toHex().toUpper();
            QString text = QStringLiteral("{");
            for (int i = 0; i < hex.size(); i += 64)
                text += QLatin1Char('\n') + indent + QStringLiteral("  ") +
                        QString::fromLatin1(hex.mid(i, 64));
            return text + QLatin1Char('}');
        }
        default:
            return QString();
        }
    }

    const TComponent* root_;
    QString out_;
};

} // namespace

QString WriteComponentText(const TComponent* Root) {
    return Writer(Root).Write();
}
