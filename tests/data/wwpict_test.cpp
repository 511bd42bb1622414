// The picture notation and the match results, case by case.
#include "data/wwpict.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

constexpr bool kFill = true;
constexpr bool kNoFill = false;

struct MatchCase {
    const char* picture;
    const char* input;
    bool autoFill;
    TwwPicResult result;
    const char* text; // the text after the match
};

void PrintTo(const MatchCase& c, std::ostream* os) {
    *os << "picture \"" << c.picture << "\", input \"" << c.input << "\""
        << (c.autoFill ? " with auto-fill" : "");
}

void expectCases(std::initializer_list<MatchCase> cases) {
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c));
        TwwPictureValidator v(QString::fromUtf8(c.picture), c.autoFill);
        QString text = QString::fromUtf8(c.input);
        EXPECT_EQ(v.Picture(text, c.autoFill), c.result);
        EXPECT_EQ(text.toStdString(), std::string(c.text));
    }
}

TEST(PictureMatch, PhoneNumberPicture) {
    expectCases({
        {"###-####", "555-1234", kNoFill, prComplete, "555-1234"},
        {"###-####", "5551", kNoFill, prError, "5551"},
        {"###-####", "5551234", kNoFill, prError, "5551234"},
        {"###-####", "555", kFill, prIncomplete, "555-"},
        {"###-####", "555", kNoFill, prIncomplete, "555"},
        {"###-####", "555 ", kNoFill, prIncomplete, "555-"},
        {"###-####", "555-12345", kNoFill, prError, "555-12345"},
        {"###-####", "5", kFill, prIncomplete, "5"},
    });
}

TEST(PictureMatch, EachPictureCharacter) {
    expectCases({
        // "#": a digit
        {"#", "7", kNoFill, prComplete, "7"},
        {"#", "x", kNoFill, prError, "x"},
        {"#", "\u0660", kNoFill, prError, "\u0660"}, // other scripts' digits are not digits here
        // "?": a letter, as typed; letters are A-Z, a-z and codes above 128
        {"?", "q", kNoFill, prComplete, "q"},
        {"?", "Q", kNoFill, prComplete, "Q"},
        {"?", "é", kNoFill, prComplete, "é"},
        {"?", "\u0081", kNoFill, prComplete, "\u0081"},
        {"?", "\u0080", kNoFill, prError, "\u0080"},
        {"?", "5", kNoFill, prError, "5"},
        {"?", "_", kNoFill, prError, "_"},
        // "&": a letter in upper case
        {"&&", "ca", kNoFill, prComplete, "CA"},
        {"&", "é", kNoFill, prComplete, "É"},
        {"&", "1", kNoFill, prError, "1"},
        // "~": a letter in lower case
        {"~~", "CA", kNoFill, prComplete, "ca"},
        {"~", "É", kNoFill, prComplete, "é"},
        {"~", "-", kNoFill, prError, "-"},
        // the commercial at: any character, as typed
        {"@@@", "a1 ", kNoFill, prComplete, "a1 "},
        // "!": any character in upper case
        {"!!!", "a1é", kNoFill, prComplete, "A1É"},
        {"!", "ß", kNoFill, prComplete, "ß"}, // its upper case is two characters: left as typed
        // any other character is fixed; the picture's own character is kept
        {"a-b", "A-B", kNoFill, prComplete, "a-b"},
        {"x", "y", kNoFill, prError, "y"},
        {"é", "É", kNoFill, prError, "É"}, // only A to Z compare without regard to case
        {"é", "é", kNoFill, prComplete, "é"},
    });
}

// Case follows the locale's rules, not plain Unicode mappings.
TEST(PictureMatch, CaseFollowsTheLocale) {
    struct LocaleGuard {
        QLocale saved;
        ~LocaleGuard() { QLocale::setDefault(saved); }
    } guard;
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    expectCases({
        {"&", "i", kNoFill, prComplete, "\u0130"},
        {"~", "I", kNoFill, prComplete, "\u0131"},
        {"!?", "ii", kNoFill, prComplete, "\u0130i"},
    });
}

TEST(PictureMatch, EscapeMakesAnyCharacterFixed) {
    expectCases({
        {";#", "#", kNoFill, prComplete, "#"},
        {";#", "1", kNoFill, prError, "1"},
        {";a", "A", kNoFill, prComplete, "a"},
        {"#;,#", "1,2", kNoFill, prComplete, "1,2"},
        {";;#", ";5", kNoFill, prComplete, ";5"},
        {";[#", "[1", kNoFill, prComplete, "[1"},
        {"#;*", "1*", kNoFill, prComplete, "1*"},
        // auto-fill appends an escaped character, even one that would otherwise stop it
        {"#;#", "1", kFill, prComplete, "1#"},
        {"#;*x#", "1", kFill, prIncomplete, "1*x"},
    });
}

