#include "platform/strings.h"

#include "platform/exceptions.h"
#include "platform/properties.h"

#include <QScopeGuard>
#include <algorithm>

RAVELDA_DEFINE_CLASS(TStrings) {}
RAVELDA_DEFINE_CLASS(TStringList) {}

TStrings::~TStrings() = default;

void TStrings::CheckIndex(int Index, bool allowEnd) const {
    if (Index < 0 || Index > Count() || (!allowEnd && Index == Count()))
        throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(Index));
}

QString TStrings::Strings(int Index) const {
    CheckIndex(Index);
    return items_[static_cast<size_t>(Index)].S;
}

void TStrings::Put(int Index, const QString& S) {
    CheckIndex(Index);
    Changing();
    items_[static_cast<size_t>(Index)].S = S;
    Changed();
}

TObject* TStrings::Objects(int Index) const {
    CheckIndex(Index);
    return items_[static_cast<size_t>(Index)].Object;
}

void TStrings::PutObject(int Index, TObject* AObject) {
    CheckIndex(Index);
    Changing();
    items_[static_cast<size_t>(Index)].Object = AObject;
    Changed();
}

int TStrings::Add(const QString& S) {
    int index = Count();
    Insert(index, S);
    return index;
}

int TStrings::AddObject(const QString& S, TObject* AObject) {
    int index = Add(S);
    items_[static_cast<size_t>(index)].Object = AObject;
    return index;
}

void TStrings::AddStrings(const TStrings& Source) {
    std::vector<Item> copy = Source.items_; // Source may be this list
    BeginUpdate();
    auto endUpdate = qScopeGuard([this] { EndUpdate(); });
    for (const Item& it : copy)
        AddObject(it.S, it.Object);
    endUpdate.dismiss();
    EndUpdate(); // here, not in the guard: OnChange may raise
}

void TStrings::Insert(int Index, const QString& S) {
    CheckIndex(Index, true);
    Changing();
    items_.insert(items_.begin() + Index, Item{S, nullptr});
    Changed();
}

void TStrings::InsertObject(int Index, const QString& S, TObject* AObject) {
    Insert(Index, S);
    items_[static_cast<size_t>(Index)].Object = AObject;
}

void TStrings::Delete(int Index) {
    CheckIndex(Index);
    Changing();
    items_.erase(items_.begin() + Index);
    Changed();
}

void TStrings::Clear() {
    if (items_.empty()) return;
    Changing();
    items_.clear();
    Changed();
}

void TStrings::Move(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    Changing();
    Item it = items_[static_cast<size_t>(CurIndex)];
    items_.erase(items_.begin() + CurIndex);
    items_.insert(items_.begin() + NewIndex, it);
    Changed();
}

void TStrings::Exchange(int Index1, int Index2) {
    CheckIndex(Index1);
    CheckIndex(Index2);
    Changing();
    std::swap(items_[static_cast<size_t>(Index1)], items_[static_cast<size_t>(Index2)]);
    Changed();
}

