// Filter expressions of wwFilter: tokens and grammar (names with spaces and operator characters,
// the decimal separator, texts, AND/OR left to right, parentheses, arithmetic), the combined
// expression of a list, and the translation into the engine's filter tree with the field check
// and the reading of the other operand by the field's type.
#include "data/wwfilterexpr.h"
#include "data/wwfilterparser.h"
#include "platform/testseams.h"
#include "tests/support/dataset_helpers.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TwwFilterFormat Format(char Separator = '.', const char* DateFormat = "dd/MM/yyyy") {
    TwwFilterFormat f;
    f.DecimalSeparator = QLatin1Char(Separator);
    f.ShortDateFormat = QString::fromLatin1(DateFormat);
    return f;
}

TEST(WwFilterParser, ParsesTheGrammar) {
    struct Case {
        const char* text;
        char separator;
        const char* tree;
    } cases[] = {
        {"Tabella = \"Fatture\"", '.', "([Tabella] = \"Fatture\")"},
        {"Last Name = \"Rossi\"", '.', "([Last Name] = \"Rossi\")"},
        {"Tot-1 >= 5", '.', "([Tot-1] >= 5)"},
        {"Pre/Post*2 < 1", '.', "([Pre/Post*2] < 1)"},
        {"Città 2 = \"x\"", '.', "([Città 2] = \"x\")"},
        {"_a`!#$@ = 1", '.', "([_a`!#$@] = 1)"},
        {" \t Anno\t<>  \"2026\" \t", '.', "([Anno] <> \"2026\")"},
        {"Anno<>\"2026\"", '.', "([Anno] <> \"2026\")"},
        // Operators and their reversed spellings.
        {"A == 3", '.', "([A] = 3)"},
        {"A =< 3", '.', "([A] <= 3)"},
        {"A => 3", '.', "([A] >= 3)"},
        {"A >< 3", '.', "([A] <> 3)"},
        {"A > 3", '.', "([A] > 3)"},
        // Numbers with the separator of the format; "-" starts a name.
        {"X = 2.5", '.', "([X] = 2.5)"},
        {"X = 2,5", ',', "([X] = 2,5)"},
        {"X = 12", ',', "([X] = 12)"},
        {"X = -5", '.', "([X] = [-5])"},
        // Texts keep everything between the quotes.
        {"Note = \"a AND (b) = \"", '.', "([Note] = \"a AND (b) = \")"},
        {"Note = \"\"", '.', "([Note] = \"\")"},
        // AND and OR left to right, without precedence, in any case.
        {"A = 1 AND B = 2 OR C = 3", '.', "((([A] = 1) AND ([B] = 2)) OR ([C] = 3))"},
        {"A = 1 or B = 2 and C = 3", '.', "((([A] = 1) OR ([B] = 2)) AND ([C] = 3))"},
        {"A = 1 And (B = 2 Or C = 3)", '.', "(([A] = 1) AND (([B] = 2) OR ([C] = 3)))"},
        // Where an operator may stand, a text beginning with AND is the operator.
        {"A = 1 ANDB = 2", '.', "(([A] = 1) AND ([B] = 2))"},
        // Where an operand stands, AND is a name.
        {"ANDREA = 1", '.', "([ANDREA] = 1)"},
        // Arithmetic: the operators are names of their own, so they stand between parentheses
        // or texts; products bind before sums, both left to right.
        {"(A) + (B) > 3", '.', "(([A] + [B]) > 3)"},
        {"(A)*(B)/(C) = 1", '.', "((([A] * [B]) / [C]) = 1)"},
        {"(A) - (B) * (C) < 0", '.', "(([A] - ([B] * [C])) < 0)"},
        {"(A) - (B) - (C) < 0", '.', "((([A] - [B]) - [C]) < 0)"},
        // A bare operand and nested parentheses.
        {"Attivo", '.', "[Attivo]"},
        {"((A = 1))", '.', "([A] = 1)"},
        // A name on the right runs on over spaces: a field compared with a field stands in
        // parentheses when more follows.
        {"(A = B) AND C = 1", '.', "(([A] = [B]) AND ([C] = 1))"},
        {"A = B", '.', "([A] = [B])"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TwwFilterParseResult r =
            wwParseFilter(QString::fromUtf8(c.text), Format(c.separator));
        ASSERT_TRUE(r.Ok) << r.Error.toStdString();
        EXPECT_EQ(wwDescribeFilter(r.Tree), QString::fromUtf8(c.tree));
    }
}

TEST(WwFilterParser, RefusesBadTextSayingWhere) {
    struct Case {
        const char* text;
        char separator;
        const char* error;
    } cases[] = {
        {"", '.', "Position 1: an operand is missing"},
        {"A = ", '.', "Position 5: an operand is missing"},
        {"A << 3", '.', "Position 3: \"<<\" is no comparison operator"},
        {"A = \"open", '.', "Position 5: the text has no closing quote"},
        {"(A = 1", '.', "Position 7: \")\" is missing"},
        {"A = 1)", '.', "Position 6: unexpected \")\""},
        {"A = 1 B = 2", '.', "Position 7: unexpected \"B\""},
        {"A = 1; B", '.', "Position 6: unexpected \";\""},
        {"X = 2.5", ',', "Position 6: unexpected \".\""},
        {"A = (B = 1", '.', "Position 11: \")\" is missing"},
        {"= 3", '.', "Position 1: an operand expected instead of \"=\""},
        {"A = B AND C = 1", '.', "Position 13: unexpected \"=\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TwwFilterParseResult r =
            wwParseFilter(QString::fromUtf8(c.text), Format(c.separator));
        EXPECT_FALSE(r.Ok);
        EXPECT_EQ(r.Error, QString::fromUtf8(c.error));
    }
}

TEST(WwFilterParser, CombinesTheLines) {
    struct Case {
        QStringList lines;
        const char* combined;
    } cases[] = {
        {{}, ""},
        {{QStringLiteral("   "), QStringLiteral("\t")}, ""},
        {{QStringLiteral("A = 1")}, "A = 1"},
        {{QStringLiteral("A = 1"), QStringLiteral("B = 2  ")}, "A = 1 AND (B = 2)"},
        {{QString(), QStringLiteral("A = 1\t \t"), QStringLiteral("  "), QStringLiteral("B = 2"),
          QStringLiteral("  C = 3")},
         "A = 1 AND (B = 2) AND (  C = 3)"},
        {{QStringLiteral("A = 1 OR B = 2"), QStringLiteral("C = 3")}, "A = 1 OR B = 2 AND (C = 3)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.combined);
        EXPECT_EQ(wwCombinedFilter(c.lines), QString::fromLatin1(c.combined));
    }
}

// The fields of a table with one field of each kind an operand can be read as.
const std::vector<TwwFilterField> kFields = {
    {QStringLiteral("Tabella"), ftString, 0},    {QStringLiteral("Anno"), ftString, 1},
    {QStringLiteral("Registro"), ftSmallint, 2}, {QStringLiteral("Chiave"), ftInteger, 3},
    {QStringLiteral("Prezzo"), ftFloat, 4},      {QStringLiteral("Data"), ftDate, 5},
    {QStringLiteral("Attivo"), ftBoolean, 6},    {QStringLiteral("Importo"), ftBCD, 7},
    {QStringLiteral("Ora"), ftTime, 8},          {QStringLiteral("Momento"), ftDateTime, 9},
    {QStringLiteral("Foto"), ftGraphic, 10},
};

std::string Latin1(const QString& Text) {
    for (QChar c : Text)
        if (c.unicode() > 255) throw std::runtime_error("not in the code page");
    const QByteArray bytes = Text.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

TwwFilterTranslation Translate(const char* Text, const TwwFilterFormat& F) {
    const TwwFilterParseResult parsed = wwParseFilter(QString::fromUtf8(Text), F);
    EXPECT_TRUE(parsed.Ok) << parsed.Error.toStdString();
    return wwTranslateFilter(parsed.Tree, kFields, F, Latin1);
}

TEST(WwFilterTranslation, ReadsTheOtherOperandByTheFieldsType) {
    struct Case {
        const char* text;
        char separator;
        const char* dateFormat;
        const char* engineTree;
    } cases[] = {
        {"tabella = \"Bolle\"", '.', "dd/MM/yyyy", "(f0 = 'Bolle')"},
        {"TABELLA = Fatture", '.', "dd/MM/yyyy", "(f0 = 'Fatture')"},
        {"\"Tabella\" = \"x\"", '.', "dd/MM/yyyy", "(f0 = 'x')"},
        {"Anno = 2026", '.', "dd/MM/yyyy", "(f1 = '2026')"},
        {"Registro = 2", '.', "dd/MM/yyyy", "(f2 = 2)"},
        {"Chiave > -5", '.', "dd/MM/yyyy", "(f3 > -5)"},
        {"Chiave = \"12\"", '.', "dd/MM/yyyy", "(f3 = 12)"},
        {"Prezzo >= 2,5", ',', "dd/MM/yyyy", "(f4 >= 2.5)"},
        {"Prezzo < 3", ',', "dd/MM/yyyy", "(f4 < 3)"},
        {"Importo = 10,50", ',', "dd/MM/yyyy", "(f7 = 10.50)"},
        {"Data = \"15/01/2026\"", '.', "dd/MM/yyyy", "(f5 = DATE 2026-01-15)"},
        {"Data = \"15/01/2026\"", '.', "dd/MM/yy", "(f5 = DATE 2026-01-15)"},
        {"Data <= \"1/15/2026\"", '.', "M/d/yy", "(f5 <= DATE 2026-01-15)"},
        {"Attivo = True", '.', "dd/MM/yyyy", "(f6 = TRUE)"},
        {"Attivo = \"f\"", '.', "dd/MM/yyyy", "(f6 = FALSE)"},
        {"Ora = \"10:30\"", '.', "dd/MM/yyyy", "(f8 = TIME 37800000ms)"},
        {"Momento > \"02/01/0001 00:00:01\"", '.', "dd/MM/yyyy", "(f9 > TIMESTAMP 172801000ms)"},
        // A word beside a text field is the text; beside another type, when it is no value of
        // that type, another field.
        {"Tabella = Anno", '.', "dd/MM/yyyy", "(f0 = 'Anno')"},
        {"Anno <> Tabella", '.', "dd/MM/yyyy", "(f1 <> 'Tabella')"},
        {"Chiave = registro", '.', "dd/MM/yyyy", "(f3 = f2)"},
        {"Attivo = T", '.', "dd/MM/yyyy", "(f6 = TRUE)"},
        {"Attivo = attivo", '.', "dd/MM/yyyy", "(f6 = f6)"},
        // A blank, arithmetic, a bare logical field, AND/OR.
        {"Tabella = \"\"", '.', "dd/MM/yyyy", "(f0 = NULL)"},
        {"Chiave <> \"\"", '.', "dd/MM/yyyy", "(f3 <> NULL)"},
        {"(Chiave) + (Registro) > 10", '.', "dd/MM/yyyy", "((f3 + f2) > 10)"},
        {"(Prezzo) * (2,5) > 10", ',', "dd/MM/yyyy", "((f4 * 2.5) > 10)"},
        {"Attivo", '.', "dd/MM/yyyy", "f6"},
        {"Registro = 1 AND Anno = \"2026\" OR Chiave < 3", '.', "dd/MM/yyyy",
         "(((f2 = 1) AND (f1 = '2026')) OR (f3 < 3))"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TwwFilterTranslation t = Translate(c.text, Format(c.separator, c.dateFormat));
        ASSERT_TRUE(t.Ok) << t.Error.toStdString();
        EXPECT_EQ(ravelda::engine::describe(t.Expr), c.engineTree);
    }
}

TEST(WwFilterTranslation, TwoDigitYearsAreTheYearsWithinFiftyYearsOfToday) {
    TTestClock clock(QDateTime(QDate(2026, 1, 15), QTime(10, 0)));
    struct Case {
        const char* text;
        const char* engineTree;
    } cases[] = {
        {"Data = \"15/01/26\"", "(f5 = DATE 2026-01-15)"},
        {"Data = \"15/01/76\"", "(f5 = DATE 2076-01-15)"},
        {"Data = \"15/01/77\"", "(f5 = DATE 1977-01-15)"},
        {"Data = \"15/01/1926\"", "(f5 = DATE 1926-01-15)"},
        {"Momento = \"15/01/26 08:30\"", "(f9 = TIMESTAMP 63904149000000ms)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TwwFilterTranslation t = Translate(c.text, Format('.', "dd/MM/yy"));
        ASSERT_TRUE(t.Ok) << t.Error.toStdString();
        EXPECT_EQ(ravelda::engine::describe(t.Expr), c.engineTree);
    }
}

TEST(WwFilterTranslation, AnOperandThatNamesNoFieldIsRefusedWithTheWarningText) {
    struct Case {
        const char* text;
        const char* missing;
    } cases[] = {
        {"Nome = \"x\"", "Nome"},
        {"5 = Chiave", "5"},
        {"\"Tabella \" = \"x\"", "Tabella "},
        {"(Chiave) + (Nope) > 1", "Nope"},
        {"Chiave = 1 AND Altro", "Altro"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TwwFilterTranslation t = Translate(c.text, Format());
        EXPECT_FALSE(t.Ok);
        EXPECT_EQ(t.MissingField, QString::fromLatin1(c.missing));
        EXPECT_EQ(t.Error,
                  QString::fromLatin1(c.missing) + QStringLiteral("\rField not found in Table. "));
    }
}

TEST(WwFilterTranslation, ValuesTheFieldCannotTakeAreRefused) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"Chiave = \"abc\"", "\"abc\" is not a valid value for the field Chiave"},
        {"Chiave = \"1.5\"", "\"1.5\" is not a valid value for the field Chiave"},
        {"Data = \"45/13/2026\"", "\"45/13/2026\" is not a valid value for the field Data"},
        {"Attivo = Forse", "\"Forse\" is not a valid value for the field Attivo"},
        {"Foto = \"x\"", "The field Foto cannot be compared with a value"},
        {"Tabella = \"€\"", "The text \"€\" cannot be held by the table's code page"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TwwFilterTranslation t = Translate(c.text, Format(','));
        EXPECT_FALSE(t.Ok);
        EXPECT_TRUE(t.MissingField.isEmpty());
        EXPECT_EQ(t.Error, QString::fromUtf8(c.error));
    }
}

} // namespace