TEST(PictureMatch, OptionalParts) {
    expectCases({
        {"#[#]", "1", kNoFill, prComplete, "1"},
        {"#[#]", "12", kNoFill, prComplete, "12"},
        {"#[#]", "123", kNoFill, prError, "123"},
        {"x[y]z", "xz", kNoFill, prComplete, "xz"},
        {"x[y]z", "xyz", kNoFill, prComplete, "xyz"},
        {"x[y]z", "xy", kFill, prComplete, "xyz"},
        {"x[y]z", "xq", kNoFill, prError, "xq"},
        {"[abc]", "ab", kNoFill, prIncomplete, "ab"},
        {"[abc]", "ab", kFill, prComplete, "abc"},
        // after an optional part the next character is not known: no auto-fill
        {"x[y]z", "x", kFill, prIncomplete, "x"},
        // a skipped optional part leaves the characters it had tried as they were
        {"[&x]?*?", "ab", kNoFill, prComplete, "ab"},
    });
}

TEST(PictureMatch, NestedGroups) {
    expectCases({
        {"{#}", "1", kNoFill, prComplete, "1"},
        {"{a{b{c}}}", "ABC", kNoFill, prComplete, "abc"},
        {"{a{b{c}}}", "ab", kNoFill, prIncomplete, "ab"},
        // auto-fill stops at a group, even one with a single alternative
        {"{a{b{c}}}", "ab", kFill, prIncomplete, "ab"},
        {"{a{b{c}}}", "a", kFill, prIncomplete, "a"},
        {"{ab}c", "a", kFill, prIncomplete, "ab"},
        {"[a[b[c]]]", "a", kNoFill, prComplete, "a"},
        {"[a[b[c]]]", "ab", kNoFill, prComplete, "ab"},
        {"[a[b[c]]]", "abc", kNoFill, prComplete, "abc"},
        {"[a[b[c]]]", "ac", kNoFill, prError, "ac"},
        {"{#[-{#,x}]}", "1-x", kNoFill, prComplete, "1-x"},
        {"{#[-{#,x}]}", "1-", kNoFill, prIncomplete, "1-"},
        {"{#[-{#,x}]}", "1-y", kNoFill, prError, "1-y"},
    });
}

TEST(PictureMatch, AlternativesAtTopLevel) {
    expectCases({
        {"Red,Green,Blue", "green", kNoFill, prComplete, "Green"},
        {"Red,Green,Blue", "BLUE", kNoFill, prComplete, "Blue"},
        {"Red,Green,Blue", "b", kFill, prComplete, "Blue"},
        {"Red,Green,Blue", "gr", kNoFill, prIncomplete, "Gr"},
        {"Red,Green,Blue", "Yellow", kNoFill, prError, "Yellow"},
        {"#,?", "a", kNoFill, prComplete, "a"},
        {"#,?", "1", kNoFill, prComplete, "1"},
        {"#,?", "-", kNoFill, prError, "-"},
    });
}

TEST(PictureMatch, AlternativesInsideGroups) {
    expectCases({
        {"{Yes,No}", "ye", kFill, prComplete, "Yes"},
        {"{Yes,No}", "n", kNoFill, prIncomplete, "N"},
        {"{Yes,No}", "n", kFill, prComplete, "No"},
        {"{Yes,No}", "yes", kNoFill, prComplete, "Yes"},
        {"{Yes,No}", "yess", kNoFill, prError, "yess"},
        {"{Yes,No}", "x", kNoFill, prError, "x"},
        // an alternative that matches completely but stops short of an earlier incomplete one
        // does not win
        {"{Yes,Y}", "Ye", kNoFill, prIncomplete, "Ye"},
        // complete, while an earlier alternative could take more: complete, and nothing is
        // filled in
        {"{Yes,Y}", "y", kFill, prComplete, "Y"},
        {"{ab,a}", "a", kFill, prComplete, "a"},
        // the first alternative that matches wins; the later ones are not tried
        {"{a,ab}", "ab", kNoFill, prError, "ab"},
        // a failed alternative leaves the text as it was before it was tried
        {"{&1,?2}", "x2", kNoFill, prComplete, "x2"},
        {"{!!x,@@y}", "aby", kNoFill, prComplete, "aby"},
    });
}

