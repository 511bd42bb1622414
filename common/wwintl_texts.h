// TwwIntlTextGroup: the base of the texts groups of TwwIntl. A group is a fixed list of named
// texts with their defaults; each text is a published String property of the group's class, so
// stored descriptions and look-ups by name ("Navigator.Hints.PriorHint") reach it through the
// property registry. A group class lists its texts once, with an X-macro:
//
//     #define WWINTL_MONTHCALENDAR_TEXTS(X)
//         X(PopupYearLabel, "Edit Year")
//         X(EnterYearPrompt, "Enter Valid Year")
//
// and gets from it an ordinal per text (idPopupYearLabel), named accessors (PopupYearLabel(),
// SetPopupYearLabel()) and the table of names and defaults (WWINTL_TEXT_DEFS).
#pragma once

#include "platform/object.h"
#include "platform/properties.h"

#include <QString>
#include <vector>

struct TwwIntlTextDef {
    const char* Name;
    const char* Default;
};

#define WWINTL_TEXT_ID(Name, Default) id##Name,
#define WWINTL_TEXT_ACCESSORS(Name, Default)                                                       \
    const QString& Name() const {                                                                  \
        return Text(id##Name);                                                                     \
    }                                                                                              \
    void Set##Name(const QString& Value) {                                                         \
        SetText(id##Name, Value);                                                                  \
    }
#define WWINTL_TEXT_DEF(Name, Default) {#Name, Default},

class TwwIntlTextGroup : public TPersistent {
    RAVELDA_CLASS(TwwIntlTextGroup, TPersistent)
public:
    ~TwwIntlTextGroup() override;

    int TextCount() const { return static_cast<int>(texts_.size()); }
    // Index out of range raises EListError "Text index out of bounds (%d)".
    const QString& Text(int Index) const;
    void SetText(int Index, const QString& Value);
    // The property name of a text, e.g. "PriorHint".
    QString TextName(int Index) const;
    // The text's default, as a new group has it.
    QString DefaultText(int Index) const;
    // Case-insensitive; -1 when the group has no such text.
    int IndexOfText(const QString& Name) const;
    // Puts every text back to its default.
    void RestoreDefaults();

    // A group of the same class: copies its texts (derived groups add their own members).
    void Assign(const TPersistent* Source) override;
    using TPersistent::Assign;
    TPersistent* GetOwner() const override { return owner_; }

protected:
    TwwIntlTextGroup(TPersistent* Owner, const TwwIntlTextDef* Defs, int Count);
    // True (and the texts copied) when Source is a group of this group's class.
    bool AssignTexts(const TPersistent* Source);

private:
    TPersistent* owner_;
    const TwwIntlTextDef* defs_;
    std::vector<QString> texts_;
};

// Publishes every text of a group as a String property whose declared default is its text, so a
// description stores only the texts that were changed.
template <class T>
void DescribeIntlTexts(TClassBuilder<T>& c, const TwwIntlTextDef* Defs, int Count) {
    for (int i = 0; i < Count; ++i)
        c.Property(
             Defs[i].Name, [i](T& t) { return t.Text(i); },
             [i](T& t, const QString& v) { t.SetText(i, v); })
            .Default(QString::fromUtf8(Defs[i].Default));
}
