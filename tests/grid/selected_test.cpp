// The Selected lines and column-width arithmetic of the grid, without a window.
#include "grid/wwcolumnwidths.h"
#include "grid/wwselected.h"
#include "platform/exceptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct TokenCase {
    const char* name;
    QString line;
    QString delimiter;
    std::vector<QString> tokens; // in order, until the position becomes -1
};

TEST(SelectedTokenizer, TokensInOrderAndTheEndMark) {
    const TokenCase cases[] = {
        {"five positions",
         QStringLiteral("Tabella\t30\tTabella\tF\tGroup"),
         QStringLiteral("\t"),
         {"Tabella", "30", "Tabella", "F", "Group"}},
        {"empty positions", QStringLiteral("A\t\t\tT"), QStringLiteral("\t"), {"A", "", "", "T"}},
        {"one token", QStringLiteral("Chiave"), QStringLiteral("\t"), {"Chiave"}},
        {"trailing tab: an empty last token",
         QStringLiteral("Anno\t4\t"),
         QStringLiteral("\t"),
         {"Anno", "4", ""}},
        {"a long delimiter without regard to case",
         QStringLiteral("a AND b and c"),
         QStringLiteral("and"),
         {"a", "b", "c"}},
    };
    for (const TokenCase& c : cases) {
        SCOPED_TRACE(c.name);
        int pos = 1;
        std::vector<QString> got;
        while (pos != -1)
            got.push_back(wwGetToken(c.line, pos, c.delimiter));
        EXPECT_EQ(got, c.tokens);
        EXPECT_EQ(wwGetToken(c.line, pos, c.delimiter), QString()); // -1 gives nothing
    }
    int beyond = 99;
    EXPECT_EQ(wwGetToken(QStringLiteral("abc"), beyond), QString());
    EXPECT_EQ(beyond, -1);
}

TEST(SelectedEntry, ParseAndTheLineTheGridWritesBack) {
    struct Case {
        const char* name;
        QString line;
        QString field, width, title, readOnly, group;
        bool isReadOnly;
        QString rewritten;
    };
    const Case cases[] = {
        {"whole line", QStringLiteral("Chiave\t10\tNumero~Chiave\tT\tContatori"), "Chiave", "10",
         "Numero~Chiave", "T", "Contatori", true,
         QStringLiteral("Chiave\t10\tNumero~Chiave\tT\tContatori")},
        {"no flag: read as F and written as F", QStringLiteral("Anno\t4\tAnno"), "Anno", "4",
         "Anno", "F", "", false, QStringLiteral("Anno\t4\tAnno\tF")},
        {"name and width only", QStringLiteral("Registro\t6"), "Registro", "6", "", "F", "", false,
         QStringLiteral("Registro\t6\t\tF")},
        {"flag other than T", QStringLiteral("Tabella\t30\tTabella\tx"), "Tabella", "30", "Tabella",
         "x", "", false, QStringLiteral("Tabella\t30\tTabella\tx")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TwwSelectedEntry e = TwwSelectedEntry::Parse(c.line);
        EXPECT_EQ(e.FieldName, c.field);
        EXPECT_EQ(e.Width, c.width);
        EXPECT_EQ(e.Title, c.title);
        EXPECT_EQ(e.ReadOnly, c.readOnly);
        EXPECT_EQ(e.GroupName, c.group);
        EXPECT_EQ(e.IsReadOnly(), c.isReadOnly);
        EXPECT_EQ(e.Format(), c.rewritten);
    }
    EXPECT_EQ(TwwSelectedEntry::Parse(QStringLiteral("Chiave\t12")).DisplayWidth(), 12);
    for (const QString& bad :
         {QStringLiteral("Chiave"), QStringLiteral("Chiave\tabc"), QStringLiteral("Chiave\t12x")}) {
        SCOPED_TRACE(bad.toStdString());
        EXPECT_THROW(TwwSelectedEntry::Parse(bad).DisplayWidth(), EConvertError);
    }
}

TEST(ColumnWidths, CharactersToPixelsAndBack) {
    // A column four pixels wider than its characters; a dragged border snaps to whole ones.
    EXPECT_EQ(wwColumnWidths::DataWidth(6, 30), 184);
    EXPECT_EQ(wwColumnWidths::DataWidth(6, 16), 100);
    struct Drag {
        int pixels, zero, characters;
    };
    for (const Drag d :
         {Drag{103, 6, 16}, Drag{103, 8, 12}, Drag{100, 6, 16}, Drag{99, 6, 15}, Drag{4, 6, 0}}) {
        SCOPED_TRACE(d.pixels);
        EXPECT_EQ(wwColumnWidths::DisplayWidthFromPixels(d.pixels, d.zero), d.characters);
    }
    // Title: 4 more than the widest line, up to the first empty one.
    const auto width = [](const QString& s) { return static_cast<int>(s.size()) * 5; };
    EXPECT_EQ(wwColumnWidths::TitleWidth(QStringLiteral("Chiave"), width), 34);
    EXPECT_EQ(wwColumnWidths::TitleWidth(QStringLiteral("Numero~Chiave del documento"), width),
              4 + 20 * 5);
    EXPECT_EQ(wwColumnWidths::TitleWidth(QStringLiteral("Ab~~Molto lungo"), width), 14);
    EXPECT_EQ(wwColumnWidths::TitleWidth(QString(), width), 4);
}

} // namespace