TEST(PictureMatch, RepetitionOfCharacters) {
    expectCases({
        {"*#", "12345", kNoFill, prComplete, "12345"},
        {"*#", "1", kNoFill, prComplete, "1"},
        {"*#", "12a", kNoFill, prError, "12a"},
        {"*#", "", kNoFill, prEmpty, ""},
        {"*3#", "12", kNoFill, prIncomplete, "12"},
        {"*3#", "123", kNoFill, prComplete, "123"},
        {"*3#", "1234", kNoFill, prError, "1234"},
        {"*0#", "123", kNoFill, prComplete, "123"}, // a count of 0 is no count
        {"*&", "abc", kNoFill, prComplete, "ABC"},
        {"*2&#", "ab1", kNoFill, prComplete, "AB1"},
        {"*;*", "***", kNoFill, prComplete, "***"},
        {"#*-#", "1---2", kNoFill, prComplete, "1---2"},
        {"*999999999#", "12", kNoFill, prIncomplete, "12"},
    });
}

TEST(PictureMatch, RepetitionOfGroups) {
    expectCases({
        {"*2{ab}", "abab", kNoFill, prComplete, "abab"},
        {"*2{ab}", "aba", kNoFill, prIncomplete, "aba"},
        {"*2{ab}", "aba", kFill, prComplete, "abab"},
        {"*2{ab}", "ababa", kNoFill, prError, "ababa"},
        {"*{ab}", "ABAB", kNoFill, prComplete, "abab"},
        {"*{ab}", "aba", kFill, prComplete, "abab"},
        {"*{ab}c", "ababc", kNoFill, prComplete, "ababc"},
        {"*3[#]", "12", kNoFill, prComplete, "12"},
        {"*3[#]x", "12x", kNoFill, prComplete, "12x"},
        {"*3[#]x", "x", kNoFill, prComplete, "x"},
        {"*3[#]x", "1234x", kNoFill, prError, "1234x"},
        {"*999999999[#]", "123", kNoFill, prComplete, "123"},
        {"*2{*2{#}-}", "12-34-", kNoFill, prComplete, "12-34-"},
        {"*2{*2{#}-}", "12-3", kFill, prIncomplete, "12-3"},
        {"*2{*2{#}-}", "12-34", kFill, prComplete, "12-34-"},
        {"*[*#]", "123", kNoFill, prComplete, "123"},
        {"*[*#]", "a", kNoFill, prError, "a"},
        {"*{Ab,Cd}", "abcdab", kNoFill, prComplete, "AbCdAb"},
    });
}

TEST(PictureMatch, BlankTypedLastStandsForAFixedCharacter) {
    expectCases({
        {"###-####", "555 ", kFill, prIncomplete, "555-"},
        {"###-####", "555 1", kNoFill, prError, "555 1"}, // only as the last character
        {"###-####", "55 ", kNoFill, prError, "55 "},     // not in place of a digit
        {"#-(#", "1 ", kNoFill, prIncomplete, "1-"},
        {"#-(#", "1 ", kFill, prIncomplete, "1-("},
        {"## ##", "12 ", kNoFill, prIncomplete, "12 "},
        {"x", " ", kNoFill, prComplete, "x"},
        // a blank that matched a literal blank of the section is not taken for another
        // literal by a later alternative
        {"{ a,-b}", " ", kNoFill, prIncomplete, " "},
        {"{-b}", " ", kNoFill, prIncomplete, "-"},
        {"{ a,-b}", " ", kFill, prComplete, " a"},
    });
}

TEST(PictureMatch, TextEndingBeforeOptionalPieces) {
    expectCases({
        {"#[x]", "1", kNoFill, prComplete, "1"},
        {"#*x", "1", kNoFill, prComplete, "1"},
        {"#*0x", "1", kNoFill, prComplete, "1"},
        {"#*2[x]", "1", kNoFill, prComplete, "1"},
        {"#*12[x]", "1", kNoFill, prComplete, "1"},
        {"#*2x", "1", kNoFill, prIncomplete, "1"},
        {"#*2{x}", "1", kNoFill, prIncomplete, "1"},
        {"#[x]*y[z]", "1", kNoFill, prComplete, "1"},
        {"#[x]y", "1", kNoFill, prIncomplete, "1"},
        {"#{x,[y]}", "1", kNoFill, prComplete, "1"},
        {"#{x,y}", "1", kNoFill, prIncomplete, "1"},
        {"#{x,{y,[z]}}", "1", kNoFill, prComplete, "1"},
        {"#[x],abc", "1", kNoFill, prComplete, "1"},
        // complete inside the group, but the group could take more: incomplete, no auto-fill
        {"{#[x],z}y", "1", kFill, prIncomplete, "1"},
        {"{#[x],z}y", "1y", kNoFill, prComplete, "1y"},
    });
}

