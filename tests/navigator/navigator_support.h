// Helpers of the navigator tests: a navigator on a real engine table through a data source, all
// owned by one root component, and short ways to find and press its buttons.
#pragma once

#include "data/dataset.h"
#include "data/datasource.h"
#include "data/fields.h"
#include "data/table.h"
#include "navigator/wwdbnavigator.h"
#include "platform/component.h"
#include "tests/support/dataset_helpers.h"

#include <QString>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace ravelda::test {

inline QString StyleName(TwwNavButtonStyle s) {
    return QStringLiteral("nbs") + NavStyleStem(s);
}

// The styles of the enabled buttons, as "nbsFirst nbsNext ..." in button order.
inline QString EnabledStyles(const TwwDBNavigator& nav) {
    QStringList out;
    for (int i = 0; i < nav.Buttons()->Count(); ++i)
        if (nav.Buttons()->Buttons(i)->Enabled())
            out << StyleName(nav.Buttons()->Buttons(i)->Style());
    return out.join(QLatin1Char(' '));
}

inline TwwNavButton* ButtonOf(const TwwDBNavigator& nav, TwwNavButtonStyle style) {
    for (int i = 0; i < nav.Buttons()->Count(); ++i)
        if (nav.Buttons()->Buttons(i)->Style() == style) return nav.Buttons()->Buttons(i);
    return nullptr;
}

// A left click inside the button: press and release at its centre.
inline void ClickButton(TwwNavButton* b, TMouseButton button = mbLeft) {
    b->DispatchMouseEnter();
    b->DispatchMouseDown(button, TShiftState(), b->Width() / 2, b->Height() / 2, false);
    b->DispatchMouseUp(button, TShiftState(), b->Width() / 2, b->Height() / 2);
}

// A table "T.DB" of `rows` numbered rows (Id 1..rows), a data source and a navigator with the
// default set of buttons, sized as at its first paint.
class NavigatorTest : public ::testing::Test {
protected:
    void SetUpTable(int rows, bool open = true,
                    const std::function<TTable*(TComponent*)>& make = nullptr) {
        alias.createNumberedTable("T.DB", rows);
        table = make ? make(root.get()) : new TTable(root.get());
        table->SetName(QStringLiteral("Table1"));
        table->SetDatabaseName(alias.aliasName());
        table->SetTableName(QStringLiteral("T.DB"));
        source = new TDataSource(root.get());
        source->SetName(QStringLiteral("Source1"));
        source->SetDataSet(table);
        nav = new TwwDBNavigator(root.get());
        nav->SetName(QStringLiteral("Nav"));
        nav->Buttons()->CreateDefaultSet();
        nav->Buttons()->Relayout();
        nav->SetDataSource(source);
        if (open) table->Open();
    }

    // A navigator with no buttons and no data source.
    void MakeBareNavigator() {
        nav = new TwwDBNavigator(root.get());
        nav->SetName(QStringLiteral("Nav"));
    }

    TwwNavButton* Button(TwwNavButtonStyle s) const { return ButtonOf(*nav, s); }
    int RecNo() const { return table->RecNo(); }
    int IdNow() const { return table->FieldByName(QStringLiteral("Id"))->AsInteger(); }
    void GoTo(int recNo) {
        table->First();
        table->MoveBy(recNo - 1);
    }

    TempAlias alias;
    std::unique_ptr<TComponent> root = std::make_unique<TComponent>(nullptr);
    TTable* table = nullptr;
    TDataSource* source = nullptr;
    TwwDBNavigator* nav = nullptr;
};

} // namespace ravelda::test
