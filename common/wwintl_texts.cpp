#include "common/wwintl_texts.h"

#include "platform/exceptions.h"

RAVELDA_DEFINE_CLASS(TwwIntlTextGroup) {}

TwwIntlTextGroup::TwwIntlTextGroup(TPersistent* Owner, const TwwIntlTextDef* Defs, int Count)
    : owner_(Owner), defs_(Defs) {
    texts_.reserve(static_cast<size_t>(Count));
    for (int i = 0; i < Count; ++i)
        texts_.push_back(QString::fromUtf8(Defs[i].Default));
}

TwwIntlTextGroup::~TwwIntlTextGroup() = default;

namespace {
[[noreturn]] void TextIndexError(int Index) {
    throw EListError(QStringLiteral("Text index out of bounds (%1)").arg(Index));
}
} // namespace

const QString& TwwIntlTextGroup::Text(int Index) const {
    if (Index < 0 || Index >= TextCount()) TextIndexError(Index);
    return texts_[static_cast<size_t>(Index)];
}

void TwwIntlTextGroup::SetText(int Index, const QString& Value) {
    if (Index < 0 || Index >= TextCount()) TextIndexError(Index);
    texts_[static_cast<size_t>(Index)] = Value;
}

QString TwwIntlTextGroup::TextName(int Index) const {
    if (Index < 0 || Index >= TextCount()) TextIndexError(Index);
    return QString::fromLatin1(defs_[Index].Name);
}

QString TwwIntlTextGroup::DefaultText(int Index) const {
    if (Index < 0 || Index >= TextCount()) TextIndexError(Index);
    return QString::fromUtf8(defs_[Index].Default);
}

int TwwIntlTextGroup::IndexOfText(const QString& Name) const {
    for (int i = 0; i < TextCount(); ++i)
        if (Name.compare(QLatin1String(defs_[i].Name), Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void TwwIntlTextGroup::RestoreDefaults() {
    for (int i = 0; i < TextCount(); ++i)
        texts_[static_cast<size_t>(i)] = QString::fromUtf8(defs_[i].Default);
}

bool TwwIntlTextGroup::AssignTexts(const TPersistent* Source) {
    // Groups share a class exactly when they share their table of texts.
    auto* other = dynamic_cast<const TwwIntlTextGroup*>(Source);
    if (!other || other->defs_ != defs_ || &other->ClassInfo() != &ClassInfo()) return false;
    if (other != this) texts_ = other->texts_;
    return true;
}

void TwwIntlTextGroup::Assign(const TPersistent* Source) {
    if (AssignTexts(Source)) return;
    inherited::Assign(Source);
}