// Empty alternatives inside "{" "}": an empty alternative matches nothing and counts as made
// only of pieces that may be left out.
TEST(PictureMatch, EmptyAlternatives) {
    expectCases({
        {"#{a,}", "1", kNoFill, prComplete, "1"},
        {"#{,a}", "1", kNoFill, prComplete, "1"},
        {"#{a,,b}", "1", kNoFill, prComplete, "1"},
        {"#{}", "1", kNoFill, prComplete, "1"},
        {"#{a,b}", "1", kNoFill, prIncomplete, "1"},
        {"#{a,}", "1a", kNoFill, prComplete, "1a"},
        {"#{a,}", "1b", kNoFill, prError, "1b"},
        {"#{a,,b}", "1b", kNoFill, prError, "1b"}, // the empty alternative comes first
        {"#{,a}", "1a", kNoFill, prError, "1a"},
        {"x{a,}y", "xy", kNoFill, prComplete, "xy"},
        {"x{a,}y", "x", kFill, prIncomplete, "x"},
    });
}

TEST(PictureMatch, MalformedPicturesAreSyntaxErrors) {
    for (const char* picture :
         {"", "*", "#*", "3*", ";", "#;", "[#", "#]", "{#", "#}}", "[#}", "{[}"}) {
        SCOPED_TRACE(picture);
        TwwPictureValidator v(QString::fromUtf8(picture), false);
        EXPECT_EQ(v.Status(), TwwPictureValidator::vsSyntax);
        EXPECT_FALSE(TwwPictureValidator::SyntaxCheck(QString::fromUtf8(picture)));
        for (const char* input : {"", "1", "#", "*"}) {
            QString text = QString::fromUtf8(input);
            EXPECT_EQ(v.Picture(text, true), prSyntax) << input;
            EXPECT_EQ(text, QString::fromUtf8(input));
        }
    }
}

TEST(PictureMatch, SyntaxTestCountsOnlyTheFinalBalance) {
    expectCases({
        {"][", "]", kNoFill, prComplete, "]"},
        {";*", "*", kNoFill, prComplete, "*"},
        {";[#;]", "[1]", kNoFill, prComplete, "[1]"},
    });
    EXPECT_TRUE(TwwPictureValidator::SyntaxCheck("]["));
    EXPECT_TRUE(TwwPictureValidator::SyntaxCheck(";*"));
    EXPECT_FALSE(TwwPictureValidator::SyntaxCheck(";;")); // the last character is a ";"
}

// A repetition must have an item to repeat; where the syntax test lets such a picture through,
// matching a text that reaches it reports the syntax error and leaves the text alone.
TEST(PictureMatch, RepetitionWithoutItem) {
    expectCases({
        {"{*}", "1", kNoFill, prSyntax, "1"},
        {"[#*]", "12", kNoFill, prSyntax, "12"},
        {"#*3", "12", kNoFill, prSyntax, "12"},
        {"#*3", "1", kNoFill, prIncomplete, "1"},
        {";;*", "a", kNoFill, prError, "a"},
        {";;*", ";x", kNoFill, prSyntax, ";x"},
        {"&*3", "a", kNoFill, prIncomplete, "A"},
    });
    EXPECT_EQ(TwwPictureValidator("{*}", false).Status(), TwwPictureValidator::vsOk);
}

QString nested(int levels, const QString& open, const QString& inner, const QString& close) {
    return open.repeated(levels) + inner + close.repeated(levels);
}

TEST(PictureMatch, NestingDepthIsBounded) {
    // 63 groups inside the picture are 64 sections: the deepest the matcher enters.
    for (const auto& [open, close] : {std::pair<QString, QString>{"[", "]"}, {"{", "}"}}) {
        TwwPictureValidator deep(nested(63, open, "#", close), false);
        EXPECT_EQ(deep.Status(), TwwPictureValidator::vsOk);
        QString one = "1";
        EXPECT_EQ(deep.Picture(one, false), prComplete);

        TwwPictureValidator tooDeep(nested(64, open, "#", close), false);
        EXPECT_EQ(tooDeep.Status(), TwwPictureValidator::vsSyntax);
        EXPECT_EQ(tooDeep.Picture(one, false), prSyntax);
    }
    // Each repetition enters the section of its item.
    EXPECT_TRUE(TwwPictureValidator::SyntaxCheck(QString("*1").repeated(63) + "#"));
    EXPECT_FALSE(TwwPictureValidator::SyntaxCheck(QString("*1").repeated(64) + "#"));
    EXPECT_FALSE(TwwPictureValidator::SyntaxCheck(nested(5000, "{", "#", "}")));
}

