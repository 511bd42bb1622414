// The navigator in a stored window description: the main window's navigator with its fourteen
// buttons reads, takes its states from the open table and writes back identically; loading
// ignores stored indexes, keeps stored hints unless the international texts are asked for, and
// selects the default glyphs.
#include "navigator/wwnavglyphs.h"
#include "navigator_support.h"

#include "data/db.h"
#include "platform/dfmreader.h"
#include "platform/dfmwriter.h"
#include "platform/form.h"

using namespace ravelda::test;

namespace {

struct ButtonRow {
    const char* stem;
    const char* style;
    int left;
    const char* hint;
    bool enabled;
};

// The main window's buttons in their stored order.
const ButtonRow kMainWindowButtons[] = {
    {"First", "nbsFirst", 0, "Move to first record", false},
    {"PriorPage", "nbsPriorPage", 25, "Move backward 10 records", false},
    {"Prior", "nbsPrior", 50, "Move to prior record", false},
    {"Next", "nbsNext", 75, "Move to next record", true},
    {"NextPage", "nbsNextPage", 100, "Move forward 10 records", true},
    {"Last", "nbsLast", 125, "Move to last record", true},
    {"Insert", "nbsInsert", 150, "Insert new record", true},
    {"Delete", "nbsDelete", 175, "Delete current record", true},
    {"Edit", "nbsEdit", 200, "Edit current record", true},
    {"Post", "nbsPost", 225, "Post changes of current record", false},
    {"Cancel", "nbsCancel", 250, "Cancel changes made to current record", false},
    {"Refresh", "nbsRefresh", 275, "Refresh the contents of the dataset", true},
    {"SaveBookmark", "nbsSaveBookmark", 300, "Bookmark current record", true},
    {"RestoreBookmark", "nbsRestoreBookmark", 325, "Go back to saved bookmark", false},
};

// The navigator block; `index` gives each button's stored Index (the row number unless told).
QString NavigatorText(const QString& navigatorExtra = QString(),
                      const std::function<QString(int)>& hintOf = nullptr,
                      const std::function<int(int)>& indexOf = nullptr) {
    QString t;
    t += QStringLiteral("  object wwDBNavigator1: TwwDBNavigator\n"
                        "    Left = 44\n"
                        "    Top = 4\n"
                        "    Width = 350\n"
                        "    Height = 25\n"
                        "    TabOrder = 0\n"
                        "    DataSource = wwDataSource1\n");
    t += navigatorExtra;
    t += QStringLiteral("    RepeatInterval.InitialDelay = 500\n"
                        "    RepeatInterval.Interval = 100\n");
    int i = 0;
    for (const ButtonRow& b : kMainWindowButtons) {
        const QString name = QStringLiteral("wwDBNavigator1") + QString::fromLatin1(b.stem);
        const QString hint = hintOf ? hintOf(i) : QString::fromLatin1(b.hint);
        t += QStringLiteral("    object %1: TwwNavButton\n").arg(name);
        t += QStringLiteral("      Left = %1\n").arg(b.left);
        t += QStringLiteral("      Top = 0\n"
                            "      Width = 25\n"
                            "      Height = 25\n");
        t += QStringLiteral("      Caption = '%1'\n").arg(name);
        if (!b.enabled) t += QStringLiteral("      Enabled = False\n");
        t += QStringLiteral("      Hint = '%1'\n").arg(hint);
        t += QStringLiteral("      DisabledTextColors.ShadeColor = clGray\n"
                            "      DisabledTextColors.HighlightColor = clBtnHighlight\n"
                            "      ImageIndex = -1\n"
                            "      NumGlyphs = 2\n"
                            "      Spacing = 4\n"
                            "      Transparent = False\n");
        t += QStringLiteral("      Style = %1\n").arg(QString::fromLatin1(b.style));
        t += QStringLiteral("      Index = %1\n").arg(indexOf ? indexOf(i) : i);
        t += QStringLiteral("    end\n");
        ++i;
    }
    t += QStringLiteral("  end\n");
    return t;
}

QString FormText(const QString& navigator) {
    return QStringLiteral("object Form1: TForm\n"
                          "  Left = 315\n"
                          "  Top = 156\n"
                          "  Width = 696\n"
                          "  Height = 480\n"
                          "  Font.Height = -11\n"
                          "  Font.Name = 'MS Sans Serif'\n"
                          "  ParentFont = False\n"
                          "  OldCreateOrder = False\n"
                          "  PixelsPerInch = 96\n"
                          "  TextHeight = 13\n"
                          "  object wwTable1: TTable\n"
                          "    Active = True\n"
                          "    DatabaseName = 'quennarix'\n"
                          "    TableName = 'Keys.DB'\n"
                          "  end\n"
                          "  object wwDataSource1: TDataSource\n"
                          "    DataSet = wwTable1\n"
                          "  end\n") +
           navigator + QStringLiteral("end\n");
}

class NavigatorDescription : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterDataClasses();
        RegisterNavigatorClasses();
        alias.createKeysTable({{"Fatture", "2026", 1, 12}, {"Ordini", "2026", 1, 3}});
    }
    void Read(const QString& text) {
        form.reset(CreateComponentFromText(nullptr, text));
        nav = dynamic_cast<TwwDBNavigator*>(form->FindComponent(QStringLiteral("wwDBNavigator1")));
        ASSERT_NE(nav, nullptr);
    }
    TempAlias alias;
    std::unique_ptr<TComponent> form;
    TwwDBNavigator* nav = nullptr;
};