int TStrings::IndexOf(const QString& S) const {
    for (int i = 0; i < Count(); ++i)
        if (items_[static_cast<size_t>(i)].S.compare(S, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

int TStrings::IndexOfObject(const TObject* AObject) const {
    for (int i = 0; i < Count(); ++i)
        if (items_[static_cast<size_t>(i)].Object == AObject) return i;
    return -1;
}

QString TStrings::Names(int Index) const {
    CheckIndex(Index);
    const QString& s = items_[static_cast<size_t>(Index)].S;
    int p = s.indexOf(separator_);
    return p < 0 ? QString() : s.left(p);
}

QString TStrings::ValueFromIndex(int Index) const {
    CheckIndex(Index);
    const QString& s = items_[static_cast<size_t>(Index)].S;
    int p = s.indexOf(separator_);
    return p < 0 ? QString() : s.mid(p + 1);
}

void TStrings::SetValueFromIndex(int Index, const QString& Value) {
    CheckIndex(Index);
    QString name = Names(Index);
    if (Value.isEmpty())
        Delete(Index);
    else
        Put(Index, name + separator_ + Value);
}

int TStrings::IndexOfName(const QString& Name) const {
    for (int i = 0; i < Count(); ++i) {
        const QString& s = items_[static_cast<size_t>(i)].S;
        int p = s.indexOf(separator_);
        if (p >= 0 && QStringView(s).left(p).compare(Name, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

QString TStrings::Values(const QString& Name) const {
    int i = IndexOfName(Name);
    return i < 0 ? QString() : ValueFromIndex(i);
}

void TStrings::SetValue(const QString& Name, const QString& Value) {
    int i = IndexOfName(Name);
    if (Value.isEmpty()) {
        if (i >= 0) Delete(i);
    } else if (i < 0) {
        Add(Name + separator_ + Value);
    } else {
        Put(i, Name + separator_ + Value);
    }
}

QString TStrings::Text() const {
    QString out;
    for (const Item& it : items_) {
        out += it.S;
        out += QLatin1Char('\n');
    }
    return out;
}

void TStrings::SetText(const QString& Value) {
    BeginUpdate();
    auto endUpdate = qScopeGuard([this] { EndUpdate(); });
    Clear();
    int start = 0;
    const int n = Value.size();
    while (start < n) {
        int i = start;
        while (i < n && Value[i] != QLatin1Char('\n') && Value[i] != QLatin1Char('\r'))
            ++i;
        Add(Value.mid(start, i - start));
        if (i < n && Value[i] == QLatin1Char('\r')) ++i;
        if (i < n && Value[i] == QLatin1Char('\n')) ++i;
        start = i;
    }
    endUpdate.dismiss();
    EndUpdate(); // here, not in the guard: OnChange may raise
}

QString TStrings::CommaText() const {
    QStringList parts;
    for (const Item& it : items_) {
        const QString& s = it.S;
        bool quote = s.isEmpty() && Count() > 1;
        for (QChar ch : s)
            if (ch.unicode() <= ' ' || ch == QLatin1Char(',') || ch == QLatin1Char('"'))
                quote = true;
        if (quote) {
            QString q = s;
            q.replace(QLatin1String("\""), QLatin1String("\"\""));
            parts << QLatin1Char('"') + q + QLatin1Char('"');
        } else {
            parts << s;
        }
    }
    return parts.join(QLatin1Char(','));
}

void TStrings::SetCommaText(const QString& Value) {
    BeginUpdate();
    auto endUpdate = qScopeGuard([this] { EndUpdate(); });
    Clear();
    const int n = Value.size();
    int i = 0;
    auto skipBlanks = [&] {
        while (i < n && Value[i].unicode() <= ' ')
            ++i;
    };
    skipBlanks();
    while (i < n) {
        QString item;
        if (Value[i] == QLatin1Char('"')) {
            ++i;
            while (i < n) {
                if (Value[i] == QLatin1Char('"')) {
                    if (i + 1 < n && Value[i + 1] == QLatin1Char('"')) {
                        item += QLatin1Char('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += Value[i++];
            }
            // Characters after the closing quote up to the separator belong to the item.
            while (i < n && Value[i].unicode() > ' ' && Value[i] != QLatin1Char(','))
                item += Value[i++];
        } else {
            while (i < n && Value[i].unicode() > ' ' && Value[i] != QLatin1Char(','))
                item += Value[i++];
        }
        Add(item);
        skipBlanks();
        if (i < n && Value[i] == QLatin1Char(',')) {
            ++i;
            skipBlanks();
            if (i == n) Add(QString());
        }
    }
    endUpdate.dismiss();
    EndUpdate(); // here, not in the guard: OnChange may raise
}

QStringList TStrings::ToStringList() const {
    QStringList out;
    out.reserve(Count());
    for (const Item& it : items_)
        out << it.S;
    return out;
}

void TStrings::SetStrings(const QStringList& lines) {
    BeginUpdate();
    auto endUpdate = qScopeGuard([this] { EndUpdate(); });
    Clear();
    for (const QString& s : lines)
        Add(s);
    endUpdate.dismiss();
    EndUpdate(); // here, not in the guard: OnChange may raise
}

void TStrings::Assign(const TPersistent* Source) {
    if (auto* src = dynamic_cast<const TStrings*>(Source)) {
        if (src == this) return;
        std::vector<Item> copy = src->items_;
        BeginUpdate();
        auto endUpdate = qScopeGuard([this] { EndUpdate(); });
        Clear();
        separator_ = src->separator_;
        for (const Item& it : copy)
            AddObject(it.S, it.Object);
        endUpdate.dismiss();
        EndUpdate(); // here, not in the guard: OnChange may raise
        return;
    }
    TPersistent::Assign(Source);
}

bool TStrings::Equals(const TStrings& Other) const {
    if (Count() != Other.Count()) return false;
    for (int i = 0; i < Count(); ++i)
        if (items_[static_cast<size_t>(i)].S != Other.items_[static_cast<size_t>(i)].S)
            return false;
    return true;
}

void TStrings::BeginUpdate() {
    if (updateCount_++ == 0) changedWhileUpdating_ = false;
}

void TStrings::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0 && changedWhileUpdating_) {
        changedWhileUpdating_ = false;
        Fire(OnChange, this);
    }
}

void TStrings::Changing() {
    if (updateCount_ == 0) Fire(OnChanging, this);
}

void TStrings::Changed() {
    if (updateCount_ == 0)
        Fire(OnChange, this);
    else
        changedWhileUpdating_ = true;
}

TStringList::~TStringList() = default;

int TStringList::Compare(const QString& a, const QString& b) const {
    return a.compare(b, caseSensitive_ ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

void TStringList::Sort() {
    Changing();
    std::stable_sort(items_.begin(), items_.end(),
                     [this](const Item& a, const Item& b) { return Compare(a.S, b.S) < 0; });
    Changed();
}

void TStringList::SetSorted(bool Value) {
    if (Value == sorted_) return;
    if (Value) Sort();
    sorted_ = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
    if (Value == caseSensitive_) return;
    caseSensitive_ = Value;
    if (sorted_) Sort();
}

bool TStringList::Find(const QString& S, int& Index) const {
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = Compare(items_[static_cast<size_t>(mid)].S, S);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (duplicates_ != dupAccept) lo = mid;
            }
        }
    }
    Index = lo;
    return found;
}

int TStringList::Add(const QString& S) {
    if (!sorted_) return TStrings::Add(S);
    int index = 0;
    if (Find(S, index)) {
        if (duplicates_ == dupIgnore) return index;
        if (duplicates_ == dupError)
            throw EStringListError(QStringLiteral("String list does not allow duplicates"));
    }
    TStrings::Insert(index, S);
    return index;
}

void TStringList::Insert(int Index, const QString& S) {
    if (sorted_)
        throw EStringListError(QStringLiteral("Operation not allowed on sorted string list"));
    TStrings::Insert(Index, S);
}

void TStringList::Put(int Index, const QString& S) {
    if (sorted_)
        throw EStringListError(QStringLiteral("Operation not allowed on sorted string list"));
    TStrings::Put(Index, S);
}

int TStringList::IndexOf(const QString& S) const {
    if (!sorted_) {
        for (int i = 0; i < Count(); ++i)
            if (Compare(items_[static_cast<size_t>(i)].S, S) == 0) return i;
        return -1;
    }
    int index = 0;
    return Find(S, index) ? index : -1;
}