TEST(PictureMatch, ExplosiveBacktrackingGivesUp) {
    // Every run of each repetition first tries an alternative that swallows the rest of the
    // digits before it fails, so the first alternative of the outer group costs a power of the
    // text's length before the second one ("*@", which takes anything) is reached. Past the
    // step limit the match stops and refuses the text, leaving it as given.
    TwwPictureValidator v("{*{*{*{*{*#x,#}y,#}z,#}w,#}v,*@}", false);
    QString text = QString("1").repeated(200) + "q";
    const QString given = text;
    EXPECT_EQ(v.Picture(text, false), prError);
    EXPECT_EQ(text, given);
    // The same picture answers texts that need less work.
    QString small = QString("1").repeated(10) + "q";
    EXPECT_EQ(v.Picture(small, false), prComplete);
}

TEST(PictureValidator, OptionsAndStatus) {
    TwwPictureValidator plain("###", false);
    EXPECT_EQ(plain.Options(), 4);
    EXPECT_EQ(plain.Status(), 0);
    TwwPictureValidator filling("###", true);
    EXPECT_EQ(filling.Options(), 5);
    EXPECT_EQ(filling.PictureText(), "###");
    TwwPictureValidator broken("[#", true);
    EXPECT_EQ(broken.Status(), 1);
    EXPECT_EQ(broken.Options(), 5);
}

TEST(PictureValidator, IsValidAcceptsCompleteOrEmptyOnly) {
    TwwPictureValidator v("###-####", true);
    EXPECT_TRUE(v.IsValid("555-1234"));
    EXPECT_TRUE(v.IsValid(""));
    EXPECT_FALSE(v.IsValid("555")); // a valid beginning is not a valid value
    EXPECT_FALSE(v.IsValid("5551"));
    EXPECT_TRUE(TwwPictureValidator("&&", false).IsValid("ca"));
    EXPECT_FALSE(TwwPictureValidator("[#", false).IsValid(""));
    // no auto-fill: "555" does not become "555-" and then "555-" is still incomplete
    EXPECT_FALSE(TwwPictureValidator("###;-", true).IsValid("555"));
}

TEST(PictureValidator, IsValidInputRefusesOnlyErrors) {
    TwwPictureValidator filling("###-####", true);
    QString typed = "555";
    EXPECT_TRUE(filling.IsValidInput(typed, false));
    EXPECT_EQ(typed, "555-");
    QString suppressed = "555";
    EXPECT_TRUE(filling.IsValidInput(suppressed, true));
    EXPECT_EQ(suppressed, "555");
    QString wrong = "55a";
    EXPECT_FALSE(filling.IsValidInput(wrong, false));
    EXPECT_EQ(wrong, "55a");

    TwwPictureValidator plain("###-####", false);
    QString noFill = "555";
    EXPECT_TRUE(plain.IsValidInput(noFill, false));
    EXPECT_EQ(noFill, "555");

    TwwPictureValidator broken("#]", false);
    QString any = "x";
    EXPECT_TRUE(broken.IsValidInput(any, false)); // a syntax error is not an input error
}

// Validation on post: a fresh validator without auto-fill per value; only complete passes.
TEST(PictureValidator, PostedValueMustBeComplete) {
    const auto passes = [](const QString& mask, const QString& value) {
        TwwPictureValidator v(mask, false);
        QString text = value;
        return v.Picture(text, false) == prComplete;
    };
    EXPECT_TRUE(passes("###-####", "555-1234"));
    EXPECT_FALSE(passes("###-####", "555"));
    EXPECT_FALSE(passes("###-####", "555-12x4"));
    EXPECT_TRUE(passes("#####[-####]", "94141"));
    EXPECT_FALSE(passes("[#", "1"));
}

TEST(PictureValidator, CopiesMatchIndependently) {
    TwwPictureValidator original("{Yes,No}", true);
    TwwPictureValidator copy = original;
    QString a = "y";
    QString b = "n";
    EXPECT_EQ(original.Picture(a, true), prComplete);
    EXPECT_EQ(copy.Picture(b, true), prComplete);
    EXPECT_EQ(a, "Yes");
    EXPECT_EQ(b, "No");
}

} // namespace