TEST_F(NavigatorDescription, MainWindowNavigatorReadsAndWritesBackIdentically) {
    const QString text = FormText(NavigatorText());
    Read(text);
    EXPECT_EQ(WriteComponentText(form.get()), text);
    ASSERT_EQ(nav->Buttons()->Count(), 14);
    EXPECT_EQ(nav->Width(), 350);
    EXPECT_EQ(nav->Height(), 25);
    EXPECT_EQ(nav->MoveBy(), 10);
    EXPECT_EQ(nav->Options(), TwwNavOptions{noConfirmDelete});
    EXPECT_TRUE(nav->Flat());
    EXPECT_FALSE(nav->ShowHint());
    for (int i = 0; i < 14; ++i) {
        TwwNavButton* b = nav->Buttons()->Buttons(i);
        SCOPED_TRACE(b->Name().toStdString());
        EXPECT_EQ(b->Left(), kMainWindowButtons[i].left);
        EXPECT_EQ(b->Enabled(), kMainWindowButtons[i].enabled) << "computed from the open table";
        EXPECT_TRUE(b->Flat());
        EXPECT_EQ(b->ImageList(), wwNavDefaultGlyphs());
        EXPECT_EQ(b->Hint(), QString::fromLatin1(kMainWindowButtons[i].hint));
    }
}

TEST_F(NavigatorDescription, EmptyTableAlsoDisablesTheMovesAndDelete) {
    alias.createKeysTable({}, "Empty.DB");
    QString text = FormText(NavigatorText());
    text.replace(QStringLiteral("'Keys.DB'"), QStringLiteral("'Empty.DB'"));
    Read(text);
    EXPECT_EQ(EnabledStyles(*nav), QStringLiteral("nbsInsert nbsEdit nbsRefresh nbsSaveBookmark"));
}

TEST_F(NavigatorDescription, StoredIndexesDoNotReorderTheChildren) {
    Read(FormText(NavigatorText(QString(), nullptr, [](int i) { return 13 - i; })));
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(nav->Buttons()->Buttons(i)->Name(),
                  QStringLiteral("wwDBNavigator1") +
                      QString::fromLatin1(kMainWindowButtons[i].stem));
}

TEST_F(NavigatorDescription, InternationalTextsReplaceStoredHintsAtEndOfLoad) {
    const auto own = [](int i) { return QStringLiteral("Own hint %1").arg(i); };
    Read(FormText(NavigatorText(
        QStringLiteral(
            "    MoveBy = 20\n    Options = [noConfirmDelete, noUseInternationalText]\n"),
        own)));
    EXPECT_EQ(ButtonOf(*nav, nbsPriorPage)->Hint(), QStringLiteral("Move backward 20 records"));
    EXPECT_EQ(ButtonOf(*nav, nbsNextPage)->Hint(), QStringLiteral("Move forward 20 records"));
    EXPECT_EQ(ButtonOf(*nav, nbsRefresh)->Hint(),
              QStringLiteral("Refresh the contents of the dataset"));

    Read(FormText(NavigatorText(QStringLiteral("    MoveBy = 20\n"), own)));
    EXPECT_EQ(ButtonOf(*nav, nbsPriorPage)->Hint(), QStringLiteral("Own hint 1"));
    EXPECT_EQ(ButtonOf(*nav, nbsRefresh)->Hint(), QStringLiteral("Own hint 11"));
}

TEST_F(NavigatorDescription, ForeignChildIsRefused) {
    const QString text = FormText(QStringLiteral("  object wwDBNavigator1: TwwDBNavigator\n"
                                                 "    object Panel1: TPanel\n"
                                                 "    end\n"
                                                 "  end\n"));
    try {
        CreateComponentFromText(nullptr, text);
        ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
        EXPECT_TRUE(e.Message().contains(
            QStringLiteral("TwwDBNavigator only accepts controls derived from TwwNavButton")))
            << e.Message().toStdString();
    }
}

} // namespace
