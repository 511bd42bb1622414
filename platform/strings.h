// String lists: TStrings holds the lines (each with an optional object); TStringList adds sorting.
#pragma once

#include "platform/events.h"
#include "platform/object.h"

#include <QChar>
#include <QString>
#include <QStringList>
#include <vector>

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
    RAVELDA_CLASS(TStrings, TPersistent)
public:
    TStrings() = default;
    ~TStrings() override;

    int Count() const { return static_cast<int>(items_.size()); }
    // Index out of range raises EStringListError "List index out of bounds (%d)".
    QString Strings(int Index) const;
    QString operator[](int Index) const { return Strings(Index); }
    virtual void Put(int Index, const QString& S);
    TObject* Objects(int Index) const;
    void PutObject(int Index, TObject* AObject);

    virtual int Add(const QString& S);
    int AddObject(const QString& S, TObject* AObject);
    void AddStrings(const TStrings& Source);
    virtual void Insert(int Index, const QString& S);
    void InsertObject(int Index, const QString& S, TObject* AObject);
    virtual void Delete(int Index);
    virtual void Clear();
    void Move(int CurIndex, int NewIndex);
    void Exchange(int Index1, int Index2);

    // Case-insensitive unless a TStringList is CaseSensitive; -1 when absent.
    virtual int IndexOf(const QString& S) const;
    int IndexOfObject(const TObject* AObject) const;

    // Lines as "name=value".
    QChar NameValueSeparator() const { return separator_; }
    void SetNameValueSeparator(QChar c) { separator_ = c; }
    // The part before the separator; empty for a line without one.
    QString Names(int Index) const;
    QString ValueFromIndex(int Index) const;
    void SetValueFromIndex(int Index, const QString& Value);
    // Case-insensitive on the name, like the classic lists.
    int IndexOfName(const QString& Name) const;
    QString Values(const QString& Name) const;
    // An empty value deletes the line; an absent name appends one.
    void SetValue(const QString& Name, const QString& Value);

    // Every line followed by "\n". Setting splits at CR LF, LF or CR.
    QString Text() const;
    void SetText(const QString& Value);
    // Lines separated by commas; a line with a space, comma or quote is double-quoted.
    QString CommaText() const;
    void SetCommaText(const QString& Value);

    QStringList ToStringList() const;
    void SetStrings(const QStringList& lines);

    // Copies another string list (lines and objects); other sources as TPersistent says.
    void Assign(const TPersistent* Source) override;
    using TPersistent::Assign;
    bool Equals(const TStrings& Other) const;

    // Change notification is held back between BeginUpdate and the matching EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

    TNotifyEvent OnChanging;
    TNotifyEvent OnChange;

protected:
    struct Item {
        QString S;
        TObject* Object = nullptr;
    };
    virtual void Changing();
    virtual void Changed();
    void CheckIndex(int Index, bool allowEnd = false) const;
    std::vector<Item> items_;

private:
    QChar separator_ = QLatin1Char('=');
    int updateCount_ = 0;
    bool changedWhileUpdating_ = false;
};

class TStringList : public TStrings {
    RAVELDA_CLASS(TStringList, TStrings)
public:
    TStringList() = default;
    ~TStringList() override;

    bool Sorted() const { return sorted_; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool Value);

    // A sorted list inserts in order and applies Duplicates ("String list does not allow
    // duplicates" for dupError); Insert and Put on a sorted list raise EStringListError.
    int Add(const QString& S) override;
    void Insert(int Index, const QString& S) override;
    void Put(int Index, const QString& S) override;
    int IndexOf(const QString& S) const override;
    // Binary search in a sorted list: true when found; Index is the position or insertion point.
    bool Find(const QString& S, int& Index) const;
    void Sort();

private:
    int Compare(const QString& a, const QString& b) const;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    TDuplicates duplicates_ = dupIgnore;
};
